// The main form's routines: gradient bands, the gradient palette, the
// toolbar picture's hints, the animated row, the version caption and the
// message of several chosen files.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "FMain.h"

#include "shell32/FileInfo.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/ComCtrls.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

#include <set>
#include <vector>

namespace {

using namespace vcl;
using demo::TPaletteBuffer;

constexpr QRgb kSentinel = 0xFF123456;

// The colours along the gradient's axis through the middle of rect.
std::vector<QRgb> Axis(const QImage& image, const TRect& rect, bool vertical)
{
    std::vector<QRgb> colours;
    if (vertical) {
        for (int y = rect.top; y < rect.bottom; ++y)
            colours.push_back(image.pixel((rect.left + rect.right) / 2, y));
    } else {
        for (int x = rect.left; x < rect.right; ++x)
            colours.push_back(image.pixel(x, (rect.top + rect.bottom) / 2));
    }
    return colours;
}

TEST(DemoGradient, BandsCoverTheRectangleFromFirstToLastColour)
{
    struct Case {
        const char* name;
        bool palette;
        bool vertical;
        TRect rect;
        TColor b, a;
        int bands; // distinct colours along the axis
        QRgb first, last;
    };
    const Case cases[] = {
        {"vertical", false, true, {10, 5, 70, 105}, clWhite, clBlue, 51, 0xFF0000FF, 0xFFFFFFFF},
        {"horizontal", false, false, {0, 0, 121, 30}, clWhite, clBlue, 61, 0xFF0000FF, 0xFFFFFFFF},
        {"one band", false, true, {4, 4, 40, 5}, clWhite, clRed, 1, 0xFFFF0000, 0xFFFF0000},
        {"palette", true, true, {0, 0, 50, 200}, clWhite, clBlue, 64, 0xFF0000FF, 0xFFFFFFFF},
        {"palette horizontal", true, false, {3, 3, 131, 23}, clWhite, clBlue, 64, 0xFF0000FF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(140, 220, QImage::Format_RGB32);
        image.fill(kSentinel);
        HDC dc = win32::CreateImageDC(image);
        TCanvas* canvas = Create<TCanvas>();
        canvas->SetHandle(dc);
        TPaletteBuffer data;
        demo::BuildGradientPalette(data);
        HPALETTE palette = c.palette ? CreatePalette(&data.Header) : nullptr;
        demo::FillGradient(canvas, palette, data, c.vertical, c.b, c.a, c.rect, false);

        // The palette selected before is back: index 1 of the default one.
        canvas->Brush()->SetColor(static_cast<TColor>(PALETTEINDEX(1)));
        canvas->FillRect(TRect{130, 210, 131, 211});
        EXPECT_EQ(image.pixel(130, 210), 0xFF800000u);

        canvas->SetHandle(nullptr);
        Free(canvas);
        DeleteDC(dc);
        if (palette)
            DeleteObject(palette);
        image.save(
            QString::fromStdString(kwtest::OutputPath(std::string("demo-gradient-") + c.name + ".png")));

        // The last band may end one pixel past the far edge, as each band
        // reaches one pixel into the next; nothing goes further.
        const int farX = c.rect.right + (c.vertical ? 0 : 1);
        const int farY = c.rect.bottom + (c.vertical ? 1 : 0);
        int inside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool in = x >= c.rect.left && x < c.rect.right && y >= c.rect.top && y < c.rect.bottom;
                const bool reach = x >= c.rect.left && x < farX && y >= c.rect.top && y < farY;
                if (!reach && x < 130) {
                    ASSERT_EQ(image.pixel(x, y), kSentinel) << "outside at " << x << "," << y;
                }
                if (in && image.pixel(x, y) == kSentinel)
                    ++inside;
            }
        EXPECT_EQ(inside, 0) << "pixels of the rectangle left unpainted";

        const std::vector<QRgb> axis = Axis(image, c.rect, c.vertical);
        EXPECT_EQ(axis.front(), c.first);
        EXPECT_EQ(axis.back(), c.last);
        // Each band shows as one run; neighbours overlap by at most a pixel,
        // so no band shows longer than its share plus one.
        const int extent = static_cast<int>(axis.size());
        int runs = 0;
        std::size_t i = 0;
        while (i < axis.size()) {
            std::size_t j = i;
            while (j < axis.size() && axis[j] == axis[i])
                ++j;
            EXPECT_LE(static_cast<int>(j - i), extent / c.bands + 1) << "run at " << i;
            ++runs;
            i = j;
        }
        EXPECT_EQ(runs, c.bands);
        EXPECT_EQ(std::set<QRgb>(axis.begin(), axis.end()).size(), static_cast<std::size_t>(c.bands));
    }
}

TEST(DemoGradient, PaletteRunsFromBlueToWhite)
{
    TPaletteBuffer data;
    demo::BuildGradientPalette(data);
    EXPECT_EQ(data.Header.palVersion, 0x300);
    EXPECT_EQ(data.Header.palNumEntries, 64);
    struct Row {
        int index;
        BYTE red, green, blue;
    };
    const PALETTEENTRY* entries = data.Header.palPalEntry;
    for (const Row& row :
         {Row{0, 0, 0, 255}, Row{1, 4, 4, 255}, Row{32, 129, 129, 255}, Row{63, 255, 255, 255}}) {
        EXPECT_EQ(entries[row.index].peRed, row.red) << row.index;
        EXPECT_EQ(entries[row.index].peGreen, row.green) << row.index;
        EXPECT_EQ(entries[row.index].peBlue, row.blue) << row.index;
        EXPECT_EQ(entries[row.index].peFlags, 0) << row.index;
    }
    EXPECT_FALSE(demo::IsPaletteDevice());
}

TEST(DemoToolbar, CellsAndHintsChangeOnlyOnANewCell)
{
    struct Row {
        int x;
        int cell;
    };
    for (const Row& row :
         {Row{0, 0}, Row{35, 0}, Row{36, 1}, Row{399, 13}, Row{400, 14}, Row{-19, 0}, Row{-20, -1}})
        EXPECT_EQ(demo::ToolbarCell(row.x), row.cell) << row.x;

    const auto& hints = demo::ToolbarHints();
    struct Move {
        int x;
        bool cancel;
        std::string hint;
    };
    const Move moves[] = {
        {10, true, hints[0]},  {20, false, hints[0]},  {36, true, hints[1]},
        {63, false, hints[1]}, {399, true, hints[13]}, {400, true, ""},
        {401, true, ""},       {-30, true, ""},        {0, true, hints[0]},
    };
    std::string hint = "xxx";
    for (const Move& move : moves) {
        const demo::TToolbarHintStep step = demo::ToolbarHintAt(move.x, hint);
        EXPECT_EQ(step.Cancel, move.cancel) << move.x;
        EXPECT_EQ(step.Hint, move.hint) << move.x;
        hint = step.Hint;
    }
    EXPECT_EQ(hints[9], "TKwImageCombo\r\rCombo box with image and indent\rlevel per item.");
}

TEST(DemoAnimation, TheRowSweepsWithoutRepeatingAnEnd)
{
    demo::TAnimation animation;
    std::vector<int> seen;
    for (int i = 0; i < 20; ++i) {
        demo::AnimationStep(animation, 7);
        seen.push_back(animation.Index);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6, 5, 4}));
}

