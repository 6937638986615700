// Copying, moving and linking items in temporary folders: names in the
// item's own folder, conflicts, folders into themselves, special files,
// kept modes and times, and failures that must leave a move's source whole.

#include "shell32/Transfer.h"

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using kwtest::ReadFile;
using kwtest::WriteFile;
using shell32::ConflictAnswer;
using shell32::ConflictChoice;
using shell32::TransferOperation;
namespace fs = std::filesystem;

namespace {

bool Present(const std::string& path)
{
    return fs::exists(fs::symlink_status(path));
}

struct Case {
    const char* name;
    TransferOperation operation;
    std::vector<std::string> sources; // relative to the temp folder
    std::string destination;
    std::vector<ConflictChoice> answers; // given in turn; more questions fail the test
    DWORD error;
    std::function<void(const std::string& root, const shell32::TransferResult&)> check;
    bool crossDevice = false;
    int failingWrite = 0;
};

// src/a.txt "alpha" (0640, old times), src/dir/{b.txt "beta", sub/c.txt "gamma"},
// src/link -> a.txt, src/fifo, dst/a.txt "old", dst/dir/old.txt.
void MakeTree(const std::string& root)
{
    fs::create_directories(root + "/src/dir/sub");
    fs::create_directories(root + "/dst/dir");
    WriteFile(root + "/src/a.txt", "alpha");
    WriteFile(root + "/src/dir/b.txt", "beta");
    WriteFile(root + "/src/dir/sub/c.txt", "gamma");
    ::symlink("a.txt", (root + "/src/link").c_str());
    ::mkfifo((root + "/src/fifo").c_str(), 0604);
    WriteFile(root + "/dst/a.txt", "old");
    WriteFile(root + "/dst/dir/old.txt", "old");
    ::chmod((root + "/src/a.txt").c_str(), 0640);
    ::chmod((root + "/src/dir").c_str(), 0750);
    const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
    ::utimensat(AT_FDCWD, (root + "/src/a.txt").c_str(), times, 0);
    ::utimensat(AT_FDCWD, (root + "/src/dir").c_str(), times, 0);
}

void ExpectTreeWhole(const std::string& dir)
{
    EXPECT_EQ(ReadFile(dir + "/b.txt"), "beta") << dir;
    EXPECT_EQ(ReadFile(dir + "/sub/c.txt"), "gamma") << dir;
}

void ExpectKeptStat(const std::string& path, mode_t mode)
{
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 07777, mode) << path;
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000) << path;
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321) << path;
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000) << path;
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789) << path;
}

// No hidden half-made item is left in a folder.
void ExpectNoLeftovers(const std::string& dir)
{
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().rfind(".corvane-transfer", 0), std::string::npos) << e.path();
}

const ConflictChoice kReplace{ConflictAnswer::Replace, false};
const ConflictChoice kSkip{ConflictAnswer::Skip, false};
const ConflictChoice kCancel{ConflictAnswer::Cancel, false};

} // namespace

