#include "shell32/ShellClasses.h"

#include "com/ClassRegistry.h"
#include "shell32/ShellLink.h"

namespace shell32 {

void RegisterShellClasses()
{
    com::RegisterClass(CLSID_ShellLink, &CreateShellLink);
}

} // namespace shell32
