// Menus: item trees over HMENU handles, command ids, short-cuts and the
// popup menu's window.

#include "vcl/widgets/Menus.h"

#include "vcl/widgets/Forms.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/MessageWindows.h"
#include "win32/DeviceContext.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

namespace vcl {

namespace {

// Command ids are unique in the process, so a WM_COMMAND names one item
// whichever menu it came from.
std::set<UINT>& UsedCommands()
{
    static auto& used = *new std::set<UINT>;
    return used;
}

UINT AllocateCommand()
{
    UINT id = 1;
    for (UINT used : UsedCommands()) {
        if (used != id)
            break;
        ++id;
    }
    UsedCommands().insert(id);
    return id;
}

struct KeyName {
    WORD Key;
    const char* Name;
};
constexpr std::array<KeyName, 15> kKeyNames{{{VK_BACK, "BkSp"},
                                             {VK_TAB, "Tab"},
                                             {VK_ESCAPE, "Esc"},
                                             {VK_RETURN, "Enter"},
                                             {VK_SPACE, "Space"},
                                             {VK_PRIOR, "PgUp"},
                                             {VK_NEXT, "PgDn"},
                                             {VK_END, "End"},
                                             {VK_HOME, "Home"},
                                             {VK_LEFT, "Left"},
                                             {VK_UP, "Up"},
                                             {VK_RIGHT, "Right"},
                                             {VK_DOWN, "Down"},
                                             {VK_INSERT, "Ins"},
                                             {VK_DELETE, "Del"}}};

struct ModifierName {
    TShortCut Bit;
    const char* Name;
};
constexpr std::array<ModifierName, 3> kModifiers{{{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}}};

std::string KeyToText(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F1 + 11)
        return "F" + std::to_string(key - VK_F1 + 1);
    for (const KeyName& name : kKeyNames)
        if (name.Key == key)
            return name.Name;
    return {};
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool ShowControlPopup(TPopupMenu* menu, TControl* control, const TPoint& screen)
{
    if (!menu || !menu->AutoPopup())
        return false;
    menu->SetPopupComponent(control);
    menu->Popup(screen.x, screen.y);
    return true;
}

} // namespace

// ---- short-cuts ----

TShortCut ShortCut(WORD key, TShiftState shift)
{
    if ((key & 0xFF00) != 0)
        return scNone;
    TShortCut result = key;
    if (shift.Contains(ssShift))
        result |= scShift;
    if (shift.Contains(ssCtrl))
        result |= scCtrl;
    if (shift.Contains(ssAlt))
        result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift)
{
    key = shortCut & 0xFF;
    shift = {};
    if (shortCut & scShift)
        shift += ssShift;
    if (shortCut & scCtrl)
        shift += ssCtrl;
    if (shortCut & scAlt)
        shift += ssAlt;
}

std::string ShortCutToText(TShortCut shortCut)
{
    const std::string key = KeyToText(shortCut & 0xFF);
    if (key.empty())
        return {};
    std::string text;
    for (const ModifierName& modifier : kModifiers)
        if (shortCut & modifier.Bit)
            text += modifier.Name;
    return text + key;
}

TShortCut TextToShortCut(const std::string& text)
{
    std::string_view rest = text;
    TShortCut modifiers = 0;
    for (bool found = true; found;) {
        found = false;
        for (const ModifierName& modifier : kModifiers) {
            const std::string_view name = modifier.Name;
            if (rest.size() > name.size() && SameText(rest.substr(0, name.size()), name)) {
                modifiers |= modifier.Bit;
                rest.remove_prefix(name.size());
                found = true;
            }
        }
    }
    for (WORD key = 0x08; key <= 0xFF; ++key) {
        const std::string name = KeyToText(key);
        if (!name.empty() && SameText(name, rest))
            return static_cast<TShortCut>(key | modifiers);
    }
    return scNone;
}

std::string StripHotkey(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                result += '&';
            if (i + 1 < text.size())
                ++i;
            if (text[i] == '&')
                continue;
        }
        result += text[i];
    }
    return result;
}

// ---- TMenuItem ----