TEST(Transfer, Cases)
{
    const Case cases[] = {
        {"copy keeps contents, mode and times",
         TransferOperation::Copy,
         {"src/a.txt", "src/dir"},
         "dst/dir",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult& res) {
             ExpectKeptStat(r + "/dst/dir/a.txt", 0640); // before reading moves its access time
             EXPECT_EQ(ReadFile(r + "/dst/dir/a.txt"), "alpha");
             ExpectTreeWhole(r + "/dst/dir/dir");
             ExpectKeptStat(r + "/dst/dir/dir", 0750);
             EXPECT_EQ(ReadFile(r + "/src/a.txt"), "alpha") << "the source stays";
             EXPECT_EQ(res.Created, (std::vector<std::string>{r + "/dst/dir/a.txt", r + "/dst/dir/dir"}));
         }},
        {"move within a file system",
         TransferOperation::Move,
         {"src/dir"},
         "dst/dir",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             ExpectTreeWhole(r + "/dst/dir/dir");
             EXPECT_FALSE(Present(r + "/src/dir"));
         }},
        {"move across devices copies, then deletes",
         TransferOperation::Move,
         {"src/dir", "src/a.txt"},
         "dst/dir",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             ExpectTreeWhole(r + "/dst/dir/dir");
             ExpectKeptStat(r + "/dst/dir/a.txt", 0640);
             EXPECT_FALSE(Present(r + "/src/dir"));
             EXPECT_FALSE(Present(r + "/src/a.txt"));
         },
         true},
        {"link",
         TransferOperation::Link,
         {"src/a.txt"},
         "dst/dir",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_EQ(fs::read_symlink(r + "/dst/dir/a.txt"), r + "/src/a.txt");
             EXPECT_EQ(ReadFile(r + "/dst/dir/a.txt"), "alpha");
         }},
        {"copies into the own folder are named",
         TransferOperation::Copy,
         {"src/a.txt", "src/a.txt", "src/dir"},
         "src",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_EQ(ReadFile(r + "/src/Copy of a.txt"), "alpha");
             EXPECT_EQ(ReadFile(r + "/src/Copy (2) of a.txt"), "alpha");
             ExpectTreeWhole(r + "/src/Copy of dir");
         }},
        {"links and moves in the own folder",
         TransferOperation::Link,
         {"src/a.txt", "src/a.txt"},
         "src",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_EQ(fs::read_symlink(r + "/src/Link to a.txt"), r + "/src/a.txt");
             EXPECT_EQ(fs::read_symlink(r + "/src/Link (2) to a.txt"), r + "/src/a.txt");
             EXPECT_EQ(
                 shell32::TransferItems(TransferOperation::Move, {r + "/src/a.txt"}, r + "/src", nullptr)
                     .Error,
                 ERROR_SUCCESS);
             EXPECT_EQ(ReadFile(r + "/src/a.txt"), "alpha") << "a move into its own folder leaves it";
         }},
        {"conflict replaced",
         TransferOperation::Copy,
         {"src/a.txt", "src/dir"},
         "dst",
         {kReplace, kReplace},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_EQ(ReadFile(r + "/dst/a.txt"), "alpha");
             ExpectTreeWhole(r + "/dst/dir");
             EXPECT_FALSE(Present(r + "/dst/dir/old.txt")) << "the folder was replaced whole";
         }},
        {"conflict skipped",
         TransferOperation::Move,
         {"src/a.txt", "src/dir"},
         "dst",
         {kSkip, kSkip},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(ReadFile(r + "/dst/a.txt"), "old");
             EXPECT_EQ(ReadFile(r + "/src/a.txt"), "alpha");
             EXPECT_EQ(res.Skipped, (std::vector<std::string>{r + "/src/a.txt", r + "/src/dir"}));
         }},
        {"conflict cancelled stops",
         TransferOperation::Copy,
         {"src/a.txt", "src/dir/b.txt"},
         "dst",
         {kCancel},
         ERROR_CANCELLED,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(ReadFile(r + "/dst/a.txt"), "old");
             EXPECT_FALSE(Present(r + "/dst/b.txt")) << "nothing after the cancel";
             EXPECT_EQ(res.FailedPath, r + "/dst/a.txt");
         }},
        {"replace for all asks once",
         TransferOperation::Copy,
         {"src/a.txt", "src/dir"},
         "dst",
         {{ConflictAnswer::Replace, true}},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_EQ(ReadFile(r + "/dst/a.txt"), "alpha");
             ExpectTreeWhole(r + "/dst/dir");
         }},
        {"skip for all asks once",
         TransferOperation::Copy,
         {"src/a.txt", "src/dir", "src/link"},
         "dst",
         {{ConflictAnswer::Skip, true}},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(ReadFile(r + "/dst/a.txt"), "old");
             EXPECT_EQ(res.Skipped.size(), 2u);
             EXPECT_EQ(fs::read_symlink(r + "/dst/link"), "a.txt");
         }},
        {"folder into itself",
         TransferOperation::Copy,
         {"src/dir"},
         "src/dir",
         {},
         ERROR_CIRCULAR_DEPENDENCY,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(res.FailedPath, r + "/src/dir");
             EXPECT_FALSE(Present(r + "/src/dir/dir"));
         }},
        {"folder into its subfolder",
         TransferOperation::Move,
         {"src/dir"},
         "src/dir/sub",
         {},
         ERROR_CIRCULAR_DEPENDENCY,
         [](const std::string& r, const shell32::TransferResult&) { ExpectTreeWhole(r + "/src/dir"); }},
        {"FIFO made anew, link kept as link",
         TransferOperation::Copy,
         {"src/fifo", "src/link"},
         "dst/dir",
         {},
         ERROR_SUCCESS,
         [](const std::string& r, const shell32::TransferResult&) {
             struct stat st;
             ASSERT_EQ(::lstat((r + "/dst/dir/fifo").c_str(), &st), 0);
             EXPECT_TRUE(S_ISFIFO(st.st_mode));
             EXPECT_EQ(st.st_mode & 0777, 0604u);
             EXPECT_EQ(fs::read_symlink(r + "/dst/dir/link"), "a.txt");
         }},
        {"a failed write in a move leaves the source whole",
         TransferOperation::Move,
         {"src/a.txt", "src/dir"},
         "dst/dir",
         {},
         ERROR_IO_DEVICE,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(res.Created, std::vector<std::string>{r + "/dst/dir/a.txt"});
             ExpectTreeWhole(r + "/src/dir");
             EXPECT_FALSE(Present(r + "/dst/dir/dir"));
             EXPECT_EQ(res.FailedPath.rfind(r + "/src/dir/", 0), 0u) << res.FailedPath;
         },
         true,
         4},
        {"missing source",
         TransferOperation::Copy,
         {"src/none"},
         "dst",
         {},
         ERROR_FILE_NOT_FOUND,
         [](const std::string& r, const shell32::TransferResult& res) {
             EXPECT_EQ(res.FailedPath, r + "/src/none");
         }},
        {"missing destination",
         TransferOperation::Move,
         {"src/a.txt"},
         "dst/none/deeper",
         {},
         ERROR_PATH_NOT_FOUND,
         [](const std::string& r, const shell32::TransferResult&) {
             EXPECT_TRUE(Present(r + "/src/a.txt"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kwtest::TempDir temp;
        const std::string root = temp.Path();
        MakeTree(root);
        std::vector<std::string> sources;
        for (const std::string& s : c.sources)
            sources.push_back(root + "/" + s);
        size_t asked = 0;
        const auto onConflict = [&](const std::string& source, const std::string& target) {
            EXPECT_TRUE(Present(source)) << source;
            EXPECT_TRUE(Present(target)) << target;
            if (asked >= c.answers.size()) {
                ADD_FAILURE() << "asked once too often about " << target;
                return kCancel;
            }
            return c.answers[asked++];
        };
        shell32::testing::SetRenameCrossesDevices(c.crossDevice);
        shell32::testing::FailNthWrite(c.failingWrite);
        const shell32::TransferResult result =
            shell32::TransferItems(c.operation, sources, root + "/" + c.destination, onConflict);
        shell32::testing::SetRenameCrossesDevices(false);
        shell32::testing::FailNthWrite(0);
        EXPECT_EQ(result.Error, c.error) << result.FailedPath;
        EXPECT_EQ(asked, c.answers.size());
        c.check(root, result);
        ExpectNoLeftovers(root + "/dst");
        ExpectNoLeftovers(root + "/dst/dir");
    }
}

TEST(Transfer, DevicesAreNotRead)
{
    kwtest::TempDir temp;
    fs::create_directories(temp / "src/dev");
    fs::create_directories(temp / "dst");
    WriteFile(temp / "src/dev/file", "x");
    // A device node needs privileges; where it cannot be made there is nothing to test.
    if (::mknod((temp / "src/dev/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    shell32::testing::SetRenameCrossesDevices(true);
    const shell32::TransferResult result =
        shell32::TransferItems(TransferOperation::Move, {temp / "src/dev"}, temp / "dst", nullptr);
    shell32::testing::SetRenameCrossesDevices(false);
    EXPECT_EQ(result.Error, ERROR_SUCCESS);
    ASSERT_EQ(result.NotCopied.size(), 1u);
    EXPECT_EQ(result.NotCopied[0].Path, temp / "src/dev/null");
    EXPECT_EQ(ReadFile(temp / "dst/dev/file"), "x");
    EXPECT_FALSE(Present(temp / "dst/dev/null"));
    EXPECT_TRUE(Present(temp / "src/dev/null")) << "a move that could not take everything keeps its source";
}

TEST(Transfer, ContentsWholeAcrossFileSystems)
{
    // From tmpfs to the temporary folder's file system the kernel may refuse
    // to copy a range, and the plain reads and writes take over.
    kwtest::TempDir temp;
    const std::string other = "/dev/shm/corvane-transfer-" + std::to_string(::getpid());
    if (!kwtest::ShmIsAnotherFileSystem(temp.Path()))
        GTEST_SKIP() << "no second file system at /dev/shm";
    fs::create_directories(other);
    const struct {
        const char* name;
        std::size_t size;
    } cases[] = {{"empty", 0}, {"one byte", 1}, {"over several buffers", 3 * 256 * 1024 + 7}};
    for (const auto& c : cases) {
        std::string bytes(c.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 2654435761u >> 13);
        WriteFile(other + "/" + c.name, bytes);
        for (const TransferOperation op : {TransferOperation::Copy, TransferOperation::Move}) {
            const shell32::TransferResult result =
                shell32::TransferItems(op, {other + "/" + c.name}, temp.Path(),
                                       [](const std::string&, const std::string&) { return kReplace; });
            EXPECT_EQ(result.Error, ERROR_SUCCESS) << c.name << " " << result.FailedPath;
            EXPECT_EQ(ReadFile(temp / c.name), bytes) << c.name;
        }
        EXPECT_FALSE(Present(other + "/" + c.name)) << "moved away: " << c.name;
    }
    fs::remove_all(other);
}
