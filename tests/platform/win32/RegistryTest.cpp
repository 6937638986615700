#include "PlatformTestSupport.h"

#include "win32/AtomicFileTesting.h"
#include "win32/ClassesRoot.h"
#include "win32/Errors.h"
#include "win32/LocationsTesting.h"
#include "win32/Registry.h"
#include "win32/RegistryStore.h"
#include "win32/RegistryTesting.h"

#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using kwtest::ReadFile;
using kwtest::WriteFile;

// The store lives in a temporary XDG_CONFIG_HOME for each test.
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        win32::testing::SetInterruptAtomicWritesBeforeRename(false);
        EXPECT_EQ(win32::testing::OpenRegistryKeys(), 0u) << "a test left a key open";
    }

    std::string StorePath() const { return Config_.StorePath(); }

    static HKEY Create(HKEY parent, const char* path, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition),
                  ERROR_SUCCESS)
            << path;
        return key;
    }
    static LONG SetString(HKEY key, const char* name, const std::string& text, DWORD type = REG_SZ)
    {
        return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1));
    }
    static std::optional<std::string> QueryString(HKEY key, const char* name)
    {
        DWORD size = 0;
        DWORD type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string text(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        EXPECT_TRUE(type == REG_SZ || type == REG_EXPAND_SZ);
        EXPECT_FALSE(text.empty());
        text.resize(text.empty() ? 0 : text.size() - 1);
        return text;
    }
    static std::vector<std::string> SubkeyNames(HKEY key)
    {
        std::vector<std::string> names;
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD size = sizeof name;
            const LONG result = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS)
                break;
            EXPECT_EQ(result, ERROR_SUCCESS);
            if (result != ERROR_SUCCESS)
                break;
            names.emplace_back(name, size);
        }
        return names;
    }

    kwtest::ScopedRegistryHome Config_;
};

