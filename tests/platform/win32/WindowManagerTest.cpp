// Windows and their messages: posting from many threads across a window's
// destruction, sending, the default procedure, focus, capture and timers.

#include "win32/WindowManager.h"
#include "win32/Errors.h"
#include "win32/WindowTesting.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

// A window procedure that records what it is sent and may answer.
class Recorder : public win32::WindowProcedure {
public:
    struct Entry {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Entry> Log;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Answer;
    bool Destroyed = false;
    bool ReceivedAfterDestroy = false;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (Destroyed)
            ReceivedAfterDestroy = true;
        Log.push_back({window, message, wParam, lParam});
        if (message == WM_NCDESTROY)
            Destroyed = true;
        if (Answer)
            return Answer(window, message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::vector<UINT> Messages() const
    {
        std::vector<UINT> result;
        for (const Entry& e : Log)
            result.push_back(e.message);
        return result;
    }
};

std::uint64_t SlotOf(HWND window)
{
    return reinterpret_cast<std::uintptr_t>(window) & 0xFFFFFFFFu;
}

void PumpUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

constexpr UINT kMail = WM_USER + 101;

TEST(PostMessage, ManyThreadsAcrossDestructionDeliverOnceAndNeverToTheNextWindow)
{
    constexpr int kThreads = 8;
    constexpr int kPerThread = 10000;
    constexpr int kBeforeGate = 2500; // surely posted before the destruction
    constexpr int kAfterGate = 7500;  // surely posted after it

    Recorder first;
    HWND window = win32::CreateWindowFor(&first, {});
    ASSERT_TRUE(window);
    first.Log.clear();

    std::atomic<int> pastGate{0};
    std::atomic<bool> destroyed{false};
    std::vector<std::vector<char>> accepted(kThreads, std::vector<char>(kPerThread, 0));
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                if (i == kBeforeGate)
                    ++pastGate;
                if (i == kAfterGate)
                    while (!destroyed.load())
                        std::this_thread::yield();
                // A full queue is waited out: only the window's end refuses.
                BOOL posted;
                while (!(posted = PostMessageA(window, kMail, static_cast<WPARAM>(t), i)) &&
                       GetLastError() == ERROR_NOT_ENOUGH_QUOTA)
                    std::this_thread::yield();
                accepted[t][i] = posted ? 1 : 0;
            }
        });
    }

    // Destroy part way: once every thread is past its first quarter.
    PumpUntil([&] { return pastGate.load() == kThreads && first.Log.size() >= kThreads * kBeforeGate / 2; });
    const std::size_t discardedBefore = win32::testing::DiscardedMessages();
    ASSERT_TRUE(DestroyWindow(window));
    Recorder second;
    HWND next = win32::CreateWindowFor(&second, {});
    destroyed = true;
    for (std::thread& poster : posters)
        poster.join();
    PumpUntil([] { return win32::testing::QueuedMessages() == 0; });
    QCoreApplication::processEvents();

    EXPECT_FALSE(IsWindow(window));
    ASSERT_TRUE(next);
    EXPECT_NE(next, window);
    EXPECT_EQ(SlotOf(next), SlotOf(window)) << "the new window takes the freed slot";
    for (const Recorder::Entry& e : second.Log)
        EXPECT_NE(e.message, kMail) << "mail for the old window reached the new one";
    EXPECT_FALSE(first.ReceivedAfterDestroy);

    // What was delivered: each message once, each thread's in its order.
    std::set<std::pair<WPARAM, LPARAM>> seen;
    std::vector<LPARAM> lastOf(kThreads, -1);
    std::size_t delivered = 0;
    for (const Recorder::Entry& e : first.Log) {
        if (e.message != kMail)
            continue;
        ++delivered;
        EXPECT_TRUE(seen.insert({e.wParam, e.lParam}).second) << "delivered twice";
        ASSERT_LT(e.wParam, static_cast<WPARAM>(kThreads));
        EXPECT_GT(e.lParam, lastOf[e.wParam]) << "out of order";
        lastOf[e.wParam] = e.lParam;
        EXPECT_TRUE(accepted[e.wParam][static_cast<std::size_t>(e.lParam)]) << "a refused message arrived";
    }

    // What was accepted: everything posted before the destruction, nothing
    // after; all of it arrived except what was still queued when the window went.
    std::size_t acceptedCount = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kBeforeGate; ++i)
            EXPECT_TRUE(accepted[t][i]) << "thread " << t << " message " << i;
        for (int i = kAfterGate; i < kPerThread; ++i)
            EXPECT_FALSE(accepted[t][i]) << "thread " << t << " message " << i;
        bool refusedYet = false;
        for (int i = 0; i < kPerThread; ++i) {
            if (!accepted[t][i])
                refusedYet = true;
            else
                EXPECT_FALSE(refusedYet)
                    << "accepted after the destruction: thread " << t << " message " << i;
            acceptedCount += accepted[t][i];
        }
    }
    EXPECT_GE(delivered, static_cast<std::size_t>(kThreads * kBeforeGate / 2));
    EXPECT_EQ(delivered + (win32::testing::DiscardedMessages() - discardedBefore), acceptedCount);
    DestroyWindow(next);
}

