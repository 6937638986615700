// OLE drag and drop over Qt's: the registrations and their errors, Qt's drag
// events on the drop widget as the target's calls, the scripted drag loop
// across two windows, DoDragDrop through the installed loop, and the menu
// of a drop by the right button.

#include "shell32/DragAndDrop.h"
#include "shell32/ItemDropTargets.h"

#include "com/ComObject.h"
#include "shell32/ClipboardMime.h"
#include "shell32/FileDataObjects.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include "ClipboardTestHelpers.h"
#include "PlatformTestSupport.h"
#include "ShellTestHelpers.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using com::ComPtr;

namespace {

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

class Quiet final : public win32::WindowProcedure {
public:
    // A window that answers FALSE to WM_NCCREATE is never made.
    LRESULT WindowProc(HWND, UINT message, WPARAM, LPARAM) override { return message == WM_NCCREATE ? 1 : 0; }
};

// A window over a widget with a "viewport" child that takes the drags.
class ViewWindow final : public win32::WindowPeer {
public:
    ViewWindow(int x, int y, HWND parent = nullptr) : Viewport(&View)
    {
        View.setGeometry(x, y, 100, 80);
        Viewport.setGeometry(0, 10, 100, 70);
        View.show();
        win32::WindowCreation creation;
        creation.Parent = parent;
        creation.Style = WS_VISIBLE | (parent ? WS_CHILD : 0);
        Window = win32::CreateWindowFor(&Procedure, creation, this);
    }
    ~ViewWindow()
    {
        if (IsWindow(Window))
            DestroyWindow(Window);
    }
    RECT PeerClientRect() const override { return {0, 0, View.width(), View.height()}; }
    RECT PeerWindowRect() const override { return Rect(View); }
    POINT PeerClientOrigin() const override { return {View.x(), View.y()}; }
    void PeerInvalidate(const RECT*, bool) override {}
    void PeerUpdate() override {}
    bool PeerVisible() const override { return true; }
    bool PeerEnabled() const override { return true; }
    void PeerTakeFocus() override {}
    void PeerSetCursor(HCURSOR) override {}
    QObject* PeerDropReceiver() const override { return const_cast<QWidget*>(&Viewport); }
    RECT PeerDropReceiverRect() const override { return Rect(Viewport); }

    static RECT Rect(const QWidget& widget)
    {
        const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y(), origin.x() + widget.width(), origin.y() + widget.height()};
    }

    Quiet Procedure;
    QWidget View;
    QWidget Viewport;
    HWND Window = nullptr;
};

