// The list view base: the sort glyphs, where the header puts them in each
// display mode (and where it puts none), the display mode by the common
// controls' version, the item context menu from the mouse and the keys,
// the owner-drawn header items, custom draw down to the sub-items, and
// pictures of a sorted report view and of the icon view.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "KwCorvanePackage.h"
#include "UKwTreeList.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/Menus.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/IdentityTesting.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <QHeaderView>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kw::TKwCustomListView;
using kwtest::Pump;

QRgb Rgb(TColor color)
{
    return ColorToQColor(color).rgb() | 0xFF000000u;
}

// Draws into a picture through a canvas on its device context.
QImage Paint(int width, int height, const std::function<void(TCanvas*)>& draw)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 0)); // no colour the header draws with
    const HDC dc = win32::CreateImageDC(image);
    TCanvas* canvas = Create<TCanvas>();
    canvas->SetHandle(dc);
    draw(canvas);
    canvas->SetHandle(nullptr);
    canvas->Free();
    DeleteDC(dc);
    return image;
}

// The box around the pixels of the glyph's two line colours; empty (left
// above right) for none.
TRect GlyphBox(const QImage& image)
{
    TRect box{image.width(), image.height(), -1, -1};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) | 0xFF000000u;
            if (p == Rgb(clBtnShadow) || p == Rgb(clBtnHighlight)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    return box;
}

TEST(ListViewBase, TheGlyphsPointDownAndUp)
{
    // In (1, 1)-(11, 8): seven rows high, eight wide.
    struct Pixel {
        int X, Y;
        TColor Colour;
    };
    struct Case {
        const char* Name;
        bool Up;
        std::vector<Pixel> Pixels;
    };
    const std::vector<Case> cases = {
        {"down",
         false,
         {{1, 1, clBtnShadow},    // the top edge, from the left
          {7, 1, clBtnShadow},    // to one short of the end
          {4, 7, clBtnShadow},    // the left slope's tip
          {5, 7, clBtnHighlight}, // the right slope's
          {4, 3, clBtnFace},      // filled
          {8, 1, clWhite}}},      // a polyline ends before its last point
        {"up",
         true,
         {{4, 1, clBtnShadow},    // the left slope's top
          {1, 7, clBtnHighlight}, // the bottom edge, from the left
          {7, 7, clBtnHighlight}, // to the right
          {4, 5, clBtnFace}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QImage image = Paint(12, 12, [&](TCanvas* canvas) {
            (c.Up ? kw::DrawUpArrow : kw::DrawDownArrow)(canvas, {1, 1, 11, 8}, clBtnFace, clBtnShadow,
                                                         clBtnHighlight);
        });
        for (const Pixel& p : c.Pixels)
            EXPECT_EQ(image.pixel(p.X, p.Y) | 0xFF000000u, Rgb(p.Colour)) << p.X << "," << p.Y;
    }
}

// The units read the identity at start-up: started again under each.
void RestartUnder(const win32::PlatformIdentity& identity)
{
    vcl::FinalizeUnits();
    win32::testing::SetIdentity(identity);
    vcl::InitializeUnits();
}

class TTestList : public TKwCustomListView {
public:
    using TKwCustomListView::DrawHeader;
    using TKwCustomListView::HeaderCanvas;
    using TKwCustomListView::MenuShown;
    using TKwCustomListView::TKwCustomListView;
    // The header items drawn, in order.
    std::vector<int> HeaderDrawn;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_DRAWITEM && HandleAllocated())
            if (const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
                record && record->hwndItem == GetHeaderHandle())
                HeaderDrawn.push_back(static_cast<int>(record->itemID));
        TKwCustomListView::Dispatch(message);
    }
};