const TClassRtti& TMenuItem::PublishedTable()
{
    static const TClassRtti table =
        Publish<TMenuItem>()
            .Property<&TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck>("AutoCheck")
            .Default(false)
            .Property<&TMenuItem::Caption, &TMenuItem::SetCaption>("Caption")
            .Property<&TMenuItem::Checked, &TMenuItem::SetChecked>("Checked")
            .Default(false)
            .Property<&TMenuItem::Default, &TMenuItem::SetDefault>("Default")
            .Default(false)
            .Property<&TMenuItem::Enabled, &TMenuItem::SetEnabled>("Enabled")
            .Default(true)
            .Property<&TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex>("GroupIndex")
            .Default(0)
            .Property<&TMenuItem::Hint, &TMenuItem::SetHint>("Hint")
            .Property<&TMenuItem::RadioItem, &TMenuItem::SetRadioItem>("RadioItem")
            .Default(false)
            .Property<&TMenuItem::ShortCut, &TMenuItem::SetShortCut>("ShortCut")
            .Default(0)
            .Property<&TMenuItem::Tag, &TMenuItem::SetTag>("Tag")
            .Default(0)
            .Property<&TMenuItem::Visible, &TMenuItem::SetVisible>("Visible")
            .Default(true)
            .Property<&TMenuItem::OnClick>("OnClick")
            .Property<&TMenuItem::OnDrawItem>("OnDrawItem")
            .Property<&TMenuItem::OnMeasureItem>("OnMeasureItem");
    return table;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), Command_(AllocateCommand()) {}

TMenuItem::~TMenuItem()
{
    UsedCommands().erase(Command_);
}

void TMenuItem::BeforeDestruction()
{
    TComponent::BeforeDestruction();
    if (Parent_)
        Parent_->Remove(this);
    Clear();
    if (Handle_) {
        // The children's popups are theirs: take them out before the menu goes.
        while (GetMenuItemCount(Handle_) > 0)
            RemoveMenu(Handle_, 0, MF_BYPOSITION);
        DestroyMenu(Handle_);
        Handle_ = nullptr;
    }
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EMenuError("Menu index out of range");
    return Items_[static_cast<std::size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    const auto found = std::find(Items_.begin(), Items_.end(), item);
    return found == Items_.end() ? -1 : static_cast<int>(found - Items_.begin());
}

int TMenuItem::MenuIndex() const
{
    return Parent_ ? Parent_->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int value)
{
    if (!Parent_)
        return;
    TMenuItem* parent = Parent_;
    const int count = parent->Count();
    value = std::clamp(value, 0, count - 1);
    if (value == MenuIndex())
        return;
    parent->Remove(this);
    parent->Insert(value, this);
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item->Parent_)
        throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count())
        throw EMenuError("Menu index out of range");
    Items_.insert(Items_.begin() + index, item);
    item->Parent_ = this;
    RebuildHandle();
    MenuChanged(Count() == 1);
}

void TMenuItem::Remove(TMenuItem* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        throw EMenuError("Sub-menu is not in menu");
    Items_.erase(Items_.begin() + index);
    item->Parent_ = nullptr;
    RebuildHandle();
    if (!IsDestroying())
        MenuChanged(Items_.empty());
}

void TMenuItem::Delete(int index)
{
    TMenuItem* item = Items(index);
    Remove(item);
    item->Free();
}

void TMenuItem::Clear()
{
    while (!Items_.empty())
        Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    const std::string wanted = StripHotkey(caption);
    for (TMenuItem* item : Items_)
        if (SameText(StripHotkey(item->Caption_), wanted))
            return item;
    return nullptr;
}

HMENU TMenuItem::Handle()
{
    if (!Handle_) {
        Handle_ = CreatePopupMenu();
        RebuildHandle();
    }
    return Handle_;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* top = this;
    while (top->Parent_)
        top = top->Parent_;
    return top->Menu_;
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (Parent_ && Parent_->Menu_)
        return Parent_->Menu_;
    return Parent_;
}

void TMenuItem::SetParentComponent(TComponent* value)
{
    if (Parent_)
        Parent_->Remove(this);
    if (auto* menu = dynamic_cast<TMenu*>(value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(value))
        item->Add(this);
}

void TMenuItem::GetChildren(TGetChildProc proc, TComponent* root)
{
    for (TMenuItem* item : Items_)
        if (item->Owner() == root)
            proc(item);
}

void TMenuItem::RebuildHandle()
{
    if (!Handle_)
        return;
    while (GetMenuItemCount(Handle_) > 0)
        RemoveMenu(Handle_, 0, MF_BYPOSITION);
    TMenu* menu = GetParentMenu();
    const bool ownerDraw = menu && menu->OwnerDraw();
    for (TMenuItem* item : Items_)
        if (item->Visible_)
            item->AppendTo(Handle_, ownerDraw);
}

void TMenuItem::AppendTo(HMENU menu, bool ownerDraw)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING | MIIM_SUBMENU;
    std::string text = Caption_;
    if (ShortCut_ != scNone)
        text += '\t' + ShortCutToText(ShortCut_);
    info.dwTypeData = text.data();
    if (IsLine()) {
        info.fType = MFT_SEPARATOR;
        info.fMask &= ~MIIM_STRING;
    } else if (ownerDraw)
        info.fType = MFT_OWNERDRAW;
    if (RadioItem_)
        info.fType |= MFT_RADIOCHECK;
    info.fState =
        (Checked_ ? MFS_CHECKED : 0u) | (Enabled_ ? 0u : MFS_GRAYED) | (Default_ ? MFS_DEFAULT : 0u);
    info.wID = Command_;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    if (!Items_.empty())
        info.hSubMenu = Handle();
    InsertMenuItemA(menu, static_cast<UINT>(-1), TRUE, &info);
}

