#include "shell32/UserDirs.h"

#include "shell32/ShellTesting.h"
#include "win32/LocationsTesting.h"

namespace shell32 {

std::string TrashDirectory()
{
    return DataHome() + "/Trash";
}

namespace testing {

void ResetCachedLocations()
{
    win32::testing::ResetLocations();
}

} // namespace testing

} // namespace shell32
