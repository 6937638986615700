#pragma once
// The framework's message dialogs, and the forms that show message boxes
// to a person.
//
// Every message dialog is a message-box request (win32/MessageBox.h): its
// text as given, the caption of its kind, the MB_ flags of its icon (and of
// its buttons when they are one of the platform's sets), its buttons in
// order answering modal results (mrYes ...), the default and cancel
// buttons, and the help of its context. A hook set with
// win32::SetMessageBoxHook sees and answers it; otherwise the framework's
// message form shows it, as it shows the platform's own boxes.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Format.h"
#include "vcl/core/ModalResults.h"
#include "win32/MessageBox.h"

#include <string>

namespace vcl {

class TForm;

// The request a message dialog makes; helpCtx is what its Help button asks
// the application's help for.
CORVANE_VCL_EXPORT win32::MessageBoxRequest MessageDialogRequest(const std::string& msg, TMsgDlgType type,
                                                                 TMsgDlgButtons buttons, int helpCtx = 0);

// The form that shows a request: an icon of its kind, the text (CR, LF and
// CR LF break lines) and a row of buttons whose modal results are the
// answers; Enter chooses the default, Escape and the close box the cancel
// answer (a box without one refuses to close). Owned by the application;
// the caller frees it.
CORVANE_VCL_EXPORT TForm* CreateMessageForm(const win32::MessageBoxRequest& request);
// The form of a message dialog, not shown yet: captioned "Warning",
// "Error", "Information", "Confirmation", or with the application's title
// (mtCustom).
CORVANE_VCL_EXPORT TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type,
                                              TMsgDlgButtons buttons);

// Asks and returns the modal result of the button chosen; mrNone when
// nobody could answer.
CORVANE_VCL_EXPORT int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                  int helpCtx);
// The same with the dialog's corner at (x, y) on the screen; a negative
// coordinate centres it in that direction.
CORVANE_VCL_EXPORT int MessageDlgPos(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                     int helpCtx, int x, int y);
// Tells: mtCustom with OK, captioned with the application's title.
CORVANE_VCL_EXPORT void ShowMessage(const std::string& msg);
CORVANE_VCL_EXPORT void ShowMessagePos(const std::string& msg, int x, int y);
CORVANE_VCL_EXPORT void ShowMessageFmt(std::string_view format, std::initializer_list<TVarRec> args);
CORVANE_VCL_EXPORT void ShowMessageFmt(std::string_view format, TVarRecs args);

// Asks for a line of text on a form with the prompt, an edit holding value
// (selected), OK and Cancel. On OK value takes the text and true comes
// back; otherwise value is left alone. A worker's question is shown by the
// GUI thread (the worker waits); without a GUI nobody answers: false.
CORVANE_VCL_EXPORT bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The text entered, or defaultValue when cancelled.
CORVANE_VCL_EXPORT std::string InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultValue);
// Answers InputQuery instead of a person (tests, hosts without one); null
// gives the questions back to the form. Returns the hook it replaces.
using TInputQueryHook = bool (*)(const std::string& caption, const std::string& prompt, std::string& value);
CORVANE_VCL_EXPORT TInputQueryHook SetInputQueryHook(TInputQueryHook hook);

// Shows every request that no hook takes on the framework's message form
// (on the GUI thread; a worker waits for it), and beeps with
// QApplication::beep. The application object does it when it is made.
CORVANE_VCL_EXPORT void InstallMessageForms();

} // namespace vcl
