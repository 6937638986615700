// The data objects the shell tree and the shell list hand their items over
// in, the formats they offer and the drop source of their drags.

#include "UKwShellControls.h"

#include "com/PlainDataObject.h"
#include "com/TaskAllocator.h"
#include "shell32/DropFiles.h"
#include "shell32/TransferBlocks.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"
#include "win32/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace kw {

namespace {

// The platform's path limit, the room the file-drop list keeps for a name.
constexpr std::size_t kMaxPath = 260;
constexpr std::size_t kHDropHeader = sizeof(DROPFILES);
// Pressing any of these but the dragging button cancels a drag.
constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// A zeroed movable block, locked; the caller unlocks it and owns the handle.
// Null when it cannot be had.
unsigned char* AllocLocked(std::size_t size, HGLOBAL& block)
{
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return nullptr;
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    if (!bytes)
        block = GlobalFree(block);
    return bytes;
}

// A copy of a target device on the task allocator, as a receiver of a
// record frees it. Raises std::bad_alloc.
DVTARGETDEVICE* CopyTargetDevice(const DVTARGETDEVICE* device)
{
    if (!device)
        return nullptr;
    const std::size_t size = std::max<std::size_t>(device->tdSize, sizeof device->tdSize);
    void* copy = CoTaskMemAlloc(size);
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, device, size);
    return static_cast<DVTARGETDEVICE*>(copy);
}

// A name the file-drop list can carry as it is: an empty one would end the
// list and a zero byte would split it, so the receiver read other names.
bool IsListableName(std::string_view name)
{
    return !name.empty() && name.find('\0') == std::string_view::npos;
}

// The file-drop list of names, and in content how many of its first bytes
// can be other than zero (the header, the names and their zeros).
HGLOBAL FileDropBlock(std::span<const std::string_view> names, std::size_t& content)
{
    content = 0;
    // Room for a path of the platform's limit per name, as receivers expect;
    // longer names make the block grow so that none is written past its end.
    std::size_t needed = kHDropHeader + 1;
    for (const std::string_view name : names)
        if (IsListableName(name))
            needed += name.size() + 1;
    const std::size_t size = std::max(names.size() * kMaxPath + kHDropHeader + 1, needed);
    HGLOBAL block = nullptr;
    unsigned char* bytes = AllocLocked(size, block);
    if (!bytes)
        return nullptr;
    // The point, the non-client flag and fWide stay 0: the names are the
    // paths' own bytes.
    DROPFILES header{};
    header.pFiles = kHDropHeader;
    std::memcpy(bytes, &header, sizeof header);
    std::size_t at = kHDropHeader;
    for (const std::string_view name : names) {
        if (!IsListableName(name))
            continue;
        std::memcpy(bytes + at, name.data(), name.size());
        at += name.size() + 1;
    }
    GlobalUnlock(block);
    content = at + 1;
    return block;
}

// A receiver's copy of a block of which only the first content bytes can
// be other than zero: the rest of a fresh zeroed block is left untouched,
// so a file-drop list's unused room costs no copying.
HGLOBAL DuplicateContent(HGLOBAL block, std::size_t content)
{
    const win32::LockedGlobal source(block);
    if (!source.Data())
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, source.Size());
    if (!copy)
        return nullptr;
    const win32::LockedGlobal target(copy);
    if (const std::size_t copied = std::min(content, source.Size()))
        std::memcpy(target.Data(), source.Data(), copied);
    return copy;
}

} // namespace

// ---- Format records ----

FORMATETC* CopyFormatEtc(const FORMATETC& source)
{
    auto record = std::make_unique<FORMATETC>(source);
    record->ptd = CopyTargetDevice(source.ptd);
    return record.release();
}

void FreeFormatEtc(FORMATETC* record)
{
    if (!record)
        return;
    CoTaskMemFree(record->ptd);
    delete record;
}

// ---- TKwFormatEtcList ----

std::shared_ptr<TKwFormatEtcList> TKwFormatEtcList::CreateEmpty()
{
    return std::make_shared<TKwFormatEtcList>(Token{});
}

