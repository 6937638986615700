// The shell list's columns: built from the folder's details source or as the
// four fixed ones, their widths shared through the process's width stream,
// the shell's sort by a column, and the texts and icons asked when drawn.

#include "UKwShellControls.h"
#include "UKwShellControls_ShellListColumns_p.h"
#include "UKwShellControls_ShellListWidths_p.h"
#include "UKwShellControls_Startup_p.h"

#include "UKwShConsts.h"

#include "shell32/FileInfo.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Streams.h"
#include "win32/ListViews.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kw {

using vcl::TListColumn;
using vcl::TListItem;

// ---- the details of a folder that answers IShellFolder2 ----

TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder)
    : Folder_(folder)
{
}

TShellFolder2ToShellDetailsAdapter::~TShellFolder2ToShellDetailsAdapter() = default;

HRESULT TShellFolder2ToShellDetailsAdapter::GetDetailsOf(LPCITEMIDLIST pidl, UINT column,
                                                         SHELLDETAILS* details)
{
    return com::Guard([&] {
        DWORD state = 0;
        const HRESULT hr = Folder_->GetDefaultColumnState(column, &state);
        // A folder that cannot tell shows the column.
        if (SUCCEEDED(hr) && !(state & SHCOLSTATE_ONBYDEFAULT))
            return E_INVALIDARG;
        return Folder_->GetDetailsOf(pidl, column, details);
    });
}

HRESULT TShellFolder2ToShellDetailsAdapter::ColumnClick(UINT)
{
    return E_NOTIMPL;
}

com::ComPtr<IShellDetails> detail::FolderDetailsSource(IShellFolder* folder)
{
    if (!folder)
        return {};
    const auto viewObject = [folder] {
        com::ComPtr<IShellDetails> details;
        if (FAILED(folder->CreateViewObject(nullptr, IID_IShellDetails, details.ReleaseAndGetVoidAddress())))
            details.Reset();
        return details;
    };
    com::ComPtr<IShellFolder2> folder2;
    if (FAILED(folder->QueryInterface(IID_IShellFolder2, folder2.ReleaseAndGetVoidAddress())) || !folder2)
        return viewObject();
    SHELLDETAILS first{};
    first.str.uType = STRRET_CSTR;
    if (SUCCEEDED(folder2->GetDetailsOf(nullptr, 0, &first))) {
        StrretFree(first.str);
        return com::ComPtr<IShellDetails>(
            com::MakeComObject<TShellFolder2ToShellDetailsAdapter>(folder2.Get()));
    }
    com::ComPtr<IShellDetails> own;
    if (SUCCEEDED(folder->QueryInterface(IID_IShellDetails, own.ReleaseAndGetVoidAddress())) && own)
        return own;
    return viewObject();
}

// ---- columns and widths ----

namespace {

// Ends a columns update whatever happens while it is open.
struct ColumnsUpdate {
    vcl::TListColumns* Columns;
    explicit ColumnsUpdate(vcl::TListColumns* columns) : Columns(columns) { Columns->BeginUpdate(); }
    ~ColumnsUpdate() { Columns->EndUpdate(); }
    ColumnsUpdate(const ColumnsUpdate&) = delete;
    ColumnsUpdate& operator=(const ColumnsUpdate&) = delete;
};

bool WidthsStored()
{
    vcl::TMemoryStream* stream = detail::ColumnWidthStream();
    return stream && stream->Size() > 0;
}

vcl::TAlignment AlignmentOf(int fmt)
{
    switch (fmt) {
    case LVCFMT_RIGHT:
        return vcl::taRightJustify;
    case LVCFMT_CENTER:
        return vcl::taCenter;
    default:
        // Any other format reads as the left-justified one.
        return vcl::taLeftJustify;
    }
}

} // namespace

void TKwCustomShellList::InitColumns(IShellDetails* aDetails)
{
    if (Columns()->Count() > 0 && SaveWidths_)
        SaveColumnWidths();
    if (aDetails)
        BuildDetailsColumns(aDetails);
    else
        BuildFixedColumns();
    SetHeaderODStyle();
    // Without a column to sort by the folder's own order returns.
    if (Columns()->Count() < std::abs(SortColumn_))
        SetSortColumn(1);
    else
        SetSortColumn(SortColumn_);
}

