// Windows at both ends of the application's life: none can be made before
// it exists, and once it has gone a thread that still posts, sends or
// destroys is told so at once, without touching the freed application or
// waiting for a thread that no longer serves messages. Each step runs under
// a watchdog, so that a wait for good fails the test instead of hanging it.

#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include <unistd.h>

namespace {

class Quiet : public win32::WindowProcedure {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

int g_failures = 0;

void Expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "FAILED: %s (last error %lu)\n", what,
                     static_cast<unsigned long>(GetLastError()));
        ++g_failures;
    }
}

} // namespace

int main(int argc, char** argv)
{
    ::alarm(60); // a wait for good ends the program with a failure

    Quiet procedure;
    SetLastError(0);
    Expect(win32::CreateWindowFor(&procedure, {}) == nullptr, "no window without an application");
    Expect(GetLastError() == ERROR_INVALID_THREAD_ID, "the error says there is no thread to serve it");

    auto* app = new QCoreApplication(argc, argv);
    HWND window = win32::CreateWindowFor(&procedure, {});
    Expect(window != nullptr, "a window once the application exists");

    // A worker posts throughout the application's end, and sends as well.
    std::atomic<bool> stop{false};
    std::atomic<int> refused{0};
    std::thread poster([&] {
        while (!stop.load()) {
            if (!PostMessageA(window, WM_USER, 0, 0) && GetLastError() != ERROR_NOT_ENOUGH_QUOTA)
                refused.fetch_add(1);
        }
    });
    std::thread sender([&] {
        while (!stop.load())
            SendMessageA(window, WM_USER, 0, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    delete app;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop.store(true);
    poster.join();
    sender.join();
    Expect(refused.load() > 0, "posting is refused once the application has gone");

    SetLastError(0);
    Expect(!PostMessageA(window, WM_USER, 0, 0), "a post after the end fails");
    Expect(GetLastError() == ERROR_INVALID_THREAD_ID, "and says why");
    Expect(SendMessageA(window, WM_USER, 0, 0) == 0, "a send after the end returns at once");
    Expect(!DestroyWindow(window), "destroying after the end is refused at once");
    Expect(GetLastError() == ERROR_ACCESS_DENIED, "and says why");

    std::fprintf(stderr, "%s\n", g_failures ? "FAILED" : "PASSED");
    return g_failures ? 1 : 0;
}
