// Forms: top-level windows, their closing and modal loop, key preview and
// the dialog keys.

#include "vcl/widgets/Forms.h"

#include "vcl/core/ExceptionFormat.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/MenuBar_p.h"
#include "vcl/widgets/Menus.h"
#include "win32/Gdi.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vcl {

namespace {

std::vector<TCustomForm*>& Forms()
{
    static auto& forms = *new std::vector<TCustomForm*>;
    return forms;
}

bool Alive(TCustomForm* form)
{
    return std::find(Forms().begin(), Forms().end(), form) != Forms().end();
}

} // namespace

const TClassRtti& TCustomForm::PublishedTable()
{
    static const TClassRtti table =
        Publish<TCustomForm>()
            .Property<&TCustomForm::Caption, &TCustomForm::SetCaption>("Caption")
            .Property<&TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle>("BorderStyle")
            .Default(bsSizeable)
            .Property<&TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons>("BorderIcons")
            .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize})
            // As the designer writes a form: its client size, not its outer
            // one, and always its colour and font.
            .Property<&TCustomForm::ClientHeight, &TCustomForm::SetClientHeight>("ClientHeight")
            .NoDefault()
            .Property<&TCustomForm::ClientWidth, &TCustomForm::SetClientWidth>("ClientWidth")
            .NoDefault()
            .Property<&TCustomForm::Color, &TCustomForm::SetColor>("Color")
            .Type(ColorTypeInfo())
            .NoDefault()
            .Property<&TCustomForm::Font>("Font")
            .Property<&TCustomForm::Position, &TCustomForm::SetPosition>("Position")
            .Default(poDesigned)
            .Property<&TCustomForm::WindowState, &TCustomForm::SetWindowState>("WindowState")
            .Default(wsNormal)
            .Property<&TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview>("KeyPreview")
            .Default(false)
            .Property<&TCustomForm::ActiveControl, &TCustomForm::SetActiveControl>("ActiveControl")
            .Property<&TCustomForm::Menu, &TCustomForm::SetMenu>("Menu")
            .Property<&TCustomForm::OnCreate>("OnCreate")
            .Property<&TCustomForm::OnDestroy>("OnDestroy")
            .Property<&TCustomForm::OnShow>("OnShow")
            .Property<&TCustomForm::OnHide>("OnHide")
            .Property<&TCustomForm::OnClose>("OnClose")
            .Property<&TCustomForm::OnCloseQuery>("OnCloseQuery")
            .Property<&TCustomForm::ShowHint, &TCustomForm::SetShowHint>("ShowHint")
            .Default(false)
            .Property<&TCustomForm::OnKeyDown>("OnKeyDown")
            .Property<&TCustomForm::OnKeyPress>("OnKeyPress")
            .Property<&TCustomForm::OnKeyUp>("OnKeyUp")
            .Property<&TCustomForm::OnResize>("OnResize");
    return table;
}

const TClassRtti& TForm::PublishedTable()
{
    static const TClassRtti table = Publish<TForm>();
    return table;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    ControlStyle_ += csAcceptsControls;
    FormState_ += fsCreating;
    // A form shows when asked to, not when made.
    SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    Forms().push_back(this);
}

TCustomForm::~TCustomForm() = default;

