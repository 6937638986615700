// The custom-draw wrapper on a real device context: what Apply writes back
// into the tree's and the list's records and results, stage by stage, and
// what a handler's own result keeps.

#include "UKwTreeList.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using namespace vcl;
using kw::TKwCustomDraw;

constexpr COLORREF Untouched = 0x00123456;

struct Surface {
    QImage Image{32, 32, QImage::Format_RGB32};
    HDC Dc = win32::CreateImageDC(Image);
    TFont* ControlFont = Create<TFont>();
    Surface()
    {
        SetTextColor(Dc, 0x00000080);
        SetBkColor(Dc, 0x00C0C0C0);
        // The control's font is what the context has selected.
        SelectObject(Dc, ControlFont->Handle());
    }
    ~Surface()
    {
        DeleteDC(Dc);
        ControlFont->Free();
    }
};

template <class Record>
Record MakeRecord(HDC dc, DWORD stage)
{
    Record record{};
    record.nmcd.hdr.code = NM_CUSTOMDRAW;
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.rc = {1, 2, 30, 18};
    record.clrText = Untouched;
    record.clrTextBk = Untouched;
    return record;
}

struct ApplyCase {
    const char* Name;
    DWORD Stage;
    std::function<void(TKwCustomDraw&)> Handler;
    LRESULT Result;
    COLORREF Text;
    COLORREF Background;
};

const ApplyCase ApplyCases[] = {
    {"nothing changed", CDDS_ITEMPREPAINT, [](TKwCustomDraw&) {}, CDRF_DODEFAULT, Untouched, Untouched},
    // A colour is no font of its own: the handle selected stays.
    {"font colour", CDDS_ITEMPREPAINT, [](TKwCustomDraw& cd) { cd.Font()->SetColor(clRed); }, CDRF_DODEFAULT,
     0x000000FF, Untouched},
    {"brush colour", CDDS_ITEMPREPAINT, [](TKwCustomDraw& cd) { cd.Brush()->SetColor(clBlue); },
     CDRF_DODEFAULT, Untouched, 0x00FF0000},
    {"skip default", CDDS_ITEMPREPAINT,
     [](TKwCustomDraw& cd) {
         cd.Font()->SetColor(clRed);
         cd.SkipDefault = true;
     },
     CDRF_SKIPDEFAULT, Untouched, Untouched},
    {"written result kept, new font added", CDDS_ITEMPREPAINT,
     [](TKwCustomDraw& cd) {
         cd.SetResult(CDRF_NOTIFYPOSTPAINT);
         cd.Font()->SetStyle(TFontStyles{fsBold});
     },
     CDRF_NOTIFYPOSTPAINT | CDRF_NEWFONT, 0x00000080, Untouched},
    {"system colour converted", CDDS_ITEMPREPAINT,
     [](TKwCustomDraw& cd) { cd.Font()->SetColor(clHighlight); }, CDRF_DODEFAULT, ColorToRGB(clHighlight),
     Untouched},
    {"pre-paint asks for items", CDDS_PREPAINT, [](TKwCustomDraw& cd) { cd.NotifyItemDraw = true; },
     CDRF_NOTIFYITEMDRAW, Untouched, Untouched},
    {"pre-paint with a written result", CDDS_PREPAINT,
     [](TKwCustomDraw& cd) {
         cd.NotifyItemDraw = true;
         cd.SetResult(CDRF_NOTIFYPOSTPAINT);
     },
     CDRF_NOTIFYPOSTPAINT, Untouched, Untouched},
    {"post-paint changes nothing", CDDS_ITEMPOSTPAINT, [](TKwCustomDraw& cd) { cd.Font()->SetColor(clRed); },
     CDRF_DODEFAULT, Untouched, Untouched},
};