TEST(ListViewBase, TheHeaderPlacesTheGlyphByItsDisplayMode)
{
    using kw::TKwLvHeaderSortDisplayMode;
    struct Case {
        const char* Name;
        TKwLvHeaderSortDisplayMode Mode;
        TAlignment Alignment;
        std::string Caption;
        int Width;
        int SortColumn;
        kw::TKwLvSortDirection Direction;
        // -1: no glyph; -2: right of the text, inside the item.
        int GlyphLeft;
    };
    // A 120-pixel item: R = (2, 2, 118, 18), T = (6, 2, 114, 18), the glyph
    // 10 wide from the left of T, or ending 5 short of T's right (at 99).
    const std::vector<Case> cases = {
        {"left-aligned glyph", kw::kwlvLeftAlign, taLeftJustify, "Name", 120, 0, kw::kwsdAsc, 6},
        {"right-aligned glyph", kw::kwlvRightAlign, taLeftJustify, "Name", 120, 0, kw::kwsdAsc, 99},
        {"right of a right-justified caption", kw::kwlvRightOfText, taRightJustify, "Size", 120, 0,
         kw::kwsdDesc, 99},
        {"right of the text", kw::kwlvRightOfText, taLeftJustify, "Name", 120, 0, kw::kwsdAsc, -2},
        {"right of a long centred caption, inside the item", kw::kwlvRightOfText, taCenter,
         "A caption far too long for its column", 120, 0, kw::kwsdDesc, -2},
        {"plain header", kw::kwlvNone, taLeftJustify, "Name", 120, 0, kw::kwsdAsc, -1},
        {"another column sorted", kw::kwlvRightAlign, taLeftJustify, "Name", 120, 1, kw::kwsdAsc, -1},
        {"no sort column", kw::kwlvLeftAlign, taLeftJustify, "Name", 120, -1, kw::kwsdAsc, -1},
        {"a column at most twice the glyph", kw::kwlvRightAlign, taLeftJustify, "N", 20, 0, kw::kwsdAsc, -1},
        {"left-aligned in 15 pixels or fewer", kw::kwlvLeftAlign, taLeftJustify, "N", 15, 0, kw::kwsdAsc, -1},
    };
    // The display modes need common controls 4.70 at least.
    kw::RegisterPackageUnits();
    RestartUnder(win32::testing::DefaultIdentity());
    {
        kwtest::TestForm form;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.Name);
            auto* list = Create<TTestList>(form.Get());
            list->SetHeaderSortDisplayMode(c.Mode);
            for (const char* caption : {"first", "second"}) {
                TListColumn* column = list->Columns()->Add();
                column->SetCaption(caption);
            }
            TListColumn* column = list->Columns()->Items(0);
            column->SetCaption(c.Caption);
            column->SetAlignment(c.Alignment);
            column->SetWidth(c.Width);
            list->SetHeaderSortColumn(c.SortColumn);
            list->SetHeaderSortDirection(c.Direction);
            const QImage image = Paint(c.Width, 20, [&](TCanvas* canvas) {
                list->HeaderCanvas()->SetHandle(canvas->Handle());
                list->DrawHeader(0, {0, 0, c.Width, 20});
                list->HeaderCanvas()->SetHandle(nullptr);
            });
            const TRect glyph = GlyphBox(image);
            if (c.GlyphLeft == -1) {
                EXPECT_LT(glyph.right, glyph.left) << "no glyph";
            } else if (c.GlyphLeft == -2) {
                // Right of the ink of the text, and inside the item.
                // The text's dark pixels, on the item's face and off the glyph.
                int ink = -1;
                for (int y = 2; y < image.height() - 2; ++y)
                    for (int x = 2; x < image.width() - 2; ++x)
                        if (qGray(image.pixel(x, y)) < 100 &&
                            (image.pixel(x, y) | 0xFF000000u) != Rgb(clBtnShadow))
                            ink = std::max(ink, x);
                ASSERT_GT(glyph.right, glyph.left);
                EXPECT_GT(glyph.left, ink);
                EXPECT_LE(glyph.right, c.Width - 2);
            } else {
                ASSERT_GT(glyph.right, glyph.left);
                EXPECT_EQ(glyph.left, c.GlyphLeft);
            }
            // Down for ascending: its top edge is a long run; up: a point.
            if (glyph.right > glyph.left) {
                int topRun = 0;
                for (int x = glyph.left; x < glyph.right; ++x)
                    topRun += (image.pixel(x, glyph.top) | 0xFF000000u) == Rgb(clBtnShadow);
                if (c.Direction == kw::kwsdAsc)
                    EXPECT_GT(topRun, 4);
                else
                    EXPECT_LE(topRun, 2);
            }
            list->Free();
        }
    }
    vcl::FinalizeUnits();
    win32::testing::ResetIdentity();
}

