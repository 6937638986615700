// The data objects of the shell tree's nodes, the shell list's items and the
// shell combo's entries.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "UKwShConsts.h"

#include "shell32/DesktopEntry.h"
#include "shell32/FileInfo.h"
#include "shell32/ShellApi.h"
#include "vcl/core/DateTime.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Format.h"
#include "vcl/core/FormatSettings.h"
#include "vcl/core/PathUtils.h"

#include <cstring>
#include <utility>

namespace kw {

namespace {

// What a tree node asks of its item before it offers a rename: file system,
// drop target, property sheet, delete, rename, link, move, copy.
constexpr ULONG kTreeEditableMask = 0x40000177;
// What a list item answers: copy, move, link, rename, delete, link, share,
// read-only, hidden, file-system ancestor, folder, file system, subfolders;
// and the item looked at afresh, so that one gone since it was listed
// answers nothing.
constexpr ULONG kListAttributesMask = 0xF00F0037 | SFGAO_VALIDATE;

bool IsEmptyList(const ITEMIDLIST* pidl)
{
    return IdListLen(pidl) <= 2;
}

// A new copy of pidl; raises EOutOfMemory when none can be had.
PItemIDList MustCopy(const ITEMIDLIST* pidl)
{
    PItemIDList copy = CopyIdList(nullptr, pidl);
    if (!copy)
        throw vcl::EOutOfMemory("Out of memory");
    return copy;
}

PItemIDList MustConcat(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    PItemIDList joined = ConcatIdLists(nullptr, a, b);
    if (!joined)
        throw vcl::EOutOfMemory("Out of memory");
    return joined;
}

void FreeList(PItemIDList& pidl)
{
    ShellMemFree(std::exchange(pidl, nullptr));
}

com::ComPtr<IShellFolder> DesktopFolder()
{
    com::ComPtr<IShellFolder> desktop;
    vcl::OleCheck(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()));
    if (!desktop)
        vcl::OleCheck(E_FAIL);
    return desktop;
}

// Whether rel, an item of folder, may be renamed: the shell says so and, for
// a file-system item, the folder at folderPath accepts changes.
bool RenamableIn(ULONG attributes, const std::string& folderPath)
{
    if (!(attributes & SFGAO_CANRENAME))
        return false;
    return !(attributes & SFGAO_FILESYSTEM) || folderPath.empty() || detail::FolderAcceptsChanges(folderPath);
}

// Size in whole kilobytes, a started one counting: 0 bytes 0KB, 1 to 1024
// bytes 1KB, 1025 bytes 2KB.
std::string SizeText(std::uint64_t bytes)
{
    const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    const std::string number = vcl::Format("%.0n", {static_cast<double>(kilobytes)});
    return vcl::Format(KwLoadStr(&SFilesizeKB), {number});
}

std::string ModifiedText(const timespec& modified)
{
    const vcl::TFormatSettings& settings = vcl::GetFormatSettings();
    return vcl::FormatDateTime(settings.ShortDateFormat + " " + settings.ShortTimeFormat,
                               vcl::TimespecToDateTime(modified));
}

} // namespace

// ---- TKwShTreeData ----

TKwShTreeData::~TKwShTreeData()
{
    FreeList(RelPidl_);
    FreeList(AbsPidl_);
}

void TKwShTreeData::SetData(TKwShTreeData* parentData, const ITEMIDLIST* relPidl)
{
    PItemIDList copy = MustCopy(relPidl);
    ParentData_ = parentData;
    FreeList(RelPidl_);
    RelPidl_ = copy;
    FreeList(AbsPidl_);
}

void TKwShTreeData::SetRelPidl(const ITEMIDLIST* relPidl)
{
    // The copy first: relPidl may be this node's own list.
    PItemIDList copy = MustCopy(relPidl);
    FreeList(AbsPidl_);
    FreeList(RelPidl_);
    OwnFolder_ = nullptr;
    RelPidl_ = copy;
    GetAbsPidl();
}

void TKwShTreeData::SetOwnFolder(IShellFolder* folder)
{
    OwnFolder_.Reset(folder);
}

PItemIDList TKwShTreeData::GetAbsPidl()
{
    if (!AbsPidl_ && RelPidl_)
        AbsPidl_ = ParentData_ ? MustConcat(ParentData_->GetAbsPidl(), RelPidl_) : MustCopy(RelPidl_);
    return AbsPidl_;
}

std::string TKwShTreeData::GetPathName()
{
    const PItemIDList abs = GetAbsPidl();
    return abs ? ShellGetPathFromIdList(abs) : std::string();
}

bool TKwShTreeData::IsRootDir()
{
    return detail::IsDriveRootPath(GetPathName());
}

com::ComPtr<IShellFolder> TKwShTreeData::GetThisIShf()
{
    if (OwnFolder_)
        return OwnFolder_;
    const PItemIDList abs = GetAbsPidl();
    if (!abs)
        return DesktopFolder();
    com::ComPtr<IShellFolder> folder;
    if (!ParentData_) {
        // The top node's list is absolute: it is bound from the desktop.
        if (FAILED(ShellGetFolderFromIdList(abs, folder.ReleaseAndGetAddressOf())))
            return nullptr;
        return folder;
    }
    const com::ComPtr<IShellFolder> parent = GetParentIShf();
    if (!parent ||
        FAILED(parent->BindToObject(RelPidl_, nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress())))
        return nullptr;
    return folder;
}

