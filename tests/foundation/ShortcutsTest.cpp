#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include "UKwShellUtils.h"

#include "com/Initialization.h"
#include "shell32/ShellApi.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Registry.h"
#include "win32/RegistryTesting.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using kw::TLinkData;

using kwtest::ReadFile;
using kwtest::WriteFile;

// The keys of a desktop entry, in order ("Key" of each "Key=value" line).
std::vector<std::string> KeysOf(const std::string& text)
{
    std::vector<std::string> keys;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = text.substr(pos, end - pos);
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            keys.push_back(line.substr(0, equals));
        pos = end + 1;
    }
    return keys;
}

void ExpectValid(const std::string& path)
{
    if (const auto verdict = kwtest::ValidateDesktopFile(path)) {
        EXPECT_EQ(verdict->first, 0) << verdict->second << ReadFile(path);
    } else {
        GTEST_LOG_(INFO) << "desktop-file-validate is not installed: " << path << " was not validated";
    }
}

void ExpectSameRecord(const TLinkData& a, const TLinkData& b)
{
    EXPECT_EQ(a.Path, b.Path);
    EXPECT_EQ(a.Options, b.Options);
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.Arguments, b.Arguments);
    EXPECT_EQ(a.IconLocation, b.IconLocation);
    EXPECT_EQ(a.IconIndex, b.IconIndex);
    EXPECT_EQ(a.WorkingDirectory, b.WorkingDirectory);
    EXPECT_EQ(a.ShowCmd, b.ShowCmd);
    EXPECT_EQ(a.HotKey, b.HotKey);
    EXPECT_EQ(a.NoUI, b.NoUI);
    EXPECT_EQ(a.IdList, b.IdList);
    EXPECT_EQ(std::memcmp(&a.FindData, &b.FindData, sizeof a.FindData), 0);
}

// A record with every field set to something a resolve would change.
TLinkData Sentinel()
{
    TLinkData data;
    data.Path = "old path";
    data.Options = {kw::ldoUseArgs};
    data.Description = "old description";
    data.Arguments = "old arguments";
    data.IconLocation = "old icon";
    data.IconIndex = 42;
    data.WorkingDirectory = "old folder";
    data.ShowCmd = 9;
    data.HotKey = 0x1234;
    data.NoUI = true;
    data.IdList = reinterpret_cast<kw::PItemIDList>(&data); // never dereferenced
    std::memset(&data.FindData, 0x5A, sizeof data.FindData);
    return data;
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            OldConfig_ = old;
        setenv("XDG_CONFIG_HOME", (Dir_ / "config").c_str(), 1);
        win32::testing::ResetRegistry();
        Root_ = std::filesystem::canonical(Dir_.Path()).string();
    }
    void TearDown() override
    {
        if (OldConfig_)
            setenv("XDG_CONFIG_HOME", OldConfig_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        win32::testing::ResetRegistry();
    }
    std::string At(const std::string& name) const { return Root_ + "/" + name; }

    com::ScopedCoInitialize Com_;
    kwtest::TempDir Dir_;
    std::string Root_;
    std::optional<std::string> OldConfig_;
};

TEST_F(ShortcutsTest, AllSixOptionalFieldsRoundTrip)
{
    std::filesystem::create_directories(At("Tools"));
    const std::string program = At("Tools/run 50% now");
    WriteFile(program, "#!/bin/sh\n");
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);

    TLinkData data;
    data.Path = program;
    data.Options = {kw::ldoUseDesc,    kw::ldoUseArgs,   kw::ldoUseIcon,
                    kw::ldoUseWorkDir, kw::ldoUseHotKey, kw::ldoUseShowCmd};
    data.Description = "Runs it";
    data.Arguments = "--rate 50% \"a b\"";
    data.IconLocation = "/usr/share/icons/run.png";
    data.IconIndex = 2;
    data.WorkingDirectory = At("Tools");
    data.ShowCmd = 7;
    data.HotKey = 0x0652;
    const std::string link = At("run.desktop");
    ASSERT_EQ(kw::CreateShortcut(link, data), S_OK);
    ExpectValid(link);

    TLinkData read = Sentinel();
    read.NoUI = true;
    ASSERT_EQ(kw::ResolveShortcut(link, read, false), S_OK);
    EXPECT_EQ(read.Path, program);
    EXPECT_EQ(read.Description, data.Description);
    EXPECT_EQ(read.Arguments, data.Arguments);
    EXPECT_EQ(read.IconLocation, data.IconLocation);
    EXPECT_EQ(read.IconIndex, 2);
    EXPECT_EQ(read.WorkingDirectory, data.WorkingDirectory);
    EXPECT_EQ(read.ShowCmd, 7);
    EXPECT_EQ(read.HotKey, 0x0652);
    EXPECT_EQ(read.Options, data.Options) << "all six are reported";
    EXPECT_EQ(read.IdList, nullptr) << "nil when not asked for, whatever the record held";
    EXPECT_STREQ(read.FindData.cFileName, "run 50% now");

    // Asked for, the list names the target.
    ASSERT_EQ(kw::ResolveShortcut(link, read, true), S_OK);
    ASSERT_NE(read.IdList, nullptr);
    const std::optional<std::string> path = shell32::PathFromIdList(read.IdList);
    kw::ShellMemFree(read.IdList);
    EXPECT_EQ(path, program);
}