TEST(ListViewBase, OldCommonControlsGetAPlainHeader)
{
    kw::RegisterPackageUnits();
    struct Case {
        DWORD CommonControls;
        kw::TKwLvHeaderSortDisplayMode Written;
    };
    // 4.69, 4.70 and 5.81.
    const Case cases[] = {
        {0x00040045, kw::kwlvNone}, {0x00040046, kw::kwlvLeftAlign}, {0x00050051, kw::kwlvLeftAlign}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.CommonControls);
        win32::PlatformIdentity id = win32::testing::DefaultIdentity();
        id.commonControlsMS = c.CommonControls;
        RestartUnder(id);
        kwtest::TestForm form;
        auto* list = Create<TTestList>(form.Get());
        EXPECT_EQ(list->HeaderSortDisplayMode(), kw::kwlvRightOfText) << "the default is kept";
        list->SetHeaderSortDisplayMode(kw::kwlvLeftAlign);
        EXPECT_EQ(list->HeaderSortDisplayMode(), c.Written);
    }
    vcl::FinalizeUnits();
    win32::testing::ResetIdentity();
}

struct Tracked {
    HMENU Menu;
    POINT Screen;
};
std::vector<Tracked> g_tracked;
void Recording(win32::MenuTrackSession& session, POINT screen)
{
    g_tracked.push_back({session.Menu(), screen});
    session.Cancel();
}

