#include "shell32/ClipboardMime.h"

#include "com/ComObject.h"
#include "com/DragDrop.h"
#include "com/PlainDataObject.h"
#include "com/TaskAllocator.h"
#include "shell32/DropFiles.h"
#include "shell32/FileDataObjects.h"
#include "shell32/FileUris.h"
#include "shell32/Folders.h"
#include "shell32/IdListArray.h"
#include "shell32/TransferBlocks.h"
#include "win32/ClipboardFormats.h"
#include "win32/GlobalMemory.h"
#include "win32/WindowManager.h"

#include <QMimeData>
#include <QStringList>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shell32 {
namespace {

// An enumerator that never says it is done is not followed for ever.
constexpr int kMaxEnumeratedFormats = 1024;

QByteArray ToBytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

class DataObjectMimeData final : public QMimeData {
public:
    DataObjectMimeData(com::ComPtr<IDataObject> object, QStringList formats)
        : Object_(std::move(object)), Formats_(std::move(formats))
    {
    }

    IDataObject* Object() const { return Object_.Get(); }

    QStringList formats() const override { return Formats_; }
    bool hasFormat(const QString& type) const override { return Formats_.contains(type); }

protected:
    // Qt asks from its event loop (another program pastes): nothing thrown
    // here may reach it.
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        try {
            if (!Formats_.contains(type))
                return {};
            return Render(type.toStdString());
        } catch (...) {
            win32::HandleCurrentException();
            return {};
        }
    }

private:
    QByteArray Render(const std::string& type) const
    {
        IDataObject& object = *Object_;
        if (type == kMimeIdListArray) {
            const std::optional<std::string> block = ReadHGlobalFormat(object, IdListArrayFormat());
            return block ? ToBytes(*block) : QByteArray();
        }
        if (type == kMimeUriList)
            return DroppedFileUriList(object);
        const bool cut = IsCutData(object);
        if (type == kMimeGnomeCopiedFiles)
            return ToBytes(MakeCopiedFiles(CopiedFiles{cut, DroppedFileNames(object)}));
        if (type == kMimeKdeCutSelection)
            return cut ? "1" : "0";
        return {};
    }

    com::ComPtr<IDataObject> Object_;
    QStringList Formats_;
};

// The MIME types the object's formats give, from its enumerator.
HRESULT OfferedTypes(IDataObject& object, QStringList& types)
{
    com::ComPtr<IEnumFORMATETC> formats;
    const HRESULT hr = object.EnumFormatEtc(DATADIR_GET, formats.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    if (!formats)
        return E_UNEXPECTED;
    bool fileDrop = false;
    bool idListArray = false;
    bool dropEffect = false;
    for (int i = 0; i < kMaxEnumeratedFormats; ++i) {
        FORMATETC format{};
        ULONG fetched = 0;
        if (formats->Next(1, &format, &fetched) != S_OK || fetched != 1)
            break;
        // A target device is the caller's to free; none is rendered for.
        if (format.ptd) {
            CoTaskMemFree(format.ptd);
            continue;
        }
        // Rendered for the whole content in an HGLOBAL only.
        if (format.dwAspect != DVASPECT_CONTENT || !(format.tymed & TYMED_HGLOBAL))
            continue;
        fileDrop = fileDrop || format.cfFormat == CF_HDROP;
        idListArray = idListArray || format.cfFormat == IdListArrayFormat();
        dropEffect = dropEffect || format.cfFormat == PreferredDropEffectFormat();
    }
    if (fileDrop)
        types << kMimeUriList;
    // Cut and copy marks say what to do with files: only with the files.
    if (fileDrop && dropEffect)
        types << kMimeGnomeCopiedFiles << kMimeKdeCutSelection;
    if (idListArray)
        types << kMimeIdListArray;
    return S_OK;
}

// The payload of a type, nothing when the data does not offer it. The
// offered types are asked for once: on the desktop's clipboard every
// question goes to the other program, and one that does not answer costs a
// time-out each time.
std::optional<QByteArray> Payload(const QMimeData& mime, const QStringList& offered, const char* type)
{
    if (!offered.contains(QLatin1String(type)))
        return std::nullopt;
    return mime.data(type);
}

std::string_view View(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

HGLOBAL BlockOf(std::string_view bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block)
        return nullptr;
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// What another program's MIME data says, read as outside input.
void FillFromForeign(const QMimeData& mime, IDataObject& object)
{
    const QStringList offered = mime.formats();
    std::optional<std::vector<std::string>> paths;
    std::optional<DWORD> effect;
    if (const std::optional<QByteArray> list = Payload(mime, offered, kMimeUriList))
        paths = ParseUriList(View(*list));
    if (const std::optional<QByteArray> copied = Payload(mime, offered, kMimeGnomeCopiedFiles)) {
        if (std::optional<CopiedFiles> files = ParseCopiedFiles(View(*copied))) {
            effect = files->Cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
            // A URI list of other places (a browser's, a remote folder's)
            // does not hide the local files beside it.
            if (!paths || paths->empty())
                paths = std::move(files->Paths);
        }
    }
    if (!effect) {
        if (const std::optional<QByteArray> mark = Payload(mime, offered, kMimeKdeCutSelection))
            effect = *mark == "1" ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    }
    if (paths && !paths->empty())
        PutHGlobal(object, CF_HDROP, MakeFileDropBlock(*paths));
    const std::optional<QByteArray> idListArray = Payload(mime, offered, kMimeIdListArray);
    if (idListArray &&
        ReadIdListArray(idListArray->constData(), static_cast<std::size_t>(idListArray->size())))
        PutHGlobal(object, IdListArrayFormat(), BlockOf(View(*idListArray)));
    else if (paths)
        PutHGlobal(object, IdListArrayFormat(), IdListArrayOfPaths(*paths));
    if (effect && paths && !paths->empty())
        PutHGlobal(object, PreferredDropEffectFormat(), MakeDropEffectBlock(*effect));
}

} // namespace

CLIPFORMAT IdListArrayFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST));
}

CLIPFORMAT PreferredDropEffectFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_PREFERREDDROPEFFECT));
}

HRESULT MimeDataFromDataObject(IDataObject* object, QMimeData** mime)
{
    return com::Guard([&] {
        if (!mime)
            return E_POINTER;
        *mime = nullptr;
        if (!object)
            return E_INVALIDARG;
        QStringList types;
        if (const HRESULT hr = OfferedTypes(*object, types); FAILED(hr))
            return hr;
        *mime = new DataObjectMimeData(com::ComPtr<IDataObject>(object), std::move(types));
        return S_OK;
    });
}

IDataObject* DataObjectOfMimeData(const QMimeData* mime)
{
    const auto* ours = dynamic_cast<const DataObjectMimeData*>(mime);
    return ours ? ours->Object() : nullptr;
}

HRESULT DataObjectFromMimeData(const QMimeData* mime, IDataObject** object)
{
    return com::Guard([&] {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (IDataObject* ours = DataObjectOfMimeData(mime)) {
            ours->AddRef();
            *object = ours;
            return S_OK;
        }
        com::ComPtr<IDataObject> result;
        if (const HRESULT hr = com::CreatePlainDataObject(result.ReleaseAndGetAddressOf()); FAILED(hr))
            return hr;
        if (mime)
            FillFromForeign(*mime, *result);
        *object = result.Detach();
        return S_OK;
    });
}

} // namespace shell32
