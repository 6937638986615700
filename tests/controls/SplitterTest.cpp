// The splitter: clamping and proportions, drags by real mouse events in both
// modes, cancelled drags, form files, and design time.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "ControlsTesting.h"
#include "UKwSplitter.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/SystemSettings.h"
#include "win32/WindowManager.h"

#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace vcl;
using namespace kw;
using kwtest::Pump;

struct Events {
    int Changes = 0;
    int Resizes = 0;
    std::vector<int> Drags;
    std::vector<int> Drops;
    void Change(TObject*) { ++Changes; }
    void Resize(TObject*) { ++Resizes; }
    void Drag(TObject*, int p) { Drags.push_back(p); }
    void Drop(TObject*, int p) { Drops.push_back(p); }
    void Attach(TKwSplitter* s)
    {
        s->OnChange = TNotifyEvent(this, &Events::Change);
        s->OnResize = TNotifyEvent(this, &Events::Resize);
        s->OnSplitterDrag = TKwSplitterDragEvent(this, &Events::Drag);
        s->OnSplitterDrop = TKwSplitterDragEvent(this, &Events::Drop);
    }
};

using kwtest::MessageCounter;

TKwSplitter* MakeSplitter(TWinControl* parent, int width = 200, int height = 140)
{
    TKwSplitter* s = Create<TKwSplitter>(parent);
    s->SetBounds(0, 0, width, height);
    s->SetParent(parent);
    s->HandleNeeded();
    return s;
}

TEST(Splitter, PositionIsClampedByThePanesMinimumSizes)
{
    kwtest::TestForm form(300, 200);
    struct Case {
        const char* what;
        int min0;
        int min1;
        int value;
        int expected;
    };
    const Case cases[] = {
        {"inside", 20, 20, 100, 100},
        {"below pane 0's minimum", 30, 20, 10, 30},
        {"above the extent less pane 1's minimum", 20, 50, 190, 150},
        {"conflicting bounds, at or above the lower", 150, 100, 160, 100},
        {"conflicting bounds, below the lower", 150, 100, 120, 150},
        {"negative minimum hides pane 0", -3, 60, -3, -3},
        {"negative minimum, further below", -3, 60, -40, -3},
        {"negative minimum of pane 1", 0, -10, 205, 205},
        {"beyond a negative minimum of pane 1", 0, -10, 230, 210},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TKwSplitter* s = MakeSplitter(form.Get());
        s->SetPaneMinSize(0, c.min0);
        s->SetPaneMinSize(1, c.min1);
        s->SetPosition(c.value);
        EXPECT_EQ(s->Position(), c.expected);
        s->Free();
    }
}

TEST(Splitter, ProportionalResizesRoundHalvesToEven)
{
    kwtest::TestForm form(400, 200);
    TKwSplitter* s = MakeSplitter(form.Get());
    s->SetPaneMinSize(0, 0);
    s->SetPaneMinSize(1, 0);
    struct Case {
        int width;
        float proportion;
        int expected;
    };
    const Case cases[] = {
        {201, 0.5f, 100}, {203, 0.5f, 102}, {205, 0.5f, 102}, {200, 0.25f, 50}, {10, 0.25f, 2}};
    for (const Case& c : cases) {
        s->SetWidth(c.width);
        s->SetProportion(c.proportion);
        EXPECT_EQ(s->Position(), c.expected) << c.width << " * " << c.proportion;
    }
}

