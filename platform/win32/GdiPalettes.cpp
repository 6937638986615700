// Logical palettes and the palette-relative colours they resolve.

#include "win32/DeviceContext_p.h"
#include "win32/Palettes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <mutex>

namespace win32::gdi {
namespace {

constexpr WORD kPaletteVersion = 0x300;
constexpr UINT kMaxEntries = 1024;

// The twenty colours a display keeps for itself: the first ten and the last
// ten entries of the default palette.
constexpr std::array<COLORREF, 20> kStaticColours{
    RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
    RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
    RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
    RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};

COLORREF EntryColour(const PALETTEENTRY& entry)
{
    return RGB(entry.peRed, entry.peGreen, entry.peBlue);
}

UINT Nearest(const std::vector<PALETTEENTRY>& entries, COLORREF colour)
{
    UINT best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (UINT i = 0; i < entries.size(); ++i) {
        const int dr = entries[i].peRed - GetRValue(colour);
        const int dg = entries[i].peGreen - GetGValue(colour);
        const int db = entries[i].peBlue - GetBValue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

std::shared_ptr<PaletteObject> FindPalette(HPALETTE palette)
{
    return FindAs<PaletteObject>(palette, ObjectKind::Palette);
}

} // namespace

COLORREF KeepPaletteFlags(COLORREF colour)
{
    const COLORREF flags = colour >> 24;
    return flags == 1 || flags == 2 ? colour & 0x03FFFFFF : colour & 0xFFFFFF;
}

std::shared_ptr<PaletteObject> DefaultPaletteObject()
{
    static const auto palette = [] {
        auto made = std::make_shared<PaletteObject>();
        made->Stock = true;
        for (COLORREF colour : kStaticColours)
            made->Entries.push_back(PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), 0});
        return made;
    }();
    return palette;
}

HPALETTE DefaultPaletteHandle()
{
    static const HPALETTE handle = static_cast<HPALETTE>(Insert(DefaultPaletteObject()));
    return handle;
}

QColor ColourIn(const DcState& state, COLORREF colour)
{
    const auto* palette = state.Palette.As<PaletteObject>();
    switch (colour >> 24) {
    case 1: {
        if (!palette || palette->Entries.empty())
            return ToQColor(0);
        const UINT index = colour & 0xFFFF;
        return ToQColor(EntryColour(palette->Entries[index < palette->Entries.size() ? index : 0]));
    }
    case 2:
        if (palette && !palette->Stock && !palette->Entries.empty())
            return ToQColor(EntryColour(palette->Entries[Nearest(palette->Entries, colour & 0xFFFFFF)]));
        return ToQColor(colour);
    default:
        return ToQColor(colour);
    }
}

} // namespace win32::gdi

using namespace win32::gdi;

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (!palette || palette->palVersion != kPaletteVersion || palette->palNumEntries == 0 ||
        palette->palNumEntries > kMaxEntries)
        return nullptr;
    auto made = std::make_shared<PaletteObject>();
    // The entries run on past the one the header declares.
    const PALETTEENTRY* entries = palette->palPalEntry;
    made->Entries.assign(entries, entries + palette->palNumEntries);
    return static_cast<HPALETTE>(Insert(std::move(made)));
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL /*forceBackground*/)
{
    const DcPtr found = FindDC(dc);
    const std::shared_ptr<PaletteObject> selected = FindPalette(palette);
    if (!found || !selected)
        return nullptr;
    Selection& slot = found->State().Palette;
    HPALETTE previous = static_cast<HPALETTE>(slot.Handle());
    slot = Selection(palette, selected);
    return previous;
}

UINT RealizePalette(HDC dc)
{
    return FindDC(dc) ? 0 : GDI_ERROR;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    const std::shared_ptr<PaletteObject> found = FindPalette(palette);
    if (!found)
        return 0;
    const auto size = static_cast<UINT>(found->Entries.size());
    if (!entries)
        return size;
    if (start >= size)
        return 0;
    const UINT copied = std::min(count, size - start);
    std::copy_n(found->Entries.begin() + start, copied, entries);
    return copied;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour)
{
    const std::shared_ptr<PaletteObject> found = FindPalette(palette);
    if (!found)
        return CLR_INVALID;
    return Nearest(found->Entries, colour & 0xFFFFFF);
}