// Messages posted while a window lives all arrive, in order, on the GUI thread.
TEST(PostMessage, DeliversEverythingWhileTheWindowLives)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    recorder.Log.clear();
    std::thread poster([&] {
        for (int i = 0; i < 1000; ++i)
            PostMessageA(window, kMail, 7, i);
    });
    poster.join();
    PumpUntil([&] { return recorder.Log.size() >= 1000; });
    ASSERT_EQ(recorder.Log.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(recorder.Log[static_cast<std::size_t>(i)].lParam, i);
    DestroyWindow(window);
}

TEST(PostMessage, RefusesWindowsThatAreNotThere)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    DestroyWindow(window);
    struct Case {
        const char* what;
        HWND target;
    } cases[] = {
        {"no window", nullptr},
        {"a destroyed window", window},
        {"a value that was never a window", reinterpret_cast<HWND>(std::uintptr_t{0x1234})},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(PostMessageA(c.target, kMail, 0, 0)) << c.what;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE) << c.what;
        EXPECT_EQ(SendMessageA(c.target, kMail, 0, 0), 0) << c.what;
    }
}

TEST(PostMessage, OneQueueHoldsTenThousandMessages)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    recorder.Log.clear();
    std::size_t accepted = 0;
    DWORD error = 0;
    std::thread poster([&] {
        while (accepted < 20000 && PostMessageA(window, kMail, 0, 0))
            ++accepted;
        error = GetLastError();
    });
    poster.join();
    EXPECT_EQ(accepted, 10000u);
    EXPECT_EQ(error, ERROR_NOT_ENOUGH_QUOTA);
    PumpUntil([&] { return win32::testing::QueuedMessages() == 0; });
    EXPECT_EQ(recorder.Log.size(), 10000u);
    EXPECT_TRUE(PostMessageA(window, kMail, 0, 0)); // room again once delivered
    DestroyWindow(window);
}