std::shared_ptr<TKwFormatEtcList> TKwFormatEtcList::Create(std::span<const CLIPFORMAT> formats)
{
    std::shared_ptr<TKwFormatEtcList> list = CreateEmpty();
    list->AddFormats(formats);
    return list;
}

TKwFormatEtcList::~TKwFormatEtcList()
{
    Clear();
}

void TKwFormatEtcList::AddFormats(std::span<const CLIPFORMAT> formats)
{
    for (const CLIPFORMAT format : formats)
        Add(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

void TKwFormatEtcList::Add(const FORMATETC& record)
{
    FORMATETC* copy = CopyFormatEtc(record);
    try {
        Records_.Add(copy);
    } catch (...) {
        FreeFormatEtc(copy);
        throw;
    }
}

const FORMATETC& TKwFormatEtcList::Items(int index) const
{
    return *static_cast<const FORMATETC*>(Records_.Items(index));
}

void TKwFormatEtcList::Clear()
{
    for (int i = 0; i < Records_.Count(); ++i)
        FreeFormatEtc(static_cast<FORMATETC*>(Records_.Items(i)));
    Records_.Clear();
}

HRESULT TKwFormatEtcList::QueryGetData(const FORMATETC& request) const
{
    if (request.dwAspect != DVASPECT_CONTENT)
        return DV_E_FORMATETC;
    bool formatOffered = false;
    for (int i = 0; i < Count(); ++i) {
        const FORMATETC& record = Items(i);
        if (record.cfFormat != request.cfFormat)
            continue;
        if (record.tymed & request.tymed)
            return S_OK;
        formatOffered = true;
    }
    return formatOffered ? DV_E_TYMED : DV_E_FORMATETC;
}

com::ComPtr<IEnumFORMATETC> TKwFormatEtcList::CreateEnumerator() const
{
    return com::MakeComObject<TKwFormatEtcList_IEnumFormatEtc>(shared_from_this(), ULONG{0});
}

// ---- TKwFormatEtcList_IEnumFormatEtc ----

TKwFormatEtcList_IEnumFormatEtc::TKwFormatEtcList_IEnumFormatEtc(std::shared_ptr<const TKwFormatEtcList> list,
                                                                 ULONG position)
    : List_(std::move(list)), Position_(position)
{
}

HRESULT TKwFormatEtcList_IEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    return com::Guard([&] {
        if (pceltFetched)
            *pceltFetched = 0;
        if (celt > 0 && !rgelt)
            return E_POINTER;
        const auto count = static_cast<ULONG>(List_->Count());
        ULONG fetched = 0;
        try {
            for (; fetched < celt && Position_ + fetched < count; ++fetched) {
                // The receiver owns a target device handed out, so it gets
                // one of its own.
                FORMATETC record = List_->Items(static_cast<int>(Position_ + fetched));
                record.ptd = CopyTargetDevice(record.ptd);
                rgelt[fetched] = record;
            }
        } catch (...) {
            while (fetched > 0)
                CoTaskMemFree(std::exchange(rgelt[--fetched].ptd, nullptr));
            throw;
        }
        Position_ += fetched;
        if (pceltFetched)
            *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    });
}

HRESULT TKwFormatEtcList_IEnumFormatEtc::Skip(ULONG celt)
{
    const auto count = static_cast<ULONG>(List_->Count());
    if (celt > count - Position_) {
        Position_ = count;
        return S_FALSE;
    }
    Position_ += celt;
    return S_OK;
}

HRESULT TKwFormatEtcList_IEnumFormatEtc::Reset()
{
    Position_ = 0;
    return S_OK;
}

HRESULT TKwFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC** ppenum)
{
    return com::Guard([&] {
        if (!ppenum)
            return E_POINTER;
        *ppenum = nullptr;
        *ppenum = com::MakeComObject<TKwFormatEtcList_IEnumFormatEtc>(List_, Position_).Detach();
        return S_OK;
    });
}

// ---- TKwShellDataObject ----

TKwShellDataObject::TKwShellDataObject() : FormatList_(TKwFormatEtcList::CreateEmpty()) {}

