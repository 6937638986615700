// A change watch with its subtree covers what the shell has listed or looked
// into for subfolders: the folders are recorded as the shell meets them.

#include "ShellTestHelpers.h"

#include "win32/ChangeNotifications.h"
#include "win32/ChangeNotificationsTesting.h"
#include "win32/KernelObjects.h"
#include "win32/ListedFoldersTesting.h"

#include <filesystem>

using namespace shelltest;

namespace {

bool Signalled(HANDLE handle)
{
    win32::testing::DrainChangeEvents();
    const bool signalled = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    if (signalled)
        FindNextChangeNotification(handle);
    return signalled;
}

TEST(WatchedListedFolders, WhatTheShellMetIsWatched)
{
    ShellEnvironment env;
    win32::testing::ResetListedFolders();
    for (const char* dir : {"top/listed/deeper", "top/looked/into/sub", "top/never/seen"})
        std::filesystem::create_directories(env / dir);
    // Listed through the namespace, two levels below the watched folder.
    EnumAll(BindPath(env / "top/listed/deeper").Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    // Its has-subfolder attribute computed, two levels down.
    com::ComPtr<IShellFolder> desktop = Desktop();
    Pidl pidl;
    ULONG attributes = SFGAO_HASSUBFOLDER;
    ASSERT_EQ(Parse(desktop.Get(), env / "top/looked/into", pidl, &attributes), S_OK);
    EXPECT_EQ(attributes, SFGAO_HASSUBFOLDER);

    const HANDLE handle = FindFirstChangeNotification(
        (env / "top").c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    struct Case {
        const char* Name;
        std::string File;
        bool Expected;
    };
    const Case cases[] = {
        {"in the listed folder", env / "top/listed/deeper/new", true},
        {"in the folder looked into", env / "top/looked/into/new", true},
        {"in a folder never seen", env / "top/never/seen/new", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFile(c.File);
        EXPECT_EQ(Signalled(handle), c.Expected);
    }
    FindCloseChangeNotification(handle);
    win32::testing::ResetListedFolders();
}

} // namespace