// Records every call as a line and answers with Answer (Throws: throws).
class RecordingTarget : public com::ComObject<IDropTarget> {
public:
    RecordingTarget(std::string name, std::vector<std::string>& log) : Name_(std::move(name)), Log_(log) {}
    DWORD Answer = DROPEFFECT_COPY;
    bool Throws = false;
    POINTL LastPoint{};
    DWORD LastKeys = 0;
    IDataObject* LastData = nullptr; // compared, never read: it may be gone
    std::vector<std::string> LastFiles;

    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override
    {
        Keep(data);
        return Note("enter", keys, point, effect);
    }
    HRESULT DragOver(DWORD keys, POINTL point, DWORD* effect) override
    {
        return Note("over", keys, point, effect);
    }
    HRESULT DragLeave() override
    {
        Log_.push_back(Name_ + " leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override
    {
        Keep(data);
        return Note("drop", keys, point, effect);
    }

private:
    void Keep(IDataObject* data)
    {
        LastData = data;
        LastFiles = data ? shell32::DroppedFileNames(*data) : std::vector<std::string>{};
    }
    HRESULT Note(const char* what, DWORD keys, POINTL point, DWORD* effect)
    {
        Log_.push_back(Name_ + " " + what + " " + std::to_string(*effect));
        LastPoint = point;
        LastKeys = keys;
        if (Throws)
            throw std::runtime_error("target failed");
        *effect = Answer;
        return S_OK;
    }
    std::string Name_;
    std::vector<std::string>& Log_;
};

// Goes on while a mouse button is down, drops when none is, gives up on
// Escape: as the controls' drop source does.
class ButtonSource : public com::ComObject<IDropSource> {
public:
    std::vector<DWORD> Feedback;
    HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return keys & (MK_LBUTTON | MK_RBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT GiveFeedback(DWORD effect) override
    {
        Feedback.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
};

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class DragAndDrop : public testing::Test {
protected:
    shelltest::ShellEnvironment Env;
    cliptest::OleScope Ole;
    std::vector<std::string> Log;

    ComPtr<RecordingTarget> Target(const std::string& name)
    {
        return com::MakeComObject<RecordingTarget>(name, Log);
    }
    ComPtr<IDataObject> Files(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            kwtest::WriteFile(Env / name, name);
            paths.push_back(Env / name);
        }
        ComPtr<IDataObject> data;
        EXPECT_EQ(shell32::MakeFilesDataObject(paths, DROPEFFECT_NONE, data.ReleaseAndGetAddressOf()), S_OK);
        return data;
    }
};

TEST_F(DragAndDrop, ARegistrationHoldsOneReferenceUntilRevokedOrTheWindowGoes)
{
    ComPtr<RecordingTarget> target = Target("t");
    auto window = std::make_unique<ViewWindow>(0, 0);
    Quiet quiet;
    const HWND messageOnly = win32::CreateWindowFor(&quiet, {});
    struct Case {
        const char* Name;
        std::function<HRESULT()> Call;
        HRESULT Expected;
        ULONG References; // the target's afterwards, ours included
    };
    const Case cases[] = {
        {"no target", [&] { return RegisterDragDrop(window->Window, nullptr); }, E_INVALIDARG, 1},
        {"a window that takes no drags", [&] { return RegisterDragDrop(messageOnly, target.Get()); },
         DRAGDROP_E_INVALIDHWND, 1},
        {"no window", [&] { return RegisterDragDrop(nullptr, target.Get()); }, DRAGDROP_E_INVALIDHWND, 1},
        {"revoked before registered", [&] { return RevokeDragDrop(window->Window); },
         DRAGDROP_E_NOTREGISTERED, 1},
        {"registered", [&] { return RegisterDragDrop(window->Window, target.Get()); }, S_OK, 2},
        {"a second time", [&] { return RegisterDragDrop(window->Window, target.Get()); },
         DRAGDROP_E_ALREADYREGISTERED, 2},
        {"revoked", [&] { return RevokeDragDrop(window->Window); }, S_OK, 1},
        {"registered again", [&] { return RegisterDragDrop(window->Window, target.Get()); }, S_OK, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Call(), c.Expected);
        EXPECT_EQ(References(target.Get()), c.References);
    }
    EXPECT_TRUE(window->Viewport.acceptDrops());
    EXPECT_EQ(shell32::RegisteredDropTarget(window->Window), target.Get());
    // A destroyed window loses its registration; its stale handle is no window.
    const HWND gone = window->Window;
    DestroyWindow(gone);
    EXPECT_EQ(References(target.Get()), 1u);
    EXPECT_EQ(shell32::RegisteredDropTarget(gone), nullptr);
    EXPECT_EQ(RevokeDragDrop(gone), DRAGDROP_E_INVALIDHWND);
    DestroyWindow(messageOnly);
}

TEST_F(DragAndDrop, QtsDragEventsOnTheDropWidgetBecomeTheTargetsCalls)
{
    ComPtr<RecordingTarget> target = Target("t");
    ViewWindow window(40, 30);
    ASSERT_EQ(RegisterDragDrop(window.Window, target.Get()), S_OK);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(Env / "a.txt"))});
    kwtest::WriteFile(Env / "a.txt", "a");
    struct Case {
        const char* Name;
        QEvent::Type Type;
        Qt::DropActions Possible;
        Qt::MouseButtons Buttons;
        Qt::KeyboardModifiers Modifiers;
        DWORD Answer;
        bool Throws;
        std::string Heard;
        DWORD Keys;
        bool Accepted;
        Qt::DropAction Action;
        bool Later = false; // heard once the event loop turns
    };
    const Case cases[] = {
        {"enter: taken, the action proposed", QEvent::DragEnter, Qt::CopyAction | Qt::MoveAction,
         Qt::LeftButton, Qt::ControlModifier, DROPEFFECT_COPY, false, "t enter 3", MK_LBUTTON | MK_CONTROL,
         true, Qt::CopyAction},
        {"a move: the scroll bit is no action", QEvent::DragMove,
         Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::RightButton, Qt::ShiftModifier,
         DROPEFFECT_MOVE | DROPEFFECT_SCROLL, false, "t over 7", MK_RBUTTON | MK_SHIFT, true, Qt::MoveAction},
        {"a move refused", QEvent::DragMove, Qt::CopyAction, Qt::LeftButton, Qt::AltModifier,
         DROPEFFECT_NONE | DROPEFFECT_SCROLL, false, "t over 1", MK_LBUTTON | MK_ALT, false,
         Qt::IgnoreAction},
        {"an effect the source does not allow", QEvent::DragMove, Qt::CopyAction, Qt::LeftButton,
         Qt::NoModifier, DROPEFFECT_LINK, false, "t over 1", MK_LBUTTON, false, Qt::IgnoreAction},
        {"a target that throws: no effect", QEvent::DragMove, Qt::CopyAction, Qt::LeftButton, Qt::NoModifier,
         DROPEFFECT_COPY, true, "t over 1", MK_LBUTTON, false, Qt::IgnoreAction},
        {"the drop", QEvent::Drop, Qt::CopyAction | Qt::LinkAction, Qt::NoButton, Qt::NoModifier,
         DROPEFFECT_LINK, false, "t drop 5", 0, true, Qt::LinkAction},
        {"another enter, answered", QEvent::DragEnter, Qt::CopyAction | Qt::MoveAction, Qt::LeftButton,
         Qt::ControlModifier, DROPEFFECT_COPY, false, "t enter 3", MK_LBUTTON | MK_CONTROL, true,
         Qt::CopyAction},
        // Another program's drop is not held open by what the target does.
        {"a drop after an answer: the action proposed, the target's drop after the delivery", QEvent::Drop,
         Qt::CopyAction | Qt::MoveAction, Qt::NoButton, Qt::ControlModifier, DROPEFFECT_MOVE, false,
         "t drop 3", MK_CONTROL, true, Qt::CopyAction, true},
    };
    const QPointF at(15, 25);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        target->Answer = c.Answer;
        target->Throws = c.Throws;
        std::unique_ptr<QDropEvent> event;
        if (c.Type == QEvent::DragEnter)
            event =
                std::make_unique<QDragEnterEvent>(at.toPoint(), c.Possible, &mime, c.Buttons, c.Modifiers);
        else if (c.Type == QEvent::DragMove)
            event = std::make_unique<QDragMoveEvent>(at.toPoint(), c.Possible, &mime, c.Buttons, c.Modifiers);
        else
            event = std::make_unique<QDropEvent>(at, c.Possible, &mime, c.Buttons, c.Modifiers);
        event->setAccepted(false);
        QApplication::sendEvent(&window.Viewport, event.get());
        if (c.Later) {
            EXPECT_EQ(Log, std::vector<std::string>{});
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(Log, std::vector<std::string>{c.Heard});
        EXPECT_EQ(target->LastKeys, c.Keys);
        const RECT rect = ViewWindow::Rect(window.Viewport);
        EXPECT_EQ(target->LastPoint.x, rect.left + 15);
        EXPECT_EQ(target->LastPoint.y, rect.top + 25);
        EXPECT_EQ(event->isAccepted(), c.Accepted);
        if (c.Accepted) {
            EXPECT_EQ(event->dropAction(), c.Action);
        }
        if (c.Type != QEvent::DragMove) {
            // Another program's files come as a data object read from the URLs.
            ASSERT_NE(target->LastData, nullptr);
            EXPECT_EQ(target->LastFiles, std::vector<std::string>{Env / "a.txt"});
        }
    }
    // Our own drag's MIME data brings back our own object; leaving tells
    // the target.
    ComPtr<IDataObject> ours = Files({"b.txt"});
    QMimeData* own = nullptr;
    ASSERT_EQ(shell32::MimeDataFromDataObject(ours.Get(), &own), S_OK);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, own, Qt::LeftButton, Qt::NoModifier);
    target->Throws = false;
    Log.clear();
    QApplication::sendEvent(&window.Viewport, &enter);
    EXPECT_EQ(target->LastData, ours.Get());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&window.Viewport, &leave);
    EXPECT_EQ(Log, (std::vector<std::string>{"t enter 1", "t leave"}));
    delete own;
    ASSERT_EQ(RevokeDragDrop(window.Window), S_OK);
    EXPECT_FALSE(window.Viewport.acceptDrops());
}

