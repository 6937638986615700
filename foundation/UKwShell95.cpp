// UKwShell95's start-up and shut-down: the shell's COM classes, COM for the
// loading thread, and the one optional shell entry point bound by name.

#include "UKwShell95.h"

#include "UKwFoundationTesting_p.h"

#include "com/Initialization.h"
#include "shell32/ShellClasses.h"
#include "win32/Modules.h"

namespace kw {

TSHGetDataFromIDList SHGetDataFromIDList = nullptr;

namespace {

bool Started = false;
// Only a successful CoInitialize is undone: a failed one (another concurrency
// model already chosen on this thread) counted nothing.
bool ComInitialized = false;
HMODULE ShellLibrary = nullptr;

} // namespace

void UKwShell95Initialization()
{
    if (Started)
        return;
    Started = true;
    shell32::RegisterShellClasses();
    ComInitialized = SUCCEEDED(CoInitialize(nullptr));
    ShellLibrary = LoadLibraryA("shell32.dll");
    if (ShellLibrary) {
        // Through void (*)(): the generic function pointer type a bound entry
        // point is converted from without a cast warning.
        const FARPROC proc = GetProcAddress(ShellLibrary, "SHGetDataFromIDListA");
        SHGetDataFromIDList = reinterpret_cast<TSHGetDataFromIDList>(reinterpret_cast<void (*)()>(proc));
    }
    detail::RecordUnitEvent("UKwShell95 start");
}

void UKwShell95Finalization()
{
    if (!Started)
        return;
    Started = false;
    detail::RecordUnitEvent("UKwShell95 stop");
    // The entry point goes with the library: never leave it pointing into an
    // unloaded module.
    SHGetDataFromIDList = nullptr;
    if (ShellLibrary) {
        FreeLibrary(ShellLibrary);
        ShellLibrary = nullptr;
    }
    if (ComInitialized) {
        CoUninitialize();
        ComInitialized = false;
    }
}

} // namespace kw
