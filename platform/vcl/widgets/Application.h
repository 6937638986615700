#pragma once
// The application object: the program's start (the QApplication and the
// units' start-ups), its event loop and end, its help, and where exceptions
// that reach the event loop end.
//
//     int main()
//     {
//         vcl::Application()->Initialize();
//         vcl::Application()->CreateForm(MainForm);
//         vcl::Application()->Run();
//     }
//
// Every entry point from the toolkit (event handlers, paint, timers, posted
// messages, nested loops) catches what its handlers raise and calls
// HandleException from inside the catch block. The silent EAbort is
// swallowed; every other exception goes to OnException when it is assigned
// and to ShowException otherwise, and the event loop goes on.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/Exceptions.h"
#include "vcl/widgets/Messages.h"
#include "win32/Help.h"
#include "win32/MessageBox.h"
#include "win32/WinTypes.h"

#include <string>

namespace vcl {

class TCustomForm;

using TExceptionEvent = TEvent<void(TObject* aSender, const Exception& e)>;
// Answers whether help was shown; clearing callHelp keeps the help file
// from being asked.
using THelpEvent = TEvent<bool(WORD command, LONG_PTR data, bool& callHelp)>;
using THelpContext = int;

class CORVANE_VCL_EXPORT TApplication : public TComponent {
    VCL_DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);

    // Makes the QApplication when there is none (with the program's own
    // arguments, read from the system) and runs the units' start-ups, once.
    void Initialize();
    // The application's hidden window, made on first use.
    HWND Handle();

    // Call only inside a catch block: reports the exception being handled.
    // Exceptions that are not the framework's are reported as an Exception
    // with their text. Nothing leaves it: what OnException raises gets the
    // default report.
    void HandleException(TObject* sender) noexcept;
    // The default report: the message in a message box titled with the
    // application's title, with a full stop added when its last character
    // sorts after one (letters, digits).
    virtual void ShowException(const Exception& e);
    // The platform's message box (MessageBoxA, so its hook sees it) owned
    // by the active window; returns the button chosen (IDOK, ...).
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);

    // The program's name unless set.
    std::string Title() const;
    void SetTitle(const std::string& title) { Title_ = title; }

    // Makes a form owned by the application; the first becomes the main form.
    template <class T>
    void CreateForm(T*& reference)
    {
        reference = Create<T>(this);
        if (!MainForm_)
            SetMainForm(reference);
    }
    TCustomForm* MainForm() const { return MainForm_; }
    // Shows the main form and runs the event loop until Terminate (or the
    // main form closes). Then the program ends as the framework's does: the
    // components the application owns (its forms) are freed, the units shut
    // down in reverse order, and a QApplication Initialize made goes.
    void Run();
    // Runs the events waiting now.
    void ProcessMessages();
    // Runs the events waiting now, or sleeps until there is one and runs it
    // (Terminate wakes it). The step of every event loop.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return Terminated_; }

    // The hint of what the pointer (or a menu's highlight) is over; OnHint
    // hears each change.
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& value);
    // Takes the hint shown (a tooltip) off the screen.
    void CancelHint();

    // Help goes to OnHelp, then (unless it cleared callHelp) to the help
    // file through the platform's WinHelp. False when nothing showed help.
    const std::string& HelpFile() const { return HelpFile_; }
    void SetHelpFile(const std::string& value) { HelpFile_ = value; }
    bool HelpCommand(WORD command, LONG_PTR data);
    bool HelpContext(THelpContext context);
    bool HelpJump(const std::string& jumpId);
    THelpEvent OnHelp;

    TExceptionEvent OnException;
    TNotifyEvent OnHint;

protected:
    ~TApplication() override;

    void Notification(TComponent* component, TOperation operation) override;

private:
    void Report(TObject* sender, const Exception& e);
    void SetMainForm(TCustomForm* form);
    void WndProc(TMessage& message);
    void Finish();

    std::string Title_;
    std::string Hint_;
    std::string HelpFile_;
    HWND Handle_ = nullptr;
    bool Initialized_ = false;
    bool OwnsQApplication_ = false;
    TCustomForm* MainForm_ = nullptr;
    bool Terminated_ = false;
};

// The application object, made (and made the handler of exceptions that
// reach the platform's boundaries) on first use.
CORVANE_VCL_EXPORT TApplication* Application();

} // namespace vcl