void TMenuItem::MenuChanged(bool rebuild)
{
    if (Parent_)
        Parent_->RebuildHandle();
    if (TMenu* menu = GetParentMenu(); menu && !menu->IsDestroying())
        menu->MenuChanged(this, rebuild);
}

void TMenuItem::SetCaption(const std::string& value)
{
    if (value != Caption_) {
        Caption_ = value;
        MenuChanged(false);
    }
}

void TMenuItem::TurnSiblingsOff()
{
    if (!Parent_)
        return;
    for (TMenuItem* item : Parent_->Items_)
        if (item != this && item->RadioItem_ && item->GroupIndex_ == GroupIndex_ && item->Checked_) {
            item->Checked_ = false;
        }
}

void TMenuItem::SetChecked(bool value)
{
    if (value == Checked_)
        return;
    Checked_ = value;
    if (value && RadioItem_)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool value)
{
    if (value != Enabled_) {
        Enabled_ = value;
        MenuChanged(false);
    }
}

void TMenuItem::SetVisible(bool value)
{
    if (value != Visible_) {
        Visible_ = value;
        MenuChanged(true);
    }
}

void TMenuItem::SetDefault(bool value)
{
    if (value == Default_)
        return;
    // One default item per menu.
    if (value && Parent_)
        for (TMenuItem* item : Parent_->Items_)
            item->Default_ = false;
    Default_ = value;
    MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool value)
{
    if (value != RadioItem_) {
        RadioItem_ = value;
        if (Checked_ && value)
            TurnSiblingsOff();
        MenuChanged(false);
    }
}

void TMenuItem::SetGroupIndex(BYTE value)
{
    if (value != GroupIndex_) {
        GroupIndex_ = value;
        if (Checked_ && RadioItem_)
            TurnSiblingsOff();
        MenuChanged(false);
    }
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (value != ShortCut_) {
        ShortCut_ = value;
        MenuChanged(false);
    }
}

void TMenuItem::Click()
{
    if (!Enabled_)
        return;
    if (AutoCheck_)
        SetChecked(!Checked_ || RadioItem_);
    if (OnClick)
        OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height)
{
    if (IsLine()) {
        height = 5;
    } else {
        std::string text = StripHotkey(Caption_);
        if (ShortCut_ != scNone)
            text += "    " + ShortCutToText(ShortCut_);
        width = canvas->TextWidth(text) + 32;
        height = std::max(canvas->TextHeight("Ag") + 6, 19);
    }
    if (OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, bool selected)
{
    if (OnDrawItem) {
        OnDrawItem(this, canvas, rect, selected);
        return;
    }
    canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas->FillRect(rect);
    if (IsLine()) {
        canvas->Pen()->SetColor(clBtnShadow);
        const int middle = (rect.top + rect.bottom) / 2;
        canvas->MoveTo(rect.left + 2, middle);
        canvas->LineTo(rect.right - 2, middle);
        return;
    }
    canvas->Font()->SetColor(!Enabled_ ? clGrayText : selected ? clHighlightText : clMenuText);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(rect.left + 20, rect.top + 3, StripHotkey(Caption_));
}

// ---- TMenu ----

const TClassRtti& TMenu::PublishedTable()
{
    static const TClassRtti table =
        Publish<TMenu>().Property<&TMenu::OwnerDraw, &TMenu::SetOwnerDraw>("OwnerDraw").Default(false);
    return table;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), Items_(Create<TMenuItem>(this))
{
    Items_->Menu_ = this;
}

TMenu::~TMenu() = default;

HMENU TMenu::Handle()
{
    return Items_->Handle();
}

void TMenu::SetOwnerDraw(bool value)
{
    if (value == OwnerDraw_)
        return;
    OwnerDraw_ = value;
    // Every popup changes its kind of item.
    std::vector<TMenuItem*> pending{Items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        item->RebuildHandle();
        pending.insert(pending.end(), item->Items_.begin(), item->Items_.end());
    }
    MenuChanged(nullptr, true);
}

void TMenu::GetChildren(TGetChildProc proc, TComponent* root)
{
    Items_->GetChildren(proc, root);
}

void TMenu::MenuChanged(TMenuItem*, bool) {}

TMenuItem* TMenu::FindItem(UINT value, bool byHandle) const
{
    std::vector<TMenuItem*> pending(Items_->Items_.rbegin(), Items_->Items_.rend());
    if (byHandle && Items_->Handle_ == reinterpret_cast<HMENU>(static_cast<UINT_PTR>(value)))
        return Items_;
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (byHandle
                ? (item->Handle_ && item->Handle_ == reinterpret_cast<HMENU>(static_cast<UINT_PTR>(value)))
                : (item->Items_.empty() && item->Command_ == value))
            return item;
        pending.insert(pending.end(), item->Items_.rbegin(), item->Items_.rend());
    }
    return nullptr;
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = FindItem(command, false);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU submenu)
{
    std::vector<TMenuItem*> pending{Items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (item->Handle_ && item->Handle_ == submenu) {
            if (item != Items_)
                item->Click();
            return true;
        }
        pending.insert(pending.end(), item->Items_.begin(), item->Items_.end());
    }
    return false;
}

