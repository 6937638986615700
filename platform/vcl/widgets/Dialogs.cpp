// The message dialogs: requests made from a kind and a set of buttons, and
// the form that shows any request to a person.

#include "vcl/widgets/Dialogs.h"

#include "vcl/core/SysUtils.h"
#include "vcl/core/Thread.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Errors.h"
#include "win32/Icons.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>

namespace vcl {

namespace {

struct ButtonInfo {
    TMsgDlgBtn Button;
    const char* Caption;
    TModalResult Result;
};

// In the order the dialogs show them.
constexpr ButtonInfo kButtons[] = {
    {mbYes, "&Yes", mrYes},
    {mbNo, "&No", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, "Cancel", mrCancel},
    {mbAbort, "&Abort", mrAbort},
    {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore},
    {mbAll, "&All", mrAll},
    {mbNoToAll, "N&o to All", mrNoToAll},
    {mbYesToAll, "Yes to &All", mrYesToAll},
    {mbHelp, "&Help", mrNone},
};

const char* CaptionOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return "Warning";
    case mtError:
        return "Error";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Confirmation";
    case mtCustom:
        break;
    }
    return nullptr;
}

UINT IconFlagOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return MB_ICONWARNING;
    case mtError:
        return MB_ICONERROR;
    case mtInformation:
        return MB_ICONINFORMATION;
    case mtConfirmation:
        return MB_ICONQUESTION;
    case mtCustom:
        break;
    }
    return 0;
}

// The platform's button code for the sets it has; others say nothing there
// (MB_OK) and are told by the request's buttons alone.
UINT ButtonCodeOf(TMsgDlgButtons buttons)
{
    TMsgDlgButtons plain = buttons;
    plain -= mbHelp;
    struct Pair {
        TMsgDlgButtons Set;
        UINT Code;
    };
    const Pair pairs[] = {
        {{mbOK, mbCancel}, MB_OKCANCEL},       {mbAbortRetryIgnore, MB_ABORTRETRYIGNORE},
        {mbYesNoCancel, MB_YESNOCANCEL},       {{mbYes, mbNo}, MB_YESNO},
        {{mbRetry, mbCancel}, MB_RETRYCANCEL},
    };
    for (const Pair& p : pairs)
        if (plain == p.Set)
            return p.Code;
    return MB_OK;
}

// "N&o to All" -> "NoToAll": a button's component name.
std::string NameOfCaption(const std::string& caption)
{
    std::string name;
    bool wordStart = true;
    for (char c : caption) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            wordStart = false;
        } else if (c == ' ') {
            wordStart = true;
        }
    }
    return name;
}

std::string WithoutMnemonic(const std::string& caption)
{
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        text += caption[i];
    }
    return text;
}

LPCSTR SystemIconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return IDI_HAND;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return nullptr;
    }
}

// The icon of a message form, painted on it.
class TMessageIcon : public TGraphicControl {
public:
    explicit TMessageIcon(TComponent* owner) : TGraphicControl(owner), Icon_(Create<TIcon>()) {}

    void SetIcon(HICON icon) { Icon_->SetHandle(icon); }

protected:
    ~TMessageIcon() override { vcl::Free(Icon_); }
    void Paint() override { Canvas()->Draw(0, 0, Icon_); }

private:
    TIcon* Icon_;
};

// A form that shows one request and answers with its buttons' results.
class TMessageForm : public TForm {
public:
    TMessageForm(TComponent* owner, const win32::MessageBoxRequest& request)
        : TForm(owner), Help_(request.Help), Cancel_(request.CancelId),
          OnTop_((request.Type & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0)
    {
        for (const win32::MessageBoxButton& b : request.Buttons)
            if (!b.Help)
                Answers_.push_back(b.Id);
    }

    void HelpClick(TObject*)
    {
        if (Help_)
            Help_();
    }

    // Escape and the close box give the cancel answer; a box that has none
    // stays until a button is chosen.
    bool CloseQuery() override
    {
        if (ModalResult() != mrNone &&
            std::find(Answers_.begin(), Answers_.end(), ModalResult()) == Answers_.end()) {
            if (!Cancel_)
                return false;
            SetModalResult(Cancel_);
        }
        return TForm::CloseQuery();
    }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        if (OnTop_)
            params.ExStyle |= WS_EX_TOPMOST;
    }

private:
    std::function<void()> Help_;
    int Cancel_;
    bool OnTop_;
    std::vector<int> Answers_;
};