TEST_F(ShortcutsTest, EmptyOptionsWriteTheTargetOnly)
{
    TLinkData data = Sentinel();
    data.Path = At("notes 100%.txt");
    WriteFile(data.Path, "x");
    data.Options = {};
    data.IdList = nullptr;
    const std::string link = At("notes.desktop");
    ASSERT_EQ(kw::CreateShortcut(link, data), S_OK);
    const std::string text = ReadFile(link);
    EXPECT_EQ(KeysOf(text), (std::vector<std::string>{"Version", "Type", "URL", "Name"})) << text;
    ExpectValid(link);

    TLinkData read;
    ASSERT_EQ(kw::ResolveShortcut(link, read, false), S_OK);
    EXPECT_EQ(read.Path, data.Path) << "blanks and '%' survive";
    EXPECT_EQ(read.Description, "");
    EXPECT_EQ(read.Arguments, "");
    EXPECT_EQ(read.HotKey, 0);
}

TEST_F(ShortcutsTest, QuickShortcutDescribesItsTarget)
{
    std::filesystem::create_directories(At("Dir"));
    const std::string target = At("Dir/App.exe");
    WriteFile(target, "x");
    const std::string link = At("Quick");
    ASSERT_EQ(kw::CreateQuickShortcut(link, target), S_OK);
    ASSERT_TRUE(std::filesystem::exists(link)) << "exactly the name given";
    // A document becomes a link, which has no Path key of the format (the
    // validator wants the usual file name).
    std::filesystem::copy_file(link, At("Quick.desktop"));
    ExpectValid(At("Quick.desktop"));
    TLinkData read;
    ASSERT_EQ(kw::ResolveShortcut(link, read, false), S_OK);
    EXPECT_EQ(read.Path, target);
    EXPECT_EQ(read.Description, target);
    EXPECT_EQ(read.WorkingDirectory, At("Dir/")) << "with its trailing separator";
}