TEST(DemoVersion, CaptionUsesTheLocaleSeparatorAndDropsATrailingZero)
{
    struct Row {
        char separator;
        const char* format;
        const char* caption;
    };
    const Row rows[] = {
        {'.', "Version %s", "Version 1.6"},
        {',', "Version %s", "Version 1,6"},
        {'.', "v%s (beta)", "v1.60 (beta)"},
    };
    for (const Row& row : rows) {
        TFormatSettings settings = TFormatSettings::Invariant();
        settings.DecimalSeparator = row.separator;
        EXPECT_EQ(demo::VersionCaption(row.format, settings), row.caption) << row.format;
    }
}

TEST(DemoImageCombo, ExtensionIconsAreTheSystemListsOwn)
{
    for (const char* ext : {".txt", ".doc", ".htm", ".bmp", ".gif"}) {
        SHFILEINFOA info{};
        ASSERT_NE(SHGetFileInfoA(ext, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES),
                  0u);
        const int index = demo::GetExtensionIconIndex(ext);
        EXPECT_GT(index, 0) << ext;
        EXPECT_EQ(index, info.iIcon) << ext;
    }
}

TEST(DemoRichTexts, PagesLoadTheirTextFromRtfResources)
{
    static const char kPage[] = "<h3>Overview</h3><p>The <b>library</b> at a glance.</p>";
    RegisterResource(HInstance(), "RTF", 9101, kPage, sizeof kPage - 1);
    kwtest::TestForm form;
    TRichEdit* edit = Create<TRichEdit>(form.Get());
    edit->SetParent(form.Get());
    struct Row {
        int id;
        bool found;
        std::string plain;
    };
    for (const Row& row : {Row{9101, true, "Overview\nThe library at a glance."}, Row{9102, false, ""}}) {
        edit->Lines()->SetText("<p>before</p>");
        if (row.found) {
            demo::LoadRtfResource(edit, row.id);
        } else {
            EXPECT_THROW(demo::LoadRtfResource(edit, row.id), EResNotFound);
        }
        kwtest::Pump();
        EXPECT_EQ(edit->PlainText(), row.found ? row.plain : "before") << row.id;
    }
    UnregisterResource(HInstance(), "RTF", 9101);
}

TEST(DemoOpenDialog, SeveralFilesListAtMost26Names)
{
    struct Row {
        int count;
        int listed;
        bool more;
    };
    for (const Row& row : {Row{0, 0, false}, Row{1, 0, false}, Row{2, 2, false}, Row{26, 26, false},
                           Row{27, 26, true}, Row{40, 26, true}}) {
        TStringList* names = Create<TStringList>();
        for (int i = 0; i < row.count; ++i)
            names->Add("/home/f" + std::to_string(i));
        const std::string message = demo::MultiselectMessage(*names);
        Free(names);
        if (row.listed == 0) {
            EXPECT_EQ(message, "") << row.count;
            continue;
        }
        std::string expected = "Multiselect\r";
        for (int i = 0; i < row.listed; ++i)
            expected += "/home/f" + std::to_string(i) + "\r";
        if (row.more)
            expected += "...";
        EXPECT_EQ(message, expected) << row.count;
    }
}

} // namespace
