// Cursor handles: the system's cursors by number and the toolkit shapes
// behind them; the cursor shown over the window the pointer is over.

#include "win32/HandleTable.h"
#include "win32/WindowTable_p.h"

#include <Qt>

#include <array>
#include <mutex>
#include <utility>

using namespace win32::detail;

namespace {

win32::HandleTable<HCURSOR, int>& Table()
{
    static auto& table = *new win32::HandleTable<HCURSOR, int>(win32::HandleKind::Cursor);
    return table;
}

constexpr std::array<std::pair<int, Qt::CursorShape>, 14> kSystemCursors{{
    {32512, Qt::ArrowCursor},
    {32513, Qt::IBeamCursor},
    {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor},
    {32516, Qt::UpArrowCursor},
    {32642, Qt::SizeFDiagCursor},
    {32643, Qt::SizeBDiagCursor},
    {32644, Qt::SizeHorCursor},
    {32645, Qt::SizeVerCursor},
    {32646, Qt::SizeAllCursor},
    {32648, Qt::ForbiddenCursor},
    {32649, Qt::PointingHandCursor},
    {32650, Qt::BusyCursor},
    {32651, Qt::WhatsThisCursor},
}};

// GUI thread: the window that is asked for its cursor, and the cursor shown.
HWND g_cursorWindow = nullptr;
HCURSOR g_cursor = nullptr;

} // namespace

namespace win32 {

int CursorShape(HCURSOR cursor)
{
    return Table().Get(cursor).value_or(-1);
}

HCURSOR CursorForShape(int shape)
{
    // One handle per shape, made on first use and kept.
    static std::mutex mutex;
    static std::array<HCURSOR, Qt::LastCursor + 1> handles{};
    if (shape < 0 || shape > Qt::LastCursor)
        return nullptr;
    std::lock_guard lock(mutex);
    HCURSOR& handle = handles[static_cast<std::size_t>(shape)];
    if (!handle)
        handle = Table().Insert(shape);
    return handle;
}

void QueryCursor(HWND window, UINT mouseMessage)
{
    g_cursorWindow = window;
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, mouseMessage));
}

} // namespace win32

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance)
        return nullptr;
    const auto id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    for (const auto& [number, shape] : kSystemCursors)
        if (number == id)
            return win32::CursorForShape(shape);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR old = std::exchange(g_cursor, cursor);
    if (const WindowPtr state = FindWindowState(g_cursorWindow))
        if (win32::WindowPeer* peer = state->Peer.load())
            peer->PeerSetCursor(cursor);
    return old;
}

HCURSOR GetCursor()
{
    return g_cursor;
}