// What only the GUI thread may do is refused elsewhere, with nothing changed.
TEST(OtherThreads, MayNotDestroyWindowsEndTimersOrReadTheFocus)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    ASSERT_EQ(SetTimer(window, 3, 50, nullptr), 3u);
    SetFocus(window);
    ASSERT_EQ(GetFocus(), window);
    const std::size_t timers = win32::testing::LiveTimers();
    struct Case {
        const char* what;
        std::function<bool()> call;
        DWORD error;
    };
    const Case cases[] = {
        {"DestroyWindow", [&] { return DestroyWindow(window) != FALSE; }, ERROR_ACCESS_DENIED},
        {"KillTimer", [&] { return KillTimer(window, 3) != FALSE; }, ERROR_ACCESS_DENIED},
        {"GetFocus", [&] { return GetFocus() != nullptr; }, 0},
    };
    for (const Case& c : cases) {
        bool done = true;
        DWORD error = 0;
        std::thread worker([&] {
            SetLastError(0);
            done = c.call();
            error = GetLastError();
        });
        worker.join();
        EXPECT_FALSE(done) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(win32::testing::LiveTimers(), timers);
    EXPECT_TRUE(KillTimer(window, 3));
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(SetTimer, APeriodPastTheCeilingKeepsTheTimer)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    const std::size_t before = win32::testing::LiveTimers();
    ASSERT_EQ(SetTimer(window, 5, 100, nullptr), 5u);
    EXPECT_EQ(SetTimer(window, 5, 0xFFFFFFFFu, nullptr), 5u);
    EXPECT_EQ(win32::testing::LiveTimers(), before + 1);
    EXPECT_TRUE(KillTimer(window, 5));
    DestroyWindow(window);
}

TEST(SendMessage, AnswersFromTheProcedureAndFromOtherThreads)
{
    Recorder recorder;
    recorder.Answer = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kMail)
            return static_cast<LRESULT>(wp) * 1000 + lp + (win32::IsGuiThread() ? 0 : 500000);
        return DefWindowProcA(w, m, wp, lp);
    };
    HWND window = win32::CreateWindowFor(&recorder, {});
    EXPECT_EQ(SendMessageA(window, kMail, 3, 4), 3004);
    // From a worker, the message is carried out on the GUI thread.
    std::atomic<LRESULT> fromWorker{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        fromWorker = SendMessageA(window, kMail, 5, 6);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(fromWorker.load(), 5006);
    DestroyWindow(window);
}

TEST(DestroyWindow, TellsTheWindowThenItsChildrenThenEnds)
{
    std::vector<std::pair<char, UINT>> order;
    struct Tagged : Recorder {
        char Tag;
        std::vector<std::pair<char, UINT>>* Order;
        LRESULT WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) override
        {
            Order->push_back({Tag, m});
            return Recorder::WindowProc(w, m, wp, lp);
        }
    } parent, child;
    parent.Tag = 'P';
    child.Tag = 'C';
    parent.Order = child.Order = &order;
    HWND p = win32::CreateWindowFor(&parent, {});
    HWND c = win32::CreateWindowFor(&child, {p, WS_CHILD, 0, 42});
    EXPECT_EQ(GetParent(c), p);
    EXPECT_EQ(GetDlgItem(p, 42), c);
    EXPECT_EQ(GetWindowLongPtrA(c, GWL_STYLE), static_cast<LONG_PTR>(WS_CHILD));
    PostMessageA(c, kMail, 0, 0);
    order.clear();
    DestroyWindow(p);
    const std::vector<std::pair<char, UINT>> expected{
        {'P', WM_DESTROY}, {'C', WM_DESTROY}, {'C', WM_NCDESTROY}, {'P', WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(c));
    QCoreApplication::processEvents();
    EXPECT_EQ(order.size(), expected.size()) << "the child's mail went with it";
}