TEST_F(RegistryTest, ValuesKeepTheirTypesAndSizes)
{
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Corvane\\Test", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY again = Create(HKEY_CURRENT_USER, "software\\CORVANE\\test\\", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(again, key);
    RegCloseKey(again);

    EXPECT_EQ(SetString(key, "Title", "Shell \"demo\""), ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "Path", "%HOME%/x", REG_EXPAND_SZ), ERROR_SUCCESS);
    const BYTE geometry[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x0A, 0x00, 0x02};
    EXPECT_EQ(RegSetValueExA(key, "Geometry", 0, REG_BINARY, geometry, sizeof geometry), ERROR_SUCCESS);
    const DWORD count = 0x01020304;
    EXPECT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4),
              ERROR_SUCCESS);
    // Text set without its terminator is stored with one.
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
              ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "geometry", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, sizeof geometry);
    BYTE small[4] = {9, 9, 9, 9};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Geometry", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof geometry);
    EXPECT_EQ(small[0], 9) << "a buffer too small is left alone";
    BYTE read[16] = {};
    size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(key, "Geometry", nullptr, &type, read, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof geometry);
    EXPECT_EQ(std::memcmp(read, geometry, sizeof geometry), 0);

    DWORD number = 0;
    size = sizeof number;
    EXPECT_EQ(RegQueryValueExA(key, "COUNT", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(number, count);
    EXPECT_EQ(QueryString(key, "Title"), "Shell \"demo\"");
    EXPECT_EQ(QueryString(key, "Path"), "%HOME%/x");
    EXPECT_EQ(QueryString(key, ""), "abc");
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "Title", reinterpret_cast<DWORD*>(&size), nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);

    // Setting a value of another type replaces it, keeping its place.
    EXPECT_EQ(RegSetValueExA(key, "TITLE", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4),
              ERROR_SUCCESS);
    char name[64];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameSize), "Title") << "values enumerate in the order they were made";
    EXPECT_EQ(type, REG_DWORD);
    nameSize = 5; // "Title" needs 6 with its terminator
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    nameSize = sizeof name;
    size = 2;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &nameSize, nullptr, &type, read, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof geometry);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 5, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);

    DWORD subKeys = 99, values = 0, longestName = 0, longestData = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                               &longestName, &longestData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 5u);
    EXPECT_EQ(longestName, 8u); // "Geometry"
    EXPECT_EQ(longestData, 9u);

    EXPECT_EQ(RegDeleteValueA(key, "title"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "title"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeysOpenEnumerateAndDelete)
{
    HKEY parent = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    for (const char* name : {"zeta", "Alpha", "beta"})
        RegCloseKey(Create(parent, name));
    EXPECT_EQ(SubkeyNames(parent), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
    char name[4];
    DWORD size = sizeof name; // "Alpha" does not fit
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvane\\Missing", 0, KEY_READ, &opened),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(RegOpenKeyExA(parent, "\\beta", 0, KEY_READ, &opened), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(parent, "a\\\\b", 0, KEY_READ, &opened), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(parent, std::string(256, 'n').c_str(), 0, KEY_READ, &opened),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(std::uintptr_t{0x80000005}), "x", 0, KEY_READ, &opened),
              ERROR_INVALID_HANDLE);

    // A read-only key refuses writes; a closed one refuses everything.
    ASSERT_EQ(RegOpenKeyExA(parent, "BETA", 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_EQ(SetString(opened, "x", "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(opened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetString(opened, "x", "y"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS) << "a root is always open";

    // Only a key without subkeys goes; a handle to it is then dead.
    HKEY child = Create(parent, "beta\\child");
    EXPECT_EQ(RegDeleteKeyA(parent, "beta"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(parent, "beta\\child"), ERROR_SUCCESS);
    EXPECT_EQ(SetString(child, "x", "y"), ERROR_KEY_DELETED);
    HKEY below = nullptr;
    EXPECT_EQ(RegCreateKeyExA(child, "below", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &below, nullptr),
              ERROR_KEY_DELETED);
    RegCloseKey(child);
    EXPECT_EQ(RegDeleteKeyA(parent, "beta"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(parent, "beta"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SubkeyNames(parent), (std::vector<std::string>{"Alpha", "zeta"}));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, StoreIsOneFileReadAgainWhenReplaced)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    EXPECT_EQ(SetString(key, "Name", "first"), ERROR_SUCCESS);
    RegCloseKey(key);

    struct stat info {};
    ASSERT_EQ(stat(StorePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the store is the user's own";
    const std::string text = ReadFile(StorePath());
    EXPECT_EQ(text.rfind("corvane-registry 2\n", 0), 0u);
    EXPECT_EQ(text.substr(text.rfind("end ")),
              "end " + std::to_string(std::count(text.begin(), text.end(), '\n') - 1) + "\n")
        << "the last line counts the lines before it";

    // Another process replaces the file: the next call reads it.
    WriteFile(StorePath() + ".other",
              "corvane-registry 1\nkey \"HKEY_CURRENT_USER\" \"Software\" \"Corvane\"\n"
              "value \"Name\" sz \"second\"\n");
    std::filesystem::rename(StorePath() + ".other", StorePath());
    key = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    EXPECT_EQ(QueryString(key, "Name"), "second");
    RegCloseKey(key);

    // The variable is read with the user's other places, once: another value
    // counts when the places are read again.
    kwtest::TempDir other;
    setenv("XDG_CONFIG_HOME", other.Path().c_str(), 1);
    HKEY found = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvane", 0, KEY_READ, &found), ERROR_SUCCESS);
    RegCloseKey(found);
    win32::testing::ResetLocations();
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvane", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    setenv("XDG_CONFIG_HOME", Config_.Path().c_str(), 1);
    win32::testing::ResetRegistry();
    key = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    EXPECT_EQ(QueryString(key, "Name"), "second");
    RegCloseKey(key);
}

TEST_F(RegistryTest, CrashBeforeRenameLeavesTheOldStore)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    ASSERT_EQ(SetString(key, "Value", "old"), ERROR_SUCCESS);
    const std::string before = ReadFile(StorePath());

    win32::testing::SetInterruptAtomicWritesBeforeRename(true);
    EXPECT_NE(SetString(key, "Value", "new"), ERROR_SUCCESS) << "a write that did not land is no success";
    win32::testing::SetInterruptAtomicWritesBeforeRename(false);
    EXPECT_EQ(ReadFile(StorePath()), before);
    const std::string leftover = Config_.Path() + "/corvane/registry.new";
    ASSERT_TRUE(std::filesystem::exists(leftover)) << "the crash left the written temporary";
    EXPECT_NE(ReadFile(leftover).find("\"new\""), std::string::npos);
    EXPECT_EQ(QueryString(key, "Value"), "old") << "memory does not keep what the file lacks";

    win32::testing::ResetRegistry(); // the next run
    EXPECT_EQ(QueryString(key, "Value"), "old");
    EXPECT_EQ(SetString(key, "Value", "newer"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    win32::testing::ResetRegistry();
    EXPECT_EQ(QueryString(key, "Value"), "newer");
    RegCloseKey(key);
}

TEST_F(RegistryTest, StoreNeverGrowsPastWhatIsReadBack)
{
    // Two of the largest values take more text than a store may hold.
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Big");
    const std::string data(KW_REG_MAX_VALUE_DATA, '\x5A');
    const auto setBinary = [&](const char* name) {
        return RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()));
    };
    ASSERT_EQ(setBinary("first"), ERROR_SUCCESS);
    EXPECT_EQ(setBinary("second"), ERROR_NO_SYSTEM_RESOURCES);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "second", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND)
        << "memory does not keep what the file lacks";

    win32::testing::ResetRegistry(); // the next run reads what was written
    EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, data.size());
    EXPECT_EQ(SetString(key, "small", "still writable"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, "small"), "still writable");
    RegCloseKey(key);
}

TEST_F(RegistryTest, MalformedStoreIsRefusedAndKept)
{
    std::filesystem::create_directories(Config_.Path() + "/corvane");
    const std::string broken = "corvane-registry 1\nkey \"HKEY_CURRENT_USER\" \"Software\nvalue";
    WriteFile(StorePath(), broken);
    win32::testing::ResetRegistry();

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_BADDB);
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, "x", "y"), ERROR_BADDB);
    EXPECT_EQ(ReadFile(StorePath()), broken) << "never emptied, never written over";

    // File types still answer from the MIME database; writing them does not.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, ""), "text.plain");
    EXPECT_EQ(SetString(key, "x", "y"), ERROR_BADDB);
    RegCloseKey(key);

    // Once repaired, the store is read again.
    WriteFile(StorePath(), "corvane-registry 1\nkey \"HKEY_CURRENT_USER\" \"Software\"\n");
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ClassesRootComesFromTheMimeDatabase)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".TXT", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, ""), "text.plain");
    EXPECT_EQ(QueryString(key, "Content Type"), "text/plain");
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "text.plain", 0, KEY_READ, &key), ERROR_SUCCESS);
    const std::optional<std::string> description = QueryString(key, "");
    ASSERT_TRUE(description);
    EXPECT_FALSE(description->empty());
    RegCloseKey(key);

    // Desktop entries are shortcuts: their program identifier names the class.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".desktop", 0, KEY_READ, &key), ERROR_SUCCESS);
    const std::optional<std::string> progId = QueryString(key, "");
    RegCloseKey(key);
    ASSERT_EQ(progId, win32::registry::ProgIdForMimeType("application/x-desktop"));
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, (*progId + "\\CLSID").c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, ""), "{00021401-0000-0000-C000-000000000046}");
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "text.plain\\CLSID", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    // Stored values lie over made ones; made keys and values cannot go.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "", "my.text"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, ""), "my.text");
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u) << "a shadowed value is listed once";
    EXPECT_EQ(RegDeleteValueA(key, ""), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, ""), "text.plain");
    EXPECT_EQ(RegDeleteValueA(key, "Content Type"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt"), ERROR_ACCESS_DENIED);

    // Stored classes keys join the made ones in one sorted listing.
    RegCloseKey(Create(HKEY_CLASSES_ROOT, ".aaa-corvane"));
    const std::vector<std::string> names = SubkeyNames(HKEY_CLASSES_ROOT);
    ASSERT_GT(names.size(), 100u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), win32::registry::NameLess()));
    EXPECT_NE(std::find(names.begin(), names.end(), ".aaa-corvane"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), ".txt"), names.end());
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ".aaa-corvane"), ERROR_SUCCESS);

    // Where types share an extension (.iso, .asc, .m3u, ...), the key names
    // the type a file of that name is listed with, the same in every run.
    const QMimeDatabase database;
    int extensions = 0;
    for (const std::string& name : SubkeyNames(HKEY_CLASSES_ROOT)) {
        if (name.size() < 2 || name[0] != '.')
            continue;
        ++extensions;
        EXPECT_EQ(name.find_first_of("[]*?"), std::string::npos) << name << " is a pattern";
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << name;
        const QMimeType listed =
            database.mimeTypeForFile(QString::fromStdString("x" + name), QMimeDatabase::MatchExtension);
        EXPECT_EQ(QueryString(key, ""), win32::registry::ProgIdForMimeType(listed.name().toStdString()))
            << name;
        EXPECT_EQ(QueryString(key, "Content Type"), listed.name().toStdString()) << name;
        RegCloseKey(key);
    }
    EXPECT_GT(extensions, 100);
}