TEST_F(DragAndDrop, TheScriptedLoopCrossesWindowsAndDropsWhereTheLastAnswerAllows)
{
    ViewWindow left(0, 0), right(200, 0);
    ComPtr<RecordingTarget> a = Target("a"), b = Target("b");
    ASSERT_EQ(RegisterDragDrop(left.Window, a.Get()), S_OK);
    ASSERT_EQ(RegisterDragDrop(right.Window, b.Get()), S_OK);
    const RECT ra = ViewWindow::Rect(left.Viewport), rb = ViewWindow::Rect(right.Viewport);
    const POINT inA{ra.left + 5, ra.top + 5}, inB{rb.left + 5, rb.top + 5}, nowhere{rb.right + 50, rb.top};
    ComPtr<IDataObject> data = Files({"c.txt"});
    struct Case {
        const char* Name;
        std::vector<shell32::DragStep> Steps;
        DWORD BAnswer;
        HRESULT Result;
        DWORD Effect;
        std::vector<std::string> Heard;
    };
    const Case cases[] = {
        {"across and dropped",
         {{inA, MK_LBUTTON}, {inA, MK_LBUTTON}, {inB, MK_LBUTTON}, {inB, MK_LBUTTON, false, true}},
         DROPEFFECT_MOVE,
         DRAGDROP_S_DROP,
         DROPEFFECT_MOVE,
         {"a enter 3", "a over 3", "a leave", "b enter 3", "b drop 3"}},
        {"Escape",
         {{inB, MK_RBUTTON}, {inB, MK_RBUTTON, true}},
         DROPEFFECT_COPY,
         DRAGDROP_S_CANCEL,
         0,
         {"b enter 3", "b leave"}},
        {"released where the answer was none",
         {{inB, MK_LBUTTON}, {inB, MK_LBUTTON, false, true}},
         DROPEFFECT_NONE | DROPEFFECT_SCROLL,
         DRAGDROP_S_CANCEL,
         0,
         {"b enter 3", "b leave"}},
        {"released over no window",
         {{inB, MK_LBUTTON}, {nowhere, MK_LBUTTON}, {nowhere, 0}},
         DROPEFFECT_COPY,
         DRAGDROP_S_CANCEL,
         0,
         {"b enter 3", "b leave"}},
        {"steps that run out",
         {{inA, MK_LBUTTON}},
         DROPEFFECT_COPY,
         DRAGDROP_S_CANCEL,
         0,
         {"a enter 3", "a leave"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        b->Answer = c.BAnswer;
        ComPtr<ButtonSource> source = com::MakeComObject<ButtonSource>();
        DWORD effect = 0xFF;
        EXPECT_EQ(shell32::ScriptedDragLoop(c.Steps, data.Get(), source.Get(),
                                            DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect),
                  c.Result);
        EXPECT_EQ(effect, c.Effect);
        EXPECT_EQ(Log, c.Heard);
        for (const DWORD shown : source->Feedback)
            EXPECT_EQ(shown & DROPEFFECT_SCROLL, 0u) << "the scroll bit is no feedback";
    }
    // A child window's drop widget inside another's: the inner one.
    ViewWindow inner(0, 0, left.Window);
    inner.View.setParent(&left.Viewport);
    inner.View.setGeometry(10, 10, 40, 40);
    inner.View.show();
    ComPtr<RecordingTarget> c = Target("c");
    ASSERT_EQ(RegisterDragDrop(inner.Window, c.Get()), S_OK);
    const RECT rc = ViewWindow::Rect(inner.Viewport);
    EXPECT_EQ(shell32::DropWindowAt({rc.left + 2, rc.top + 2}), inner.Window);
    EXPECT_EQ(shell32::DropWindowAt(inA), left.Window);
    EXPECT_EQ(shell32::DropWindowAt(nowhere), nullptr);
}

TEST_F(DragAndDrop, DoDragDropRunsTheInstalledLoopAndKeepsWhatItThrows)
{
    ComPtr<IDataObject> data = Files({"d.txt"});
    ComPtr<ButtonSource> source = com::MakeComObject<ButtonSource>();
    struct Case {
        const char* Name;
        shell32::DragLoop Loop;
        HRESULT Result;
        DWORD Effect;
    };
    const Case cases[] = {
        {"dropped",
         [](IDataObject*, IDropSource*, DWORD ok, DWORD* e) {
             *e = ok & DROPEFFECT_COPY;
             return DRAGDROP_S_DROP;
         },
         DRAGDROP_S_DROP, DROPEFFECT_COPY},
        {"cancelled", [](IDataObject*, IDropSource*, DWORD, DWORD*) { return DRAGDROP_S_CANCEL; },
         DRAGDROP_S_CANCEL, 0},
        {"thrown",
         [](IDataObject*, IDropSource*, DWORD, DWORD* e) -> HRESULT {
             *e = 1;
             throw std::runtime_error("x");
         },
         E_UNEXPECTED, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        shell32::DragLoop before = shell32::SetDragLoop(c.Loop);
        DWORD effect = 0xFF;
        EXPECT_EQ(DoDragDrop(data.Get(), source.Get(), kAll, &effect), c.Result);
        EXPECT_EQ(effect, c.Effect);
        shell32::SetDragLoop(std::move(before));
    }
    DWORD effect = 0;
    EXPECT_EQ(DoDragDrop(nullptr, source.Get(), kAll, &effect), E_INVALIDARG);
}

// The tracker's script: the texts offered, then the item to choose (by its
// text; empty: cancel the menu).
std::vector<std::string> g_offered;
std::string g_default;
std::string g_choose;
void DropMenuTracker(win32::MenuTrackSession& session, POINT)
{
    g_offered.clear();
    g_default.clear();
    const std::vector<win32::MenuItemView> items = win32::MenuItems(session.Menu());
    for (std::size_t i = 0; i < items.size(); ++i) {
        g_offered.push_back(items[i].Text);
        if (items[i].State & MFS_DEFAULT)
            g_default = items[i].Text;
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!g_choose.empty() && items[i].Text == g_choose) {
            session.Choose(session.Menu(), static_cast<UINT>(i));
            return;
        }
    session.Cancel();
}

TEST_F(DragAndDrop, ARightButtonDropOnAFolderAsksWhatToDo)
{
    const win32::MenuTracker before = win32::SetMenuTracker(&DropMenuTracker);
    ViewWindow owner(0, 0);
    std::filesystem::create_directories(Env / "to");
    struct Case {
        const char* Name;
        DWORD Keys;
        DWORD Allowed;
        std::string Choose;
        std::vector<std::string> Offered;
        std::string Default;
        DWORD Effect;
        bool Moved;
        bool Copied;
    };
    const std::vector<std::string> all{"&Copy Here", "&Move Here", "&Link Here", "", "Cancel"};
    const Case cases[] = {
        {"Move Here", MK_RBUTTON, kAll, "&Move Here", all, "&Move Here", DROPEFFECT_MOVE, true, false},
        {"Ctrl: copy offered first", MK_RBUTTON | MK_CONTROL, kAll, "&Copy Here", all, "&Copy Here",
         DROPEFFECT_COPY, false, true},
        {"Cancel", MK_RBUTTON, kAll, "Cancel", all, "&Move Here", DROPEFFECT_NONE, false, false},
        {"dismissed", MK_RBUTTON, kAll, "", all, "&Move Here", DROPEFFECT_NONE, false, false},
        {"only what is allowed",
         MK_RBUTTON,
         DROPEFFECT_COPY,
         "&Copy Here",
         {"&Copy Here", "", "Cancel"},
         "&Copy Here",
         DROPEFFECT_COPY,
         false,
         true},
        {"the left button asks nothing", MK_LBUTTON, kAll, "", {}, "", DROPEFFECT_MOVE, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(Env / "to/e.txt");
        g_offered.clear();
        g_default.clear();
        g_choose = c.Choose;
        ComPtr<IDataObject> data = Files({"e.txt"});
        ComPtr<IDropTarget> target;
        ASSERT_EQ(shell32::MakeFolderDropTarget(owner.Window, Env / "to", target.ReleaseAndGetAddressOf()),
                  S_OK);
        DWORD effect = c.Allowed;
        ASSERT_EQ(target->Drop(data.Get(), c.Keys, POINTL{5, 5}, &effect), S_OK);
        EXPECT_EQ(effect, c.Effect);
        EXPECT_EQ(g_offered, c.Offered);
        EXPECT_EQ(g_default, c.Default);
        EXPECT_EQ(std::filesystem::exists(Env / "e.txt"), !c.Moved);
        EXPECT_EQ(std::filesystem::exists(Env / "to/e.txt"), c.Moved || c.Copied);
    }
    win32::SetMenuTracker(before);
}

} // namespace