TEST(ParentNotify, AncestorsHearOfChildrenComingAndGoing)
{
    Recorder grandparent, parent, child, quiet;
    HWND g = win32::CreateWindowFor(&grandparent, {});
    HWND p = win32::CreateWindowFor(&parent, {g, WS_CHILD, 0, 5});
    grandparent.Log.clear();
    parent.Log.clear();
    HWND c = win32::CreateWindowFor(&child, {p, WS_CHILD, 0, 9});
    HWND q = win32::CreateWindowFor(&quiet, {p, WS_CHILD, WS_EX_NOPARENTNOTIFY, 10});
    struct Case {
        const char* what;
        Recorder* listener;
        std::vector<std::pair<WPARAM, LPARAM>> heard;
    } created[] = {
        {"parent", &parent, {{MAKEWPARAM(WM_CREATE, 9), reinterpret_cast<LPARAM>(c)}}},
        {"grandparent", &grandparent, {{MAKEWPARAM(WM_CREATE, 9), reinterpret_cast<LPARAM>(c)}}},
    };
    const auto heard = [](const Recorder& r) {
        std::vector<std::pair<WPARAM, LPARAM>> found;
        for (const Recorder::Entry& e : r.Log)
            if (e.message == WM_PARENTNOTIFY)
                found.push_back({e.wParam, e.lParam});
        return found;
    };
    for (const Case& k : created)
        EXPECT_EQ(heard(*k.listener), k.heard) << k.what;
    parent.Log.clear();
    child.Log.clear();
    DestroyWindow(c);
    ASSERT_FALSE(parent.Log.empty());
    EXPECT_EQ(parent.Log[0].message, static_cast<UINT>(WM_PARENTNOTIFY));
    EXPECT_EQ(parent.Log[0].wParam, MAKEWPARAM(WM_DESTROY, 9));
    EXPECT_EQ(child.Messages().front(), static_cast<UINT>(WM_DESTROY)) << "told before it goes";
    parent.Log.clear();
    DestroyWindow(q);
    EXPECT_TRUE(heard(parent).empty()) << "a quiet child told its parent";
    DestroyWindow(g);
}

TEST(DefWindowProc, PassesOnWhatTheWindowDoesNotTake)
{
    Recorder parent, child;
    HWND p = win32::CreateWindowFor(&parent, {});
    HWND c = win32::CreateWindowFor(&child, {p, WS_CHILD});
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool shift;
        // What the parent then receives.
        std::vector<UINT> parentGets;
        std::vector<UINT> childGets;
    } cases[] = {
        {"right button up",
         WM_RBUTTONUP,
         0,
         MAKELPARAM(-3, 4),
         false,
         {WM_CONTEXTMENU},
         {WM_RBUTTONUP, WM_CONTEXTMENU}},
        {"apps key", WM_KEYDOWN, 0x5D, 0, false, {WM_CONTEXTMENU}, {WM_KEYDOWN, WM_CONTEXTMENU}},
        {"shift+F10", WM_SYSKEYDOWN, 0x79, 0, true, {WM_CONTEXTMENU}, {WM_SYSKEYDOWN, WM_CONTEXTMENU}},
        {"F10 alone", WM_SYSKEYDOWN, 0x79, 0, false, {}, {WM_SYSKEYDOWN}},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0, false, {WM_MOUSEWHEEL}, {WM_MOUSEWHEEL}},
        {"tilted wheel", WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), 0, false, {WM_MOUSEHWHEEL}, {WM_MOUSEHWHEEL}},
        {"set cursor",
         WM_SETCURSOR,
         0,
         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
         false,
         {WM_SETCURSOR},
         {WM_SETCURSOR}},
        {"plain key", WM_KEYDOWN, 'A', 0, false, {}, {WM_KEYDOWN}},
    };
    for (const Case& c2 : cases) {
        parent.Log.clear();
        child.Log.clear();
        win32::NoteModifierKeys(c2.shift, false, false);
        SendMessageA(c, c2.message, c2.wParam, c2.lParam);
        EXPECT_EQ(parent.Messages(), c2.parentGets) << c2.what;
        EXPECT_EQ(child.Messages(), c2.childGets) << c2.what;
    }
    win32::NoteModifierKeys(false, false, false);
    // Context menus from the keyboard say -1; from the mouse, a screen point
    // (a peerless window's client area sits at the origin), signed.
    SendMessageA(c, WM_KEYDOWN, 0x5D, 0);
    EXPECT_EQ(parent.Log.back().lParam, -1);
    SendMessageA(c, WM_RBUTTONUP, 0, MAKELPARAM(-3, 4));
    EXPECT_EQ(GET_X_LPARAM(parent.Log.back().lParam), -3);
    EXPECT_EQ(GET_Y_LPARAM(parent.Log.back().lParam), 4);
    EXPECT_EQ(win32::CursorShape(GetCursor()), static_cast<int>(Qt::ArrowCursor));
    DestroyWindow(p);
}