TEST_F(RegistryTest, StoreIsParsedAgainOnlyWhenItsFileChanged)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Corvane");
    ASSERT_EQ(SetString(key, "Name", "first"), ERROR_SUCCESS);
    win32::testing::ResetRegistry();
    ASSERT_EQ(QueryString(key, "Name"), "first");
    const std::string other = StorePath() + ".other";
    const struct {
        const char* what;
        std::function<void()> change;
        bool parsedAgain;
        const char* name; // the value read afterwards
    } cases[] = {
        {"nothing happened", [] {}, false, "first"},
        {"this process wrote", [&] { ASSERT_EQ(SetString(key, "Name", "second"), ERROR_SUCCESS); }, false,
         "second"},
        {"its mode changed", [&] { ASSERT_EQ(chmod(StorePath().c_str(), 0640), 0); }, false, "second"},
        {"another process replaced it with the same bytes",
         [&] {
             std::filesystem::copy_file(StorePath(), other);
             std::filesystem::rename(other, StorePath());
         },
         true, "second"},
        {"its time changed",
         [&] {
             const timespec times[2] = {{UTIME_OMIT, UTIME_OMIT}, {1'000'000'000, 0}};
             ASSERT_EQ(utimensat(AT_FDCWD, StorePath().c_str(), times, 0), 0);
         },
         true, "second"},
        {"it grew in place",
         [&] {
             std::ofstream(StorePath(), std::ios::app) << "# a note\n";
             const timespec times[2] = {{UTIME_OMIT, UTIME_OMIT}, {1'000'000'000, 0}};
             ASSERT_EQ(utimensat(AT_FDCWD, StorePath().c_str(), times, 0), 0);
         },
         true, "second"},
    };
    for (const auto& c : cases) {
        const std::size_t before = win32::testing::RegistryStoreParses();
        c.change();
        EXPECT_EQ(QueryString(key, "Name"), c.name) << c.what;
        EXPECT_EQ(QueryString(key, "Name"), c.name) << c.what;
        EXPECT_EQ(win32::testing::RegistryStoreParses() - before, c.parsedAgain ? 1u : 0u) << c.what;
    }
    RegCloseKey(key);
}

// A store kept elsewhere (with the user's dot files) and linked into place.
TEST_F(RegistryTest, StoreLinkedFromElsewhereIsWrittenWhereItIsKept)
{
    kwtest::TempDir dotfiles;
    std::filesystem::create_directories(Config_.Path() + "/corvane");
    std::filesystem::create_directories(dotfiles / "kept");
    const std::string header = "corvane-registry 1\nkey \"HKEY_CURRENT_USER\" \"Software\"\n";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links; // link, its content ("@" the dot files)
        std::string target;                                     // below the dot files
        bool targetExists;
        LONG result;
    } cases[] = {
        {"an absolute link", {{"registry", "@/kept/registry"}}, "kept/registry", true, ERROR_SUCCESS},
        {"a relative link",
         {{"registry", "relative"}, {"relative", "@/kept/store"}},
         "kept/store",
         true,
         ERROR_SUCCESS},
        {"a dangling link", {{"registry", "@/kept/new-store"}}, "kept/new-store", false, ERROR_SUCCESS},
        {"a link into a missing folder",
         {{"registry", "@/missing/store"}},
         "missing/store",
         false,
         ERROR_PATH_NOT_FOUND},
        {"a loop", {{"registry", "loop"}, {"loop", "registry"}}, "", false, ERROR_CANT_RESOLVE_FILENAME},
    };
    for (const auto& c : cases) {
        const std::string folder = Config_.Path() + "/corvane/";
        const std::string target = dotfiles / c.target;
        for (const auto& [link, content] : c.links) {
            std::filesystem::remove(folder + link);
            const std::string to = content.front() == '@' ? dotfiles.Path() + content.substr(1) : content;
            ASSERT_EQ(symlink(to.c_str(), (folder + link).c_str()), 0) << c.what;
        }
        if (c.targetExists) {
            WriteFile(target, header + "value \"Old\" sz \"kept\"\n");
            ASSERT_EQ(chmod(target.c_str(), 0640), 0);
        }
        win32::testing::ResetRegistry();

        EXPECT_EQ(SetString(HKEY_CURRENT_USER, "New", c.what), c.result) << c.what;
        struct stat info {};
        ASSERT_EQ(lstat(StorePath().c_str(), &info), 0) << c.what;
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << c.what << ": the link stays a link";
        if (c.result != ERROR_SUCCESS) {
            EXPECT_TRUE(c.target.empty() || !std::filesystem::exists(target)) << c.what;
            continue;
        }
        const std::string written = ReadFile(target);
        EXPECT_NE(written.find(c.what), std::string::npos) << c.what;
        EXPECT_EQ(written.find("\"kept\"") != std::string::npos, c.targetExists) << c.what;
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, c.targetExists ? 0640u : 0600u) << c.what;
        for (const auto& entry : std::filesystem::directory_iterator(dotfiles / "kept"))
            EXPECT_NE(entry.path().filename().string().front(), '.') << c.what << ": a temporary was left";

        // Another run reads it back through the link.
        win32::testing::ResetRegistry();
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &key), ERROR_SUCCESS);
        EXPECT_EQ(QueryString(key, "New"), c.what);
        RegCloseKey(key);
    }
}

