// Message-only windows for methods.

#include "vcl/widgets/MessageWindows.h"

#include "vcl/widgets/Application.h"
#include "win32/WindowManager.h"

#include <map>
#include <memory>

namespace vcl {

namespace {

class MethodWindow final : public win32::WindowProcedure {
public:
    explicit MethodWindow(TWndMethod method) : Method_(method) {}
    ~MethodWindow() = default;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        TMessage m{message, wParam, lParam, 0};
        // Creation messages arrive before the method is told its window.
        if (message == WM_NCCREATE)
            return TRUE;
        if (message == WM_CREATE || message == WM_NCDESTROY)
            return 0;
        Method_(m);
        return m.Result;
    }

private:
    TWndMethod Method_;
};

// GUI thread only, as the windows are.
std::map<HWND, std::unique_ptr<MethodWindow>>& Procedures()
{
    static auto& procedures = *new std::map<HWND, std::unique_ptr<MethodWindow>>;
    return procedures;
}

} // namespace

HWND AllocateHWnd(TWndMethod method)
{
    Application(); // exceptions that reach the router need their handler
    auto procedure = std::make_unique<MethodWindow>(method);
    HWND window = win32::CreateWindowFor(procedure.get(), {});
    if (!window)
        throw EOutOfMemory("Error creating window");
    Procedures()[window] = std::move(procedure);
    return window;
}

void DeallocateHWnd(HWND window)
{
    const auto found = Procedures().find(window);
    if (found == Procedures().end())
        return;
    DestroyWindow(window);
    Procedures().erase(found);
}

} // namespace vcl