bool TMenu::IsShortCut(const TMessage& message)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const TShortCut wanted = ShortCut(static_cast<WORD>(message.WParam & 0xFFFF),
                                      KeyDataToShiftState(message.LParam, shift, control));
    if (wanted == scNone)
        return false;
    // The item is looked for among the enabled items of enabled parents.
    auto search = [wanted](auto& self, TMenuItem* parent) -> TMenuItem* {
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            if (!item->Enabled())
                continue;
            if (item->Count() > 0) {
                if (TMenuItem* found = self(self, item))
                    return found;
            } else if (item->ShortCut() == wanted) {
                return item;
            }
        }
        return nullptr;
    };
    // Its parents are clicked first, outermost first, as if their popups
    // opened, so they can bring their items up to date. A parent that does
    // may free the items below it (a list of recent files made anew), so
    // the item is looked for again after each click, never used stale.
    std::size_t clicked = 0;
    bool any = false;
    for (;;) {
        TMenuItem* found = search(search, Items_);
        if (!found)
            return any;
        any = true;
        std::vector<TMenuItem*> parents;
        for (TMenuItem* parent = found->Parent(); parent && parent != Items_; parent = parent->Parent())
            parents.insert(parents.begin(), parent);
        if (clicked < parents.size()) {
            parents[clicked++]->Click();
            continue;
        }
        if (found->Enabled())
            found->Click();
        return true;
    }
}

bool TMenu::HandleMenuMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
        if (message.LParam != 0 || HIWORD(message.WParam) > 1)
            return false;
        return DispatchCommand(LOWORD(message.WParam));
    case WM_INITMENUPOPUP:
        return DispatchPopup(reinterpret_cast<HMENU>(message.WParam));
    case WM_MENUSELECT: {
        const UINT flags = HIWORD(message.WParam);
        const auto menu = reinterpret_cast<HMENU>(message.LParam);
        TMenuItem* item = nullptr;
        if (flags == 0xFFFF && !menu)
            item = nullptr; // the menu closed
        else if (flags & MF_POPUP)
            item = FindItem(
                static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetSubMenu(menu, LOWORD(message.WParam)))),
                true);
        else
            item = FindItem(LOWORD(message.WParam), false);
        if (!item && !(flags == 0xFFFF && !menu))
            return false;
        Application()->SetHint(item ? item->Hint() : std::string());
        return true;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
        // The data names the item; it is used only when it is one of ours.
        const bool measuring = message.Msg == WM_MEASUREITEM;
        const ULONG_PTR data = measuring ? reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->itemData
                                         : reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->itemData;
        const UINT type = measuring ? reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->CtlType
                                    : reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->CtlType;
        if (type != ODT_MENU)
            return false;
        std::vector<TMenuItem*> pending{Items_};
        TMenuItem* item = nullptr;
        while (!pending.empty() && !item) {
            TMenuItem* next = pending.back();
            pending.pop_back();
            if (reinterpret_cast<ULONG_PTR>(next) == data && next != Items_)
                item = next;
            pending.insert(pending.end(), next->Items_.begin(), next->Items_.end());
        }
        if (!item)
            return false;
        TCanvas* canvas = Create<TCanvas>();
        try {
            if (measuring) {
                auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
                // Measuring needs the font's metrics only: a scratch surface.
                QImage scratch(1, 1, QImage::Format_RGB32);
                HDC dc = win32::CreateImageDC(scratch);
                canvas->SetHandle(dc);
                int width = static_cast<int>(measure->itemWidth);
                int height = static_cast<int>(measure->itemHeight);
                try {
                    item->MeasureItem(canvas, width, height);
                } catch (...) {
                    canvas->SetHandle(nullptr);
                    DeleteDC(dc);
                    throw;
                }
                canvas->SetHandle(nullptr);
                DeleteDC(dc);
                measure->itemWidth = static_cast<UINT>(std::max(width, 0));
                measure->itemHeight = static_cast<UINT>(std::max(height, 0));
            } else {
                auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
                canvas->SetHandle(draw->hDC);
                const int saved = SaveDC(draw->hDC);
                item->DrawItem(canvas,
                               {draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom},
                               (draw->itemState & ODS_SELECTED) != 0);
                canvas->SetHandle(nullptr);
                RestoreDC(draw->hDC, saved);
            }
        } catch (...) {
            canvas->SetHandle(nullptr);
            vcl::Free(canvas);
            throw;
        }
        vcl::Free(canvas);
        message.Result = 1;
        return true;
    }
    default:
        return false;
    }
}

