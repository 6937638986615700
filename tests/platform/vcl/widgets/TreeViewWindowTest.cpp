// The tree window under real input: what a click, a drag, a button and a
// key tell the parent and in which order; expansions refused on every path;
// how little a first paint asks; label editing begun and ended each way;
// scrolling; and the drag detection the clicks wait on.

#include "WidgetTesting.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ImgList.h"
#include "win32/ScrollBars.h"
#include "win32/TreeViews.h"
#include "win32/WindowManager.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kwtest::Later;
using kwtest::Pump;

std::string CodeName(UINT code)
{
    switch (code) {
    case NM_CLICK:
        return "click";
    case NM_DBLCLK:
        return "dblclk";
    case TVN_SELCHANGINGA:
        return "selchanging";
    case TVN_SELCHANGEDA:
        return "selchanged";
    case TVN_ITEMEXPANDINGA:
        return "expanding";
    case TVN_ITEMEXPANDEDA:
        return "expanded";
    case TVN_BEGINDRAGA:
        return "begindrag";
    case TVN_BEGINRDRAGA:
        return "beginrdrag";
    default:
        return {};
    }
}

// Keeps the notifications that matter to the click order.
class TRecordingTree : public TCustomTreeView {
public:
    using TCustomTreeView::TCustomTreeView;
    std::vector<std::string> Codes;
    int DisplayAsked = 0;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CN_NOTIFY) {
            const UINT code = reinterpret_cast<const NMHDR*>(message.LParam)->code;
            if (code == TVN_GETDISPINFOA)
                ++DisplayAsked;
            else if (const std::string name = CodeName(code); !name.empty())
                Codes.push_back(name);
        }
        TCustomTreeView::Dispatch(message);
    }
};

struct Fixture {
    kwtest::TestForm Form{300, 240};
    TRecordingTree* Tree = Create<TRecordingTree>(Form.Get());
    TTreeNode* A;
    TTreeNode* B;
    Fixture()
    {
        Tree->SetParent(Form.Get());
        Tree->SetBounds(0, 0, 300, 240);
        A = Tree->Items()->Add(nullptr, "alpha");
        Tree->Items()->AddChild(A, "alpha one");
        B = Tree->Items()->Add(nullptr, "beta");
        Tree->SetFocus();
        Pump();
        Tree->Codes.clear();
    }
    QWidget* Viewport() const { return static_cast<QAbstractScrollArea*>(Tree->Peer())->viewport(); }
    static QPoint Label(TTreeNode* node)
    {
        const TRect r = node->DisplayRect(true);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    QPoint Button(TTreeNode* node) const
    {
        const TRect r = node->DisplayRect(true);
        return {r.left - Tree->Indent() / 2, (r.top + r.bottom) / 2};
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        kwtest::ClickAwaited(Viewport(), at, button);
    }
    void Drag(QPoint from) { kwtest::ClickAwaited(Viewport(), from, Qt::LeftButton, {}, true); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Tree->Peer(), key, modifiers);
        Pump();
    }
};

using Strings = std::vector<std::string>;

TEST(TreeViewWindow, ClicksDragsButtonsAndKeysTellTheParentInOrder)
{
    struct Case {
        const char* Name;
        std::function<void(Fixture&)> Act;
        Strings Codes;
        const char* Selected;
    };
    const std::vector<Case> cases = {
        {"a label",
         [](Fixture& f) { f.Click(Fixture::Label(f.B)); },
         {"click", "selchanging", "selchanged"},
         "beta"},
        {"empty space",
         [](Fixture& f) {
             f.Click({150, 200});
         },
         {"click"},
         nullptr},
        {"right of a label",
         [](Fixture& f) {
             f.Click({280, Fixture::Label(f.B).y()});
         },
         {"click"},
         nullptr},
        {"the whole row with full-row select",
         [](Fixture& f) {
             f.Tree->SetRowSelect(true);
             f.Click({280, Fixture::Label(f.B).y()});
         },
         {"click", "selchanging", "selchanged"},
         "beta"},
        {"a button", [](Fixture& f) { f.Click(f.Button(f.A)); }, {"expanding", "expanded"}, nullptr},
        {"a drag", [](Fixture& f) { f.Drag(Fixture::Label(f.B)); }, {"begindrag"}, nullptr},
        {"a drag where drags are off",
         [](Fixture& f) {
             // Read from the live window, as a descendant sets it.
             const HWND window = f.Tree->Handle();
             SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | TVS_DISABLEDRAGDROP);
             f.Drag(Fixture::Label(f.B));
         },
         {},
         nullptr},
        {"a key", [](Fixture& f) { f.Key(Qt::Key_Down); }, {"selchanging", "selchanged"}, "alpha"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        c.Act(f);
        EXPECT_EQ(f.Tree->Codes, c.Codes);
        TTreeNode* selected = f.Tree->Selected();
        EXPECT_EQ(selected ? selected->Text() : std::string("none"), c.Selected ? c.Selected : "none");
    }
}

