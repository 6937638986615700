// The application object: start-up, the event loop and the program's end,
// help, and the exception boundary's end.

#include "vcl/widgets/Application.h"

#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/FolderPickerForm.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/MessageWindows.h"
#include "vcl/widgets/SystemClasses.h"
#include "vcl/widgets/WidgetPeer_p.h"
#include "win32/WindowManager.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QToolTip>

#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

namespace vcl {

namespace {

void HandleAtBoundary()
{
    Application()->HandleException(nullptr);
}

// The program's arguments as the system started it, kept for the life of
// the QApplication made from them (which holds on to argc and argv).
struct ProgramArguments {
    std::vector<std::string> Texts;
    std::vector<char*> Pointers;
    int Count = 0;

    ProgramArguments()
    {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::size_t start = 0; start < all.size();) {
            const std::size_t end = all.find('\0', start);
            Texts.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        if (Texts.empty())
            Texts.emplace_back("corvane");
        for (std::string& text : Texts)
            Pointers.push_back(text.data());
        Pointers.push_back(nullptr);
        Count = static_cast<int>(Texts.size());
    }
};

} // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication()
{
    if (Handle_)
        DeallocateHWnd(Handle_);
}

void TApplication::Initialize()
{
    if (!QCoreApplication::instance()) {
        static ProgramArguments arguments;
        new QApplication(arguments.Count, arguments.Pointers.data());
        OwnsQApplication_ = true;
    }
    InstallMessageForms();
    InstallFolderPicker();
    InstallSystemClasses();
    if (Initialized_)
        return;
    Initialized_ = true;
    InitializeUnits();
}

HWND TApplication::Handle()
{
    if (!Handle_)
        Handle_ = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
    return Handle_;
}

void TApplication::WndProc(TMessage& message)
{
    message.Result = DefWindowProcA(Handle_, message.Msg, message.WParam, message.LParam);
}

void TApplication::HandleException(TObject* sender) noexcept
{
    if (!std::current_exception())
        return; // called outside a catch block: nothing to report
    try {
        throw;
    } catch (EAbort&) {
        // The silent exception says nothing.
    } catch (const Exception& e) {
        Report(sender, e);
    } catch (const std::exception& e) {
        Report(sender, Exception(e.what()));
    } catch (...) {
        Report(sender, Exception("Unknown exception"));
    }
}

void TApplication::Report(TObject* sender, const Exception& e)
{
    // Nothing leaves here: what the handler raises gets the default report,
    // and a report that fails is given up.
    try {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (const EAbort&) {
    } catch (const Exception& failed) {
        try {
            TApplication::ShowException(failed);
        } catch (...) {
        }
    } catch (...) {
    }
}

void TApplication::ShowException(const Exception& e)
{
    std::string text = e.Message();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    return MessageBoxA(win32::IsGuiThread() ? GetActiveWindow() : nullptr, text.c_str(), caption.c_str(),
                       flags);
}

std::string TApplication::Title() const
{
    if (!Title_.empty())
        return Title_;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

void TApplication::SetMainForm(TCustomForm* form)
{
    MainForm_ = form;
    if (MainForm_)
        MainForm_->FreeNotification(this);
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == MainForm_)
        MainForm_ = nullptr;
}

void TApplication::Run()
{
    try {
        if (MainForm_)
            MainForm_->Show();
        while (!Terminated_ && MainForm_)
            HandleMessage();
    } catch (...) {
        HandleException(this);
    }
    Finish();
}

void TApplication::Finish()
{
    // The forms go while the units they use are still up; then the units
    // shut down, and last the toolkit they ran on.
    DestroyComponents();
    if (Handle_) {
        DeallocateHWnd(Handle_);
        Handle_ = nullptr;
    }
    try {
        FinalizeUnits();
    } catch (...) {
        HandleException(this);
    }
    Initialized_ = false;
    if (OwnsQApplication_) {
        OwnsQApplication_ = false;
        delete QCoreApplication::instance();
    }
}

void TApplication::ProcessMessages()
{
    EndPaintsBeforeNestedLoop();
    QCoreApplication::processEvents();
}

void TApplication::HandleMessage()
{
    EndPaintsBeforeNestedLoop();
    // Without a time limit: the limited form never waits, and a loop on it
    // would keep a processor busy while the program sits idle.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate()
{
    Terminated_ = true;
    // A loop waiting for events looks at the flag again.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

void TApplication::SetHint(const std::string& value)
{
    if (value == Hint_)
        return;
    Hint_ = value;
    if (OnHint)
        OnHint(this);
}

void TApplication::CancelHint()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QToolTip::hideText();
}

bool TApplication::HelpCommand(WORD command, LONG_PTR data)
{
    bool callHelp = true;
    bool shown = false;
    if (OnHelp)
        shown = OnHelp(command, data, callHelp);
    if (callHelp && !HelpFile_.empty())
        shown = WinHelpA(Handle(), HelpFile_.c_str(), command, static_cast<ULONG_PTR>(data)) != FALSE;
    return shown;
}

bool TApplication::HelpContext(THelpContext context)
{
    return HelpCommand(HELP_CONTEXT, context);
}

bool TApplication::HelpJump(const std::string& jumpId)
{
    const std::string command = "JumpID(\"\",\"" + jumpId + "\")";
    return HelpCommand(HELP_COMMAND, reinterpret_cast<LONG_PTR>(command.c_str()));
}

TApplication* Application()
{
    // Lives as long as the program: handlers may run until its very end.
    static TApplication* application = [] {
        TApplication* made = Create<TApplication>(nullptr);
        win32::SetExceptionHandler(&HandleAtBoundary);
        InstallMessageForms();
        InstallFolderPicker();
        InstallSystemClasses();
        return made;
    }();
    return application;
}

} // namespace vcl