// ---- TMainMenu ----

const TClassRtti& TMainMenu::PublishedTable()
{
    static const TClassRtti table = Publish<TMainMenu>();
    return table;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

HMENU TMainMenu::Handle()
{
    return TMenu::Handle();
}

void TMainMenu::MenuChanged(TMenuItem* source, bool rebuild)
{
    TMenu::MenuChanged(source, rebuild);
    // The bars of the forms that show the menu follow it.
    for (TCustomForm* form : std::vector<TCustomForm*>(AllForms()))
        if (form->Menu() == this)
            form->Perform(CM_MENUCHANGED);
    if (OnChange)
        OnChange(this);
}

// ---- TPopupMenu ----

const TClassRtti& TPopupMenu::PublishedTable()
{
    static const TClassRtti table =
        Publish<TPopupMenu>()
            .Property<&TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup>("AutoPopup")
            .Default(true)
            .Property<&TPopupMenu::OnPopup>("OnPopup");
    return table;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner)
{
    InstallMenus();
    Window_ = AllocateHWnd(TWndMethod(this, &TPopupMenu::WndProc));
}

TPopupMenu::~TPopupMenu()
{
    DeallocateHWnd(Window_);
}

void TPopupMenu::WndProc(TMessage& message)
{
    try {
        if (HandleMenuMessage(message))
            return;
    } catch (...) {
        Application()->HandleException(this);
        return;
    }
    message.Result = DefWindowProcA(Window_, message.Msg, message.WParam, message.LParam);
}

void TPopupMenu::DoPopup(TObject* sender)
{
    if (OnPopup)
        OnPopup(sender);
}

void TPopupMenu::Popup(int x, int y)
{
    DoPopup(this);
    // OnPopup may have changed the items; the root's popup follows them.
    Items()->Click();
    static constexpr std::array<UINT, 3> kAlign{TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    const UINT flags = kAlign[static_cast<std::size_t>(Alignment_)] | TPM_RIGHTBUTTON | TPM_RETURNCMD;
    const UINT command = static_cast<UINT>(TrackPopupMenu(Handle(), flags, x, y, 0, Window_, nullptr));
    if (command != 0)
        DispatchCommand(command);
}

// ---- building in code ----

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, int, const std::string& name)
{
    TMenuItem* item = Create<TMenuItem>(nullptr);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->SetChecked(checked);
    item->SetEnabled(enabled);
    item->OnClick = onClick;
    return item;
}

TMenuItem* NewLine()
{
    return NewItem(cLineCaption, scNone, false, true, {}, 0, {});
}

TMenuItem* NewSubMenu(const std::string& caption, int helpContext, const std::string& name,
                      std::initializer_list<TMenuItem*> items)
{
    TMenuItem* item = NewItem(caption, scNone, false, true, {}, helpContext, name);
    for (TMenuItem* child : items)
        if (child)
            item->Add(child);
    return item;
}

TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment,
                         bool autoPopup, std::initializer_list<TMenuItem*> items)
{
    TPopupMenu* menu = Create<TPopupMenu>(owner);
    menu->SetName(name);
    menu->SetAlignment(alignment);
    menu->SetAutoPopup(autoPopup);
    for (TMenuItem* item : items)
        if (item)
            menu->Items()->Add(item);
    return menu;
}

void InstallMenus()
{
    // Once: a tracker put in place later (a test's) stays.
    static const bool installed = [] {
        InstallQtMenuTracker();
        SetPopupHook(&ShowControlPopup);
        return true;
    }();
    (void)installed;
}

} // namespace vcl
