// The shell controls' start-up and shut-down, the tunable constants and the
// clipboard format of item id list arrays.

#include "UKwShellControls.h"
#include "UKwShellControls_Startup_p.h"

#include "UKwFoundationTesting_p.h"
#include "UKwShellUtils_Startup_p.h"

#include "com/Initialization.h"
#include "shell32/ClipboardMime.h"
#include "shell32/ShellUIObjects.h"
#include "vcl/core/Streams.h"
#include "win32/ClipboardFormats.h"

#include <memory>

namespace kw {

int KWSH_CHANGE_NOTIFY_DELAY = 2000;
int KWSH_CHANGE_NOTIFY_FASTDELAY = 400;
int KWSH_TREE_KEY_UPDATE_DELAY = 500;
int KWSH_MAX_FOLDER_ATTEMPTS = 50;
int KWSH_AUTOSCROLL_THRESHOLD_X = 26;
int KWSH_AUTOSCROLL_THRESHOLD_Y = 20;
int KWSH_AUTOSCROLL_MINDELAY_MS = 100;

WORD CF_IDLIST = 0;

namespace {

bool Started = false;
// Only a successful OleInitialize is undone: a refused one (the thread chose
// the other concurrency model) counted nothing.
bool OleInitialized = false;
std::unique_ptr<vcl::TMemoryStream> ColumnWidths;
detail::TLastDirectoryCols LastDirectoryColsCopy;

void RegisterIdListFormat()
{
    CF_IDLIST = static_cast<WORD>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST));
}

} // namespace

vcl::TMemoryStream* detail::ColumnWidthStream()
{
    return ColumnWidths.get();
}

detail::TLastDirectoryCols& detail::LastDirectoryCols()
{
    return LastDirectoryColsCopy;
}

void UKwShellControlsInitialization()
{
    if (Started)
        return;
    Started = true;
    detail::RunStartupStep([] {
        detail::LoadShortcutTexts();
        detail::RecordUnitEvent("UKwShellControls shortcut texts");
    });
    detail::RunStartupStep([] {
        RegisterIdListFormat();
        detail::RecordUnitEvent("UKwShellControls CF_IDLIST");
    });
    detail::RunStartupStep([] {
        ColumnWidths = std::make_unique<vcl::TMemoryStream>();
        detail::RecordUnitEvent("UKwShellControls column widths");
    });
    detail::RunStartupStep([] {
        LastDirectoryColsCopy = {};
        detail::RecordUnitEvent("UKwShellControls DirectoryCols");
    });
    detail::RunStartupStep([] {
        OleInitialized = SUCCEEDED(OleInitialize(nullptr));
        // The shell's own context menus and drop targets of items.
        shell32::InstallShellUIObjects();
        detail::RecordUnitEvent("UKwShellControls OLE");
    });
    detail::RunStartupStep([] { detail::RecordUnitEvent("UKwShellControls start"); });
}

void UKwShellControlsFinalization()
{
    if (!Started)
        return;
    Started = false;
    detail::RecordUnitEvent("UKwShellControls stop");
    detail::FreeSendToList();
    detail::RecordUnitEvent("UKwShellControls Send To list freed");
    ColumnWidths.reset();
    detail::RecordUnitEvent("UKwShellControls column widths freed");
    shell32::UninstallShellUIObjects();
    if (OleInitialized) {
        OleUninitialize();
        OleInitialized = false;
    }
    detail::RecordUnitEvent("UKwShellControls OLE undone");
    detail::ReleaseShortcutTexts();
    detail::RecordUnitEvent("UKwShellControls shortcut texts released");
    // The shortcut keys stay parsed and the clipboard format registered for
    // as long as the process runs.
}

} // namespace kw