TEST(RegistryStoreFormat, KeysOfManyValuesKeepTheirOrderAndNames)
{
    using win32::registry::Key;
    using win32::registry::Value;
    Key key("Wide");
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        key.SetValue({"Value " + std::to_string(i), REG_DWORD, std::string(4, static_cast<char>(i))});
        expected.push_back("Value " + std::to_string(i));
    }
    const auto names = [&] {
        std::vector<std::string> out;
        for (const Value& value : key.Values())
            out.push_back(value.name);
        return out;
    };
    const struct {
        const char* what;
        std::function<bool()> step;
        std::function<void()> expect; // what the names become
    } steps[] = {
        {"a delete in another case", [&] { return key.DeleteValue("VALUE 5"); },
         [&] { expected.erase(expected.begin() + 5); }},
        {"a second delete of the same", [&] { return !key.DeleteValue("value 5"); }, [] {}},
        {"an update keeps the first spelling",
         [&] {
             key.SetValue({"value 10", REG_SZ, std::string("x\0", 2)});
             return key.FindValue("VALUE 10")->type == REG_SZ;
         },
         [] {}},
        {"adding a name it holds is refused",
         [&] {
             return !key.AddValue({"VALUE 20", REG_SZ, std::string("y\0", 2)});
         },
         [] {}},
        {"the deleted name comes back at the end",
         [&] {
             return key.AddValue({"Value 5", REG_NONE, ""});
         },
         [&] { expected.push_back("Value 5"); }},
        {"a later value is still found after the delete",
         [&] { return key.FindValue("value 39")->data == std::string(4, '\x27'); }, [] {}},
        {"the first one goes", [&] { return key.DeleteValue("Value 0"); },
         [&] { expected.erase(expected.begin()); }},
    };
    for (const auto& s : steps) {
        EXPECT_TRUE(s.step()) << s.what;
        s.expect();
        EXPECT_EQ(names(), expected) << s.what;
        for (const std::string& name : expected)
            EXPECT_EQ(key.FindValue(name)->name, name) << s.what;
    }
    EXPECT_EQ(key.FindValue("Value 0"), nullptr);
}