TEST(Focus, MovesWithKillThenSetAndSaysWhereFrom)
{
    Recorder a, b;
    HWND wa = win32::CreateWindowFor(&a, {});
    HWND wb = win32::CreateWindowFor(&b, {});
    a.Log.clear();
    b.Log.clear();
    EXPECT_EQ(SetFocus(wa), nullptr);
    EXPECT_EQ(SetFocus(wb), wa);
    EXPECT_EQ(GetFocus(), wb);
    ASSERT_EQ(a.Messages(), (std::vector<UINT>{WM_SETFOCUS, WM_KILLFOCUS}));
    EXPECT_EQ(a.Log[1].wParam, reinterpret_cast<WPARAM>(wb));
    ASSERT_EQ(b.Messages(), (std::vector<UINT>{WM_SETFOCUS}));
    EXPECT_EQ(b.Log[0].wParam, reinterpret_cast<WPARAM>(wa));
    DestroyWindow(wb);
    EXPECT_EQ(GetFocus(), nullptr);
    DestroyWindow(wa);
}

struct Heard {
    char window;
    UINT message;
    WPARAM wParam;
    char other; // the window in wParam or lParam, '-' for none
    friend bool operator==(const Heard&, const Heard&) = default;
};

// A place on no screen: enough to make a window top-level and visible.
class NowherePeer : public win32::WindowPeer {
public:
    RECT PeerClientRect() const override { return {0, 0, 10, 10}; }
    RECT PeerWindowRect() const override { return {0, 0, 10, 10}; }
    POINT PeerClientOrigin() const override { return {0, 0}; }
    void PeerInvalidate(const RECT*, bool) override {}
    void PeerUpdate() override {}
    bool PeerVisible() const override { return true; }
    bool PeerEnabled() const override { return true; }
    void PeerTakeFocus() override {}
    void PeerSetCursor(HCURSOR) override {}
};

TEST(Activation, TellsTheWindowsInThePlatformsOrderOnceEach)
{
    std::vector<Heard> heard;
    Recorder a, b;
    NowherePeer peerA, peerB;
    HWND wa = win32::CreateWindowFor(&a, {}, &peerA);
    HWND wb = win32::CreateWindowFor(&b, {}, &peerB);
    Recorder message; // message-only: hears no activation
    HWND wm = win32::CreateWindowFor(&message, {});
    const auto name = [&](HWND w) { return w == wa ? 'a' : w == wb ? 'b' : '-'; };
    for (Recorder* r : {&a, &b}) {
        r->Answer = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            if (m == WM_ACTIVATE || m == WM_ACTIVATEAPP || m == WM_SETFOCUS || m == WM_KILLFOCUS) {
                const HWND other = m == WM_ACTIVATE ? reinterpret_cast<HWND>(lp) : reinterpret_cast<HWND>(wp);
                heard.push_back({name(w), m, m == WM_ACTIVATE || m == WM_ACTIVATEAPP ? wp : 0,
                                 m == WM_ACTIVATEAPP ? '-' : name(other)});
            }
            return DefWindowProcA(w, m, wp, lp);
        };
    }
    const std::vector<Heard> aGainsTheApplication{{'a', WM_ACTIVATEAPP, TRUE, '-'},
                                                  {'b', WM_ACTIVATEAPP, TRUE, '-'},
                                                  {'a', WM_ACTIVATE, WA_ACTIVE, '-'},
                                                  {'a', WM_SETFOCUS, 0, '-'}};
    struct Step {
        const char* what;
        HWND window;
        bool active;
        HWND other;
        std::vector<Heard> heard;
        HWND activeAfter;
    } steps[] = {
        {"first activation", wa, true, nullptr, aGainsTheApplication, wa},
        {"told again", wa, true, nullptr, {}, wa},
        {"another, before the first hears it lost",
         wb,
         true,
         nullptr,
         {{'a', WM_ACTIVATE, WA_INACTIVE, 'b'},
          {'b', WM_ACTIVATE, WA_ACTIVE, 'a'},
          {'a', WM_KILLFOCUS, 0, 'b'},
          {'b', WM_SETFOCUS, 0, 'a'}},
         wb},
        {"the late loss", wa, false, wb, {}, wb},
        {"the application loses it",
         wb,
         false,
         nullptr,
         {{'b', WM_ACTIVATE, WA_INACTIVE, '-'},
          {'a', WM_ACTIVATEAPP, FALSE, '-'},
          {'b', WM_ACTIVATEAPP, FALSE, '-'},
          {'b', WM_KILLFOCUS, 0, '-'}},
         nullptr},
        {"and gets it back", wa, true, nullptr, aGainsTheApplication, wa},
    };
    SetFocus(nullptr);
    for (const Step& s : steps) {
        heard.clear();
        win32::NoteActivation(s.window, s.active, s.other);
        EXPECT_EQ(heard, s.heard) << s.what;
        EXPECT_EQ(GetActiveWindow(), s.activeAfter) << s.what;
    }
    EXPECT_TRUE(message.Log.size() <= 2u); // its creation only
    DestroyWindow(wa);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    win32::NoteActivation(wb, false, nullptr);
    DestroyWindow(wb);
    DestroyWindow(wm);
}

