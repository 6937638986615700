// The application object and the exception boundary's end.

#include "vcl/widgets/Application.h"

#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/Forms.h"
#include "win32/WindowManager.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

namespace vcl {

namespace {

void HandleAtBoundary()
{
    Application()->HandleException(nullptr);
}

} // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

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
    return MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), flags);
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
    if (MainForm_)
        MainForm_->Show();
    while (!Terminated_ && MainForm_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
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

TApplication* Application()
{
    // Lives as long as the program: handlers may run until its very end.
    static TApplication* application = [] {
        TApplication* made = Create<TApplication>(nullptr);
        win32::SetExceptionHandler(&HandleAtBoundary);
        InstallQtMessageBoxes();
        return made;
    }();
    return application;
}

} // namespace vcl
