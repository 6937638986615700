// The details source of a shell list's folder and the widths its columns
// keep: the process's width stream and the explorer's "DirectoryCols".

#include "UKwShellControls_ShellListColumns_p.h"

#include "UKwShellUtils.h"

#include "shell32/ShellFlags.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kw::detail {

TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder)
    : Folder_(folder)
{
}

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

com::ComPtr<IShellDetails> FolderDetailsSource(IShellFolder* folder)
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
    SHELLDETAILS probe{};
    probe.str.uType = STRRET_CSTR;
    const HRESULT hr = folder2->GetDetailsOf(nullptr, 0, &probe);
    if (SUCCEEDED(hr)) {
        StrretFree(probe.str);
        return com::ComPtr<IShellDetails>(
            com::MakeComObject<TShellFolder2ToShellDetailsAdapter>(folder2.Get()));
    }
    com::ComPtr<IShellDetails> own;
    if (SUCCEEDED(folder->QueryInterface(IID_IShellDetails, own.ReleaseAndGetVoidAddress())) && own)
        return own;
    return viewObject();
}

void WriteColumnWidths(vcl::TStream& stream, const vcl::TListColumns& columns)
{
    stream.SetSize(0);
    stream.SetPosition(0);
    const std::int32_t count = columns.Count();
    stream.WriteBuffer(&count, sizeof count);
    for (int i = 0; i < count; ++i) {
        const std::int32_t width = columns.Items(i)->Width();
        stream.WriteBuffer(&width, sizeof width);
    }
}

void ReadColumnWidths(vcl::TStream& stream, vcl::TListColumns& columns)
{
    stream.SetPosition(0);
    std::int32_t count = 0;
    if (stream.Read(&count, sizeof count) != sizeof count)
        return;
    const int n = std::min<int>(count, columns.Count());
    for (int i = 0; i < n; ++i) {
        std::int32_t width = 0;
        if (stream.Read(&width, sizeof width) != sizeof width)
            return;
        columns.Items(i)->SetWidth(width);
    }
}

TLastDirectoryCols ReadDirectoryCols()
{
    TLastDirectoryCols cols;
    constexpr std::uint16_t defaults[] = {200, 60, 100, 120, 50};
    std::memcpy(cols.Data.data(), defaults, sizeof defaults);
    cols.Count = sizeof defaults;
    try {
        vcl::TRegistry registry(KEY_READ);
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (registry.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer")) {
            const int size = registry.GetDataSize("DirectoryCols");
            if (size >= 0 && size <= static_cast<int>(DirectoryColsBytes)) {
                std::array<BYTE, DirectoryColsBytes> buffer = cols.Data;
                const int read = registry.ReadBinaryData("DirectoryCols", buffer.data(), DirectoryColsBytes);
                cols.Data = buffer;
                cols.Count = read;
            }
        }
    } catch (...) {
        // Any registry trouble leaves the defaults.
        cols = {};
        std::memcpy(cols.Data.data(), defaults, sizeof defaults);
        cols.Count = sizeof defaults;
    }
    return cols;
}

bool SameDirectoryCols(const TLastDirectoryCols& a, const TLastDirectoryCols& b)
{
    return a.Count == b.Count && std::memcmp(a.Data.data(), b.Data.data(), (a.Count / 2) * 2) == 0;
}

int DirectoryColsWidth(const TLastDirectoryCols& cols, int n)
{
    return cols.Data[2 * n] | (cols.Data[2 * n + 1] << 8);
}

} // namespace kw::detail