com::ComPtr<IShellFolder> TKwShTreeData::GetParentIShf()
{
    if (ParentData_)
        return ParentData_->GetThisIShf();
    ParentFolder_ = nullptr;
    PItemIDList parentPidl = nullptr;
    PItemIDList lastItem = nullptr;
    com::ComPtr<IShellFolder> parent;
    const HRESULT hr =
        GetParentFolderAndItem(GetAbsPidl(), parent.ReleaseAndGetAddressOf(), &parentPidl, &lastItem);
    ShellMemFree(parentPidl);
    ShellMemFree(lastItem);
    if (FAILED(hr))
        return nullptr;
    ParentFolder_ = parent;
    return parent;
}

bool TKwShTreeData::GetEditable()
{
    const PItemIDList abs = GetAbsPidl();
    if (!abs || IsEmptyList(abs) || !ParentData_)
        return false;
    const com::ComPtr<IShellFolder> parent = GetParentIShf();
    if (!parent)
        return false;
    ULONG attributes = kTreeEditableMask;
    LPCITEMIDLIST item = RelPidl_;
    if (FAILED(parent->GetAttributesOf(1, &item, &attributes)))
        return false;
    return RenamableIn(attributes, ParentData_->GetPathName());
}

HRESULT TKwShTreeData::GetIDropTarget(HWND owner, IDropTarget** target)
{
    if (!target)
        return E_POINTER;
    *target = nullptr;
    if (ParentData_) {
        const com::ComPtr<IShellFolder> parent = ParentData_->GetThisIShf();
        if (!parent)
            return E_FAIL;
        LPCITEMIDLIST item = RelPidl_;
        return parent->GetUIObjectOf(owner, 1, &item, IID_IDropTarget, nullptr,
                                     reinterpret_cast<void**>(target));
    }
    if (const PItemIDList abs = GetAbsPidl())
        return GetUIObjectOfIdList(abs, IID_IDropTarget, reinterpret_cast<void**>(target));
    return GetDesktopDropTarget(target);
}

void TKwShTreeData::Flush()
{
    FreeList(AbsPidl_);
    OwnFolder_ = nullptr;
}

// ---- TKwShListData ----

struct TKwShListData::Texts {
    std::string DisplayName;
    bool DetailsLoaded = false;
    std::string SizeText;
    std::string TypeText;
    std::string ModifiedText;
};

TKwShListData::TKwShListData(TKwShListDataOwner* owner) : Owner_(owner) {}

TKwShListData::~TKwShListData()
{
    FreeList(RelPidl_);
    FreeList(AbsPidl_);
}

TKwShListData::Texts& TKwShListData::OwnTexts()
{
    if (!Texts_)
        Texts_ = std::make_unique<Texts>();
    return *Texts_;
}

void TKwShListData::SetData(PItemIDList relPidl)
{
    if (RelPidl_ != relPidl)
        ShellMemFree(RelPidl_);
    RelPidl_ = relPidl;
    Flush();
}

void TKwShListData::Flush()
{
    FreeList(AbsPidl_);
    Texts_.reset();
}

PItemIDList TKwShListData::GetAbsoluteIdList()
{
    if (!AbsPidl_ && RelPidl_)
        AbsPidl_ = MustConcat(Owner_->GetCurrentFolderIdList(), RelPidl_);
    return AbsPidl_;
}

ULONG TKwShListData::GetAttributes()
{
    IShellFolder* folder = Owner_->GetCurrentFolderIShf();
    if (!folder || !RelPidl_)
        return 0;
    ULONG attributes = kListAttributesMask;
    LPCITEMIDLIST item = RelPidl_;
    if (FAILED(folder->GetAttributesOf(1, &item, &attributes)))
        return 0;
    return attributes;
}

bool TKwShListData::IsFolder()
{
    return (GetAttributes() & SFGAO_FOLDER) != 0;
}

bool TKwShListData::IsFileSystem()
{
    return (GetAttributes() & SFGAO_FILESYSTEM) != 0;
}

bool TKwShListData::GetEditable()
{
    return RenamableIn(GetAttributes(), ShellGetPathFromIdList(Owner_->GetCurrentFolderIdList()));
}

bool TKwShListData::IsValid()
{
    IShellFolder* folder = Owner_->GetCurrentFolderIShf();
    if (!folder || !RelPidl_)
        return false;
    ULONG attributes = SFGAO_VALIDATE;
    LPCITEMIDLIST item = RelPidl_;
    return SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes));
}

std::string TKwShListData::GetPathName()
{
    const PItemIDList abs = GetAbsoluteIdList();
    return abs ? ShellGetPathFromIdList(abs) : std::string();
}

std::string TKwShListData::GetFilename()
{
    return vcl::ExtractFileName(GetPathName());
}