void TCustomForm::AfterConstruction()
{
    TWinControl::AfterConstruction();
    // A form class of its own carries its controls in the form resource
    // named after it; the framework's own classes and a class without one
    // read nothing.
    const TClass cls = ClassType();
    if (cls != TForm::StaticClass() && cls != TCustomForm::StaticClass())
        ReadComponentRes(HInstance(), cls->Name, this);
    FormState_ -= fsCreating;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::BeforeDestruction()
{
    // Freed inside its own modal loop: the loop ends without touching it.
    if (ModalFreed_)
        *ModalFreed_ = true;
    Forms().erase(std::remove(Forms().begin(), Forms().end(), this), Forms().end());
    Screen()->FormGone(this);
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            Application()->HandleException(this);
        }
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::GetChildren(TGetChildProc proc, TComponent* root)
{
    TWinControl::GetChildren(proc, root);
    if (root != this)
        return;
    for (int i = 0; i < ComponentCount(); ++i)
        if (TComponent* component = Components(i); !component->HasParent())
            proc(component);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (Parent())
        return;
    params.Style &= ~(WS_CHILD | WS_TABSTOP | WS_GROUP);
    params.Style |= WS_CLIPCHILDREN;
    params.WndParent = nullptr;
    switch (BorderStyle_) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (BorderStyle_ == bsToolWindow || BorderStyle_ == bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    if (BorderStyle_ != bsNone && BorderIcons_.Contains(biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        // Dialogs and tool windows have no minimize or maximize boxes.
        if (BorderStyle_ != bsDialog && BorderStyle_ != bsToolWindow && BorderStyle_ != bsSizeToolWin) {
            if (BorderIcons_.Contains(biMinimize))
                params.Style |= WS_MINIMIZEBOX;
            if (BorderIcons_.Contains(biMaximize))
                params.Style |= WS_MAXIMIZEBOX;
        }
    }
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyTrackSizes();
    UpdateMenuBar();
}

void TCustomForm::DestroyWnd()
{
    // The bar is no widget of the window's to go with it.
    if (MenuBar_)
        std::exchange(MenuBar_, nullptr)->Dispose();
    TWinControl::DestroyWnd();
}

void TCustomForm::UpdateMenuBar()
{
    if (!HandleAllocated() || !Peer())
        return;
    const HMENU menu = Menu_ && Menu_->Items()->Count() > 0 ? Menu_->Handle() : nullptr;
    if (!menu) {
        if (MenuBar_)
            std::exchange(MenuBar_, nullptr)->Dispose();
        ReserveClientTop(0);
        return;
    }
    if (!MenuBar_) {
        MenuBar_ = new TMenuBarWidget(Peer(), Handle());
        MenuBar_->show();
    }
    MenuBar_->SetMenu(menu);
    PlaceMenuBar();
    ReserveClientTop(MenuBar_->BarHeight());
}

TRect TCustomForm::ClientRect() const
{
    TRect rect = TWinControl::ClientRect();
    if (!HandleAllocated() && Menu_ && Menu_->Items()->Count() > 0)
        rect.bottom = std::max(rect.top, rect.bottom - TMenuBarWidget::HeightFor(TMenuBarWidget::MenuFont()));
    return rect;
}

void TCustomForm::SetClientWidth(int value)
{
    if (ComponentState().Contains(csLoading))
        LoadedClientWidth_ = value;
    else
        SetClientSize(value, ClientHeight());
}

void TCustomForm::SetClientHeight(int value)
{
    if (ComponentState().Contains(csLoading))
        LoadedClientHeight_ = value;
    else
        SetClientSize(ClientWidth(), value);
}

int TCustomForm::TextHeight() const
{
    if (TextHeight_ > 0)
        return TextHeight_;
    TEXTMETRICA metrics{};
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight;
}

void TCustomForm::DefineProperties(TFiler* filer)
{
    TWinControl::DefineProperties(filer);
    filer->DefineProperty("PixelsPerInch", TReaderProc(this, &TCustomForm::ReadPixelsPerInch),
                          TWriterProc(this, &TCustomForm::WritePixelsPerInch), true);
    filer->DefineProperty("TextHeight", TReaderProc(this, &TCustomForm::ReadTextHeight),
                          TWriterProc(this, &TCustomForm::WriteTextHeight), true);
}

void TCustomForm::ReadPixelsPerInch(TReader* reader)
{
    PixelsPerInch_ = reader->ReadInteger();
}

void TCustomForm::WritePixelsPerInch(TWriter* writer)
{
    writer->WriteInteger(PixelsPerInch_);
}

void TCustomForm::ReadTextHeight(TReader* reader)
{
    TextHeight_ = reader->ReadInteger();
}

void TCustomForm::WriteTextHeight(TWriter* writer)
{
    writer->WriteInteger(TextHeight());
}

void TCustomForm::Loaded()
{
    TWinControl::Loaded();
    // The stored client size, now that the menu bar above it is known.
    if (LoadedClientWidth_ >= 0 || LoadedClientHeight_ >= 0)
        SetClientSize(LoadedClientWidth_ >= 0 ? LoadedClientWidth_ : ClientWidth(),
                      LoadedClientHeight_ >= 0 ? LoadedClientHeight_ : ClientHeight());
    LoadedClientWidth_ = LoadedClientHeight_ = -1;
}

void TCustomForm::PlaceMenuBar()
{
    if (MenuBar_)
        MenuBar_->setGeometry(0, 0, Peer()->width(), MenuBar_->BarHeight());
}

void TCustomForm::CMDialogChar(TMessage& message)
{
    TWinControl::Dispatch(message);
    if (message.Result != 0 || !MenuBar_ || message.WParam > 0xFFFF)
        return;
    const int position = MenuBar_->ItemOfMnemonic(static_cast<char16_t>(message.WParam));
    if (position < 0)
        return;
    message.Result = 1;
    MenuBar_->Open(position);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (value == BorderStyle_)
        return;
    BorderStyle_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (value == BorderIcons_)
        return;
    BorderIcons_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState value)
{
    WindowState_ = value;
    if (!HandleAllocated() || !Visible())
        return;
    QWidget* widget = Peer();
    switch (value) {
    case wsNormal:
        widget->showNormal();
        break;
    case wsMinimized:
        widget->showMinimized();
        break;
    case wsMaximized:
        widget->showMaximized();
        break;
    }
}

void TCustomForm::SetMenu(TMainMenu* value)
{
    if (value == Menu_)
        return;
    if (Menu_)
        Menu_->RemoveFreeNotification(this);
    Menu_ = value;
    if (Menu_)
        Menu_->FreeNotification(this);
    UpdateMenuBar();
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == Menu_) {
        Menu_ = nullptr;
        UpdateMenuBar();
    }
}

bool TCustomForm::IsShortCut(TMessage& message)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(message, handled);
    return handled || (Menu_ && Menu_->IsShortCut(message));
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGKEY:
        return CMDialogKey(message);
    case CM_RELEASE:
        return CMRelease(message);
    case WM_CLOSE:
        return WMClose(message);
    case WM_GETMINMAXINFO:
        return WMGetMinMaxInfo(message);
    case WM_ACTIVATE:
        return WMActivate(message);
    case CM_DIALOGCHAR:
        return CMDialogChar(message);
    case CM_MENUCHANGED:
        return UpdateMenuBar();
    case WM_SIZE:
        PlaceMenuBar();
        return TWinControl::Dispatch(message);
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // The menu's own messages; the rest are the controls'.
        if (Menu_ && Menu_->HandleMenuMessage(message))
            return;
        return TWinControl::Dispatch(message);
    default:
        return TWinControl::Dispatch(message);
    }
}

