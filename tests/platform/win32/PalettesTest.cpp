#include "win32/Palettes.h"
#include "win32/Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A logical palette of the given entries, laid out as callers of
// CreatePalette lay it out: the header, then the entries.
struct PaletteBuffer {
    explicit PaletteBuffer(const std::vector<COLORREF>& colours)
        : Bytes(8 + 4 * std::max<std::size_t>(1, colours.size()))
    {
        auto* log = reinterpret_cast<LOGPALETTE*>(Bytes.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(colours.size());
        PALETTEENTRY* entries = log->palPalEntry;
        for (std::size_t i = 0; i < colours.size(); ++i)
            entries[i] = PALETTEENTRY{GetRValue(colours[i]), GetGValue(colours[i]), GetBValue(colours[i]), 0};
    }
    LOGPALETTE* Log() { return reinterpret_cast<LOGPALETTE*>(Bytes.data()); }
    std::vector<unsigned char> Bytes;
};

// A memory context on a 4 x 4 bitmap, freed with the scope.
class MemoryDc {
public:
    MemoryDc() : Dc_(CreateCompatibleDC(nullptr)), Bitmap_(CreateCompatibleBitmap(Dc_, 4, 4))
    {
        Old_ = SelectObject(Dc_, Bitmap_);
    }
    ~MemoryDc()
    {
        SelectObject(Dc_, Old_);
        DeleteObject(Bitmap_);
        DeleteDC(Dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Dc() const { return Dc_; }
    // The pixel a solid brush of the colour paints.
    COLORREF Filled(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        const RECT all{0, 0, 4, 4};
        FillRect(Dc_, &all, brush);
        DeleteObject(brush);
        return GetPixel(Dc_, 1, 1);
    }

private:
    HDC Dc_;
    HBITMAP Bitmap_;
    HGDIOBJ Old_ = nullptr;
};

const std::vector<COLORREF> kThree{RGB(10, 20, 30), RGB(200, 0, 0), RGB(0, 0, 250)};

TEST(Palettes, ColoursResolveThroughTheSelectedPalette)
{
    struct Row {
        const char* what;
        bool select;
        COLORREF colour;
        COLORREF painted;
    };
    const Row rows[] = {
        {"index 1 of ours", true, PALETTEINDEX(1), RGB(200, 0, 0)},
        {"index past the end: entry 0", true, PALETTEINDEX(7), RGB(10, 20, 30)},
        {"nearest of ours", true, PALETTERGB(190, 20, 10), RGB(200, 0, 0)},
        {"plain colour ignores the palette", true, RGB(190, 20, 10), RGB(190, 20, 10)},
        {"default palette: entry 13 is red", false, PALETTEINDEX(13), RGB(255, 0, 0)},
        {"default palette: palette RGB as it is", false, PALETTERGB(190, 20, 10), RGB(190, 20, 10)},
    };
    PaletteBuffer buffer(kThree);
    HPALETTE palette = CreatePalette(buffer.Log());
    ASSERT_NE(palette, nullptr);
    for (const Row& row : rows) {
        MemoryDc dc;
        if (row.select) {
            ASSERT_NE(SelectPalette(dc.Dc(), palette, FALSE), nullptr) << row.what;
        }
        EXPECT_EQ(RealizePalette(dc.Dc()), 0u) << row.what;
        EXPECT_EQ(dc.Filled(row.colour), row.painted) << row.what;
    }
    DeleteObject(palette);
}

TEST(Palettes, SelectingGivesThePreviousAndTheStockOneComesBack)
{
    PaletteBuffer buffer(kThree);
    HPALETTE palette = CreatePalette(buffer.Log());
    MemoryDc dc;
    const HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(GetObjectType(stock), OBJ_PAL);
    EXPECT_EQ(SelectPalette(dc.Dc(), palette, TRUE), stock);
    EXPECT_EQ(SelectPalette(dc.Dc(), stock, TRUE), palette);
    EXPECT_EQ(dc.Filled(PALETTEINDEX(2)), RGB(0, 128, 0));
    EXPECT_EQ(SelectPalette(dc.Dc(), static_cast<HPALETTE>(GetStockObject(WHITE_BRUSH)), FALSE), nullptr);
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
    // Deleting a selected palette waits for its context to let it go.
    SelectPalette(dc.Dc(), palette, FALSE);
    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_EQ(dc.Filled(PALETTEINDEX(1)), RGB(200, 0, 0));
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetObjectType(stock), OBJ_PAL);
}

TEST(Palettes, CreateRefusesMalformedPalettesAndReportsEntries)
{
    PaletteBuffer good(kThree);
    PaletteBuffer empty(std::vector<COLORREF>{});
    PaletteBuffer oldVersion(kThree);
    oldVersion.Log()->palVersion = 0x200;
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
    EXPECT_EQ(CreatePalette(empty.Log()), nullptr);
    EXPECT_EQ(CreatePalette(oldVersion.Log()), nullptr);

    HPALETTE palette = CreatePalette(good.Log());
    struct Row {
        UINT start, count, copied;
    };
    for (const Row& row : {Row{0, 3, 3}, Row{1, 9, 2}, Row{3, 1, 0}}) {
        std::array<PALETTEENTRY, 4> out{};
        EXPECT_EQ(GetPaletteEntries(palette, row.start, row.count, out.data()), row.copied) << row.start;
        if (row.copied > 0) {
            EXPECT_EQ(RGB(out[0].peRed, out[0].peGreen, out[0].peBlue), kThree[row.start]) << row.start;
        }
    }
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 3u);
    WORD count = 0;
    EXPECT_EQ(GetObjectA(palette, sizeof(count), &count), static_cast<int>(sizeof(count)));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(0, 10, 255)), 2u);
    DeleteObject(palette);
    EXPECT_EQ(GetNearestPaletteIndex(palette, 0), CLR_INVALID);
}

TEST(Palettes, TheScreenIsNeverPaletteBased)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
    ReleaseDC(nullptr, screen);
}

} // namespace
