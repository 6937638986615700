#pragma once
// The framework's folder picker: a form with the request's title, an
// optional status line, a tree of the source's nodes listed as they are
// expanded, and OK and Cancel. The application object installs it as the
// platform's picker, as it does the message form.

#include "vcl/CorvaneVclExport.h"
#include "win32/FolderPicker.h"

#include <memory>

namespace vcl {

// A picker for the request on the GUI thread; null without a GUI.
CORVANE_VCL_EXPORT std::unique_ptr<win32::FolderPicker>
CreateFolderPickerForm(const win32::FolderPickerRequest& request);

// Installs CreateFolderPickerForm as the platform's picker.
CORVANE_VCL_EXPORT void InstallFolderPicker();

} // namespace vcl