struct Refuser {
    bool Refuse = true;
    int Asked = 0;
    void Expanding(TObject*, TTreeNode*, bool& allow)
    {
        ++Asked;
        allow = !Refuse;
    }
};

TEST(TreeViewWindow, ARefusedExpansionHoldsOnEveryPath)
{
    struct Case {
        const char* Name;
        bool Collapse;
        std::function<void(Fixture&)> Act;
    };
    const std::vector<Case> cases = {
        {"button", false, [](Fixture& f) { f.Click(f.Button(f.A)); }},
        {"double click", false,
         [](Fixture& f) { QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, Fixture::Label(f.A)); }},
        {"Right", false, [](Fixture& f) { f.Key(Qt::Key_Right); }},
        {"+", false, [](Fixture& f) { f.Key(Qt::Key_Plus, Qt::KeypadModifier); }},
        {"*", false, [](Fixture& f) { f.Key(Qt::Key_Asterisk, Qt::KeypadModifier); }},
        {"Expand", false, [](Fixture& f) { f.A->Expand(false); }},
        {"button", true, [](Fixture& f) { f.Click(f.Button(f.A)); }},
        {"double click", true,
         [](Fixture& f) { QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, Fixture::Label(f.A)); }},
        {"Left", true, [](Fixture& f) { f.Key(Qt::Key_Left); }},
        {"-", true, [](Fixture& f) { f.Key(Qt::Key_Minus, Qt::KeypadModifier); }},
        {"Collapse", true, [](Fixture& f) { f.A->Collapse(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Collapse ? "collapse by " : "expand by ") + c.Name);
        Fixture f;
        f.A->SetSelected(true);
        if (c.Collapse)
            f.A->Expand(false);
        Refuser refuser;
        if (c.Collapse)
            f.Tree->OnCollapsing = TTVCollapsingEvent(&refuser, &Refuser::Expanding);
        else
            f.Tree->OnExpanding = TTVExpandingEvent(&refuser, &Refuser::Expanding);
        Pump();
        c.Act(f);
        Pump();
        EXPECT_EQ(refuser.Asked, 1);
        EXPECT_EQ(f.A->Expanded(), c.Collapse);
        EXPECT_EQ(f.A->GetFirstChild()->IsVisible(), c.Collapse);
    }
}

TEST(TreeViewWindow, ChildrenAddedWhileExpandingShowInThatExpansion)
{
    Fixture f;
    f.B->SetHasChildren(true);
    struct Filler {
        void Expanding(TObject*, TTreeNode* node, bool& allow)
        {
            node->Owner()->AddChild(node, "late child");
            allow = true;
        }
    } filler;
    f.Tree->OnExpanding = TTVExpandingEvent(&filler, &Filler::Expanding);
    f.Click(f.Button(f.B));
    ASSERT_EQ(f.B->Count(), 1);
    EXPECT_TRUE(f.B->Expanded());
    const TRect shown = f.B->GetFirstChild()->DisplayRect(true);
    EXPECT_GT(shown.right - shown.left, 0);
    // Deleting the children leaves the button until the flag is cleared.
    f.B->DeleteChildren();
    EXPECT_TRUE(f.B->HasChildren());
    f.B->SetHasChildren(false);
    EXPECT_FALSE(f.B->HasChildren());
}

TEST(TreeViewWindow, AFirstPaintAsksOnlyForTheRowsItShows)
{
    Fixture f;
    TImageList* images = Create<TImageList>(f.Form.Get());
    f.Tree->SetImages(images);
    f.Tree->Items()->BeginUpdate();
    for (int i = 0; i < 10000; ++i)
        f.Tree->Items()->AddChild(f.B, "item " + std::to_string(i));
    f.Tree->Items()->EndUpdate();
    f.B->Expand(false);
    f.Tree->DisplayAsked = 0;
    f.Tree->Peer()->repaint();
    const int rows =
        f.Tree->ClientHeight() / std::max(1, static_cast<int>(f.Tree->Perform(TVM_GETITEMHEIGHT))) + 1;
    EXPECT_GT(f.Tree->DisplayAsked, 0);
    EXPECT_LE(f.Tree->DisplayAsked, 2 * rows);
}