void TKwCustomShellList::BuildFixedColumns()
{
    const detail::TLastDirectoryCols explorer = detail::ReadDirectoryCols();
    {
        const ColumnsUpdate update(Columns());
        Columns()->Clear();
        for (const vcl::TResStringRec* caption :
             {&SColumnName, &SColumnSize, &SColumnType, &SColumnModified}) {
            TListColumn* column = Columns()->Add();
            column->SetCaption(KwLoadStr(vcl::LoadResString(caption)));
            if (caption == &SColumnSize)
                column->SetAlignment(vcl::taRightJustify);
        }
        detail::TLastDirectoryCols& last = detail::LastDirectoryCols();
        // The widths a list left behind hold while the explorer's stay.
        if (last.Count != 0 && detail::SameDirectoryCols(explorer, last) && WidthsStored()) {
            ReadColumnWidths();
        } else {
            for (int i = 0; i < 4; ++i)
                Columns()->Items(i)->SetWidth(detail::DirectoryColsWidth(explorer, i));
        }
        last = explorer;
    }
    ColumnKind_ = 2;
    SaveWidths_ = true;
}

void TKwCustomShellList::BuildDetailsColumns(IShellDetails* aDetails)
{
    // Only a file-system folder's columns are the same from one folder to
    // the next, so only they keep their widths.
    const bool fileSystem = CurrentAbs_ && !ShellGetPathFromIdList(CurrentAbs_).empty();
    const bool stored = WidthsStored();
    {
        const ColumnsUpdate update(Columns());
        Columns()->Clear();
        for (UINT number = 0;; ++number) {
            SHELLDETAILS details{};
            details.str.uType = STRRET_CSTR;
            if (FAILED(aDetails->GetDetailsOf(nullptr, number, &details)))
                break;
            struct FreeText {
                STRRET& Text;
                ~FreeText() { StrretFree(Text); }
            } freeText{details.str};
            TListColumn* column = Columns()->Add();
            column->SetCaption(StrretToString(nullptr, details.str));
            if (!fileSystem || !stored)
                column->SetWidth(details.cxChar * 7);
            column->SetAlignment(AlignmentOf(details.fmt));
        }
        if (fileSystem && stored)
            ReadColumnWidths();
        SaveWidths_ = fileSystem;
    }
    ColumnKind_ = 1;
}

void TKwCustomShellList::SaveColumnWidths()
{
    if (vcl::TMemoryStream* stream = detail::ColumnWidthStream())
        detail::WriteColumnWidths(*stream, *Columns());
}

void TKwCustomShellList::ReadColumnWidths()
{
    if (vcl::TMemoryStream* stream = detail::ColumnWidthStream())
        detail::ReadColumnWidths(*stream, *Columns());
}

// ---- sorting ----

void TKwCustomShellList::SetSortColumn(int value)
{
    SetHeaderSortColumn(std::abs(value) - 1);
    // The up glyph shows the folder's own order.
    SetHeaderSortDirection(value >= 0 ? kwsdDesc : kwsdAsc);
    SortSet_ = true;
    if (value != SortColumn_) {
        SortColumn_ = value;
        SortList();
    }
}

namespace {

// The relative lists of the items being sorted, copied side by side into one
// block in the items' order and found by index: a comparison reads them
// there, close together, instead of in each item's data, which lies far
// apart in memory.
class SortKeys {
public:
    explicit SortKeys(std::size_t count)
    {
        At_.reserve(count);
        // A file's list is some 30 bytes and its name: the block seldom grows.
        Bytes_.reserve(count * 64);
    }
    // nullptr for an item without shell data.
    void Add(const ITEMIDLIST* rel)
    {
        if (!rel) {
            At_.push_back(kNone);
            return;
        }
        At_.push_back(Bytes_.size());
        const auto* bytes = reinterpret_cast<const char*>(rel);
        Bytes_.insert(Bytes_.end(), bytes, bytes + IdListLen(rel));
    }
    // Once every item is in: the lists' addresses hold from here on.
    void Seal()
    {
        Lists_.reserve(At_.size());
        for (const std::size_t at : At_)
            Lists_.push_back(at == kNone ? nullptr : reinterpret_cast<LPCITEMIDLIST>(Bytes_.data() + at));
        At_ = {};
    }
    // nullptr too for an index the window has and the items have not.
    LPCITEMIDLIST Find(LPARAM index) const
    {
        return static_cast<std::size_t>(index) < Lists_.size() ? Lists_[static_cast<std::size_t>(index)]
                                                               : nullptr;
    }

private:
    static constexpr std::size_t kNone = ~std::size_t{0};
    std::vector<char> Bytes_;
    std::vector<std::size_t> At_;
    std::vector<LPCITEMIDLIST> Lists_;
};

struct SortContext {
    IShellFolder* Folder;
    LPARAM Column;
    bool Reversed;
    const SortKeys* Keys;
};

} // namespace