// Pixels of the form's layout.
constexpr int kMargin = 12;
constexpr int kIconSize = win32::kSystemIconSize;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kButtonPadding = 16;
constexpr int kTextToButtons = 16;

int LongestTextWidth()
{
    // Longer lines wrap at half the screen's width.
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max(200, screen->geometry().width() / 2) : 400;
}

void CenterOnScreen(TForm* form, int x, int y)
{
    QRect area(0, 0, 800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    const int left = x >= 0 ? x : area.x() + (area.width() - form->Width()) / 2;
    const int top = y >= 0 ? y : area.y() + (area.height() - form->Height()) / 2;
    form->SetBounds(left, top, form->Width(), form->Height());
}

int NoGui(const win32::MessageBoxRequest& request)
{
    std::fprintf(stderr, "corvane: no GUI to show the message box \"%s\": %s\n", request.Caption.c_str(),
                 request.Text.c_str());
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

int ShowOnGuiThread(const win32::MessageBoxRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return NoGui(request);
    TForm* form = CreateMessageForm(request);
    TModalResult result = mrNone;
    try {
        result = form->ShowModal();
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return result;
}

int ShowMessageForm(const win32::MessageBoxRequest& request)
{
    // Without an event loop nobody would ever run a worker's box.
    if (!QCoreApplication::instance())
        return NoGui(request);
    int answer = 0;
    try {
        // A worker's box is shown by the GUI thread, which serves it also
        // while it waits for that worker.
        TThread::Synchronize(nullptr, [&] { answer = ShowOnGuiThread(request); });
    } catch (...) {
        win32::HandleCurrentException();
        SetLastError(ERROR_CANCELLED);
        return 0;
    }
    return answer;
}

std::atomic<TInputQueryHook> g_inputQuery{nullptr};

// The input form's layout, in pixels.
constexpr int kInputClientWidth = 270;
constexpr int kInputEditWidth = 246;
constexpr int kInputMaxLength = 255;

BOOL BeepWithQt(UINT)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return FALSE;
    QApplication::beep();
    return TRUE;
}

} // namespace

win32::MessageBoxRequest MessageDialogRequest(const std::string& msg, TMsgDlgType type,
                                              TMsgDlgButtons buttons, int helpCtx)
{
    win32::MessageBoxRequest request;
    request.Text = msg;
    const char* caption = CaptionOf(type);
    request.Caption = caption ? caption : Application()->Title();
    for (const ButtonInfo& b : kButtons)
        if (buttons.Contains(b.Button))
            request.Buttons.push_back({b.Result, b.Caption, b.Button == mbHelp});
    // OK or Yes is the default, else the first; Cancel, else No, else OK
    // cancels.
    const auto indexOf = [&](TModalResult result) {
        for (std::size_t i = 0; i < request.Buttons.size(); ++i)
            if (!request.Buttons[i].Help && request.Buttons[i].Id == result)
                return static_cast<int>(i);
        return -1;
    };
    const int ok = indexOf(mrOk);
    const int yes = indexOf(mrYes);
    request.DefaultButton = ok >= 0 ? ok : yes >= 0 ? yes : 0;
    for (TModalResult cancel : {mrCancel, mrNo, mrOk})
        if (indexOf(cancel) >= 0) {
            request.CancelId = cancel;
            break;
        }
    // A box with no button to choose would never close: its close box
    // cancels.
    if (std::none_of(request.Buttons.begin(), request.Buttons.end(),
                     [](const win32::MessageBoxButton& b) { return !b.Help; }))
        request.CancelId = mrCancel;
    request.Type = IconFlagOf(type) | ButtonCodeOf(buttons) | MB_TASKMODAL |
                   (buttons.Contains(mbHelp) ? MB_HELP : 0u) |
                   (std::min<UINT>(static_cast<UINT>(request.DefaultButton), 3u) << 8);
    if (buttons.Contains(mbHelp))
        request.Help = [helpCtx] { Application()->HelpContext(helpCtx); };
    return request;
}

TForm* CreateMessageForm(const win32::MessageBoxRequest& request)
{
    auto* form = Create<TMessageForm>(Application(), request);
    try {
        form->SetBorderStyle(bsDialog);
        form->SetCaption(request.Caption);
        const QFontMetrics metrics(form->Font()->ToQFont());

        int textLeft = kMargin;
        TMessageIcon* icon = nullptr;
        if (LPCSTR name = SystemIconOf(request.Type)) {
            icon = Create<TMessageIcon>(form);
            icon->SetName("Image");
            icon->SetParent(form);
            icon->SetIcon(LoadIconA(nullptr, name));
            icon->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
            textLeft += kIconSize + kMargin;
        }
        auto* label = Create<TLabel>(form);
        label->SetName("Message");
        label->SetParent(form);
        label->SetShowAccelChar(false);
        label->SetWordWrap(true);
        label->SetBounds(textLeft, kMargin, LongestTextWidth(), 0);
        label->SetCaption(AdjustLineBreaks(request.Text));
        // A short text stands in the middle of the icon's height.
        if (icon && label->Height() < kIconSize)
            label->SetBounds(label->Left(), kMargin + (kIconSize - label->Height()) / 2, label->Width(),
                             label->Height());
        const int textBottom = std::max(label->Top() + label->Height(), icon ? kMargin + kIconSize : 0);

        std::vector<int> widths;
        int rowWidth = 0;
        for (const win32::MessageBoxButton& b : request.Buttons) {
            widths.push_back(std::max(
                kButtonWidth, metrics.horizontalAdvance(QString::fromStdString(WithoutMnemonic(b.Caption))) +
                                  kButtonPadding));
            rowWidth += widths.back() + (rowWidth ? kButtonGap : 0);
        }
        const int clientWidth = std::max(label->Left() + label->Width() + kMargin, rowWidth + 2 * kMargin);
        const int buttonsTop = textBottom + kTextToButtons;
        int x = (clientWidth - rowWidth) / 2;
        for (std::size_t i = 0; i < request.Buttons.size(); ++i) {
            const win32::MessageBoxButton& b = request.Buttons[i];
            auto* button = Create<TButton>(form);
            button->SetName(NameOfCaption(b.Caption));
            button->SetParent(form);
            button->SetCaption(b.Caption);
            button->SetBounds(x, buttonsTop, widths[i], kButtonHeight);
            if (b.Help)
                button->OnClick = TNotifyEvent(form, &TMessageForm::HelpClick);
            else
                button->SetModalResult(b.Id);
            if (i == request.DefaultButton) {
                button->SetDefault(true);
                form->SetActiveControl(button);
            }
            if (!b.Help && b.Id == request.CancelId)
                button->SetCancel(true);
            x += widths[i] + kButtonGap;
        }
        form->SetClientSize(clientWidth, buttonsTop + kButtonHeight + kMargin);
        CenterOnScreen(form, request.X, request.Y);
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return CreateMessageForm(MessageDialogRequest(msg, type, buttons));
}

int MessageDlgPos(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx, int x, int y)
{
    // Made first: the application object gives the platform its message
    // forms.
    Application();
    win32::MessageBoxRequest request = MessageDialogRequest(msg, type, buttons, helpCtx);
    request.X = x;
    request.Y = y;
    // The active window is the GUI thread's; a worker's box has no owner.
    request.Owner = win32::IsGuiThread() ? GetActiveWindow() : nullptr;
    return win32::ShowMessageBox(request);
}

int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx)
{
    return MessageDlgPos(msg, type, buttons, helpCtx, -1, -1);
}

void ShowMessagePos(const std::string& msg, int x, int y)
{
    MessageDlgPos(msg, mtCustom, {mbOK}, 0, x, y);
}

void ShowMessage(const std::string& msg)
{
    ShowMessagePos(msg, -1, -1);
}

void ShowMessageFmt(std::string_view format, std::initializer_list<TVarRec> args)
{
    ShowMessage(Format(format, args));
}

void ShowMessageFmt(std::string_view format, TVarRecs args)
{
    ShowMessage(Format(format, args));
}

TInputQueryHook SetInputQueryHook(TInputQueryHook hook)
{
    return g_inputQuery.exchange(hook);
}

namespace {

// The input form, shown on the GUI thread: true on OK, with the text.
bool AskOnInputForm(const std::string& caption, const std::string& prompt, std::string& value)
{
    TOwnedPtr<TForm> form(Create<TForm>(Application()));
    form->SetBorderStyle(bsDialog);
    form->SetCaption(caption);
    auto* label = Create<TLabel>(form.get());
    label->SetName("Prompt");
    label->SetParent(form.get());
    label->SetBounds(kMargin, kButtonGap, 0, 0);
    label->SetCaption(prompt);
    auto* edit = Create<TEdit>(form.get());
    edit->SetName("Edit");
    edit->SetParent(form.get());
    edit->SetBounds(kMargin, label->Top() + label->Height() + 5, kInputEditWidth, edit->Height());
    edit->SetMaxLength(kInputMaxLength);
    edit->SetText(value);
    edit->SelectAll();
    label->SetFocusControl(edit);
    const int buttonsTop = edit->Top() + edit->Height() + 15;
    const int left = (kInputClientWidth - 2 * kButtonWidth - kButtonGap) / 2;
    struct {
        const char* Name;
        const char* Caption;
        TModalResult Result;
    } const buttons[] = {{"OK", "OK", mrOk}, {"Cancel", "Cancel", mrCancel}};
    for (int i = 0; i < 2; ++i) {
        auto* button = Create<TButton>(form.get());
        button->SetName(buttons[i].Name);
        button->SetParent(form.get());
        button->SetCaption(buttons[i].Caption);
        button->SetModalResult(buttons[i].Result);
        button->SetDefault(i == 0);
        button->SetCancel(i == 1);
        button->SetBounds(left + i * (kButtonWidth + kButtonGap), buttonsTop, kButtonWidth, kButtonHeight);
    }
    form->SetClientSize(kInputClientWidth, buttonsTop + kButtonHeight + kMargin);
    form->SetActiveControl(edit);
    CenterOnScreen(form.get(), -1, -1);
    if (form->ShowModal() != mrOk)
        return false;
    value = edit->Text();
    return true;
}

} // namespace

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    if (TInputQueryHook hook = g_inputQuery.load()) {
        std::string answer = value;
        if (!hook(caption, prompt, answer))
            return false;
        value = answer;
        return true;
    }
    // Asked as a message box is: nobody to ask is a cancel, and a worker's
    // question is put by the GUI thread, the only one that may make forms.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "corvane: no GUI to ask \"%s\"\n", prompt.c_str());
        return false;
    }
    bool ok = false;
    std::string answer = value;
    TThread::Synchronize(nullptr, [&] { ok = AskOnInputForm(caption, prompt, answer); });
    if (ok)
        value = answer;
    return ok;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}

void InstallMessageForms()
{
    win32::SetDefaultMessageBox(&ShowMessageForm);
    win32::SetDefaultMessageBeep(&BeepWithQt);
}

} // namespace vcl