struct Editor {
    bool Allow = true;
    std::vector<std::string> Log;
    void Editing(TObject*, TTreeNode* node, bool& allow)
    {
        Log.push_back("editing:" + node->Text());
        allow = Allow;
    }
    void Edited(TObject*, TTreeNode*, std::string& text) { Log.push_back("edited:" + text); }
};

QLineEdit* EditField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

TEST(TreeViewWindow, LabelEditsBeginAndEndEachWay)
{
    struct Case {
        const char* Name;
        bool Allow;
        std::function<void(Fixture&)> Begin;
        std::function<void(Fixture&)> End;
        Strings Log;
        const char* Text;
    };
    const auto slowSecondClick = [](Fixture& f) {
        f.Click(Fixture::Label(f.B));
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        f.Click(Fixture::Label(f.B));
        kwtest::PumpUntil([&] { return f.Tree->IsEditing(); }, 3000);
    };
    const auto editText = [](Fixture& f) { f.B->EditText(); };
    const auto type = [](const char* keys, Qt::Key end) {
        return [keys, end](Fixture&) {
            QLineEdit* field = EditField();
            ASSERT_NE(field, nullptr);
            QTest::keyClicks(field, keys);
            QTest::keyClick(field, end);
        };
    };
    const std::vector<Case> cases = {
        {"slow second click, Enter",
         true,
         slowSecondClick,
         type("gamma", Qt::Key_Return),
         {"editing:beta", "edited:gamma"},
         "gamma"},
        {"EditText, Escape", true, editText, type("gamma", Qt::Key_Escape), {"editing:beta"}, "beta"},
        {"EditText, a click elsewhere",
         true,
         editText,
         [](Fixture& f) {
             QTest::keyClicks(EditField(), "delta");
             f.Click(Fixture::Label(f.A));
         },
         {"editing:beta", "edited:delta"},
         "delta"},
        {"refused", false, editText, [](Fixture&) {}, {"editing:beta"}, "beta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        Editor editor{c.Allow, {}};
        f.Tree->OnEditing = TTVEditingEvent(&editor, &Editor::Editing);
        f.Tree->OnEdited = TTVEditedEvent(&editor, &Editor::Edited);
        c.Begin(f);
        Pump();
        EXPECT_EQ(f.Tree->IsEditing(), c.Allow);
        c.End(f);
        kwtest::PumpUntil([&] { return !f.Tree->IsEditing(); }, 2000);
        Pump();
        EXPECT_FALSE(f.Tree->IsEditing());
        EXPECT_EQ(editor.Log, c.Log);
        EXPECT_EQ(f.B->Text(), c.Text);
    }
}

TEST(TreeViewWindow, ScrollMessagesTheWheelAndTheScrollInfo)
{
    Fixture f;
    f.Tree->Items()->BeginUpdate();
    for (int i = 0; i < 98; ++i)
        f.Tree->Items()->Add(nullptr, "row " + std::to_string(i));
    f.Tree->Items()->EndUpdate();
    Pump();
    const HWND window = f.Tree->Handle();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &info));
    const int page = static_cast<int>(info.nPage);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 99);
    EXPECT_GT(page, 3);
    SCROLLINFO bad{sizeof(SCROLLINFO) + 1, SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(GetScrollInfo(window, SB_VERT, &bad));

    struct Case {
        const char* Name;
        std::function<void()> Act;
        int Top;
    };
    const auto wheel = [&f](int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(f.Viewport()->mapToGlobal(QPoint(50, 50))), {}, {0, delta},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.Viewport(), &event);
    };
    const auto scroll = [window](int code) {
        SendMessageA(window, WM_VSCROLL, static_cast<WPARAM>(code), 0);
    };
    const std::vector<Case> cases = {
        {"a line", [&] { scroll(SB_LINEDOWN); }, 1},
        {"a page", [&] { scroll(SB_PAGEDOWN); }, 1 + page},
        {"a line up", [&] { scroll(SB_LINEUP); }, page},
        {"the top", [&] { scroll(SB_TOP); }, 0},
        {"a notch of the wheel", [&] { wheel(-120); }, QApplication::wheelScrollLines()},
        {"half a notch, then another half", [&] { wheel(60), wheel(-60), wheel(60); },
         QApplication::wheelScrollLines()},
        {"the bottom", [&] { scroll(SB_BOTTOM); }, 100 - page},
        {"the thumb", [&] { SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), 0); }, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        Pump();
        // Rows: alpha (closed), beta, then the 98 rows.
        TTreeNode* top = f.Tree->TopItem();
        ASSERT_NE(top, nullptr);
        const std::string expected = c.Top == 0   ? "alpha"
                                     : c.Top == 1 ? "beta"
                                                  : "row " + std::to_string(c.Top - 2);
        EXPECT_EQ(top->Text(), expected);
        EXPECT_EQ(GetScrollPos(window, SB_VERT), c.Top);
    }
}