TEST_F(ShortcutsTest, FailuresLeaveTheRecordAsItWas)
{
    WriteFile(At("plain.txt"), "not a shortcut\n");
    for (const std::string& file : {At("plain.txt"), At("missing.desktop")}) {
        const TLinkData before = Sentinel();
        TLinkData data = Sentinel();
        data.IdList = before.IdList;
        const HRESULT hr = kw::ResolveShortcut(file, data, true);
        EXPECT_TRUE(FAILED(hr)) << file;
        ExpectSameRecord(data, before);
    }
    EXPECT_EQ(kw::ResolveShortcut(At("plain.txt"), *std::make_unique<TLinkData>(), false), E_FAIL);
    EXPECT_EQ(kw::ResolveShortcut(At("missing.desktop"), *std::make_unique<TLinkData>(), false),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    // A shortcut whose target is gone fails in Resolve, before any field.
    std::filesystem::create_symlink(At("gone"), At("dangling"));
    const TLinkData before = Sentinel();
    TLinkData data = Sentinel();
    data.IdList = before.IdList;
    EXPECT_EQ(kw::ResolveShortcut(At("dangling"), data, false), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ExpectSameRecord(data, before);

    // Nothing can be written where there is no folder.
    TLinkData target;
    target.Path = "/bin/sh";
    EXPECT_TRUE(FAILED(kw::CreateShortcut(At("no folder/x.desktop"), target)));
}

TEST_F(ShortcutsTest, SymbolicLinksAndLongPathsResolveWhole)
{
    std::string folder = Root_;
    while (folder.size() < 400)
        folder += "/a rather long folder name";
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/file.txt";
    WriteFile(target, "hello");
    std::filesystem::create_symlink(target, At("link"));

    TLinkData data;
    ASSERT_EQ(kw::ResolveShortcut(At("link"), data, false), S_OK);
    EXPECT_EQ(data.Path, target) << "longer than the classic 260 characters, and not cut";
    EXPECT_EQ(data.FindData.nFileSizeLow, 5u);
    EXPECT_EQ(data.Description, "");

    TLinkData description;
    description.Path = target;
    description.Description = std::string(1000, 'd');
    description.Options = {kw::ldoUseDesc};
    ASSERT_EQ(kw::CreateShortcut(At("long.desktop"), description), S_OK);
    ASSERT_EQ(kw::ResolveShortcut(At("long.desktop"), data, false), S_OK);
    EXPECT_EQ(data.Description, description.Description);
}

TEST_F(ShortcutsTest, ClassIdsComeFromTheClassesRoot)
{
    GUID classId{};
    EXPECT_TRUE(kw::KwClsidFromFileType(".desktop", classId)) << "desktop entries are shortcuts";
    EXPECT_EQ(classId, CLSID_ShellLink);
    EXPECT_FALSE(kw::KwClsidFromFileType(".txt", classId)) << "a program identifier without CLSID";
    EXPECT_FALSE(kw::KwClsidFromFileType(".no-such-type-here", classId));

    const GUID mine = com::MakeGuid("{12345678-9ABC-DEF0-1234-56789ABCDEF0}");
    {
        vcl::TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(reg.OpenKey("\\.kwdirect", true));
        reg.WriteString("", "cLsId\\{12345678-9abc-def0-1234-56789abcdef0}");
        ASSERT_TRUE(reg.OpenKey("\\.kwsub\\CLSID", true));
        reg.WriteString("", "{12345678-9ABC-DEF0-1234-56789ABCDEF0}");
        ASSERT_TRUE(reg.OpenKey("\\.kwprog", true));
        reg.WriteString("", "Kw.Program");
        ASSERT_TRUE(reg.OpenKey("\\Kw.Program\\CLSID", true));
        reg.WriteString("", "{12345678-9ABC-DEF0-1234-56789ABCDEF0}");
        ASSERT_TRUE(reg.OpenKey("\\.kwnoprog", true));
        reg.WriteString("", "Kw.Nowhere");
        ASSERT_TRUE(reg.OpenKey("\\.kwgarbage", true));
        reg.WriteString("", "CLSID\\not a class");
        ASSERT_TRUE(reg.OpenKey("\\.kwnumber", true));
        reg.WriteInteger("", 5);
    }
    for (const char* type : {".kwdirect", ".kwsub", ".kwprog"}) {
        classId = GUID{};
        EXPECT_TRUE(kw::KwClsidFromFileType(type, classId)) << type;
        EXPECT_EQ(classId, mine) << type;
    }
    EXPECT_FALSE(kw::KwClsidFromFileType(".kwnoprog", classId));
    classId = mine;
    EXPECT_FALSE(kw::KwClsidFromFileType(".kwgarbage", classId));
    EXPECT_EQ(classId, GUID{}) << "unparsable text clears the identifier";
    EXPECT_THROW(kw::KwClsidFromFileType(".kwnumber", classId), vcl::ERegistryException);
    EXPECT_EQ(win32::testing::OpenRegistryKeys(), 0u) << "the registry object is freed in every case";
}

} // namespace

namespace {

// A shortcut another program made, and what resolving it must give.
struct ForeignShortcut {
    const char* what;
    std::string name;                             // below the test's folder
    std::function<void(const std::string&)> make; // makes it at that path
    std::string path;                             // the target, below the test's folder
    std::string arguments;
};

TEST_F(ShortcutsTest, ShortcutsOthersMadeResolveWithTheirIdList)
{
    std::filesystem::create_directories(At("a/sub"));
    std::filesystem::create_directories(At("b/deeper"));
    WriteFile(At("a/sub/doc.txt"), "doc");
    // Programs on PATH, the first folder holding one that cannot be run.
    std::filesystem::create_directories(At("bin1"));
    std::filesystem::create_directories(At("bin2"));
    for (const char* program : {"bin1/opener", "bin2/opener", "bin2/viewer"}) {
        WriteFile(At(program), "#!/bin/sh\n");
        ::chmod(At(program).c_str(), std::string_view(program) == "bin1/opener" ? 0644 : 0755);
    }
    struct RestorePath {
        std::string old = std::getenv("PATH") ? std::getenv("PATH") : "";
        ~RestorePath() { setenv("PATH", old.c_str(), 1); }
    } restore;
    setenv("PATH", ("relative:" + At("bin1") + ":" + At("bin2") + ":" + restore.old).c_str(), 1);
    const auto entry = [](const std::string& exec) {
        return [exec](const std::string& at) {
            WriteFile(at, "[Desktop Entry]\nType=Application\nName=Foreign\nExec=" + exec + "\n");
        };
    };
    const ForeignShortcut cases[] = {
        {"a relative symbolic link up and down", "b/doc link",
         [](const std::string& at) { std::filesystem::create_symlink("../a/sub/doc.txt", at); },
         "a/sub/doc.txt", ""},
        {"a relative symbolic link with dots", "a/link",
         [](const std::string& at) { std::filesystem::create_symlink("./sub/../sub/./doc.txt", at); },
         "a/sub/doc.txt", ""},
        {"a relative symbolic link to a folder", "b/deeper/folder link",
         [](const std::string& at) { std::filesystem::create_symlink("../../a/sub", at); }, "a/sub", ""},
        {"a program by its bare name, with a field code", "open.desktop", entry("opener open %u"),
         "bin2/opener", "open"},
        {"a program by its bare name, quoted arguments", "view.desktop",
         entry("viewer --title \"two words\" %F"), "bin2/viewer", "--title \"two words\""},
    };
    for (const ForeignShortcut& c : cases) {
        c.make(At(c.name));
        TLinkData data;
        ASSERT_EQ(kw::ResolveShortcut(At(c.name), data, true), S_OK) << c.what;
        EXPECT_EQ(data.Path, At(c.path)) << c.what;
        EXPECT_EQ(data.Arguments, c.arguments) << c.what;
        ASSERT_NE(data.IdList, nullptr) << c.what;
        EXPECT_EQ(kw::ShellGetPathFromIdList(data.IdList), At(c.path)) << c.what;
        kw::ShellMemFree(data.IdList);
    }
}

} // namespace
