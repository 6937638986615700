#pragma once
// The framework's menus: TMenuItem trees behind HMENU handles, the main menu
// of a form and popup menus, and keyboard short-cuts.
//
// An item with children owns a popup HMENU, rebuilt from the items whenever
// one changes; a command item has a command id unique in the process, by
// which WM_COMMAND finds it again. Items are found for WM_INITMENUPOPUP by
// their handle. Owner-drawn menus give each item's OnMeasureItem and
// OnDrawItem a canvas over the platform's device context.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/ShiftState.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/Messages.h"

#include <string>
#include <vector>

namespace vcl {

class TControl;
class TMenu;

// A key with its modifiers in one word: the virtual key in the low byte.
using TShortCut = WORD;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

CORVANE_VCL_EXPORT TShortCut ShortCut(WORD key, TShiftState shift);
CORVANE_VCL_EXPORT void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);
// "Ctrl+Shift+F5"; empty for a key without a name.
CORVANE_VCL_EXPORT std::string ShortCutToText(TShortCut shortCut);
// The reverse, case-insensitive; scNone for text that names no key.
CORVANE_VCL_EXPORT TShortCut TextToShortCut(const std::string& text);
// The caption without its mnemonic marks ("&&" stays one "&").
CORVANE_VCL_EXPORT std::string StripHotkey(const std::string& text);

// "-" as a caption makes a separator.
inline constexpr const char* cLineCaption = "-";

using TMenuDrawItemEvent = TEvent<void(TObject* sender, TCanvas* canvas, TRect rect, bool selected)>;
using TMenuMeasureItemEvent = TEvent<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;

class CORVANE_VCL_EXPORT TMenuItem : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& value);
    bool IsLine() const { return Caption_ == cLineCaption; }
    bool Checked() const { return Checked_; }
    // Checking a radio item clears the others of its group.
    void SetChecked(bool value);
    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return Visible_; }
    void SetVisible(bool value);
    bool Default() const { return Default_; }
    void SetDefault(bool value);
    bool RadioItem() const { return RadioItem_; }
    void SetRadioItem(bool value);
    BYTE GroupIndex() const { return GroupIndex_; }
    void SetGroupIndex(BYTE value);
    bool AutoCheck() const { return AutoCheck_; }
    void SetAutoCheck(bool value) { AutoCheck_ = value; }
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& value) { Hint_ = value; }
    TShortCut ShortCut() const { return ShortCut_; }
    void SetShortCut(TShortCut value);
    int Tag() const { return static_cast<int>(TComponent::Tag()); }
    void SetTag(int value) { TComponent::SetTag(value); }

    int Count() const { return static_cast<int>(Items_.size()); }
    // Raises EMenuError out of range.
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return Parent_; }
    int MenuIndex() const;
    void SetMenuIndex(int value);
    // Raises EMenuError when the item already has a parent.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    // Removes and frees the child at index.
    void Delete(int index);
    // Frees every child.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // The first child whose caption (without mnemonic marks) matches.
    TMenuItem* Find(const std::string& caption) const;

    // The command id of an item without children.
    UINT Command() const { return Command_; }
    // The popup of an item with children (made when first asked for).
    HMENU Handle();
    TMenu* GetParentMenu() const;

    // Toggles an auto-check item, then runs OnClick.
    virtual void Click();

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void GetChildren(TGetChildProc proc, TComponent* root) override;
    void BeforeDestruction() override;

protected:
    ~TMenuItem() override;
    friend class TMenu;
    // The owner draws: the canvas is on the item's device context.
    virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
    virtual void DrawItem(TCanvas* canvas, const TRect& rect, bool selected);

private:
    void MenuChanged(bool rebuild);
    void RebuildHandle();
    // Appends this item to a parent popup.
    void AppendTo(HMENU menu, bool ownerDraw);
    void TurnSiblingsOff();

    std::string Caption_;
    bool Checked_ = false;
    bool Enabled_ = true;
    bool Visible_ = true;
    bool Default_ = false;
    bool RadioItem_ = false;
    bool AutoCheck_ = false;
    BYTE GroupIndex_ = 0;
    std::string Hint_;
    TShortCut ShortCut_ = scNone;
    std::vector<TMenuItem*> Items_;
    TMenuItem* Parent_ = nullptr;
    TMenu* Menu_ = nullptr; // set on a menu's root item
    UINT Command_ = 0;
    HMENU Handle_ = nullptr;
};