void TKwCustomShellList::SortList()
{
    if (SortColumn_ == 0) {
        CustomSort(nullptr, 0);
        return;
    }
    const int count = Items()->Count();
    SortKeys keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TKwShListData* data = GetDataFromItem(Items()->Item(i));
        keys.Add(data ? data->GetRelPidl() : nullptr);
    }
    keys.Seal();
    SortContext context{CurrentFolder_.Get(), static_cast<LPARAM>(std::abs(SortColumn_) - 1), SortColumn_ < 0,
                        &keys};
    CustomSortByIndex(&ShellCompare, reinterpret_cast<LPARAM>(&context));
}

int TKwCustomShellList::ShellCompare(LPARAM a, LPARAM b, LPARAM sort)
{
    const auto& context = *reinterpret_cast<const SortContext*>(sort);
    const LPCITEMIDLIST first = context.Keys->Find(a);
    const LPCITEMIDLIST second = context.Keys->Find(b);
    if (!first || !second || !context.Folder)
        return 0;
    const HRESULT hr = context.Folder->CompareIDs(context.Column, first, second);
    // A comparison that fails leaves the two where they are.
    if (FAILED(hr))
        return 0;
    const int order = static_cast<short>(hr & 0xFFFF);
    return context.Reversed ? -order : order;
}

void TKwCustomShellList::ColClick(TListColumn* column)
{
    SortSet_ = false;
    TKwCustomListView::ColClick(column);
    // The application's OnColumnClick chose the sort itself.
    if (SortSet_)
        return;
    if (column->Index() + 1 == SortColumn_)
        SetSortColumn(-SortColumn_);
    else
        SetSortColumn(column->Index() + 1);
}

// ---- what the window asks ----

void TKwCustomShellList::CNNotify(vcl::TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (header) {
        switch (header->code) {
        case LVN_GETDISPINFOA:
            message.Result = 0;
            GetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(message.LParam));
            return;
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            // Consumed: the list's own drag starts from here.
            message.Result = 0;
            if (Options_.Contains(kwsloOleDrag))
                OleBeginDrag(header->code == LVN_BEGINDRAG ? vcl::mbLeft : vcl::mbRight);
            return;
        default:
            break;
        }
    }
    TKwCustomListView::Dispatch(message);
}

void TKwCustomShellList::GetDispInfo(NMLVDISPINFOA& info)
{
    LVITEMA& row = info.item;
    // The window names its rows by index; the parameter is the same item.
    TListItem* item = ItemOfRow(row.iItem);
    if (!item)
        return;
    TKwShListData* data = GetDataFromItem(item);
    if ((row.mask & LVIF_TEXT) && row.pszText && row.cchTextMax > 0) {
        std::string sub;
        const std::string* text = &sub;
        if (row.iSubItem == 0) {
            // Kept as the caption, so asked once; a name that cannot be had
            // leaves the caption alone (setting it would draw the row again).
            if (data && item->Caption().empty()) {
                if (std::string name = data->GetDisplayName(); !name.empty())
                    item->SetCaption(name);
            }
            text = &item->Caption();
        } else if (row.iSubItem <= item->SubItemCount()) {
            sub = item->SubItemText(row.iSubItem - 1);
            if (sub.empty() && data)
                sub = data->GetColText(row.iSubItem);
        }
        const std::size_t n = std::min(text->size(), static_cast<std::size_t>(row.cchTextMax - 1));
        std::memcpy(row.pszText, text->data(), n);
        row.pszText[n] = '\0';
    }
    if ((row.mask & LVIF_IMAGE) && row.iSubItem == 0) {
        if (OnGetImageIndex)
            OnGetImageIndex(this, item);
        if (item->ImageIndex() > 0)
            row.iImage = item->ImageIndex();
        else if (data)
            row.iImage = ShellGetIconIndex(data->GetAbsoluteIdList(), SHGFI_SMALLICON);
        // An item of the application's own without an index keeps none.
    }
}

} // namespace kw