void TCustomForm::CMDialogKey(TMessage& message)
{
    // Tab and Shift+Tab move the focus along the tab order.
    const bool alt = (message.LParam & (static_cast<LPARAM>(KF_ALTDOWN) << 16)) != 0;
    if (message.WParam == VK_TAB && !alt && GetKeyState(VK_CONTROL) >= 0) {
        TWinControl* current = FindControl(GetFocus());
        SelectNext(current, GetKeyState(VK_SHIFT) >= 0, true);
        message.Result = 1;
        return;
    }
    // Enter and Escape go to the buttons (the default and cancel ones).
    TWinControl::CMDialogKey(message);
}

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMGetMinMaxInfo(TMessage& message)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    if (!info)
        return;
    const TSizeConstraints* limits = Constraints();
    if (limits->MinWidth() > 0)
        info->ptMinTrackSize.x = limits->MinWidth();
    if (limits->MinHeight() > 0)
        info->ptMinTrackSize.y = limits->MinHeight();
    if (limits->MaxWidth() > 0)
        info->ptMaxTrackSize.x = limits->MaxWidth();
    if (limits->MaxHeight() > 0)
        info->ptMaxTrackSize.y = limits->MaxHeight();
    message.Result = 0;
}

MINMAXINFO TCustomForm::TrackSizes(POINT largest)
{
    constexpr int kUnlimited = QWIDGETSIZE_MAX;
    MINMAXINFO info{};
    info.ptMaxTrackSize = largest;
    Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    info.ptMinTrackSize = {std::max(0, info.ptMinTrackSize.x), std::max(0, info.ptMinTrackSize.y)};
    info.ptMaxTrackSize = {std::clamp(info.ptMaxTrackSize.x, 0, kUnlimited),
                           std::clamp(info.ptMaxTrackSize.y, 0, kUnlimited)};
    return info;
}