class CORVANE_VCL_EXPORT TMenu : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);

    // The root item, whose children are the menu's items.
    TMenuItem* Items() const { return Items_; }
    virtual HMENU Handle();
    bool OwnerDraw() const { return OwnerDraw_; }
    void SetOwnerDraw(bool value);

    // Finds the item with the command id (anywhere below) and clicks it.
    bool DispatchCommand(UINT command);
    // The item whose popup opens runs its OnClick first, so it can fill or
    // update its children.
    bool DispatchPopup(HMENU submenu);
    TMenuItem* FindItem(UINT value, bool byHandle) const;
    // Clicks the enabled item with the key's short-cut (parents are clicked
    // first, as when their popups open). message is a WM_KEYDOWN.
    bool IsShortCut(const TMessage& message);

    // The menu messages an owner window passes on: WM_COMMAND,
    // WM_INITMENUPOPUP, WM_MENUSELECT (the hint), WM_MEASUREITEM and
    // WM_DRAWITEM of owner-drawn items. True when the message was the menu's.
    bool HandleMenuMessage(TMessage& message);

    void GetChildren(TGetChildProc proc, TComponent* root) override;

protected:
    ~TMenu() override;
    friend class TMenuItem;
    virtual void MenuChanged(TMenuItem* source, bool rebuild);

private:
    TMenuItem* Items_;
    bool OwnerDraw_ = false;
};

class CORVANE_VCL_EXPORT TMainMenu : public TMenu {
    VCL_DECLARE_PUBLISHED_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* owner);
    HMENU Handle() override;
    // Called when the menu's items change, so the form's bar follows.
    TNotifyEvent OnChange;

protected:
    void MenuChanged(TMenuItem* source, bool rebuild) override;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class CORVANE_VCL_EXPORT TPopupMenu : public TMenu {
    VCL_DECLARE_PUBLISHED_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner);

    // Shows the menu at a screen point and waits; a chosen item's OnClick
    // runs before it returns.
    virtual void Popup(int x, int y);
    // The control the menu was last shown for.
    TComponent* PopupComponent() const { return PopupComponent_; }
    void SetPopupComponent(TComponent* value) { PopupComponent_ = value; }
    // Shown by the right button on its controls.
    bool AutoPopup() const { return AutoPopup_; }
    void SetAutoPopup(bool value) { AutoPopup_ = value; }
    TPopupAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TPopupAlignment value) { Alignment_ = value; }
    // The window that receives the menu's messages while it is shown.
    HWND Window() const { return Window_; }

    TNotifyEvent OnPopup;

protected:
    ~TPopupMenu() override;
    virtual void DoPopup(TObject* sender);

private:
    void WndProc(TMessage& message);

    TComponent* PopupComponent_ = nullptr;
    bool AutoPopup_ = true;
    TPopupAlignment Alignment_ = paLeft;
    HWND Window_ = nullptr;
};

VCL_DECLARE_EXCEPTION(EMenuError, Exception);

// An item made in one call, for building menus in code.
CORVANE_VCL_EXPORT TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked,
                                      bool enabled, TNotifyEvent onClick, int helpContext,
                                      const std::string& name);
CORVANE_VCL_EXPORT TMenuItem* NewLine();
CORVANE_VCL_EXPORT TMenuItem* NewSubMenu(const std::string& caption, int helpContext, const std::string& name,
                                         std::initializer_list<TMenuItem*> items);
CORVANE_VCL_EXPORT TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name,
                                            TPopupAlignment alignment, bool autoPopup,
                                            std::initializer_list<TMenuItem*> items);

// Shows popup menus on a QMenu: installed, on the first window or popup
// menu, as the platform's menu tracker and as the controls' popup hook (a
// control's right button shows its menu). Later calls change nothing.
CORVANE_VCL_EXPORT void InstallMenus();
// The QMenu tracker alone.
CORVANE_VCL_EXPORT void InstallQtMenuTracker();

} // namespace vcl
