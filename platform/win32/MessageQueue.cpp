// The message router of the GUI thread: posted mail, timers, messages sent
// from other threads, and the pointer.

#include "win32/Errors.h"
#include "win32/KernelObjects.h"
#include "win32/WindowTable_p.h"
#include "win32/WindowTesting.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <deque>
#include <map>
#include <utility>

using namespace win32::detail;

namespace {

struct Mail {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct TimerKey {
    HWND window;
    UINT_PTR id;
    friend bool operator<(const TimerKey& a, const TimerKey& b)
    {
        return std::pair(a.window, a.id) < std::pair(b.window, b.id);
    }
};

struct TimerEntry {
    int QtId;
    TIMERPROC Procedure;
};

// Qt passes a posted event to the GUI thread through its own queue, whose
// locking ThreadSanitizer cannot see (Qt is not built for it); the hand-over
// is told to it here, so that the checked thread layer stays free of false
// reports.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KW_ANNOTATE_HANDOVER 1
#endif
#endif
#ifdef KW_ANNOTATE_HANDOVER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
void HandOver(QEvent* event)
{
    __tsan_release(event);
}
void TakeOver(QEvent* event)
{
    __tsan_acquire(event);
}
#else
void HandOver(QEvent*) {}
void TakeOver(QEvent*) {}
#endif

const QEvent::Type kMailEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class Router;
void EndRouter(Router* router);

// One thread's queue holds no more than this many posted messages.
constexpr std::size_t kPostQuota = 10000;

// Lives on the GUI thread, as a child of the application, and goes with it.
class Router : public QObject {
public:
    ~Router() override { EndRouter(this); }

    // Guarded by PostingMutex().
    std::deque<Mail> Queue;
    bool WakePending = false;
    std::size_t Discarded = 0;

    // GUI thread only.
    std::map<TimerKey, TimerEntry> Timers;
    std::map<int, TimerKey> TimersByQtId;
    UINT_PTR NextThreadTimerId = 0x7FFF;

    void Wake()
    {
        // Called with PostingMutex() held.
        if (!WakePending) {
            WakePending = true;
            auto* wake = new QEvent(kMailEvent);
            HandOver(wake);
            QCoreApplication::postEvent(this, wake);
        }
    }

    bool event(QEvent* e) override
    {
        TakeOver(e);
        if (e->type() == kMailEvent) {
            Deliver();
            return true;
        }
        if (e->type() == QEvent::Timer) {
            Tick(static_cast<QTimerEvent*>(e)->timerId());
            return true;
        }
        return QObject::event(e);
    }

    void Deliver()
    {
        std::size_t budget;
        {
            std::lock_guard lock(PostingMutex());
            WakePending = false;
            budget = Queue.size();
        }
        // Only what was there when the wake came: what handlers post now
        // waits for the next turn of the loop, as other events do.
        while (budget-- > 0) {
            Mail mail;
            {
                std::lock_guard lock(PostingMutex());
                if (Queue.empty())
                    return;
                mail = Queue.front();
                Queue.pop_front();
            }
            // Checked again here: the window may have gone since it was posted.
            if (IsWindow(mail.window))
                CallProcedureGuarded(mail.window, mail.message, mail.wParam, mail.lParam);
        }
    }

    void Tick(int qtId)
    {
        const auto found = TimersByQtId.find(qtId);
        if (found == TimersByQtId.end())
            return;
        const TimerKey key = found->second;
        const TIMERPROC procedure = Timers.at(key).Procedure;
        const DWORD now = static_cast<DWORD>(Clock().elapsed());
        if (procedure) {
            try {
                procedure(key.window, WM_TIMER, key.id, now);
            } catch (...) {
                win32::HandleCurrentException();
            }
        } else if (IsWindow(key.window)) {
            CallProcedureGuarded(key.window, WM_TIMER, key.id, 0);
        }
    }

    static QElapsedTimer& Clock()
    {
        static QElapsedTimer clock = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }();
        return clock;
    }
};

// A program that stops being the active one leaves no mouse capture or
// drag behind: the capture's window hears WM_CANCELMODE, as the platform
// sends it when another program is activated.
void CancelModeOnDeactivation(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        return;
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
}

// The current application's router, guarded by PostingMutex(): made with
// the first need of it, gone with the application. Null while there is no
// application; posting and sending then fail.
Router* g_router = nullptr;

Router* RouterLocked()
{
    if (!g_router) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return nullptr;
        auto* made = new Router;
        made->moveToThread(app->thread());
        made->setParent(app);
        if (auto* gui = qobject_cast<QGuiApplication*>(app))
            QObject::connect(gui, &QGuiApplication::applicationStateChanged, made, &CancelModeOnDeactivation);
        g_router = made;
    }
    return g_router;
}

Router* TheRouter()
{
    std::lock_guard lock(PostingMutex());
    return RouterLocked();
}

// A message sent from another thread, waiting for the GUI thread; signalled
// once it has run.
struct SentCall : win32::KernelObject {
    HWND Window = nullptr;
    UINT Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    bool Done = false;
    bool IsSignalled() const override { return Done; }
};

// The messages other threads are waiting on; signalled while there are any.
struct SentQueue : win32::KernelObject {
    std::deque<std::shared_ptr<SentCall>> Pending;
    bool IsSignalled() const override { return !Pending.empty(); }
};

const std::shared_ptr<SentQueue>& Sent()
{
    static const auto& queue = *new std::shared_ptr<SentQueue>(std::make_shared<SentQueue>());
    return queue;
}

