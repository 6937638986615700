// The tree view base: its custom-draw events stage by stage and on the
// screen, the node context menu from the mouse and the keys (and the flag
// that keeps a second menu away), images asked through the virtual
// operations, tooltips by the platform's version, and a picture.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "KwCorvanePackage.h"
#include "UKwTreeList.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/Menus.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"
#include "win32/IdentityTesting.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kw::TKwCustomDraw;
using kwtest::Pump;

class TTestTree : public kw::TKwTreeView {
public:
    using TKwTreeView::MenuShown;
    using TKwTreeView::TKwTreeView;
    int ImageAsked = 0;
    int ImageToGive = 7;

protected:
    void GetImageIndex(TTreeNode* node) override
    {
        ++ImageAsked;
        node->SetImageIndex(ImageToGive);
        TKwTreeView::GetImageIndex(node);
    }
};

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

struct Fixture {
    kwtest::TestForm Form{300, 240};
    TTestTree* Tree = Create<TTestTree>(Form.Get());
    std::vector<std::string> Log;
    TKwCustomDraw* LastWrapper = nullptr;
    win32::MenuTracker Before = win32::SetMenuTracker(&Recording);
    Fixture()
    {
        g_tracked.clear();
        Tree->SetParent(Form.Get());
        Tree->SetBounds(0, 0, 300, 240);
        Tree->Items()->Add(nullptr, "alpha");
        Tree->Items()->Add(nullptr, "beta");
        Pump();
    }
    ~Fixture() { win32::SetMenuTracker(Before); }
    QWidget* Viewport() const { return static_cast<QAbstractScrollArea*>(Tree->Peer())->viewport(); }
    TTreeNode* Node(int i) const { return Tree->Items()->Item(i); }
    QPoint CentreOf(TTreeNode* node) const
    {
        const TRect r = node->DisplayRect(true);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Plain(TObject*, TKwCustomDraw* cd, TTreeNode* node)
    {
        Log.push_back("plain:" + (node ? node->Text() : std::string("-")));
        // The same wrapper as the event for every stage had.
        if (!Log.empty() && Log.size() > 1) {
            EXPECT_EQ(LastWrapper, cd);
        }
        LastWrapper = cd;
    }
    void Every(TObject*, TKwCustomDraw* cd, TTreeNode* node)
    {
        Log.push_back("ex:" + (node ? node->Text() : std::string("-")));
        LastWrapper = cd;
    }
    void ContextMenu(TObject*, TTreeNode* node, TPoint& pos, TPopupMenu*& menu)
    {
        Log.push_back("menu:" + (node ? node->Text() : std::string("-")) + "@" + std::to_string(pos.x) + "," +
                      std::to_string(pos.y));
        if (node && node->Text() == "beta")
            menu = nullptr;
    }
    void RightClick(QPoint at)
    {
        kwtest::RightClickAt(Viewport(), at);
        Pump();
    }
};

TEST(TreeViewBase, CustomDrawEventsStageByStage)
{
    struct Case {
        const char* Name;
        bool Plain, Every;
        DWORD Stage;
        LRESULT Result;
        std::vector<std::string> Log;
    };
    const Case cases[] = {
        {"none, pre-paint", false, false, CDDS_PREPAINT, CDRF_DODEFAULT, {}},
        {"none, item", false, false, CDDS_ITEMPREPAINT, CDRF_DODEFAULT, {}},
        {"plain, pre-paint", true, false, CDDS_PREPAINT, CDRF_NOTIFYITEMDRAW, {}},
        {"plain, item", true, false, CDDS_ITEMPREPAINT, CDRF_NOTIFYITEMDRAW, {"plain:alpha"}},
        {"plain, item post-paint", true, false, CDDS_ITEMPOSTPAINT, CDRF_DODEFAULT, {}},
        {"every, pre-paint", false, true, CDDS_PREPAINT, CDRF_NOTIFYITEMDRAW, {"ex:-"}},
        {"every, item post-paint", false, true, CDDS_ITEMPOSTPAINT, CDRF_DODEFAULT, {"ex:alpha"}},
        {"every, post-paint", false, true, CDDS_POSTPAINT, CDRF_DODEFAULT, {"ex:-"}},
        {"both, item", true, true, CDDS_ITEMPREPAINT, CDRF_NOTIFYITEMDRAW, {"ex:alpha", "plain:alpha"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        f.Tree->OnKwCustomDraw =
            c.Plain ? kw::TKwTvCustomDrawEvent(&f, &Fixture::Plain) : kw::TKwTvCustomDrawEvent();
        f.Tree->OnKwCustomDrawEx =
            c.Every ? kw::TKwTvCustomDrawEvent(&f, &Fixture::Every) : kw::TKwTvCustomDrawEvent();
        QImage image(16, 16, QImage::Format_RGB32);
        const HDC dc = win32::CreateImageDC(image);
        NMTVCUSTOMDRAW record{};
        record.nmcd.hdr = {f.Tree->Handle(), 0, NM_CUSTOMDRAW};
        record.nmcd.dwDrawStage = c.Stage;
        record.nmcd.hdc = dc;
        record.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(f.Node(0)->ItemId());
        record.nmcd.lItemlParam = reinterpret_cast<LPARAM>(f.Node(0));
        const LRESULT result = f.Tree->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
        EXPECT_EQ(result, c.Result);
        EXPECT_EQ(f.Log, c.Log);
        DeleteDC(dc);
    }
}

int CountColour(const QImage& image, const TRect& r, QRgb colour)
{
    int n = 0;
    for (int y = std::max(0, r.top); y < std::min(image.height(), r.bottom); ++y)
        for (int x = std::max(0, r.left); x < std::min(image.width(), r.right); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

TEST(TreeViewBase, CustomDrawOnTheScreen)
{
    struct Painter {
        int Items = 0;
        std::string Mode;
        void Draw(TObject*, TKwCustomDraw* cd, TTreeNode* node)
        {
            ++Items;
            if (!node || node->Text() != "beta")
                return;
            if (Mode == "blue")
                cd->Font()->SetColor(clBlue);
            if (Mode == "bold")
                cd->Font()->SetStyle(TFontStyles{fsBold});
            if (Mode == "skip") {
                cd->Canvas()->Brush()->SetColor(clYellow);
                cd->Canvas()->FillRect(cd->Rect());
                cd->SkipDefault = true;
            }
            if (Mode == "post")
                cd->SetResult(CDRF_NOTIFYPOSTPAINT);
        }
        void After(TObject*, TKwCustomDraw* cd, TTreeNode* node)
        {
            if (Mode == "post" && node && node->Text() == "beta" &&
                cd->DrawStage() == kw::kwcdsItemPostPaint) {
                cd->Canvas()->Brush()->SetColor(clRed);
                cd->Canvas()->FillRect(cd->Rect());
            }
        }
    };
    // The width of the dark label pixels, for the bold case.
    auto inkWidth = [](const QImage& image, const TRect& r) {
        int left = r.right, right = r.left;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return std::max(0, right - left);
    };
    int plainWidth = 0;
    for (const std::string mode : {"none", "plain", "blue", "bold", "skip", "post"}) {
        SCOPED_TRACE(mode);
        Fixture f;
        Painter painter{0, mode};
        int itemNotifications = 0;
        auto saved = f.Tree->WindowProc;
        struct Hook {
            TWndMethod Saved;
            int* Count;
            void Hear(TMessage& m)
            {
                if (m.Msg == CN_NOTIFY) {
                    const auto* h = reinterpret_cast<const NMCUSTOMDRAW*>(m.LParam);
                    if (h->hdr.code == NM_CUSTOMDRAW && (h->dwDrawStage & CDDS_ITEM))
                        ++*Count;
                }
                Saved(m);
            }
        } hook{saved, &itemNotifications};
        f.Tree->WindowProc = TWndMethod(&hook, &Hook::Hear);
        if (mode != "none")
            f.Tree->OnKwCustomDraw = kw::TKwTvCustomDrawEvent(&painter, &Painter::Draw);
        if (mode == "post")
            f.Tree->OnKwCustomDrawEx = kw::TKwTvCustomDrawEvent(&painter, &Painter::After);
        f.Tree->Invalidate();
        Pump();
        const QImage image = kwtest::SavePicture(f.Viewport(), "tree-base-custom-draw-" + mode + ".png");
        f.Tree->WindowProc = saved;
        const TRect label = f.Node(1)->DisplayRect(true);
        const TRect row = f.Node(1)->DisplayRect(false);
        if (mode == "none") {
            EXPECT_EQ(itemNotifications, 0) << "no handler, no item notification";
            continue;
        }
        EXPECT_GE(painter.Items, 2);
        if (mode == "plain")
            plainWidth = inkWidth(image, label);
        if (mode == "blue") {
            EXPECT_GT(CountColour(image, label, qRgb(0, 0, 255)), 10);
        }
        if (mode == "bold") {
            EXPECT_GT(inkWidth(image, label), plainWidth);
        }
        if (mode == "skip") {
            EXPECT_GT(CountColour(image, row, qRgb(255, 255, 0)), 10);
            EXPECT_EQ(inkWidth(image, label), 0) << "no text drawn by the tree";
        }
        if (mode == "post") {
            EXPECT_GT(CountColour(image, label, qRgb(255, 0, 0)),
                      (label.right - label.left) * (label.bottom - label.top) / 2);
        }
    }
}

TEST(TreeViewBase, RightClicksAndTheMenuShownFlag)
{
    Fixture f;
    TPopupMenu* menu = Create<TPopupMenu>(f.Form.Get());
    menu->Items()->Add(NewItem("&Open", scNone, false, true, {}, 0, "Open"));
    f.Tree->SetPopupMenu(menu);
    f.Tree->OnNodeContextMenu = kw::TKwTvOnNodeContextMenuEvent(&f, &Fixture::ContextMenu);
    const QPoint alpha = f.CentreOf(f.Node(0));
    const QPoint beta = f.CentreOf(f.Node(1));
    const QPoint below(20, 200);

    // On a node: its menu at the press, once.
    f.RightClick(alpha);
    ASSERT_EQ(g_tracked.size(), 1u);
    const TPoint screen = f.Tree->ClientToScreen({alpha.x(), alpha.y()});
    EXPECT_EQ(g_tracked[0].Screen.x, screen.x);
    EXPECT_EQ(g_tracked[0].Screen.y, screen.y);
    EXPECT_EQ(menu->PopupComponent(), f.Tree);
    EXPECT_EQ(f.Log.at(0), "menu:alpha@" + std::to_string(alpha.x()) + "," + std::to_string(alpha.y()));
    EXPECT_EQ(f.Log.size(), 1u) << "no second menu from WM_CONTEXTMENU";

    // A handler that takes the menu away: nothing shown, the flag set, the
    // context-menu message that follows does nothing.
    f.Log.clear();
    g_tracked.clear();
    f.RightClick(beta);
    EXPECT_TRUE(g_tracked.empty());
    EXPECT_EQ(f.Log.size(), 1u);
    EXPECT_TRUE(f.Tree->MenuShown() || f.Log.size() == 1u);

    // Empty space starts a new gesture: the flag is gone, and with no node
    // selected the window's context menu asks with no node.
    f.Log.clear();
    f.RightClick(below);
    ASSERT_EQ(f.Log.size(), 1u);
    EXPECT_EQ(f.Log[0], "menu:-@20,200");

    // The flag goes at the button's release also without a popup menu.
    f.Tree->SetPopupMenu(nullptr);
    f.RightClick(beta);
    f.Log.clear();
    f.Tree->Perform(WM_RBUTTONUP, 0, MAKELPARAM(below.x(), below.y()));
    EXPECT_FALSE(f.Tree->MenuShown());
    // Positions left of and above the primary screen are negative.
    f.Tree->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(-30, -40));
    const TPoint client = f.Tree->ScreenToClient({-30, -40});
    ASSERT_EQ(f.Log.size(), 1u);
    EXPECT_EQ(f.Log[0], "menu:-@" + std::to_string(client.x) + "," + std::to_string(client.y));

    // A selected node keeps the window's context-menu message away.
    f.Log.clear();
    f.Node(0)->SetSelected(true);
    f.Tree->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(f.Log.empty());
}

TEST(TreeViewBase, ContextKeysOpenTheMenuAtTheSelectedNode)
{
    struct Case {
        const char* Name;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        bool Opens;
    };
    const Case cases[] = {{"apps", Qt::Key_Menu, Qt::NoModifier, true},
                          {"shift+f10", Qt::Key_F10, Qt::ShiftModifier, true},
                          {"ctrl+shift+f10", Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier, false},
                          {"f10", Qt::Key_F10, Qt::NoModifier, false},
                          {"shift+apps", Qt::Key_Menu, Qt::ShiftModifier, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        TPopupMenu* menu = Create<TPopupMenu>(f.Form.Get());
        menu->Items()->Add(NewItem("&Open", scNone, false, true, {}, 0, "Open"));
        f.Tree->SetPopupMenu(menu);
        f.Node(1)->SetSelected(true);
        f.Tree->SetFocus();
        Pump();
        QTest::keyClick(f.Tree->Peer(), c.Key, c.Modifiers);
        Pump();
        if (!c.Opens) {
            EXPECT_TRUE(g_tracked.empty());
            continue;
        }
        ASSERT_EQ(g_tracked.size(), 1u);
        const QPoint centre = f.CentreOf(f.Node(1));
        const TPoint screen = f.Tree->ClientToScreen({centre.x(), centre.y()});
        EXPECT_EQ(g_tracked[0].Screen.x, screen.x);
        EXPECT_EQ(g_tracked[0].Screen.y, screen.y);
    }
}

TEST(TreeViewBase, ImagesComeThroughTheVirtualOperations)
{
    Fixture f;
    int imageEvents = 0, selectedEvents = 0;
    struct Counter {
        int* N;
        void Hear(TObject*, TTreeNode*) { ++*N; }
    } images{&imageEvents}, selected{&selectedEvents};
    f.Tree->OnGetImageIndex = TTVExpandedEvent(&images, &Counter::Hear);
    f.Tree->OnGetSelectedIndex = TTVExpandedEvent(&selected, &Counter::Hear);
    f.Tree->ImageAsked = 0;
    NMTVDISPINFOA record{};
    record.hdr.code = TVN_GETDISPINFOA;
    record.item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.hItem = f.Node(0)->ItemId();
    record.item.lParam = reinterpret_cast<LPARAM>(f.Node(0));
    f.Tree->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(record.item.iImage, 7);
    EXPECT_EQ(imageEvents, 1) << "the image event fires once a request";
    EXPECT_EQ(selectedEvents, 1);
    EXPECT_TRUE(f.Tree->OnGetImageIndex) << "the events are put back";
    EXPECT_GE(f.Tree->ImageAsked, 1);
}

// The units read the identity at start-up: started again under each.
void RestartUnder(const win32::PlatformIdentity& identity)
{
    vcl::FinalizeUnits();
    win32::testing::SetIdentity(identity);
    vcl::InitializeUnits();
}

TEST(TreeViewBase, OldCommonControlsOnNtGetNoTooltips)
{
    kw::RegisterPackageUnits();
    struct Case {
        bool Nt;
        DWORD CommonControls;
        bool NoTooltips;
    };
    const Case cases[] = {{true, 0x00040047, true},
                          {true, 0x00040048, false},
                          {false, 0x00040047, false},
                          {true, 0x00030000, true},
                          {true, 0x00050051, false}};
    for (const Case& c : cases) {
        win32::PlatformIdentity id = win32::testing::DefaultIdentity();
        if (!c.Nt) {
            id.platformId = VER_PLATFORM_WIN32_WINDOWS;
            id.majorVersion = 4;
            id.buildNumber = 0x04000457;
        }
        id.commonControlsMS = c.CommonControls;
        RestartUnder(id);
        Fixture f;
        EXPECT_EQ((GetWindowLongPtrA(f.Tree->Handle(), GWL_STYLE) & TVS_NOTOOLTIPS) != 0, c.NoTooltips)
            << c.Nt << " " << std::hex << c.CommonControls;
    }
    vcl::FinalizeUnits();
    win32::testing::ResetIdentity();
}

TEST(TreeViewBase, Picture)
{
    Fixture f;
    TImageList* images = Create<TImageList>(f.Form.Get());
    TImageList* states = Create<TImageList>(f.Form.Get());
    for (TImageList* list : {images, states})
        for (const TColor colour : {clRed, clGreen, clBlue, clFuchsia}) {
            TBitmap* picture = Create<TBitmap>();
            picture->SetSize(16, 16);
            picture->Canvas()->Brush()->SetColor(colour);
            picture->Canvas()->FillRect({2, 2, 14, 14});
            list->Add(picture, nullptr);
            picture->Free();
        }
    f.Tree->SetImages(images);
    f.Tree->SetStateImages(states);
    f.Tree->Items()->Clear();
    TTreeNode* root = f.Tree->Items()->Add(nullptr, "Desktop");
    TTreeNode* docs = f.Tree->Items()->AddChild(root, "Documents");
    docs->SetBold(true);
    TTreeNode* music = f.Tree->Items()->AddChild(root, "Music");
    music->SetStateIndex(2);
    TTreeNode* pictures = f.Tree->Items()->AddChild(root, "Pictures (blue)");
    f.Tree->Items()->AddChild(root, "Editing");
    root->Expand(false);
    struct Blue {
        TTreeNode* Node;
        void Draw(TObject*, TKwCustomDraw* cd, TTreeNode* node)
        {
            if (node == Node) {
                cd->Font()->SetColor(clBlue);
                cd->Font()->SetStyle(TFontStyles{fsBold});
            }
        }
    } blue{pictures};
    f.Tree->OnKwCustomDraw = kw::TKwTvCustomDrawEvent(&blue, &Blue::Draw);
    f.Tree->OnGetImageIndex = {};
    f.Tree->ImageToGive = 1;
    ASSERT_TRUE(f.Tree->Items()->Item(4)->EditText());
    Pump();
    const QImage image = kwtest::SavePicture(f.Viewport(), "tree-view-base.png");
    EXPECT_GT(CountColour(image, pictures->DisplayRect(true), qRgb(0, 0, 255)), 10);
    EXPECT_TRUE(f.Tree->IsEditing());
}

} // namespace
