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

#include <string_view>
#include <utility>

namespace shell32 {

namespace {

// read(bytes, size) of the object's block of that format, locked; nothing
// when it has none.
template <typename Read>
auto WithHGlobalFormat(IDataObject& object, CLIPFORMAT format, Read&& read) -> decltype(read(nullptr, 0))
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(object.GetData(&request, &medium)))
        return std::nullopt;
    struct Release {
        STGMEDIUM& medium;
        ~Release() { ReleaseStgMedium(&medium); }
    } release{medium};
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal)
        return std::nullopt;
    const win32::LockedGlobal block(medium.hGlobal);
    if (!block.Data())
        return std::nullopt;
    return read(block.Data(), block.Size());
}

} // namespace

std::optional<std::string> ReadHGlobalFormat(IDataObject& object, CLIPFORMAT format)
{
    return WithHGlobalFormat(object, format, [](const void* bytes, std::size_t size) {
        return std::optional<std::string>(std::in_place, static_cast<const char*>(bytes), size);
    });
}

std::vector<std::string> DroppedFileNames(IDataObject& object)
{
    std::vector<std::string> names =
        WithHGlobalFormat(object, CF_HDROP, [](const void* bytes, std::size_t size) {
            return std::optional<std::vector<std::string>>(ReadDropFiles(bytes, size));
        }).value_or(std::vector<std::string>());
    std::erase_if(names, [](const std::string& name) { return name.empty() || name.front() != '/'; });
    return names;
}

QByteArray DroppedFileUriList(IDataObject& object)
{
    const auto list = WithHGlobalFormat(object, CF_HDROP, [](const void* bytes, std::size_t size) {
        const auto absolute = [](std::string_view name) { return !name.empty() && name.front() == '/'; };
        // Sized once, then written in place: each line its URL and CR LF.
        std::size_t room = 0;
        VisitDropFiles(bytes, size, [&](std::string_view name) {
            if (absolute(name))
                room += FileUrlSize(name) + 2;
        });
        QByteArray list(static_cast<qsizetype>(room), Qt::Uninitialized);
        char* at = list.data();
        VisitDropFiles(bytes, size, [&](std::string_view name) {
            if (!absolute(name))
                return;
            at = WriteFileUrl(at, name);
            *at++ = '\r';
            *at++ = '\n';
        });
        return std::optional<QByteArray>(std::move(list));
    });
    return list.value_or(QByteArray());
}

std::optional<std::string> FirstDroppedFileName(IDataObject& object)
{
    return WithHGlobalFormat(object, CF_HDROP, [](const void* bytes, std::size_t size) {
        return FirstAbsoluteDropFile(bytes, size);
    });
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
    // whole list: it may name hundreds of thousands of files. A folder's
    // items are kept once for the run of its files.
    AbsolutePathParser parser;
    std::vector<std::string> folders;
    std::string lastItems;
    std::vector<std::pair<std::size_t, std::size_t>> ranges; // folder, end in lastItems
    ranges.reserve(paths.size());
    std::string last;
    for (const std::string& path : paths) {
        std::string_view folder;
        if (FAILED(parser.ParseInFolder(path, folder, last)))
            continue;
        if (folders.empty() || folders.back() != folder)
            folders.emplace_back(folder);
        lastItems += last;
        ranges.emplace_back(folders.size() - 1, lastItems.size());
    }
    std::vector<ItemInFolder> items;
    items.reserve(ranges.size());
    std::size_t start = 0;
    for (const auto& [folder, end] : ranges) {
        items.push_back(ItemInFolder{folder, std::string_view(lastItems).substr(start, end - start)});
        start = end;
    }
    return items.empty() ? nullptr : IdListArrayFromFolderItems(folders, items);
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
