#pragma once
// The framework's message dialogs and the person-facing message box.

#include "vcl/CorvaneVclExport.h"
#include "win32/MessageBox.h"

namespace vcl {

// Gives the platform its message box (a QMessageBox, on the GUI thread) and
// beep (QApplication::beep) for a person; the application object does it
// when it is made. Hooks set by tests or hosts still come first.
CORVANE_VCL_EXPORT void InstallQtMessageBoxes();

} // namespace vcl
