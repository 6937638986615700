#include "win32/Modules.h"
#include "PlatformFixture.h"
#include "win32/Errors.h"

#include <climits>
#include <string>

namespace {

using ModulesTest = PlatformFixture;

LONG_PTR FakeGetData()
{
    return 42;
}
LONG_PTR FakeOther()
{
    return 7;
}

TEST_F(ModulesTest, LoadCountsReferencesAndTheLastFreeMakesTheHandleStale)
{
    ASSERT_EQ(GetModuleHandleA("comctl32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    const HMODULE first = LoadLibraryA("comctl32.dll");
    ASSERT_NE(first, nullptr);
    // Case and the ".dll" suffix do not matter; the same module comes back.
    EXPECT_EQ(LoadLibraryA("COMCTL32"), first);
    EXPECT_EQ(LoadLibraryA("ComCtl32.DLL"), first);
    EXPECT_EQ(win32::testing::ModuleReferenceCount("comctl32"), 3);
    EXPECT_EQ(GetModuleHandleA("comctl32"), first);
    EXPECT_EQ(win32::testing::ModuleReferenceCount("comctl32"), 3) << "GetModuleHandle counts nothing";
    EXPECT_EQ(win32::ModuleNameOf(first), "comctl32.dll");
    char name[64];
    EXPECT_EQ(GetModuleFileNameA(first, name, sizeof name), 12u);
    EXPECT_STREQ(name, "comctl32.dll");
    EXPECT_EQ(GetModuleFileNameA(first, name, 5), 5u);
    EXPECT_STREQ(name, "comc");

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(win32::ModuleNameOf(first).has_value());
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(win32::testing::ModuleReferenceCount("comctl32"), 0);

    // Unloaded: every use of the old handle is refused.
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetProcAddress(first, "InitCommonControlsEx"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(win32::ModuleNameOf(first).has_value());
    EXPECT_EQ(GetModuleFileNameA(first, name, sizeof name), 0u);
    EXPECT_EQ(GetModuleHandleA("comctl32"), nullptr);

    // Loading again gives a new handle; the old one stays dead.
    const HMODULE again = LoadLibraryA("comctl32.dll");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, first);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(win32::testing::ModuleReferenceCount("comctl32"), 1);
    EXPECT_TRUE(FreeLibrary(again));
}

TEST_F(ModulesTest, UnknownModulesAndProcs)
{
    for (const char* unknown :
         {"nosuch.dll", "shell32.exe", "C:\\Windows\\shell32.dll", "/lib/shell32.dll", ""}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LoadLibraryA(unknown), nullptr) << unknown;
        EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << unknown;
    }
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

    // The stand-in shell exports no SHGetDataFromIDListA.
    const HMODULE shell = LoadLibraryA("shell32.dll");
    ASSERT_NE(shell, nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(shell, "SHGetDataFromIDListA"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    // Ordinals are not exported, and are never read as text.
    EXPECT_EQ(GetProcAddress(shell, reinterpret_cast<LPCSTR>(std::uintptr_t{102})), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(shell));
}

TEST_F(ModulesTest, LayersExportRoutinesAndTestsReplaceModules)
{
    ASSERT_TRUE(win32::AddModuleExport("Version", "GetFileVersionInfoA", &FakeOther));
    EXPECT_FALSE(win32::AddModuleExport("nosuch.dll", "X", &FakeOther));
    const HMODULE version = LoadLibraryA("version.dll");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(GetProcAddress(version, "GetFileVersionInfoA"), &FakeOther);
    EXPECT_EQ(GetProcAddress(version, "getfileversioninfoa"), nullptr) << "routine names match exactly";

    // A shell of the test's own that does export the entry point.
    const HMODULE standInShell = LoadLibraryA("shell32.dll");
    win32::testing::RegisterModule("shell32.dll", win32::ModuleVersion{0x00040047, 0},
                                   {{"SHGetDataFromIDListA", &FakeGetData}});
    EXPECT_FALSE(FreeLibrary(standInShell)) << "replacing a module unloads the old one";
    const HMODULE shell = LoadLibraryA("SHELL32");
    ASSERT_NE(shell, nullptr);
    const FARPROC proc = GetProcAddress(shell, "SHGetDataFromIDListA");
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc(), 42);

    // A missing shell library.
    win32::testing::UnregisterModule("shell32.dll");
    EXPECT_FALSE(win32::ModuleNameOf(shell).has_value());
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA("shell32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    // Reset brings the stand-in back, with what the layers exported, and
    // leaves loaded stand-ins that no test replaced alone.
    win32::testing::ResetModules();
    EXPECT_TRUE(win32::ModuleNameOf(version).has_value());
    EXPECT_EQ(GetProcAddress(version, "GetFileVersionInfoA"), &FakeOther);
    const HMODULE back = LoadLibraryA("shell32.dll");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(GetProcAddress(back, "SHGetDataFromIDListA"), nullptr);
    EXPECT_TRUE(FreeLibrary(back));
    EXPECT_TRUE(FreeLibrary(version));
}

TEST_F(ModulesTest, TheProgramsOwnModule)
{
    const HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    EXPECT_TRUE(FreeLibrary(program));
    EXPECT_TRUE(FreeLibrary(program));
    EXPECT_TRUE(win32::ModuleNameOf(program).has_value()) << "the program is never unloaded";
    char path[PATH_MAX];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::string(path, n).find("test_win32"), std::string::npos) << path;
    EXPECT_EQ(GetProcAddress(program, "main"), nullptr);
}

} // namespace