TEST(Capture, TellsTheLoserAndEndsOnCancelMode)
{
    Recorder a, b;
    HWND wa = win32::CreateWindowFor(&a, {});
    HWND wb = win32::CreateWindowFor(&b, {});
    a.Log.clear();
    SetCapture(wa);
    EXPECT_EQ(GetCapture(), wa);
    EXPECT_EQ(SetCapture(wb), wa);
    ASSERT_EQ(a.Messages(), (std::vector<UINT>{WM_CAPTURECHANGED}));
    EXPECT_EQ(a.Log[0].lParam, reinterpret_cast<LPARAM>(wb));
    b.Log.clear();
    SendMessageA(wb, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(b.Messages(), (std::vector<UINT>{WM_CANCELMODE, WM_CAPTURECHANGED}));
    EXPECT_EQ(b.Log[1].lParam, 0);
    DestroyWindow(wa);
    DestroyWindow(wb);
}

TEST(Capture, EndsWhenTheProgramIsNoLongerActive)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    SetCapture(window);
    recorder.Log.clear();
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(app);
    Q_EMIT app->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(GetCapture(), window);
    Q_EMIT app->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(recorder.Messages(), (std::vector<UINT>{WM_CANCELMODE, WM_CAPTURECHANGED}));
    DestroyWindow(window);
}

TEST(SetTimer, TicksUntilKilledOrTheWindowGoes)
{
    Recorder recorder;
    HWND window = win32::CreateWindowFor(&recorder, {});
    const std::size_t before = win32::testing::LiveTimers();
    EXPECT_EQ(SetTimer(window, 7, 10, nullptr), 7u);
    PumpUntil([&] { return recorder.Log.size() >= 5; });
    for (const Recorder::Entry& e : recorder.Log) {
        if (e.message == WM_TIMER) {
            EXPECT_EQ(e.wParam, 7u);
        }
    }
    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));
    SetTimer(window, 8, 10, nullptr);
    DestroyWindow(window);
    EXPECT_EQ(win32::testing::LiveTimers(), before);
}

TEST(GetCursorPos, AsksTheHookWhenThereIsOne)
{
    win32::SetCursorPosHook([] { return POINT{-5, 77}; });
    POINT pt{};
    EXPECT_TRUE(GetCursorPos(&pt));
    EXPECT_EQ(pt.x, -5);
    EXPECT_EQ(pt.y, 77);
    win32::SetCursorPosHook(nullptr);
    win32::NoteCursorPos({12, 34});
    EXPECT_TRUE(GetCursorPos(&pt));
    EXPECT_EQ(pt.x, 12);
    EXPECT_EQ(pt.y, 34);
}

} // namespace