TKwShellDataObject::~TKwShellDataObject()
{
    if (HDrop_)
        GlobalFree(HDrop_);
    if (IdListArray_)
        GlobalFree(IdListArray_);
}

void TKwShellDataObject::MakeBlocks(const ITEMIDLIST* parent, std::span<const LPCITEMIDLIST> items,
                                    const std::vector<std::string>& names)
{
    // A block that cannot be allocated is simply missing: the object offers
    // what it has. Before the unit has registered the array's format there
    // is no format to offer it in.
    if (CF_IDLIST != 0)
        MakeIdListArrayHGlobal(parent, items, IdListArray_);
    std::vector<std::string_view> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) {
        // Only file-system items are files to drop; a virtual item's parsing
        // name is no path.
        if (!name.empty() && name.front() == '/')
            paths.push_back(name);
    }
    if (!paths.empty())
        HDrop_ = FileDropBlock(paths, HDropContent_);
    std::vector<CLIPFORMAT> built;
    if (IdListArray_)
        built.push_back(static_cast<CLIPFORMAT>(CF_IDLIST));
    if (HDrop_)
        built.push_back(static_cast<CLIPFORMAT>(CF_HDROP));
    FormatList_->AddFormats(built);
}

HRESULT TKwShellDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    return com::Guard([&] {
        if (!pformatetcIn || !pmedium)
            return E_INVALIDARG;
        *pmedium = STGMEDIUM{};
        if (const HRESULT hr = FormatList_->QueryGetData(*pformatetcIn); FAILED(hr))
            return hr;
        HGLOBAL block = nullptr;
        if (pformatetcIn->cfFormat == static_cast<CLIPFORMAT>(CF_IDLIST))
            block = IdListArray_;
        else if (pformatetcIn->cfFormat == static_cast<CLIPFORMAT>(CF_HDROP))
            block = HDrop_;
        if (!block)
            return DV_E_FORMATETC;
        // The receiver owns and frees its copy; the object keeps its own.
        HGLOBAL copy = block == HDrop_ ? DuplicateContent(block, HDropContent_) : DuplicateHGlobal(block);
        if (!copy)
            return E_OUTOFMEMORY;
        pmedium->tymed = TYMED_HGLOBAL;
        pmedium->hGlobal = copy;
        pmedium->pUnkForRelease = nullptr;
        return S_OK;
    });
}

HRESULT TKwShellDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT TKwShellDataObject::QueryGetData(FORMATETC* pformatetc)
{
    if (!pformatetc)
        return E_INVALIDARG;
    return FormatList_->QueryGetData(*pformatetc);
}

HRESULT TKwShellDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut)
{
    if (pformatetcOut)
        pformatetcOut->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TKwShellDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

HRESULT TKwShellDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc)
{
    return com::Guard([&] {
        if (!ppenumFormatEtc)
            return E_POINTER;
        *ppenumFormatEtc = nullptr;
        if (dwDirection != DATADIR_GET)
            return E_NOTIMPL;
        *ppenumFormatEtc = FormatList_->CreateEnumerator().Detach();
        return S_OK;
    });
}

HRESULT TKwShellDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TKwShellDataObject::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TKwShellDataObject::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- TDataObject_shtv ----

TDataObject_shtv::TDataObject_shtv(TKwShTreeData* node)
{
    MakeData(node);
}

TDataObject_shtv::TDataObject_shtv(TKwCustomShellTree* tree, vcl::TTreeNode* node)
    : TDataObject_shtv(tree ? tree->GetDataFromNode(node) : nullptr)
{
}