// A report view of six items in three columns on a form.
struct Fixture {
    std::vector<std::string> Log;
    kwtest::TestForm Form{360, 240};
    TTestList* List = Create<TTestList>(Form.Get());
    win32::MenuTracker Before = win32::SetMenuTracker(&Recording);
    explicit Fixture(TViewStyle style = vsReport)
    {
        g_tracked.clear();
        List->SetParent(Form.Get());
        List->SetBounds(0, 0, 360, 240);
        List->SetViewStyle(style);
        List->SetMultiSelect(true);
        const char* captions[] = {"Name", "Size", "Type"};
        for (const char* caption : captions) {
            TListColumn* column = List->Columns()->Add();
            column->SetCaption(caption);
            column->SetWidth(110);
        }
        for (int i = 0; i < 6; ++i) {
            TListItem* item = List->Items()->Add();
            item->SetCaption("item " + std::to_string(i));
            item->SubItems()->Add(std::to_string(i * 10) + " KB");
            item->SubItems()->Add(i % 2 ? "Folder" : "Text");
        }
        List->SetFocus();
        Pump();
    }
    ~Fixture() { win32::SetMenuTracker(Before); }
    TListItem* Item(int i) const { return List->Items()->Item(i); }
    QWidget* Viewport() const
    {
        for (auto* area : List->Peer()->findChildren<QAbstractScrollArea*>())
            if (area->isVisible())
                return area->viewport();
        return nullptr;
    }
    static QPoint CentreOf(const TRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void Menu(TObject*, TListItem* item, TPoint& pos, TPopupMenu*&)
    {
        Log.push_back("menu:" + (item ? item->Caption() : std::string("-")) + "@" + std::to_string(pos.x) +
                      "," + std::to_string(pos.y));
    }
};

TEST(ListViewBase, TheItemContextMenuIsAboutTheItemItOpensAt)
{
    struct Case {
        const char* Name;
        int Selected; // -1: none
        int Focused;  // -1: none
        std::function<void(Fixture&)> Ask;
        // "icon:N": at the centre of item N's icon; "-": the plain menu;
        // "none": nothing at all.
        std::string Expect;
    };
    const auto apps = [](Fixture& f) { QTest::keyClick(f.List->Peer(), Qt::Key_Menu); };
    const auto shiftF10 = [](Fixture& f) { QTest::keyClick(f.List->Peer(), Qt::Key_F10, Qt::ShiftModifier); };
    const std::vector<Case> cases = {
        {"Apps on a selected focused item", 2, 2, apps, "icon:2"},
        {"Shift+F10 likewise", 3, 3, shiftF10, "icon:3"},
        {"the focus away from the selection", 1, 4, apps, "icon:1"},
        {"no focused item", 1, -1, apps, "-"},
        {"Ctrl+F10 is no context key", 2, 2,
         [](Fixture& f) { QTest::keyClick(f.List->Peer(), Qt::Key_F10, Qt::ControlModifier); }, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        TPopupMenu* menu = Create<TPopupMenu>(f.Form.Get());
        menu->Items()->Add(NewItem("&Open", scNone, false, true, {}, 0, "Open"));
        f.List->SetPopupMenu(menu);
        f.List->OnItemContextMenu = kw::TKwLvOnItemContextMenuEvent(&f, &Fixture::Menu);
        f.List->ClearSelection();
        if (c.Selected >= 0)
            f.Item(c.Selected)->SetSelected(true);
        if (c.Focused >= 0)
            f.Item(c.Focused)->SetFocused(true);
        else if (TListItem* focused = f.List->ItemFocused())
            focused->SetFocused(false);
        Pump();
        c.Ask(f);
        Pump();
        if (c.Expect == "none") {
            EXPECT_TRUE(f.Log.empty());
            EXPECT_TRUE(g_tracked.empty());
            continue;
        }
        ASSERT_EQ(g_tracked.size(), 1u);
        if (c.Expect == "-") {
            EXPECT_TRUE(f.Log.empty());
            const TPoint origin = f.List->ClientToScreen({0, 0});
            EXPECT_EQ(g_tracked[0].Screen.x, origin.x);
            EXPECT_EQ(g_tracked[0].Screen.y, origin.y);
            continue;
        }
        const int index = std::stoi(c.Expect.substr(5));
        const QPoint centre = Fixture::CentreOf(f.Item(index)->DisplayRect(drIcon));
        ASSERT_EQ(f.Log.size(), 1u);
        EXPECT_EQ(f.Log[0], "menu:item " + std::to_string(index) + "@" + std::to_string(centre.x()) + "," +
                                std::to_string(centre.y()));
    }
}

TEST(ListViewBase, ARightClickAsksOnceAndNotWhileDesigning)
{
    struct Case {
        const char* Name;
        bool Designing;
        std::size_t Menus;
    };
    const Case cases[] = {{"running", false, 1}, {"designing", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        TPopupMenu* menu = Create<TPopupMenu>(f.Form.Get());
        menu->Items()->Add(NewItem("&Open", scNone, false, true, {}, 0, "Open"));
        f.List->SetPopupMenu(menu);
        f.List->OnItemContextMenu = kw::TKwLvOnItemContextMenuEvent(&f, &Fixture::Menu);
        if (c.Designing)
            f.List->SetDesigning(true, false);
        QWidget* viewport = f.Viewport();
        ASSERT_NE(viewport, nullptr);
        const QPoint at = Fixture::CentreOf(f.Item(1)->DisplayRect(drLabel));
        // The list asks where the pointer is: where the click is.
        static POINT pointer;
        const QPoint global = viewport->mapToGlobal(at);
        pointer = {global.x(), global.y()};
        const win32::CursorPosHook before = win32::SetCursorPosHook([] { return pointer; });
        auto released = std::make_shared<bool>(false);
        kwtest::Later({[viewport, at, released] {
            QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
            *released = true;
        }});
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        kwtest::PumpUntil([released] { return *released; }, 2000);
        Pump();
        win32::SetCursorPosHook(before);
        EXPECT_EQ(g_tracked.size(), c.Menus);
        EXPECT_EQ(f.Log.size(), c.Menus) << "no second menu from the context-menu message";
        if (c.Designing)
            f.List->SetDesigning(false, false);
    }
}

TEST(ListViewBase, TheHeaderIsOwnerDrawnAndRepaintsOnlyWhatChanged)
{
    Fixture f;
    f.List->Columns()->Items(1)->SetAlignment(taRightJustify);
    const HWND header = f.List->GetHeaderHandle();
    ASSERT_NE(header, nullptr);
    const auto format = [header](int i) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        return item.fmt;
    };
    f.List->SetHeaderODStyle();
    EXPECT_EQ(format(0), HDF_OWNERDRAW | HDF_LEFT);
    EXPECT_EQ(format(1), HDF_OWNERDRAW | HDF_RIGHT);
    f.List->SetHeaderSortColumn(0);
    Pump();
    const auto drawnSince = [&f](const std::function<void()>& change) {
        Pump();
        f.List->HeaderDrawn.clear();
        change();
        Pump();
        std::vector<int> drawn = f.List->HeaderDrawn;
        std::sort(drawn.begin(), drawn.end());
        drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
        return drawn;
    };
    // A new sort column repaints the old one and the new one alone, a new
    // direction the sort column alone.
    EXPECT_EQ(drawnSince([&] { f.List->SetHeaderSortColumn(2); }), (std::vector<int>{0, 2}));
    EXPECT_EQ(drawnSince([&] { f.List->SetHeaderSortDirection(kw::kwsdDesc); }), (std::vector<int>{2}));
    // A plain header: strings, with their justification.
    f.List->SetHeaderSortDisplayMode(kw::kwlvNone);
    EXPECT_EQ(format(0), HDF_STRING | HDF_LEFT);
    EXPECT_EQ(format(1), HDF_STRING | HDF_RIGHT);
}

TEST(ListViewBase, CustomDrawReachesTheSubItemsOfTheReportViewOnly)
{
    struct Case {
        TViewStyle Style;
        bool SubItems;
    };
    const Case cases[] = {{vsReport, true}, {vsIcon, false}, {vsList, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Style);
        Fixture f(c.Style);
        struct Drawer {
            int Items = 0;
            int SubItems = 0;
            void Draw(TObject*, kw::TKwCustomDraw* cd, TListItem* item)
            {
                if (!item)
                    return;
                if (cd->RawDrawStage() & CDDS_SUBITEM) {
                    ++SubItems;
                    EXPECT_EQ(cd->DrawStage(), kw::kwcdsUnknown);
                } else {
                    ++Items;
                }
            }
        } drawer;
        f.List->OnKwCustomDraw = kw::TKwLvCustomDrawEvent(&drawer, &Drawer::Draw);
        kwtest::SavePicture(f.List->Peer(), "list-view-custom-draw-" + std::to_string(c.Style) + ".png");
        EXPECT_GT(drawer.Items, 0);
        EXPECT_EQ(drawer.SubItems > 0, c.SubItems);
    }
}

TEST(ListViewBase, Pictures)
{
    const std::pair<kw::TKwLvHeaderSortDisplayMode, const char*> modes[] = {
        {kw::kwlvNone, "none"},
        {kw::kwlvLeftAlign, "left"},
        {kw::kwlvRightOfText, "right-of-text"},
        {kw::kwlvRightAlign, "right"}};
    for (const auto& [mode, name] : modes) {
        Fixture f;
        f.List->SetHeaderSortDisplayMode(mode);
        f.List->SetHeaderSortColumn(1);
        f.List->SetHeaderSortDirection(kw::kwsdDesc);
        f.Item(2)->SetSelected(true);
        Pump();
        kwtest::SavePicture(f.List->Peer(), std::string("list-view-report-") + name + ".png");
    }
    Fixture icons(vsIcon);
    TImageList* images = Create<TImageList>(icons.Form.Get());
    images->SetWidth(32);
    images->SetHeight(32);
    TBitmap* picture = Create<TBitmap>();
    picture->SetSize(32, 32);
    picture->Canvas()->Brush()->SetColor(clTeal);
    picture->Canvas()->FillRect({4, 4, 28, 28});
    images->Add(picture, nullptr);
    picture->Free();
    icons.List->SetLargeImages(images);
    for (int i = 0; i < 6; ++i)
        icons.Item(i)->SetImageIndex(0);
    icons.Item(1)->SetSelected(true);
    Pump();
    const QImage image = kwtest::SavePicture(icons.List->Peer(), "list-view-icons.png");
    EXPECT_GT(image.width(), 0);
}

} // namespace

namespace {

TEST(ListViewBase, IndexesThatNameNothingAreSkipped)
{
    Fixture f;
    struct Drawer {
        std::vector<TListItem*> Items;
        void Draw(TObject*, kw::TKwCustomDraw*, TListItem* item) { Items.push_back(item); }
    } drawer;
    f.List->OnKwCustomDrawEx = kw::TKwLvCustomDrawEvent(&drawer, &Drawer::Draw);
    const HWND header = f.List->GetHeaderHandle();
    ASSERT_NE(header, nullptr);
    const HDC dc = GetDC(f.List->Handle());
    for (const UINT index : {6u, 99u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        // A header item past the columns: left alone, the message taken.
        DRAWITEMSTRUCT record{ODT_HEADER, 0, index, ODA_DRAWENTIRE, 0, header, dc, {0, 0, 50, 20}, 0};
        EXPECT_EQ(f.List->Perform(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&record)), 1);
        // An item stage for a row past the items: the event hears no item.
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {f.List->Handle(), 0, NM_CUSTOMDRAW};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.hdc = dc;
        draw.nmcd.dwItemSpec = index;
        drawer.Items.clear();
        f.List->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
        ASSERT_EQ(drawer.Items.size(), 1u);
        EXPECT_EQ(drawer.Items[0], nullptr);
    }
    ReleaseDC(f.List->Handle(), dc);
}

} // namespace