TEST(RegistryStoreFormat, KeyLinesInAnyOrderAndCaseReachTheirKeys)
{
    using namespace win32::registry;
    std::string text = "corvane-registry 1\n"
                       "key \"HKEY_CURRENT_USER\" \"A\" \"B\" \"C\"\nvalue \"1\" dword 1\n"
                       "key \"HKEY_CURRENT_USER\" \"A\" \"B\"\nvalue \"2\" dword 2\n"
                       "key \"HKEY_CURRENT_USER\" \"a\" \"b\" \"D\"\nvalue \"3\" dword 3\n"
                       "key \"HKEY_LOCAL_MACHINE\" \"A\" \"B\"\nvalue \"4\" dword 4\n"
                       "key \"HKEY_CURRENT_USER\"\nvalue \"5\" dword 5\n"
                       "key \"HKEY_CURRENT_USER\" \"A\" \"B\" \"c\"\nvalue \"6\" dword 6\n";
    // Past the few values a key finds by walking, the same name twice is still caught.
    std::string wide = "key \"HKEY_USERS\" \"Wide\"\n";
    for (int i = 0; i < 30; ++i)
        wide += "value \"Name " + std::to_string(i) + "\" dword 1\n";
    std::string error;
    const std::optional<Store> store = ParseStore(text + wide, &error);
    ASSERT_TRUE(store) << error;
    const Key& user = store->RootKey(Root::CurrentUser);
    const struct {
        const Key* key;
        std::vector<std::string> values;
    } cases[] = {
        {user.FindSubkey("A")->FindSubkey("B")->FindSubkey("C"), {"1", "6"}},
        {user.FindSubkey("A")->FindSubkey("B"), {"2"}},
        {user.FindSubkey("A")->FindSubkey("B")->FindSubkey("D"), {"3"}},
        {store->RootKey(Root::LocalMachine).FindSubkey("a")->FindSubkey("b"), {"4"}},
        {&user, {"5"}},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.key, nullptr);
        std::vector<std::string> names;
        for (const Value& value : c.key->Values())
            names.push_back(value.name);
        EXPECT_EQ(names, c.values);
    }
    EXPECT_EQ(user.FindSubkey("A")->FindSubkey("B")->Subkeys().size(), 2u);
    EXPECT_EQ(store->RootKey(Root::Users).FindSubkey("wide")->Values().size(), 30u);
    EXPECT_FALSE(ParseStore(text + wide + "value \"NAME 17\" dword 2\n", &error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
}

TEST(RegistryStoreFormat, RoundTripsEveryName)
{
    using namespace win32::registry;
    Store store;
    Key& key = store.RootKey(Root::CurrentUser).Subkey("Soft \"ware\"").Subkey("na\xFFme/\x01");
    key.SetValue({"", REG_SZ, std::string("text \\ \"quoted\"\n\t\x7F\xC3\xA9", 15) + '\0'});
    key.SetValue({"dword", REG_DWORD, std::string("\x2A\x00\x00\x80", 4)});
    key.SetValue({"short dword", REG_DWORD, std::string("\x01", 1)});
    key.SetValue({"empty", REG_BINARY, ""});
    key.SetValue({"inner zero", REG_SZ, std::string("a\0b\0", 4)});
    key.SetValue({"unterminated", REG_EXPAND_SZ, "abc"});
    key.SetValue({"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)});
    store.RootKey(Root::LocalMachine).Subkey("Empty");
    store.RootKey(Root::Users).SetValue({"root value", REG_SZ, std::string("x\0", 2)});

    const std::string text = FormatStore(store);
    std::string error;
    const std::optional<Store> parsed = ParseStore(text, &error);
    ASSERT_TRUE(parsed) << error << "\n" << text;
    EXPECT_EQ(FormatStore(*parsed), text);
    const Key* back = parsed->RootKey(Root::CurrentUser).FindSubkey("SOFT \"WARE\"");
    ASSERT_TRUE(back);
    back = back->FindSubkey("na\xFFme/\x01");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Values().size(), key.Values().size());
    for (std::size_t i = 0; i < key.Values().size(); ++i) {
        EXPECT_EQ(back->Values()[i].name, key.Values()[i].name);
        EXPECT_EQ(back->Values()[i].type, key.Values()[i].type);
        EXPECT_EQ(back->Values()[i].data, key.Values()[i].data) << key.Values()[i].name;
    }
    EXPECT_TRUE(parsed->RootKey(Root::LocalMachine).FindSubkey("empty"));
    EXPECT_TRUE(parsed->RootKey(Root::Users).FindValue("ROOT VALUE"));
}

TEST(RegistryStoreFormat, RefusesWhatItDidNotWrite)
{
    using win32::registry::ParseStore;
    const std::string header = "corvane-registry 1\n";
    const std::string key = "key \"HKEY_CURRENT_USER\" \"A\"\n";
    EXPECT_TRUE(ParseStore(header));
    EXPECT_TRUE(ParseStore(header + "\n# note\n" + key + "value \"v\" dword 4294967295\n"));
    // A store of the current version ends with the count of the lines before
    // its end line; comments may follow it.
    const std::string whole = "corvane-registry 2\n" + key + "value \"v\" dword 987654321\nend 3\n";
    EXPECT_TRUE(ParseStore(whole));
    EXPECT_TRUE(ParseStore(whole + "# a note\n\n"));
    const std::vector<std::string> malformed = {
        "",
        "corvane-registry 2\n",                                               // no end line
        "corvane-registry 3\n",                                               // an unknown version
        header + key + "value \"v\" dword 9876543",                           // cut inside the last line
        "corvane-registry 2\n" + key + "value \"v\" dword 9876543",           // the same, current version
        "corvane-registry 2\n" + key + "value \"v\" dword 987654321\n",       // cut before the end line
        "corvane-registry 2\n" + key + "value \"v\" data 3 ff\nend 2\n",      // a line lost
        "corvane-registry 2\n" + key + "end 2\nvalue \"v\" dword 1\nend 3\n", // text after the end
        "corvane-registry 2\n" + key + "end two\n",                           // a count that is none
        "corvane-registry 2\n" + key + "end 2 3\n",                           // text after the count
        "CORVANE-REGISTRY 1\n",
        header + "value \"v\" dword 1\n",                            // value outside a key
        header + "key \"HKEY_NOWHERE\"\n",                           // unknown root
        header + "key \"HKEY_CURRENT_USER\" \"a\\\\b\"\n",           // a separator inside a name
        header + "key \"HKEY_CURRENT_USER\" \"\"\n",                 // empty name
        header + "key \"HKEY_CURRENT_USER\" \"A\n",                  // no closing quote
        header + key + "value \"v\" sz \"a\\qb\"\n",                 // unknown escape
        header + key + "value \"v\" sz \"a\\x4\"\n",                 // short escape
        header + key + "value \"v\" sz \"a\tb\"\n",                  // raw control byte
        header + key + "value \"v\" dword 4294967296\n",             // too large
        header + key + "value \"v\" dword -1\n",                     // signed
        header + key + "value \"v\" data 3 abc\n",                   // odd hex
        header + key + "value \"v\" data 3 zz\n",                    // not hex
        header + key + "value \"v\" data 3\n",                       // no data
        header + key + "value \"v\" qword 1\n",                      // unknown kind
        header + key + "value \"v\" dword 1 extra\n",                // trailing text
        header + key + "value \"v\" dword 1\nvalue \"V\" dword 2\n", // the same value twice
        header + key + "values \"v\" dword 1\n",                     // unknown line
    };
    for (const std::string& text : malformed) {
        std::string error;
        EXPECT_FALSE(ParseStore(text, &error)) << text;
        EXPECT_FALSE(error.empty());
    }
    std::string deep = header + "key \"HKEY_CURRENT_USER\"";
    for (int i = 0; i < 513; ++i)
        deep += " \"k\"";
    EXPECT_FALSE(ParseStore(deep + "\n"));
}

} // namespace
