#pragma once
// The edit window: a one-line edit on a QLineEdit that answers the edit
// messages, takes typed characters and keys as the platform's edit does
// (limit, read-only, letter case, password character) and tells its parent
// of every change of its text (WM_COMMAND with EN_CHANGE).

#include "vcl/widgets/Messages.h"

#include <QLineEdit>

#include <memory>
#include <string>

namespace vcl {

class TEditWidget final : public QLineEdit {
public:
    // style: the window's ES_ styles.
    TEditWidget(QWidget* parent, const std::string& text, DWORD style, DWORD exStyle);
    ~TEditWidget() override;

    // The edit's handling of a message; false for one it leaves to the
    // window's default handling.
    bool Handle(HWND window, TMessage& message);

private:
    class PasswordStyle;

    // Replaces the selection with what fits under the limit, in the case the
    // style asks for; false when nothing could go in.
    bool Insert(QString text);
    void KeyDown(WORD key);
    void Char(char16_t unit);
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    void SetPasswordChar(char ch);
    void SetSelection(int start, int end);
    LRESULT GetSelection(TMessage& message) const;
    void SetText(const char* text);
    static void Notify(HWND window, WORD code);

    HWND Window_ = nullptr;
    DWORD Style_;
    UINT Limit_;
    char PasswordChar_ = 0;
    bool Modified_ = false;
    // Inside a message: its change is told when the message is done.
    int Depth_ = 0;
    bool Changed_ = false;
    bool Full_ = false;
    char16_t PendingHigh_ = 0;
    std::unique_ptr<PasswordStyle> Password_;
};

} // namespace vcl