TEST(TreeViewWindow, DragDetectionEndsAtAReleaseAMoveOrEscape)
{
    kwtest::TestForm form;
    QWidget* widget = form->Peer();
    const HWND window = form->Handle();
    const QPoint at(40, 40);
    const QPoint screenAt = widget->mapToGlobal(at);
    struct Case {
        const char* Name;
        bool ButtonDown;
        std::function<void()> Then;
        BOOL Dragged;
    };
    const std::vector<Case> cases = {
        {"a release", true, [&] { QTest::mouseRelease(widget, Qt::LeftButton, {}, at); }, FALSE},
        {"a small move, then a release", true,
         [&] {
             QTest::mouseMove(widget, at + QPoint(1, 1));
             QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
         },
         FALSE},
        {"a move out of the drag rectangle", true, [&] { QTest::mouseMove(widget, at + QPoint(0, 40)); },
         TRUE},
        {"Escape", true, [&] { QTest::keyClick(widget, Qt::Key_Escape); }, FALSE},
        {"no button down", false, [] {}, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        win32::NoteMouseButtons(c.ButtonDown, false, false);
        Later({c.Then});
        EXPECT_EQ(DragDetect(window, {screenAt.x(), screenAt.y()}), c.Dragged);
        EXPECT_EQ(GetCapture(), nullptr);
        win32::NoteMouseButtons(false, false, false);
        Pump();
    }
}

} // namespace

namespace {

// A compare that is no order at all: each call answers the other way.
int Fickle(LPARAM, LPARAM, LPARAM state)
{
    int& calls = *reinterpret_cast<int*>(state);
    return ++calls % 2 ? -1 : 1;
}

TEST(TreeViewWindow, AnInconsistentCompareKeepsEveryNode)
{
    Fixture f;
    for (int i = 0; i < 300; ++i)
        f.Tree->Items()->AddChild(f.B, "n" + std::to_string(i));
    int calls = 0;
    EXPECT_TRUE(f.B->CustomSort(&Fickle, reinterpret_cast<LPARAM>(&calls)));
    EXPECT_GT(calls, 0);
    std::vector<std::string> texts;
    for (TTreeNode* node = f.B->GetFirstChild(); node; node = node->GetNextSibling())
        texts.push_back(node->Text());
    std::sort(texts.begin(), texts.end());
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back("n" + std::to_string(i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
}

} // namespace

namespace {

struct Clicks {
    int Click = 0;
    int Up = 0;
    void Clicked(TObject*) { ++Click; }
    void Released(TObject*, TMouseButton, TShiftState, int, int) { ++Up; }
};

TEST(TreeViewWindow, AClickTheWindowWaitedOutEndsAsAnyClick)
{
    struct Case {
        const char* Name;
        Qt::MouseButton Button;
        int Clicks;
    };
    const Case cases[] = {{"left", Qt::LeftButton, 1}, {"right", Qt::RightButton, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Fixture f;
        Clicks clicks;
        f.Tree->OnClick = TNotifyEvent(&clicks, &Clicks::Clicked);
        f.Tree->OnMouseUp = TMouseEvent(&clicks, &Clicks::Released);
        f.Click(Fixture::Label(f.B), c.Button);
        EXPECT_EQ(clicks.Click, c.Clicks);
        EXPECT_EQ(clicks.Up, 1);
        // Nothing keeps the mouse: the next press goes where it is made.
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

} // namespace

namespace {

TEST(TreeViewWindow, ChildrenDeletedInAnUpdateLeaveTheRestShown)
{
    Fixture f;
    for (int i = 0; i < 200; ++i)
        f.Tree->Items()->AddChild(f.B, "child " + std::to_string(i));
    f.B->Expand(false);
    f.Tree->Items()->BeginUpdate();
    for (int i = 0; i < 150; ++i)
        f.B->GetFirstChild()->Delete();
    f.Tree->Items()->EndUpdate();
    Pump();
    ASSERT_EQ(f.B->Count(), 50);
    EXPECT_TRUE(f.B->Expanded());
    const TRect first = f.B->GetFirstChild()->DisplayRect(true);
    EXPECT_GT(first.bottom, first.top);
    EXPECT_EQ(f.B->GetFirstChild()->Text(), "child 150");
    EXPECT_EQ(f.Tree->GetNodeAt((first.left + first.right) / 2, (first.top + first.bottom) / 2),
              f.B->GetFirstChild());
}

} // namespace
