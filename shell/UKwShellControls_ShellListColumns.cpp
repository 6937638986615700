// The shell list's columns: built from the folder's details source or as the
// four fixed ones, their widths shared through the process's width stream,
// the shell's sort by a column, and the texts and icons asked when drawn.

#include "UKwShellControls.h"

namespace kw {

// columns: filled in by the column work
TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder)
    : Folder_(folder)
{
}

// columns: filled in by the column work
TShellFolder2ToShellDetailsAdapter::~TShellFolder2ToShellDetailsAdapter() = default;

// columns: filled in by the column work
HRESULT TShellFolder2ToShellDetailsAdapter::GetDetailsOf(LPCITEMIDLIST, UINT, SHELLDETAILS*)
{
    return E_NOTIMPL;
}

// columns: filled in by the column work
HRESULT TShellFolder2ToShellDetailsAdapter::ColumnClick(UINT)
{
    return E_NOTIMPL;
}

// columns: filled in by the column work
void TKwCustomShellList::InitColumns(IShellDetails*) {}

// columns: filled in by the column work
void TKwCustomShellList::SetSortColumn(int value)
{
    SortColumn_ = value;
}

// columns: filled in by the column work
void TKwCustomShellList::SortList() {}

// columns: filled in by the column work
void TKwCustomShellList::ColClick(vcl::TListColumn* column)
{
    TKwCustomListView::ColClick(column);
}

// columns: filled in by the column work
void TKwCustomShellList::CNNotify(vcl::TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (header && (header->code == LVN_BEGINDRAG || header->code == LVN_BEGINRDRAG))
        return;
    TKwCustomListView::Dispatch(message);
}

// columns: filled in by the column work
void TKwCustomShellList::GetDispInfo(NMLVDISPINFOA&) {}

// columns: filled in by the column work
void TKwCustomShellList::SaveColumnWidths() {}

// columns: filled in by the column work
void TKwCustomShellList::ReadColumnWidths() {}

// columns: filled in by the column work
void TKwCustomShellList::BuildFixedColumns() {}

// columns: filled in by the column work
void TKwCustomShellList::BuildDetailsColumns(IShellDetails*) {}

// columns: filled in by the column work
int TKwCustomShellList::ShellCompare(LPARAM, LPARAM, LPARAM)
{
    return 0;
}

} // namespace kw
