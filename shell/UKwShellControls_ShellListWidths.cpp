// The widths of the shell lists' columns: the process's width stream and the
// explorer's "DirectoryCols".

#include "UKwShellControls_ShellListWidths_p.h"

#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kw::detail {

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
