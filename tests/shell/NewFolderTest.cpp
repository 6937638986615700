// New folders under a free name, each warning caught with its exact text: one
// warning for a real error, "already exists" only when every name is taken,
// nothing made for an empty directory.

#include "MessageBoxScript.h"
#include "ShellControlsTestSupport.h"

#include "UKwShellControls.h"

#include "vcl/core/ModalResults.h"
#include "vcl/core/SysUtils.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string AlreadyExists =
    "Unable to create the folder 'New Folder'\n\nCannot create a file when that file already exists.";
const std::string PathNotFound =
    "Unable to create the folder 'New Folder'\n\nThe system cannot find the path specified.";
const std::string AccessDenied = "Unable to create the folder 'New Folder'\n\nAccess is denied.";

// Sets a tunable constant for the life of the object.
class ScopedLimit {
public:
    explicit ScopedLimit(int value) : Saved_(kw::KWSH_MAX_FOLDER_ATTEMPTS)
    {
        kw::KWSH_MAX_FOLDER_ATTEMPTS = value;
    }
    ~ScopedLimit() { kw::KWSH_MAX_FOLDER_ATTEMPTS = Saved_; }
    ScopedLimit(const ScopedLimit&) = delete;
    ScopedLimit& operator=(const ScopedLimit&) = delete;

private:
    int Saved_;
};

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : Saved_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(Saved_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t Saved_;
};

// The current directory moved into a folder for the life of the object.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& path) : Saved_(fs::current_path())
    {
        fs::current_path(path);
    }
    ~ScopedCurrentDirectory() { fs::current_path(Saved_); }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    fs::path Saved_;
};

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::vector<std::string> Texts(const kwtest::MessageBoxScript& boxes)
{
    std::vector<std::string> texts;
    for (const win32::MessageBoxRequest& request : boxes.Shown())
        texts.push_back(request.Text);
    return texts;
}

TEST(KwShCreateNewFolder, TakesTheFirstFreeNameOfEachPass)
{
    struct Row {
        const char* What;
        int Limit;
        std::vector<std::string> Taken;
        std::string Expected;
    };
    const std::vector<Row> rows = {
        {"an empty folder", 50, {}, "New Folder"},
        {"New Folder taken", 50, {"New Folder"}, "New Folder (2)"},
        {"two taken", 50, {"New Folder", "New Folder (2)"}, "New Folder (3)"},
        {"a gap", 50, {"New Folder", "New Folder (3)"}, "New Folder (2)"},
        {"a file of the name", 50, {"file:New Folder"}, "New Folder (2)"},
        {"first pass used up", 3, {"New Folder", "New Folder (2)", "New Folder (3)"}, "fldr"},
        {"fldr taken too", 3, {"New Folder", "New Folder (2)", "New Folder (3)", "fldr"}, "fldr2"},
        {"names past the limit stay untried", 2, {"New Folder", "New Folder (2)", "fldr"}, "fldr2"},
    };
    for (const Row& row : rows) {
        kwtest::TempDir dir;
        for (const std::string& name : row.Taken) {
            if (name.rfind("file:", 0) == 0)
                kwtest::WriteFile(dir / name.substr(5), "x");
            else
                fs::create_directory(dir / name);
        }
        const ScopedLimit limit(row.Limit);
        kwtest::MessageBoxScript boxes;
        std::string made = "unchanged";
        EXPECT_TRUE(kw::KwShCreateNewFolder(dir.Path(), made)) << row.What;
        EXPECT_EQ(made, row.Expected) << row.What;
        EXPECT_TRUE(fs::is_directory(dir / row.Expected)) << row.What;
        EXPECT_EQ(NamesIn(dir.Path()).size(), row.Taken.size() + 1) << row.What;
        EXPECT_EQ(boxes.Count(), 0u) << row.What;
    }
}

