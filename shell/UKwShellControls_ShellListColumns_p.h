#pragma once
// The shell list's column helpers that need no list: the details source of a
// folder, the width stream's reader and writer, and the explorer's widths of
// the fixed columns.

#include "KwCorvaneExport.h"
#include "UKwShellControls_Startup_p.h"

#include "com/ComObject.h"
#include "shell32/ShellInterfaces.h"

#include <array>

namespace vcl {
class TListColumns;
class TStream;
} // namespace vcl

namespace kw::detail {

// IShellDetails over a folder's IShellFolder2: a column the folder does not
// show by default answers E_INVALIDARG, so it ends a column list built from
// column 0 upwards.
class KWCORVANE_EXPORT TShellFolder2ToShellDetailsAdapter : public com::InterlockedComObject<IShellDetails> {
public:
    HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) override;
    HRESULT ColumnClick(UINT column) override;

protected:
    explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder);
    ~TShellFolder2ToShellDetailsAdapter() override = default;

private:
    com::ComPtr<IShellFolder2> Folder_;
};

// The folder's details source: its IShellFolder2 wrapped when that names a
// column 0, else its own IShellDetails or the view object's; null when none.
KWCORVANE_EXPORT com::ComPtr<IShellDetails> FolderDetailsSource(IShellFolder* folder);

// Rewrites stream whole with the columns' count and widths (int32 each).
KWCORVANE_EXPORT void WriteColumnWidths(vcl::TStream& stream, const vcl::TListColumns& columns);
// Gives the stored widths to the columns in order, as many as the stream
// holds and the list has columns; a stream shorter than its count changes
// nothing.
KWCORVANE_EXPORT void ReadColumnWidths(vcl::TStream& stream, vcl::TListColumns& columns);

// The explorer's widths of Name, Size, Type and Modified: its
// "DirectoryCols" value when it is at most 22 bytes, else the defaults (a
// byte count of 10).
KWCORVANE_EXPORT TLastDirectoryCols ReadDirectoryCols();
// Whether cols equals the copy taken at the last build of fixed columns.
KWCORVANE_EXPORT bool SameDirectoryCols(const TLastDirectoryCols& a, const TLastDirectoryCols& b);
// Word n of the value, little-endian.
KWCORVANE_EXPORT int DirectoryColsWidth(const TLastDirectoryCols& cols, int n);

} // namespace kw::detail
