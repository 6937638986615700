#include "shell32/FileDataObjects.h"

#include "com/DragDrop.h"
#include "com/PlainDataObject.h"
#include "shell32/ClipboardMime.h"
#include "shell32/DropFiles.h"
#include "shell32/FileUrls.h"
#include "shell32/Folders.h"
#include "shell32/TransferBlocks.h"
#include "win32/ClipboardFormats.h"
#include "win32/GlobalMemory.h"

#include <utility>

namespace shell32 {

namespace {

// Hands read(bytes, size) the object's block of format where it lies,
// locked, without copying it; false when the object gives none.
template <typename Read>
bool ReadHGlobalInPlace(IDataObject& object, CLIPFORMAT format, Read&& read)
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(object.GetData(&request, &medium)))
        return false;
    struct Release {
        STGMEDIUM& medium;
        ~Release() { ReleaseStgMedium(&medium); }
    } release{medium};
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal)
        return false;
    const win32::LockedGlobal block(medium.hGlobal);
    if (!block.Data())
        return false;
    read(static_cast<const char*>(block.Data()), block.Size());
    return true;
}

} // namespace

std::optional<std::string> ReadHGlobalFormat(IDataObject& object, CLIPFORMAT format)
{
    std::optional<std::string> result;
    ReadHGlobalInPlace(object, format,
                       [&](const char* bytes, std::size_t size) { result.emplace(bytes, size); });
    return result;
}

std::vector<std::string> DroppedFileNames(IDataObject& object)
{
    std::vector<std::string> names;
    ReadHGlobalInPlace(object, CF_HDROP,
                       [&](const char* bytes, std::size_t size) { names = ReadDropFiles(bytes, size); });
    std::erase_if(names, [](const std::string& name) { return name.empty() || name.front() != '/'; });
    return names;
}

QByteArray DroppedFileUriList(IDataObject& object)
{
    QByteArray list;
    ReadHGlobalInPlace(object, CF_HDROP, [&](const char* bytes, std::size_t size) {
        const auto absolute = [](std::string_view name) { return !name.empty() && name.front() == '/'; };
        // Sized once, then written in place: each line its URL and CR LF.
        std::size_t room = 0;
        VisitDropFiles(bytes, size, [&](std::string_view name) {
            if (absolute(name))
                room += FileUrlSize(name) + 2;
        });
        list.resize(static_cast<qsizetype>(room));
        char* at = list.data();
        VisitDropFiles(bytes, size, [&](std::string_view name) {
            if (!absolute(name))
                return;
            at = WriteFileUrl(at, name);
            *at++ = '\r';
            *at++ = '\n';
        });
    });
    return list;
}

std::optional<DWORD> PreferredDropEffect(IDataObject& object)
{
    const std::optional<std::string> block = ReadHGlobalFormat(object, PreferredDropEffectFormat());
    if (!block || block->size() < sizeof(DWORD))
        return std::nullopt;
    DWORD effect = 0;
    for (int i = 3; i >= 0; --i)
        effect = effect << 8 | static_cast<unsigned char>((*block)[i]);
    return effect;
}

bool IsCutData(IDataObject& object)
{
    const std::optional<DWORD> effect = PreferredDropEffect(object);
    return effect && (*effect & DROPEFFECT_MOVE) && !(*effect & DROPEFFECT_COPY);
}

bool PutHGlobal(IDataObject& object, CLIPFORMAT format, HGLOBAL block)
{
    if (!block)
        return false;
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    if (FAILED(object.SetData(&request, &medium, TRUE))) {
        GlobalFree(block);
        return false;
    }
    return true;
}

HGLOBAL MakeDropEffectBlock(DWORD effect)
{
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DWORD));
    if (!block)
        return nullptr;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<BYTE>(effect >> (8 * i));
    GlobalUnlock(block);
    return block;
}

HGLOBAL IdListArrayOfPaths(const std::vector<std::string>& paths)
{
    // One look at the mount table, and one walk to each folder, serve the
    // whole list: it may name hundreds of thousands of files.
    AbsolutePathParser parser;
    std::vector<std::string> lists;
    for (const std::string& path : paths) {
        std::string items;
        if (SUCCEEDED(parser.Parse(path, items)))
            lists.push_back(std::move(items));
    }
    return lists.empty() ? nullptr : IdListArrayFromAbsoluteLists(lists);
}

HRESULT MakeFilesDataObject(const std::vector<std::string>& paths, DWORD preferredEffect,
                            IDataObject** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    com::ComPtr<IDataObject> made;
    if (const HRESULT hr = com::CreatePlainDataObject(made.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    if (!PutHGlobal(*made, CF_HDROP, MakeFileDropBlock(paths)))
        return E_OUTOFMEMORY;
    PutHGlobal(*made, IdListArrayFormat(), IdListArrayOfPaths(paths));
    if (preferredEffect != DROPEFFECT_NONE &&
        !PutHGlobal(*made, PreferredDropEffectFormat(), MakeDropEffectBlock(preferredEffect)))
        return E_OUTOFMEMORY;
    *object = made.Detach();
    return S_OK;
}

} // namespace shell32