TEST(Splitter, PositionAndProportionFollowResizesInBothOrientations)
{
    kwtest::TestForm form(500, 400);
    for (TKwSplitterStyle style : {kwstVertical, kwstHorizontal}) {
        SCOPED_TRACE(style == kwstVertical ? "vertical" : "horizontal");
        TKwSplitter* s = MakeSplitter(form.Get(), 200, 200);
        Events events;
        events.Attach(s);
        s->SetStyle(style);
        s->SetPaneMinSize(0, 10);
        s->SetPaneMinSize(1, 30);
        s->SetPosition(50);
        EXPECT_FLOAT_EQ(s->Proportion(), 0.25f);
        const int changes = events.Changes;
        // Setting the same position again changes nothing.
        s->SetPosition(50);
        EXPECT_EQ(events.Changes, changes);
        s->SetBounds(0, 0, 400, 400);
        Pump();
        EXPECT_EQ(s->Position(), 100);
        EXPECT_EQ(events.Changes, changes + 1);
        EXPECT_GE(events.Resizes, 1);
        const TRect first = s->GetPane(0)->BoundsRect();
        const TRect second = s->GetPane(1)->BoundsRect();
        if (style == kwstVertical) {
            EXPECT_EQ(first, (TRect{0, 0, 100, 400}));
            EXPECT_EQ(second, (TRect{103, 0, 400, 400}));
        } else {
            EXPECT_EQ(first, (TRect{0, 0, 400, 100}));
            EXPECT_EQ(second, (TRect{0, 103, 400, 400}));
        }
        // Shrinking clamps against pane 1's minimum; the proportion stays.
        s->SetBounds(0, 0, 100, 100);
        EXPECT_EQ(s->Position(), 25);
        s->SetBounds(0, 0, 40, 40);
        EXPECT_EQ(s->Position(), 10);
        EXPECT_FLOAT_EQ(s->Proportion(), 0.25f);
        // Not proportional: the position stays and OnResize still fires.
        s->SetProportional(false);
        const int resizes = events.Resizes;
        s->SetBounds(0, 0, 300, 300);
        EXPECT_EQ(s->Position(), 10);
        EXPECT_GT(events.Resizes, resizes);
        s->Free();
    }
}

TEST(Splitter, SizesUseTheClientExtent)
{
    kwtest::TestForm form(300, 200);
    TKwSplitter* s = MakeSplitter(form.Get(), 200, 140);
    s->SetBorderWidth(10);
    s->SetPaneMinSize(0, 0);
    s->SetPaneMinSize(1, 0);
    s->SetPosition(1000);
    EXPECT_EQ(s->Position(), 180);
    EXPECT_EQ(s->Extent(), 180);
    s->SwapPanes(-1);
    EXPECT_EQ(s->Position(), 0);
}

TEST(Splitter, SwapPanesExchangesThemAndMirrorsThePosition)
{
    kwtest::TestForm form(300, 200);
    TKwSplitter* s = MakeSplitter(form.Get());
    TKwPane* a = s->GetPane(0);
    TKwPane* b = s->GetPane(1);
    s->SwapPanes(0);
    EXPECT_EQ(s->Position(), 65);
    EXPECT_EQ(s->GetPane(0), b);
    EXPECT_EQ(b->Index(), 0);
    s->SwapPanes(-1);
    EXPECT_EQ(s->Position(), 135);
    EXPECT_EQ(s->GetPane(0), a);
    EXPECT_EQ(a->Index(), 0);
    EXPECT_EQ(b->BoundsRect(), (TRect{138, 0, 200, 140}));
    // Hiding the first pane: the second fills the splitter, bar included.
    s->SetPaneMinSize(0, -s->SplitterWidth());
    s->SetPosition(-s->SplitterWidth());
    EXPECT_EQ(s->GetPane(1)->BoundsRect(), (TRect{0, 0, 200, 140}));
    EXPECT_EQ(s->GetPane(0)->Width(), 0);
}

// Presses on the bar, moves and releases through the toolkit's mouse events.
void DragBar(TKwSplitter* s, int from, const std::vector<int>& moves, bool release = true)
{
    QWidget* w = s->Peer();
    const int y = 70;
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(from, y));
    for (int x : moves)
        QTest::mouseMove(w, QPoint(x, y));
    if (release)
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(moves.empty() ? from : moves.back(), y));
}