void TCustomForm::ApplyTrackSizes()
{
    // The toolkit enforces what the window answers, as the platform's
    // sizing loop does.
    QWidget* widget = Peer();
    if (!widget || Parent())
        return;
    const MINMAXINFO info = TrackSizes({QWIDGETSIZE_MAX, QWIDGETSIZE_MAX});
    widget->setMinimumSize(info.ptMinTrackSize.x, info.ptMinTrackSize.y);
    widget->setMaximumSize(info.ptMaxTrackSize.x, info.ptMaxTrackSize.y);
}

void TCustomForm::SetBounds(int left, int top, int width, int height)
{
    // What the program asks for is at most the screen's size unless the
    // form answers otherwise: a stored size of 2^31-1 opens screen-sized, and
    // nothing is allocated for more. The desktop's own sizing keeps the
    // toolkit's limits.
    if (!Parent()) {
        const int screenWidth = Screen()->Width();
        const int screenHeight = Screen()->Height();
        const MINMAXINFO info = TrackSizes({screenWidth > 0 ? screenWidth : QWIDGETSIZE_MAX,
                                            screenHeight > 0 ? screenHeight : QWIDGETSIZE_MAX});
        width = std::min(width, info.ptMaxTrackSize.x);
        height = std::min(height, info.ptMaxTrackSize.y);
    }
    TWinControl::SetBounds(left, top, width, height);
}

void TCustomForm::VisibleChanging()
{
    TWinControl::VisibleChanging();
    if (FormState_.Contains(fsCreating))
        return;
    if (!Visible()) {
        PlaceOnShow();
        DoShow();
    } else {
        DoHide();
    }
}

void TCustomForm::PlaceOnShow()
{
    if (Parent())
        return;
    TCustomForm* centreOn = nullptr;
    if (Position_ == poMainFormCenter || Position_ == poOwnerFormCenter) {
        centreOn =
            Position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : Application()->MainForm();
        if (!centreOn || centreOn == this || !centreOn->Visible())
            centreOn = nullptr;
    }
    if (centreOn) {
        SetBounds(centreOn->Left() + (centreOn->Width() - Width()) / 2,
                  centreOn->Top() + (centreOn->Height() - Height()) / 2, Width(), Height());
    } else if (Position_ == poScreenCenter || Position_ == poDesktopCenter || Position_ == poMainFormCenter ||
               Position_ == poOwnerFormCenter) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2,
                      Width(), Height());
        }
    }
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (HandleAllocated())
        Peer()->raise();
    if (ActiveControl_ && ActiveControl_->CanFocus())
        ActiveControl_->SetFocus();
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::Close()
{
    if (FormState_.Contains(fsModal)) {
        // The modal loop asks the questions when it sees the result.
        ModalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    switch (action) {
    case caNone:
        break;
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    }
    if (action != caNone && Application()->MainForm() == this)
        Application()->Terminate();
}

void TCustomForm::SendCancelMode(TControl* sender)
{
    // Only a form that has the focus has a mode to end.
    const HWND focus = GetFocus();
    if (ActiveControl_ && focus && HandleAllocated() && (focus == Handle() || IsChild(Handle(), focus)))
        ActiveControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
    if (TControl* capture = GetCaptureControl(); capture && GetParentForm(capture) == this)
        capture->Perform(WM_CANCELMODE, 0, 0);
}

void TCustomForm::Release()
{
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&)
{
    // A modal form is not freed under its loop: the loop ends (cancelled
    // unless a result was set) and the form goes once ShowModal has left.
    if (FormState_.Contains(fsModal)) {
        ReleaseAfterModal_ = true;
        if (ModalResult_ == mrNone)
            ModalResult_ = mrCancel;
        return;
    }
    Free();
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || FormState_.Contains(fsModal))
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture())
        ReleaseCapture();
    FormState_ += fsModal;
    ModalResult_ = mrNone;
    ReleaseAfterModal_ = false;
    bool freed = false;
    ModalFreed_ = &freed;
    TTaskWindowList disabled = DisableTaskWindows(this);
    TModalResult result = mrNone;
    try {
        Show();
        // The loop ends when a result is set and the form agrees to go; a
        // refused close takes the result back and the loop goes on.
        while (true) {
            Application()->HandleMessage();
            if (freed) {
                // Freed by a handler of the loop: nothing of it is left to touch.
                EnableTaskWindows(disabled);
                return mrCancel;
            }
            if (Application()->Terminated())
                ModalResult_ = mrCancel;
            if (ModalResult_ == mrNone)
                continue;
            if (ReleaseAfterModal_)
                break;
            TCloseAction action = caNone;
            if (CloseQuery()) {
                action = caHide;
                DoClose(action);
            }
            if (action == caNone) {
                ModalResult_ = mrNone;
                if (Application()->Terminated())
                    break;
                continue;
            }
            if (action == caFree)
                Release();
            break;
        }
        result = ModalResult_;
        Hide();
    } catch (...) {
        EnableTaskWindows(disabled);
        if (!freed) {
            ModalFreed_ = nullptr;
            FormState_ -= fsModal;
        }
        throw;
    }
    EnableTaskWindows(disabled);
    ModalFreed_ = nullptr;
    FormState_ -= fsModal;
    if (ReleaseAfterModal_) {
        ReleaseAfterModal_ = false;
        Release();
    }
    return result;
}

