#pragma once
// The scripted person in front of the shell controls' menus: every menu
// shown is counted with the ids it offered, its popup opened, and the
// script (when set) chooses, highlights or cancels.

#include "win32/Menus.h"

#include <functional>
#include <string>
#include <vector>

namespace kwtest {

inline std::function<void(win32::MenuTrackSession&)> g_script;
inline int g_menus = 0;
inline std::vector<UINT> g_ids;

inline void Scripted(win32::MenuTrackSession& session, POINT)
{
    ++g_menus;
    g_ids.clear();
    for (const win32::MenuItemView& item : win32::MenuItems(session.Menu()))
        g_ids.push_back(item.Id);
    session.OpenPopup(session.Menu(), 0);
    if (g_script)
        g_script(session);
    if (!session.Finished())
        session.Cancel();
}

// The drop menu's person: chooses the item with the text g_choice (none
// such, or empty: cancels); every menu shown counted in g_menus.
inline std::string g_choice;
inline void ChooseByText(win32::MenuTrackSession& session, POINT)
{
    ++g_menus;
    const std::vector<win32::MenuItemView> items = win32::MenuItems(session.Menu());
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!g_choice.empty() && items[i].Text == g_choice) {
            session.Choose(session.Menu(), static_cast<UINT>(i));
            return;
        }
    session.Cancel();
}

// The position of the command item with id in popup; -1 when there is none.
inline int PositionOf(HMENU popup, UINT id)
{
    const std::vector<win32::MenuItemView> items = win32::MenuItems(popup);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Id == id && !items[i].SubMenu)
            return static_cast<int>(i);
    return -1;
}

} // namespace kwtest
