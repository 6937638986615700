// The platform's message box and beep for a person, over QMessageBox and
// QApplication::beep: the defaults the visual layer gives the platform.

#include "vcl/widgets/Dialogs.h"

#include "vcl/core/SysUtils.h"
#include "vcl/core/Thread.h"
#include "vcl/widgets/Controls.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

namespace vcl {

namespace {

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QWidget* OwnerWidget(HWND owner)
{
    TWinControl* control = owner ? TWinControl::FindControl(owner) : nullptr;
    return control && control->HandleAllocated() ? control->Peer()->window() : nullptr;
}

int ShowOnGuiThread(const win32::MessageBoxRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "corvane: no GUI to show the message box \"%s\": %s\n", request.Caption.c_str(),
                     request.Text.c_str());
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    QMessageBox box(IconOf(request.Type), QString::fromStdString(request.Caption),
                    QString::fromStdString(AdjustLineBreaks(request.Text)), QMessageBox::NoButton,
                    OwnerWidget(request.Owner));
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> buttons;
    for (const win32::MessageBoxButton& b : request.Buttons) {
        // Roles that Qt would read as an escape are kept for the cancel one,
        // so a box without a cancel button cannot be closed without a choice.
        const QMessageBox::ButtonRole role = b.Help                     ? QMessageBox::HelpRole
                                             : b.Id == request.CancelId ? QMessageBox::RejectRole
                                                                        : QMessageBox::ActionRole;
        buttons.push_back(box.addButton(QString::fromStdString(b.Caption), role));
    }
    if (request.DefaultButton < buttons.size())
        box.setDefaultButton(buttons[request.DefaultButton]);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (!request.Buttons[i].Help && request.Buttons[i].Id == request.CancelId)
            box.setEscapeButton(buttons[i]);
    if (request.Type & (MB_TASKMODAL | MB_SYSTEMMODAL))
        box.setWindowModality(Qt::ApplicationModal);
    if (request.Type & (MB_TOPMOST | MB_SYSTEMMODAL))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    while (true) {
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        const auto at = std::find(buttons.begin(), buttons.end(), clicked);
        if (at == buttons.end())
            return request.CancelId; // closed with Escape or the close box
        const win32::MessageBoxButton& chosen = request.Buttons[at - buttons.begin()];
        if (!chosen.Help)
            return chosen.Id;
        // Help leaves the box up.
        if (request.Help)
            request.Help();
    }
}

int ShowQtMessageBox(const win32::MessageBoxRequest& request)
{
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

BOOL QtBeep(UINT)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return FALSE;
    QApplication::beep();
    return TRUE;
}

} // namespace

void InstallQtMessageBoxes()
{
    win32::SetDefaultMessageBox(&ShowQtMessageBox);
    win32::SetDefaultMessageBeep(&QtBeep);
}

} // namespace vcl