template <class Wrapper, class Record>
void RunApplyCases()
{
    for (const ApplyCase& c : ApplyCases) {
        SCOPED_TRACE(c.Name);
        Surface surface;
        Record record = MakeRecord<Record>(surface.Dc, c.Stage);
        LRESULT result = 0x7777;
        Wrapper wrapper(record.nmcd, result, surface.ControlFont);
        c.Handler(wrapper);
        wrapper.Apply();
        EXPECT_EQ(result, c.Result);
        EXPECT_EQ(record.clrText, c.Text);
        EXPECT_EQ(record.clrTextBk, c.Background);
        if (c.Result & CDRF_NEWFONT) {
            EXPECT_EQ(GetCurrentObject(surface.Dc, OBJ_FONT), static_cast<HGDIOBJ>(wrapper.Font()->Handle()));
        }
    }
}

TEST(CustomDraw, ApplyWritesTheTreeRecord)
{
    RunApplyCases<kw::TKwTvCustomDraw, NMTVCUSTOMDRAW>();
}

TEST(CustomDraw, ApplyWritesTheListRecordAlike)
{
    RunApplyCases<kw::TKwLvCustomDraw, NMLVCUSTOMDRAW>();
}

TEST(CustomDraw, StagesAndTheContextsDefaults)
{
    Surface surface;
    const std::pair<DWORD, kw::TKwCustomDrawStage> stages[] = {
        {CDDS_PREPAINT, kw::kwcdsPrePaint},
        {CDDS_POSTPAINT, kw::kwcdsPostPaint},
        {CDDS_ITEMPREPAINT, kw::kwcdsItemPrePaint},
        {CDDS_ITEMPOSTPAINT, kw::kwcdsItemPostPaint},
        {CDDS_PREERASE, kw::kwcdsUnknown},
        {CDDS_ITEMPREERASE, kw::kwcdsUnknown},
        {CDDS_ITEMPREPAINT | CDDS_SUBITEM, kw::kwcdsUnknown}};
    for (const auto& [raw, stage] : stages) {
        auto record = MakeRecord<NMTVCUSTOMDRAW>(surface.Dc, raw);
        LRESULT result = 0;
        kw::TKwTvCustomDraw wrapper(record.nmcd, result, surface.ControlFont);
        EXPECT_EQ(wrapper.DrawStage(), stage) << raw;
        EXPECT_EQ(wrapper.RawDrawStage(), raw);
        EXPECT_EQ(wrapper.IsItem(), (raw & CDDS_ITEM) != 0);
    }
    // A new wrapper's font and brush are the context's colours, unchanged.
    auto record = MakeRecord<NMTVCUSTOMDRAW>(surface.Dc, CDDS_ITEMPREPAINT);
    LRESULT result = 0;
    kw::TKwTvCustomDraw wrapper(record.nmcd, result, surface.ControlFont);
    EXPECT_EQ(ColorToRGB(wrapper.Font()->Color()), 0x00000080u);
    EXPECT_EQ(ColorToRGB(wrapper.Brush()->Color()), 0x00C0C0C0u);
    EXPECT_EQ(wrapper.Rect().left, 1);
    EXPECT_EQ(wrapper.Rect().bottom, 18);
    // Reset makes them again from the new context's colours; a change made
    // before it still counts.
    wrapper.Brush()->SetColor(clLime);
    SetBkColor(surface.Dc, 0x00010203);
    auto next = MakeRecord<NMTVCUSTOMDRAW>(surface.Dc, CDDS_ITEMPREPAINT);
    LRESULT nextResult = 0;
    wrapper.Reset(next.nmcd, nextResult);
    EXPECT_EQ(ColorToRGB(wrapper.Brush()->Color()), 0x00010203u);
    wrapper.Apply();
    EXPECT_EQ(next.clrTextBk, 0x00010203u);
    // The canvas draws on the notification's context.
    wrapper.Canvas()->Brush()->SetColor(clRed);
    wrapper.Canvas()->FillRect({0, 0, 4, 4});
    EXPECT_EQ(surface.Image.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
}

} // namespace