namespace {

// Whether control is container or one of its children, at any depth.
bool Within(const TWinControl* container, const TControl* control)
{
    for (const TControl* up = control; up; up = up->Parent())
        if (up == container)
            return true;
    return false;
}

} // namespace

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == ActiveControl_)
        return;
    if (control && (control == this || !Within(this, control) ||
                    (!ComponentState().Contains(csLoading) && Visible() && !control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ActiveControl_ = control;
    if (control && !ComponentState().Contains(csLoading) && HandleAllocated() && Visible())
        control->SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (!Within(this, control))
        return true;
    ActiveControl_ = control != this ? control : nullptr;
    if (!FocusedControl_)
        FocusedControl_ = this;
    // A handler that moves the focus elsewhere ends this walk; the move
    // makes its own. The handle tells without touching a control a
    // handler may have freed.
    const HWND focus = control->Handle();
    while (FocusedControl_ && !Within(FocusedControl_, control)) {
        // The mark moves first: a handler that moves the focus walks on
        // from there, and one that frees the control leaves it alone.
        TWinControl* leaving = FocusedControl_;
        FocusedControl_ = leaving->Parent();
        if (leaving != this)
            leaving->Perform(CM_EXIT);
        if (GetFocus() != focus)
            return false;
    }
    if (!FocusedControl_)
        FocusedControl_ = this;
    while (FocusedControl_ != control) {
        TWinControl* entering = control;
        while (entering && entering->Parent() != FocusedControl_)
            entering = entering->Parent();
        if (!entering)
            break; // a handler moved the control out from under the mark
        FocusedControl_ = entering;
        entering->Perform(CM_ENTER);
        if (GetFocus() != focus)
            return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(control)));
    Screen()->FocusChanged(this);
    return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing)
{
    if (removing && FocusedControl_ && Within(control, FocusedControl_))
        FocusedControl_ = control->Parent() && Within(this, control->Parent()) ? control->Parent() : this;
    if (ActiveControl_ && Within(control, ActiveControl_))
        ActiveControl_ = nullptr;
}

void TCustomForm::WMActivate(TMessage& message)
{
    if (LOWORD(message.WParam) != WA_INACTIVE)
        Screen()->FormActivated(this);
    // An activated form gives the focus back to the control that had it.
    if (LOWORD(message.WParam) != WA_INACTIVE && ActiveControl_ && ActiveControl_->CanFocus()) {
        const HWND focus = GetFocus();
        if (!focus || (focus != Handle() && !IsChild(Handle(), focus))) {
            ActiveControl_->SetFocus();
            return;
        }
    }
    DefaultHandler(message);
}

TCustomForm* GetParentForm(TControl* control)
{
    TControl* top = control;
    while (top && top->Parent())
        top = top->Parent();
    return dynamic_cast<TCustomForm*>(top);
}

TTaskWindowList DisableTaskWindows(TCustomForm* active)
{
    auto* list = new std::vector<TCustomForm*>;
    for (TCustomForm* form : Forms())
        if (form != active && !form->Parent() && form->Visible() && form->Enabled()) {
            form->SetEnabled(false);
            list->push_back(form);
        }
    return list;
}

void EnableTaskWindows(TTaskWindowList list)
{
    if (!list)
        return;
    // Forms freed while the modal form was up are skipped.
    for (TCustomForm* form : *list)
        if (Alive(form))
            form->SetEnabled(true);
    delete list;
}

const std::vector<TCustomForm*>& AllForms()
{
    return Forms();
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen::~TScreen()
{
    SetCursor(crDefault);
}

TScreen* Screen()
{
    static TScreen* const screen = Create<TScreen>(nullptr);
    return screen;
}

void TScreen::SetCursor(TCursor value)
{
    Cursor_ = value;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    // One override of the toolkit's at most: changed, or taken back.
    if (value == crDefault) {
        if (std::exchange(Overriding_, false))
            QGuiApplication::restoreOverrideCursor();
        return;
    }
    const int shape = win32::CursorShape(Cursors(value));
    const QCursor cursor(static_cast<Qt::CursorShape>(shape >= 0 ? shape : Qt::ArrowCursor));
    if (Overriding_) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        Overriding_ = true;
    }
}

HCURSOR TScreen::Cursors(TCursor index) const
{
    if (const auto found = Cursors_.find(index); found != Cursors_.end())
        return found->second;
    struct Entry {
        TCursor Cursor;
        Qt::CursorShape Shape;
    };
    static constexpr Entry kCursors[] = {
        {crArrow, Qt::ArrowCursor},        {crNone, Qt::BlankCursor},
        {crCross, Qt::CrossCursor},        {crIBeam, Qt::IBeamCursor},
        {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor},
        {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
        {crUpArrow, Qt::UpArrowCursor},    {crHourGlass, Qt::WaitCursor},
        {crDrag, Qt::DragMoveCursor},      {crNoDrop, Qt::ForbiddenCursor},
        {crHSplit, Qt::SplitHCursor},      {crVSplit, Qt::SplitVCursor},
        {crMultiDrag, Qt::DragCopyCursor}, {crSQLWait, Qt::WaitCursor},
        {crNo, Qt::ForbiddenCursor},       {crAppStart, Qt::BusyCursor},
        {crHelp, Qt::WhatsThisCursor},     {crHandPoint, Qt::PointingHandCursor},
        {crSizeAll, Qt::SizeAllCursor},
    };
    for (const Entry& e : kCursors)
        if (e.Cursor == index)
            return win32::CursorForShape(e.Shape);
    return win32::CursorForShape(Qt::ArrowCursor);
}

void TScreen::SetCursors(TCursor index, HCURSOR cursor)
{
    if (cursor)
        Cursors_[index] = cursor;
    else
        Cursors_.erase(index);
    if (index == Cursor_ && index != crDefault)
        SetCursor(index);
}

int TScreen::FormCount() const
{
    return static_cast<int>(AllForms().size());
}

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", {index});
    return AllForms()[static_cast<std::size_t>(index)];
}

TWinControl* TScreen::ActiveControl() const
{
    return ActiveForm_ ? ActiveForm_->ActiveControl() : nullptr;
}

namespace {

QRect ScreenRect(bool available)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return available ? screen->availableGeometry() : screen->geometry();
}

} // namespace

int TScreen::Width() const
{
    return ScreenRect(false).width();
}

int TScreen::Height() const
{
    return ScreenRect(false).height();
}

int TScreen::WorkAreaWidth() const
{
    return ScreenRect(true).width();
}

int TScreen::WorkAreaHeight() const
{
    return ScreenRect(true).height();
}

void TScreen::FormActivated(TCustomForm* form)
{
    if (form != ActiveForm_) {
        ActiveForm_ = form;
        if (OnActiveFormChange)
            OnActiveFormChange(this);
    }
    FocusChanged(form);
}

void TScreen::FocusChanged(TCustomForm* form)
{
    if (form != ActiveForm_)
        return;
    const void* control = ActiveControl();
    if (control != LastActiveControl_) {
        LastActiveControl_ = control;
        if (OnActiveControlChange)
            OnActiveControlChange(this);
    }
}

void TScreen::FormGone(TCustomForm* form)
{
    if (form != ActiveForm_)
        return;
    ActiveForm_ = nullptr;
    LastActiveControl_ = nullptr;
    if (OnActiveFormChange)
        OnActiveFormChange(this);
}

} // namespace vcl