TEST(Splitter, LiveDragSizesOnlyThePanes)
{
    kwtest::TestForm form(400, 200);
    TKwSplitter* s = MakeSplitter(form.Get(), 300, 140);
    s->SetFullDragMode(kwfdOn);
    s->SetPaneMinSize(0, 0);
    s->SetPaneMinSize(1, 0);
    s->SetPosition(100);
    TKwGroup* sibling = Create<TKwGroup>(form.Get());
    sibling->SetBounds(310, 0, 50, 50);
    sibling->SetParent(form.Get());
    Pump();
    Events events;
    events.Attach(s);
    MessageCounter pane0(s->GetPane(0)), pane1(s->GetPane(1)), self(s), other(sibling);
    std::vector<int> moves;
    for (int i = 1; i <= 100; ++i)
        moves.push_back(101 + i);
    DragBar(s, 101, moves);
    EXPECT_EQ(s->Position(), 200);
    EXPECT_EQ(pane0.Counts[WM_SIZE], 100);
    EXPECT_EQ(pane1.Counts[WM_SIZE], 100);
    EXPECT_EQ(self.Counts[WM_SIZE], 0);
    EXPECT_EQ(other.Counts[WM_SIZE], 0);
    EXPECT_EQ(events.Changes, 100);
    ASSERT_FALSE(events.Drags.empty());
    EXPECT_EQ(events.Drags.back(), 201); // the last drag position, not -1
    EXPECT_EQ(events.Drops, std::vector<int>{200});
    EXPECT_FLOAT_EQ(s->Proportion(), 200.0f / 300.0f);
    EXPECT_FALSE(s->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Splitter, LineDragRepaintsNothingUntilTheRelease)
{
    kwtest::TestForm form(400, 200);
    TKwSplitter* s = MakeSplitter(form.Get(), 300, 140);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    s->SetPosition(100);
    Pump();
    Events events;
    events.Attach(s);
    QTest::mousePress(s->Peer(), Qt::LeftButton, {}, QPoint(101, 70));
    Pump();
    MessageCounter pane0(s->GetPane(0)), pane1(s->GetPane(1)), self(s);
    for (int x = 102; x <= 160; ++x)
        QTest::mouseMove(s->Peer(), QPoint(x, 70));
    Pump();
    EXPECT_EQ(pane0.Counts[WM_PAINT] + pane1.Counts[WM_PAINT] + self.Counts[WM_PAINT], 0);
    // The line is drawn over the panes, which keep their places.
    const QImage during = form->Peer()->grab().toImage();
    EXPECT_EQ(s->Position(), 100);
    EXPECT_EQ(pane0.Counts[WM_SIZE], 0);
    EXPECT_EQ(events.Changes, 0);
    QTest::mouseRelease(s->Peer(), Qt::LeftButton, {}, QPoint(160, 70));
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    EXPECT_EQ(s->Position(), 159);
    EXPECT_EQ(events.Changes, 1);
    EXPECT_EQ(events.Drops, std::vector<int>{159});
    ASSERT_FALSE(events.Drags.empty());
    EXPECT_EQ(events.Drags.back(), -1); // the end of a line drag
    // The inverted line shows in the pattern's two inverted colours.
    const QRgb face = ColorToQColor(clBtnFace).rgb();
    int inverted = 0;
    for (int x = 159; x < 162; ++x)
        inverted += (during.pixel(x, 70) | 0xFF000000u) != face ? 1 : 0;
    EXPECT_GT(inverted, 0);
}

TEST(Splitter, CancelledLineDragLeavesTheWindowAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(TKwSplitter*, HWND other)> cancel;
    };
    const Case cases[] = {
        {"capture taken", [](TKwSplitter*, HWND other) { SetCapture(other); }},
        {"cancel mode", [](TKwSplitter* s, HWND) { SendMessageA(s->Handle(), WM_CANCELMODE, 0, 0); }},
        {"another button",
         [](TKwSplitter* s, HWND) { QTest::mousePress(s->Peer(), Qt::RightButton, {}, QPoint(150, 70)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kwtest::TestForm form(400, 200);
        TKwSplitter* s = MakeSplitter(form.Get(), 300, 140);
        s->SetFullDragMode(kwfdOff);
        s->SetPosition(100);
        TKwGroup* other = Create<TKwGroup>(form.Get());
        other->SetBounds(310, 0, 50, 50);
        other->SetParent(form.Get());
        Pump();
        const QImage before = form->Peer()->grab().toImage();
        Events events;
        events.Attach(s);
        DragBar(s, 101, {130, 150}, false);
        Pump();
        EXPECT_NE(form->Peer()->grab().toImage(), before);
        c.cancel(s, other->Handle());
        Pump();
        EXPECT_FALSE(s->Dragging());
        EXPECT_EQ(s->Position(), 100);
        EXPECT_TRUE(events.Drops.empty());
        EXPECT_EQ(form->Peer()->grab().toImage(), before);
        ReleaseCapture();
    }
}

// Lines at negative places (a hidden first pane) are drawn and taken away
// like any other: none stays behind.
TEST(Splitter, LineDragThroughNegativePlacesLeavesNoLine)
{
    kwtest::TestForm form(400, 200);
    TKwSplitter* s = MakeSplitter(form.Get(), 300, 140);
    s->SetFullDragMode(kwfdOff);
    s->SetPaneMinSize(0, -3);
    s->SetPosition(-3);
    Pump();
    const QImage before = form->Peer()->grab().toImage();
    Events events;
    events.Attach(s);
    DragBar(s, 0, {-1, -20, 2, -2}, true);
    Pump();
    EXPECT_EQ(s->Position(), -3);
    EXPECT_EQ(events.Drags.back(), -1);
    const auto overlays = s->Peer()->findChildren<QWidget*>("corvane-drawing-overlay");
    for (QWidget* overlay : overlays)
        EXPECT_TRUE(overlay->isHidden());
    EXPECT_EQ(form->Peer()->grab().toImage(), before);
}

// The application's mouse events on the bar come after the splitter's own
// handling: the drag has started when OnMouseDown runs.
TEST(Splitter, MouseEventsFireAfterTheDragStarts)
{
    kwtest::TestForm form(400, 200);
    TKwSplitter* s = MakeSplitter(form.Get(), 300, 140);
    struct Handler {
        TKwSplitter* Splitter;
        std::vector<bool> DraggingSeen;
        void Down(TObject*, TMouseButton, TShiftState, int, int)
        {
            DraggingSeen.push_back(Splitter->Dragging());
        }
        void Up(TObject*, TMouseButton, TShiftState, int, int)
        {
            DraggingSeen.push_back(Splitter->Dragging());
        }
    } handler{s, {}};
    s->OnMouseDown = TMouseEvent(&handler, &Handler::Down);
    s->OnMouseUp = TMouseEvent(&handler, &Handler::Up);
    DragBar(s, 66, {80});
    EXPECT_EQ(handler.DraggingSeen, (std::vector<bool>{true, false}));
}

TEST(Splitter, FiftyPercentPatternAlternates)
{
    QImage image(8, 8, QImage::Format_RGB32);
    const HDC dc = win32::CreateImageDC(image);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    const HBRUSH brush = CreatePatternBrush(Get50PctBmp());
    const HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, 0, 0, 8, 8, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            // White pattern pixels take the background colour, black ones the text colour.
            EXPECT_EQ(image.pixel(x, y) | 0xFF000000u, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
}

std::string PaneForm(int firstIndex, int secondIndex)
{
    return "object KwSplitter1: TKwSplitter\n"
           "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 140\n  Position = 90\n"
           "  object KwSplitter1_pane2: TKwPane\n    Left = 0\n    Top = 0\n    Width = 10\n"
           "    Height = 10\n    Color = clYellow\n    MinSize = 60\n    Index = " +
           std::to_string(firstIndex) +
           "\n  end\n"
           "  object KwSplitter1_pane1: TKwPane\n    Left = 0\n    Top = 0\n    Width = 10\n"
           "    Height = 10\n    MinSize = 4\n    FrameStyle = kwfsNone\n    Index = " +
           std::to_string(secondIndex) + "\n  end\nend\n";
}

TEST(Splitter, UnitRegistersThePaneClassOnlyWhenNoneIsThere)
{
    UKwSplitterFinalization();
    UnRegisterClass(TKwPane::StaticClass());
    UKwSplitterInitialization();
    EXPECT_EQ(GetClass("TKwPane"), TKwPane::StaticClass());
    UKwSplitterFinalization();
    EXPECT_EQ(GetClass("TKwPane"), nullptr);
    // A class of that name registered by someone else stays.
    RegisterClass(TKwPane::StaticClass());
    UKwSplitterInitialization();
    UKwSplitterFinalization();
    EXPECT_EQ(GetClass("TKwPane"), TKwPane::StaticClass());
}

TEST(Splitter, PanesGoThroughFormFilesIntoTheSlotsOfTheirIndex)
{
    UKwSplitterInitialization();
    RegisterClass(TKwSplitter::StaticClass());
    TOwnedPtr<TComponent> root(ReadComponentFromText(PaneForm(1, 0), nullptr));
    auto* s = dynamic_cast<TKwSplitter*>(root.get());
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->GetPane(0) && s->GetPane(1));
    EXPECT_EQ(s->GetPane(0)->Name(), "KwSplitter1_pane1");
    EXPECT_EQ(s->GetPane(1)->Name(), "KwSplitter1_pane2");
    EXPECT_EQ(s->GetPaneMinSize(0), 4);
    EXPECT_EQ(s->GetPaneColor(1), clYellow);
    EXPECT_EQ(s->GetPaneStyle(0), kwfsNone);
    EXPECT_EQ(s->Position(), 90);
    EXPECT_FLOAT_EQ(s->Proportion(), 90.0f / 300.0f);
    // And back: the panes in slot order, their own properties, none of the
    // splitter's pane properties.
    const std::string written = WriteComponentToText(s);
    EXPECT_EQ(written.find("Pane1"), std::string::npos);
    EXPECT_LT(written.find("KwSplitter1_pane1"), written.find("KwSplitter1_pane2"));
    TOwnedPtr<TComponent> again(ReadComponentFromText(written, nullptr));
    EXPECT_EQ(WriteComponentToText(again.get()), written);
}

TEST(Splitter, BadPaneIndexesAreReadErrors)
{
    UKwSplitterInitialization();
    RegisterClass(TKwSplitter::StaticClass());
    struct Case {
        const char* what;
        int first;
        int second;
    };
    const Case cases[] = {{"index 2", 2, 0}, {"negative index", 0, -1}, {"the same index twice", 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(ReadComponentFromText(PaneForm(c.first, c.second), nullptr), EReadError);
    }
}

TEST(Splitter, AFormWithOnePaneGetsTheOtherWhenLoaded)
{
    UKwSplitterInitialization();
    RegisterClass(TKwSplitter::StaticClass());
    std::string text = PaneForm(1, 0);
    // Only the pane of index 1 stays.
    const size_t cut = text.find("  object KwSplitter1_pane1");
    text = text.substr(0, cut) + "end\n";
    TOwnedPtr<TComponent> root(ReadComponentFromText(text, nullptr));
    auto* s = dynamic_cast<TKwSplitter*>(root.get());
    ASSERT_TRUE(s && s->GetPane(0) && s->GetPane(1));
    EXPECT_EQ(s->GetPane(1)->Name(), "KwSplitter1_pane2");
    EXPECT_EQ(s->GetPane(0)->Index(), 0);
    EXPECT_EQ(s->GetPane(0)->Parent(), s);
}

TEST(Splitter, MissingPanesAreMadeWithTheWindow)
{
    kwtest::TestForm form(300, 200);
    TKwSplitter* s = Create<TKwSplitter>(form.Get());
    s->SetName("Run");
    EXPECT_EQ(s->GetPane(0), nullptr);
    s->SetParent(form.Get());
    s->HandleNeeded();
    ASSERT_TRUE(s->GetPane(0) && s->GetPane(1));
    EXPECT_EQ(s->GetPane(1)->Name(), "Run_pane2");
    EXPECT_EQ(s->GetPane(1)->Left(), 68);
}

TEST(Splitter, DesignTimePanesActivationAndRenaming)
{
    kwtest::TestForm form(300, 200);
    TKwSplitter* s = Create<TKwSplitter>(form.Get());
    s->SetName("KwSplitter1");
    s->SetDesigning(true);
    s->SetParent(form.Get());
    s->HandleNeeded();
    Pump();
    ASSERT_TRUE(s->GetPane(0) && s->GetPane(1));
    EXPECT_EQ(s->GetPane(0)->Name(), "KwSplitter1_pane1");
    EXPECT_TRUE(s->GetPane(0)->Active());
    EXPECT_FALSE(s->GetPane(1)->Active());
    // The active pane's dotted rectangle inverts its corner.
    const QImage before = s->GetPane(0)->Peer()->grab().toImage();
    const QRect client(2, 2, s->GetPane(0)->ClientWidth(), s->GetPane(0)->ClientHeight());
    EXPECT_NE(before.pixel(client.topLeft()) | 0xFF000000u, ColorToQColor(clBtnFace).rgb());
    // A press in pane 2 reaches the splitter as WM_PARENTNOTIFY.
    QTest::mousePress(s->GetPane(1)->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(s->GetPane(1)->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
    Pump();
    EXPECT_TRUE(s->GetPane(1)->Active());
    EXPECT_FALSE(s->GetPane(0)->Active());
    EXPECT_EQ(s->GetPane(0)->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(5, 5)), 0);
    // Renaming renames both panes, or neither when a name is taken.
    s->SetName("Outer");
    EXPECT_EQ(s->GetPane(0)->Name(), "Outer_pane1");
    EXPECT_EQ(s->GetPane(1)->Name(), "Outer_pane2");
    TComponent* squatter = Create<TComponent>(s);
    squatter->SetName("Inner_pane2");
    EXPECT_THROW(s->SetName("Inner"), EComponentError);
    EXPECT_EQ(s->Name(), "Outer");
    EXPECT_EQ(s->GetPane(0)->Name(), "Outer_pane1");
    EXPECT_EQ(s->GetPane(1)->Name(), "Outer_pane2");
}

TEST(Splitter, NestedScreenshot)
{
    kwtest::TestForm form(420, 300);
    TKwSplitter* outer = MakeSplitter(form.Get(), 400, 280);
    outer->SetSplitterWidth(5);
    outer->SetProportional(false);
    outer->SetPosition(168);
    outer->SetColor(clBtnFace);
    TKwSplitter* inner[2];
    const TColor colours[4] = {static_cast<TColor>(0x00C8FFFF), clBlack, clBtnFace,
                               static_cast<TColor>(0x00BFFFBF)};
    for (int i = 0; i < 2; ++i) {
        outer->SetPaneStyle(i, kwfsNone);
        inner[i] = Create<TKwSplitter>(form.Get());
        inner[i]->SetStyle(kwstHorizontal);
        inner[i]->SetParent(outer->GetPane(i));
        inner[i]->SetAlign(alClient);
        inner[i]->SetSplitterWidth(5);
        inner[i]->HandleNeeded();
        inner[i]->SetPosition(68);
        inner[i]->SetPaneColor(0, colours[2 * i]);
        inner[i]->SetPaneColor(1, colours[2 * i + 1]);
    }
    Pump();
    const QImage image = kwtest::SavePicture(form->Peer(), "splitter-nested.png");
    EXPECT_EQ(inner[0]->Width(), 168);
    EXPECT_EQ(inner[1]->Width(), 400 - 173);
    EXPECT_EQ(image.pixel(170, 10) | 0xFF000000u, ColorToQColor(clBtnFace).rgb()); // the outer bar
}

} // namespace