void TDataObject_shtv::MakeData(TKwShTreeData* node)
{
    if (!node || !node->GetRelPidl())
        return;
    std::vector<std::string> names;
    TKwShTreeData* parentNode = node->ParentData();
    if (!parentNode) {
        // The top node lies in no node of the tree: its absolute list is an
        // item of the desktop.
        const LPCITEMIDLIST item = node->GetAbsPidl();
        names.push_back(ShellGetFriendlyNameFromIdList(nullptr, item, kwfnForParsing));
        MakeBlocks(nullptr, std::span(&item, 1), names);
        return;
    }
    const LPCITEMIDLIST item = node->GetRelPidl();
    if (const com::ComPtr<IShellFolder> folder = parentNode->GetThisIShf())
        names.push_back(ShellGetFriendlyNameFromIdList(folder.Get(), item, kwfnForParsing));
    MakeBlocks(parentNode->GetAbsPidl(), std::span(&item, 1), names);
}

// ---- TDataObject_shlv ----

TDataObject_shlv::TDataObject_shlv(TKwShListDataOwner* list)
{
    MakeData(list);
}

void TDataObject_shlv::MakeData(TKwShListDataOwner* list)
{
    std::vector<LPCITEMIDLIST> items;
    const int count = list ? list->GetItemCount() : 0;
    for (int i = 0; i < count; ++i) {
        if (!list->GetItemSelected(i))
            continue;
        if (const TKwShListData* data = list->GetItemData(i); data && data->GetRelPidl())
            items.push_back(data->GetRelPidl());
    }
    if (items.empty())
        vcl::Abort();
    // The items are relative to the folder the list holds, so its list is
    // their parent, whatever place the list was last asked to show.
    std::vector<std::string> names;
    if (IShellFolder* folder = list->GetCurrentFolderIShf()) {
        names.reserve(items.size());
        for (const LPCITEMIDLIST item : items)
            names.push_back(ShellGetFriendlyNameFromIdList(folder, item, kwfnForParsing));
    }
    MakeBlocks(list->GetCurrentFolderIdList(), items, names);
}

// ---- TDropSource_shlvtv ----

TDropSource_shlvtv::TDropSource_shlvtv(vcl::TMouseButton button)
{
    switch (button) {
    case vcl::mbLeft:
        Button_ = MK_LBUTTON;
        break;
    case vcl::mbRight:
        Button_ = MK_RBUTTON;
        break;
    case vcl::mbMiddle:
        Button_ = MK_MBUTTON;
        break;
    }
}

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState)
{
    if (fEscapePressed)
        return DRAGDROP_S_CANCEL;
    if (grfKeyState & (Button_ ^ kMouseButtons))
        return DRAGDROP_S_CANCEL;
    if (grfKeyState & Button_)
        return S_OK;
    return DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- Blocks ----

HRESULT MakeIdListArrayHGlobal(const ITEMIDLIST* parent, std::span<const LPCITEMIDLIST> items,
                               HGLOBAL& handle)
{
    handle = nullptr;
    // A list's items without its terminator; a null list is the empty one,
    // which names the desktop.
    const auto itemsOf = [](const ITEMIDLIST* pidl) {
        return pidl ? std::string_view(reinterpret_cast<const char*>(pidl),
                                       static_cast<std::size_t>(IdListLen(pidl)) - 2)
                    : std::string_view();
    };
    try {
        std::vector<std::string_view> lists;
        lists.reserve(items.size());
        for (const LPCITEMIDLIST item : items)
            lists.push_back(itemsOf(item));
        handle = shell32::MakeIdListArrayBlock(itemsOf(parent), lists);
    } catch (const std::bad_alloc&) {
    }
    return handle ? S_OK : E_OUTOFMEMORY;
}

HRESULT MakeHDropHGlobal(const vcl::TStrings& names, HGLOBAL& handle)
{
    handle = nullptr;
    try {
        std::vector<std::string> held;
        held.reserve(static_cast<std::size_t>(names.Count()));
        for (int i = 0; i < names.Count(); ++i)
            held.push_back(names[i]);
        const std::vector<std::string_view> views(held.begin(), held.end());
        std::size_t content = 0;
        handle = FileDropBlock(views, content);
    } catch (const std::bad_alloc&) {
    }
    return handle ? S_OK : E_OUTOFMEMORY;
}

HGLOBAL DuplicateHGlobal(HGLOBAL handle)
{
    return handle ? com::DuplicateGlobalBlock(handle) : nullptr;
}

} // namespace kw