bool TKwShListData::IsLnkShortcut()
{
    const std::string path = GetPathName();
    return !path.empty() && shell32::IsShortcut(path);
}

std::string TKwShListData::GetDisplayName()
{
    if (!Texts_ || Texts_->DisplayName.empty()) {
        const PItemIDList abs = GetAbsoluteIdList();
        SHFILEINFOA info{};
        if (abs && SHGetFileInfoA(reinterpret_cast<LPCSTR>(abs), 0, &info, sizeof info,
                                  SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0)
            OwnTexts().DisplayName.assign(info.szDisplayName,
                                          strnlen(info.szDisplayName, sizeof info.szDisplayName));
    }
    return Texts_ ? Texts_->DisplayName : std::string();
}

std::string TKwShListData::GetColText(int column)
{
    if (column == 0)
        return {};
    if (IShellDetails* details = Owner_->GetCurrentFolderIShellDetails()) {
        SHELLDETAILS record{};
        record.str.uType = STRRET_CSTR;
        if (column < 0 || FAILED(details->GetDetailsOf(RelPidl_, static_cast<UINT>(column), &record)))
            return {};
        std::string text = StrretToString(RelPidl_, record.str);
        StrretFree(record.str);
        return text;
    }
    GetExtraData();
    switch (column) {
    case 1:
        return Texts_->SizeText;
    case 2:
        return Texts_->TypeText;
    case 3:
        return Texts_->ModifiedText;
    default:
        return {};
    }
}

void TKwShListData::GetExtraData()
{
    Texts& texts = OwnTexts();
    if (texts.DetailsLoaded)
        return;
    texts.SizeText.clear();
    texts.ModifiedText.clear();
    const ULONG attributes = GetAttributes();
    const std::string path = GetPathName();
    if (!path.empty() && !detail::IsDriveRootPath(path)) {
        if (const std::optional<detail::ItemFacts> facts = detail::LookAtItem(path)) {
            // A link to a folder is a folder of the list: no size either.
            if (!facts->IsDirectory && !(attributes & SFGAO_FOLDER))
                texts.SizeText = SizeText(facts->Size);
            texts.ModifiedText = ModifiedText(facts->Modified);
        }
    }
    texts.TypeText.clear();
    if (!(attributes & SFGAO_FILESYSTEM)) {
        // An item gone since it was listed answers no attributes: it is no
        // system folder, it has no type.
        if (attributes != 0 || IsValid())
            texts.TypeText = KwLoadStr(&SSystemFolder);
    } else if (const PItemIDList abs = GetAbsoluteIdList()) {
        SHFILEINFOA info{};
        if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(abs), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_TYPENAME) != 0)
            texts.TypeText.assign(info.szTypeName, strnlen(info.szTypeName, sizeof info.szTypeName));
    }
    texts.DetailsLoaded = true;
}

std::string TKwShListData::GetSize()
{
    GetExtraData();
    return Texts_->SizeText;
}

std::string TKwShListData::GetFileType()
{
    GetExtraData();
    return Texts_->TypeText;
}

std::string TKwShListData::GetModified()
{
    GetExtraData();
    return Texts_->ModifiedText;
}

// ---- TKwShComboData ----

TKwShComboData::~TKwShComboData()
{
    FreeList(ParentPidl_);
    FreeList(RelPidl_);
    FreeList(AbsPidl_);
}

void TKwShComboData::SetData(IShellFolder* parentFolder, const ITEMIDLIST* parentList,
                             const ITEMIDLIST* relPidl)
{
    PItemIDList parent = MustCopy(parentList);
    PItemIDList rel = nullptr;
    PItemIDList abs = nullptr;
    try {
        rel = MustCopy(relPidl);
        abs = MustConcat(parent, rel);
    } catch (...) {
        ShellMemFree(parent);
        ShellMemFree(rel);
        throw;
    }
    FreeList(ParentPidl_);
    FreeList(RelPidl_);
    FreeList(AbsPidl_);
    ParentPidl_ = parent;
    RelPidl_ = rel;
    AbsPidl_ = abs;
    ParentFolder_.Reset(parentFolder);
    OwnFolder_ = nullptr;
}

com::ComPtr<IShellFolder> TKwShComboData::GetThisIShf()
{
    if (OwnFolder_)
        return OwnFolder_;
    com::ComPtr<IShellFolder> folder;
    if (IsEmptyList(RelPidl_)) {
        // No item of its own (the desktop's entry): binding the empty list
        // would name nothing, so the entry is the folder it lies in.
        folder = ParentFolder_ ? ParentFolder_ : DesktopFolder();
    } else if (ParentFolder_) {
        vcl::OleCheck(ParentFolder_->BindToObject(RelPidl_, nullptr, IID_IShellFolder,
                                                  folder.ReleaseAndGetVoidAddress()));
    } else {
        vcl::OleCheck(ShellGetFolderFromIdList(AbsPidl_, folder.ReleaseAndGetAddressOf()));
    }
    if (!folder)
        vcl::OleCheck(E_FAIL);
    OwnFolder_ = folder;
    return folder;
}

} // namespace kw