// The application ends: nothing is posted to its router any more, and the
// threads waiting on a sent message are let go with a result of 0.
void EndRouter(Router* router)
{
    {
        std::lock_guard lock(PostingMutex());
        if (g_router == router)
            g_router = nullptr;
    }
    std::deque<std::shared_ptr<SentCall>> abandoned;
    {
        win32::KernelStateChange change;
        abandoned.swap(Sent()->Pending);
        for (const std::shared_ptr<SentCall>& call : abandoned)
            call->Done = true;
    }
}

std::atomic<win32::CursorPosHook> g_cursorPosHook{nullptr};
std::atomic<long long> g_lastPointer{0};
bool g_pointerSeen = false;

} // namespace

namespace win32::detail {

void EnsureRouter()
{
    TheRouter();
}

void DiscardMailOf(HWND window)
{
    // Called with PostingMutex() held.
    Router* router = g_router;
    if (!router)
        return;
    const std::size_t before = router->Queue.size();
    std::erase_if(router->Queue, [window](const Mail& mail) { return mail.window == window; });
    router->Discarded += before - router->Queue.size();
}

void KillTimersOf(HWND window)
{
    Router* router = TheRouter();
    if (!router)
        return;
    for (auto it = router->Timers.begin(); it != router->Timers.end();) {
        if (it->first.window == window) {
            router->killTimer(it->second.QtId);
            router->TimersByQtId.erase(it->second.QtId);
            it = router->Timers.erase(it);
        } else {
            ++it;
        }
    }
}

LRESULT SendFromOtherThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto call = std::make_shared<SentCall>();
    call->Window = window;
    call->Message = message;
    call->WParam = wParam;
    call->LParam = lParam;
    {
        std::lock_guard lock(PostingMutex());
        Router* router = RouterLocked();
        if (!router) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return 0;
        }
        {
            win32::KernelStateChange change;
            Sent()->Pending.push_back(call);
        }
        // The event loop serves it, and so does a GUI thread waiting for a thread.
        QMetaObject::invokeMethod(
            router, [] { win32::ServeSentMessages(); }, Qt::QueuedConnection);
    }
    win32::WaitForKernelObjects({call}, false, INFINITE);
    return call->Result;
}

} // namespace win32::detail

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(PostingMutex());
    if (!window || !Windows().IsValid(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Router* router = RouterLocked();
    if (!router) {
        SetLastError(ERROR_INVALID_THREAD_ID); // the application has gone
        return FALSE;
    }
    if (router->Queue.size() >= kPostQuota) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    router->Queue.push_back({window, message, wParam, lParam});
    router->Wake();
    return TRUE;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    if (!win32::IsGuiThread() || (window && !IsWindow(window)) || (!window && !procedure)) {
        SetLastError(window && !IsWindow(window) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    Router* router = TheRouter();
    if (!router) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    if (!window)
        id = ++router->NextThreadTimerId;
    const TimerKey key{window, id};
    if (auto found = router->Timers.find(key); found != router->Timers.end()) {
        router->killTimer(found->second.QtId);
        router->TimersByQtId.erase(found->second.QtId);
        router->Timers.erase(found);
    }
    // The platform's floor for the period, and its ceiling.
    const int qtId = router->startTimer(static_cast<int>(std::clamp<UINT>(elapse, 10, INT_MAX)));
    if (qtId == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    router->Timers[key] = {qtId, procedure};
    router->TimersByQtId[qtId] = key;
    return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    // Timers belong to the GUI thread; another thread may not end them.
    if (!win32::IsGuiThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Router* router = TheRouter();
    if (!router) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto found = router->Timers.find({window, id});
    if (found == router->Timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    router->killTimer(found->second.QtId);
    router->TimersByQtId.erase(found->second.QtId);
    router->Timers.erase(found);
    return TRUE;
}

namespace win32 {

std::shared_ptr<KernelObject> SentMessages()
{
    return Sent();
}

bool ServeSentMessages()
{
    std::deque<std::shared_ptr<SentCall>> batch;
    {
        KernelStateChange change;
        batch.swap(Sent()->Pending);
    }
    for (const std::shared_ptr<SentCall>& call : batch) {
        const LRESULT result = IsWindow(call->Window) ? CallProcedureGuarded(call->Window, call->Message,
                                                                             call->WParam, call->LParam)
                                                      : 0;
        KernelStateChange change;
        call->Result = result;
        call->Done = true;
    }
    return !batch.empty();
}

CursorPosHook SetCursorPosHook(CursorPosHook hook)
{
    return g_cursorPosHook.exchange(hook);
}

void NoteCursorPos(POINT screen)
{
    g_lastPointer = (static_cast<long long>(screen.x) << 32) | static_cast<std::uint32_t>(screen.y);
    g_pointerSeen = true;
}

} // namespace win32

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    if (win32::CursorPosHook hook = g_cursorPosHook.load()) {
        *point = hook();
        return TRUE;
    }
    if (g_pointerSeen && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        const long long packed = g_lastPointer.load();
        *point = {static_cast<LONG>(packed >> 32), static_cast<LONG>(static_cast<std::int32_t>(packed))};
        return TRUE;
    }
    const QPoint pos = QCursor::pos();
    *point = {pos.x(), pos.y()};
    return TRUE;
}

namespace win32::testing {

std::size_t DiscardedMessages()
{
    std::lock_guard lock(PostingMutex());
    return g_router ? g_router->Discarded : 0;
}

std::size_t QueuedMessages()
{
    std::lock_guard lock(PostingMutex());
    return g_router ? g_router->Queue.size() : 0;
}

std::size_t LiveTimers()
{
    Router* router = TheRouter();
    return router ? router->Timers.size() : 0;
}

} // namespace win32::testing
