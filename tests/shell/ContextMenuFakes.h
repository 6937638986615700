#pragma once
// Menu objects that record what they are asked, a window that routes its
// menu messages to the shell controls' menu routines as the tree and the
// list do, and a drop target that records the drop played on it.

#include "UKwShellControls.h"

#include "com/ComObject.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace kwtest {

// One command of a fake menu object: its offset, its verb (also its
// caption) and its help text (empty: GetCommandString fails for it).
struct FakeCommand {
    UINT Offset;
    std::string Verb;
    std::string Help;
};

// What a fake menu object was asked, outliving the object.
struct MenuLog {
    int Live = 0;
    int Queries = 0;
    HMENU QueriedMenu = nullptr;
    UINT QueriedFirst = 0;
    UINT QueriedLast = 0;
    UINT QueriedFlags = 0;
    std::vector<CMINVOKECOMMANDINFO> Invoked;
    std::vector<UINT> CommandStringsAsked;
    std::vector<UINT> HandledMessages;
    // The Send To submenu the last fill made.
    HMENU SendTo = nullptr;
};

template <typename Interface>
class TFakeMenuBase : public com::ComObject<Interface> {
public:
    HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) override
    {
        ++Log_.Queries;
        Log_.QueriedMenu = menu;
        Log_.QueriedFirst = idCmdFirst;
        Log_.QueriedLast = idCmdLast;
        Log_.QueriedFlags = flags;
        if (FAILED(QueryAnswer))
            return QueryAnswer;
        UINT position = indexMenu;
        UINT most = 0;
        for (const FakeCommand& command : Commands_) {
            InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, idCmdFirst + command.Offset,
                        command.Verb.c_str());
            most = std::max(most, command.Offset + 1);
            if (position == indexMenu + 1) {
                // A separator and a submenu among the commands, as the shell's
                // menus have them.
                InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
                if (WithSendTo) {
                    Log_.SendTo = CreatePopupMenu();
                    AppendMenuA(Log_.SendTo, MF_STRING | MF_GRAYED, 0, "(empty)");
                    InsertMenuA(menu, position++, MF_BYPOSITION | MF_POPUP,
                                reinterpret_cast<UINT_PTR>(Log_.SendTo), "Send To");
                }
            }
        }
        return static_cast<HRESULT>(most);
    }
    HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info) override
    {
        Log_.Invoked.push_back(*info);
        return InvokeAnswer;
    }
    HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT*, LPSTR name, UINT cchMax) override
    {
        Log_.CommandStringsAsked.push_back(static_cast<UINT>(idCmd));
        for (const FakeCommand& command : Commands_) {
            if (command.Offset != idCmd)
                continue;
            const std::string& text = type == GCS_VERBA ? command.Verb : command.Help;
            if (text.empty() || (type != GCS_VERBA && type != GCS_HELPTEXTA) || cchMax == 0)
                return E_FAIL;
            const size_t n = std::min<size_t>(text.size(), cchMax - 1);
            std::memcpy(name, text.data(), n);
            name[n] = '\0';
            return StringAnswer;
        }
        return E_INVALIDARG;
    }

    HRESULT QueryAnswer = S_OK;
    HRESULT InvokeAnswer = S_OK;
    HRESULT StringAnswer = S_OK;
    bool WithSendTo = false;

protected:
    TFakeMenuBase(MenuLog& log, std::vector<FakeCommand> commands) : Log_(log), Commands_(std::move(commands))
    {
        ++Log_.Live;
    }
    ~TFakeMenuBase() override { --Log_.Live; }

    MenuLog& Log_;
    std::vector<FakeCommand> Commands_;
};

// A menu object that leaves its submenus to its owner.
class TFakeMenu : public TFakeMenuBase<IContextMenu> {
protected:
    using TFakeMenuBase::TFakeMenuBase;
};

// A menu object that handles its own submenus' messages.
class TFakeMenu2 : public TFakeMenuBase<IContextMenu2> {
public:
    HRESULT HandleMenuMsg(UINT msg, WPARAM, LPARAM) override
    {
        Log_.HandledMessages.push_back(msg);
        return S_OK;
    }

protected:
    using TFakeMenuBase::TFakeMenuBase;
};

// The commands of the fakes: open first, a separator and Send To, then the
// others.
inline std::vector<FakeCommand> SampleCommands()
{
    return {{0, "open", "Opens the item."},
            {5, "copy", "Copies the item."},
            {7, "delete", ""},
            {18, "rename", "Renames the item."}};
}

// A window that hands its menu messages to the shell controls' routines
// with the menu object that is open, after the default handling, as the
// tree and the list do.
class MenuOwner : public win32::WindowProcedure {
public:
    MenuOwner() { Window = win32::CreateWindowFor(this, {}); }
    ~MenuOwner() { DestroyWindow(Window); }
    MenuOwner(const MenuOwner&) = delete;
    MenuOwner& operator=(const MenuOwner&) = delete;

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        vcl::TMessage message{msg, wParam, lParam, DefWindowProcA(window, msg, wParam, lParam)};
        switch (msg) {
        case WM_INITMENUPOPUP:
            kw::SendToInitMenuPopup(message, Menu, *List);
            break;
        case WM_MEASUREITEM:
            kw::SendToMeasureItem(message, Menu, *List);
            break;
        case WM_DRAWITEM:
            kw::SendToDrawItem(message, Menu, Images, *List);
            break;
        case WM_MENUCHAR:
            kw::SendToMenuChar(message, Menu, *List);
            break;
        case WM_MENUSELECT:
            kw::ShellMenuSelectHint(message, Menu, nullptr, kw::TKwShPopupHintEvent(this, &MenuOwner::Hint));
            break;
        default:
            break;
        }
        return message.Result;
    }
    void Hint(vcl::TObject*, const std::string& text) { Hints.push_back(text); }

    HWND Window = nullptr;
    IContextMenu* Menu = nullptr;
    kw::TKwSendToList* List = nullptr;
    HIMAGELIST Images = nullptr;
    std::vector<std::string> Hints;
};

// What a drop target was played, in order: "enter", "over", "leave",
// "drop", each with the key state and the effect offered.
struct DropLog {
    std::vector<std::string> Calls;
    std::vector<DWORD> Offered;
    std::vector<DWORD> KeyStates;
    std::vector<IDataObject*> Data;
    int Live = 0;
};

class TRecordingDropTarget : public com::ComObject<IDropTarget> {
public:
    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override
    {
        Note("enter", data, keys, *effect);
        if (FAILED(EnterAnswer))
            return EnterAnswer;
        *effect = Accepts ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT DragOver(DWORD keys, POINTL, DWORD* effect) override
    {
        Note("over", nullptr, keys, *effect);
        if (FAILED(OverAnswer))
            return OverAnswer;
        *effect = Accepts ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT DragLeave() override
    {
        Note("leave", nullptr, 0, 0);
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override
    {
        Note("drop", data, keys, *effect);
        return S_OK;
    }

    bool Accepts = true;
    HRESULT EnterAnswer = S_OK;
    HRESULT OverAnswer = S_OK;

protected:
    explicit TRecordingDropTarget(DropLog& log) : Log_(log) { ++Log_.Live; }
    ~TRecordingDropTarget() override { --Log_.Live; }

private:
    void Note(const char* call, IDataObject* data, DWORD keys, DWORD effect)
    {
        Log_.Calls.emplace_back(call);
        Log_.Data.push_back(data);
        Log_.KeyStates.push_back(keys);
        Log_.Offered.push_back(effect);
    }
    DropLog& Log_;
};

} // namespace kwtest