TEST(KwShCreateNewFolder, SuccessiveCallsNumberOn)
{
    kwtest::TempDir dir;
    kwtest::MessageBoxScript boxes;
    for (const char* expected : {"New Folder", "New Folder (2)", "New Folder (3)"}) {
        std::string made;
        ASSERT_TRUE(kw::KwShCreateNewFolder(dir.Path() + "/", made));
        EXPECT_EQ(made, expected);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(KwShCreateNewFolder, WarnsOnceWhenNoNameIsFree)
{
    struct Row {
        const char* What;
        int Limit;
        std::vector<std::string> Taken;
    };
    const std::vector<Row> rows = {
        {"both passes used up",
         3,
         {"New Folder", "New Folder (2)", "New Folder (3)", "fldr", "fldr2", "fldr3"}},
        {"a limit of 0", 0, {}},
        {"a negative limit", -4, {}},
    };
    for (const Row& row : rows) {
        kwtest::TempDir dir;
        for (const std::string& name : row.Taken)
            fs::create_directory(dir / name);
        const ScopedLimit limit(row.Limit);
        kwtest::MessageBoxScript boxes;
        std::string made = "unchanged";
        EXPECT_FALSE(kw::KwShCreateNewFolder(dir.Path(), made)) << row.What;
        EXPECT_EQ(made, "unchanged") << row.What;
        EXPECT_EQ(NamesIn(dir.Path()).size(), row.Taken.size()) << row.What;
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{AlreadyExists}) << row.What;
        if (boxes.Count() == 1) {
            const win32::MessageBoxRequest warning = boxes.Last();
            EXPECT_EQ(warning.Type & MB_ICONMASK, MB_ICONWARNING) << row.What;
            EXPECT_EQ(warning.Caption, "Warning") << row.What;
            ASSERT_EQ(warning.Buttons.size(), 1u) << row.What;
            EXPECT_EQ(warning.Buttons[0].Id, vcl::mrOk) << row.What;
        }
    }
}

TEST(KwShCreateNewFolder, ARealErrorIsOneWarningWithItsText)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    kwtest::TempDir dir;
    const std::string readOnly = dir / "read-only";
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    kwtest::MessageBoxScript boxes;
    std::string made = "unchanged";
    EXPECT_FALSE(kw::KwShCreateNewFolder(readOnly, made));
    EXPECT_EQ(made, "unchanged");
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{AccessDenied});
    EXPECT_TRUE(NamesIn(readOnly).empty());
    fs::permissions(readOnly, fs::perms::owner_all);
}

TEST(KwShCreateNewFolder, AFolderOfTheKernelsGivesOneWarningWithItsError)
{
    // The kernel's own folder takes no new folders, from root either: the
    // first error ends the attempt, not three warnings ending in "already
    // exists".
    ASSERT_NE(::mkdir("/proc/New Folder", 0777), 0);
    const std::string expected =
        "Unable to create the folder 'New Folder'\n\n" + vcl::SysErrorMessage(win32::ErrorFromErrno(errno));
    kwtest::MessageBoxScript boxes;
    std::string made = "unchanged";
    EXPECT_FALSE(kw::KwShCreateNewFolder("/proc", made));
    EXPECT_EQ(made, "unchanged");
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected});
    EXPECT_NE(expected, AlreadyExists);
}

TEST(KwShCreateNewFolder, NoDirectoryMakesNothingAnywhere)
{
    struct Row {
        const char* What;
        std::string Directory;
    };
    kwtest::TempDir dir;
    kwtest::WriteFile(dir / "a file", "x");
    const std::vector<Row> rows = {
        {"empty", ""},
        {"missing", dir / "missing"},
        {"missing below a missing one", dir / "missing/deeper"},
        {"a file", dir / "a file"},
    };
    const ScopedCurrentDirectory inside(dir.Path());
    for (const Row& row : rows) {
        kwtest::MessageBoxScript boxes;
        std::string made = "unchanged";
        EXPECT_FALSE(kw::KwShCreateNewFolder(row.Directory, made)) << row.What;
        EXPECT_EQ(made, "unchanged") << row.What;
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{PathNotFound}) << row.What;
        EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a file"}) << row.What;
    }
}

TEST(KwShCreateNewFolder, MakesFoldersInFoldersOfAnyName)
{
    kwtest::TempDir dir;
    kwtest::MessageBoxScript boxes;
    for (const char* name : {"line\nbreak", "not \xff UTF-8", "trailing/", "with ' quote"}) {
        const std::string folder = dir / name;
        fs::create_directory(folder);
        std::string made;
        EXPECT_TRUE(kw::KwShCreateNewFolder(folder, made)) << name;
        EXPECT_EQ(made, "New Folder") << name;
        EXPECT_TRUE(fs::is_directory(folder + "/New Folder")) << name;
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(KwShCreateNewFolder, GivesTheFolderWhatTheUmaskAllows)
{
    kwtest::TempDir dir;
    kwtest::MessageBoxScript boxes;
    struct Row {
        mode_t Mask;
        mode_t Expected;
    };
    for (const Row& row : {Row{022, 0755}, Row{077, 0700}, Row{002, 0775}}) {
        const ScopedUmask mask(row.Mask);
        std::string made;
        ASSERT_TRUE(kw::KwShCreateNewFolder(dir.Path(), made));
        struct stat info {};
        ASSERT_EQ(::stat((dir / made).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, row.Expected) << std::oct << row.Mask;
    }
}

} // namespace
