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
#include "vcl/core/Colors.h"
#include "vcl/core/Component.h"
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

// ---- Font and colour dialogs ----

class TFont;

// Chooses a font, starting from font, which takes the choice; false when
// the person cancels. A replacement answers instead of the desktop's
// dialog (tests, hosts without a person); null gives the question back.
using TFontDialogHook = bool (*)(TFont* font);
CORVANE_VCL_EXPORT TFontDialogHook SetFontDialogHook(TFontDialogHook hook);
// The same for a colour.
using TColorDialogHook = bool (*)(TColor& color);
CORVANE_VCL_EXPORT TColorDialogHook SetColorDialogHook(TColorDialogHook hook);

// The font dialog: Execute asks for a font starting from Font, and Font
// takes the choice when the person accepts.
class CORVANE_VCL_EXPORT TFontDialog : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TFontDialog, TComponent)
public:
    explicit TFontDialog(TComponent* owner);

    TFont* Font() const { return Font_; }
    void SetFont(TFont* value);
    virtual bool Execute();

protected:
    ~TFontDialog() override;

private:
    TFont* Font_;
};

// The colour dialog: Execute asks for a colour starting from Color.
class CORVANE_VCL_EXPORT TColorDialog : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TColorDialog, TComponent)
public:
    explicit TColorDialog(TComponent* owner) : TComponent(owner) {}

    TColor Color() const { return Color_; }
    void SetColor(TColor value) { Color_ = value; }
    virtual bool Execute();

private:
    TColor Color_ = 0;
};

// Shows every request that no hook takes on the framework's message form
// (on the GUI thread; a worker waits for it), and beeps with
// QApplication::beep. The application object does it when it is made.
CORVANE_VCL_EXPORT void InstallMessageForms();

} // namespace vcl
