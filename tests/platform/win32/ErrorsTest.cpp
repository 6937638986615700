#include "TestSupport.h"

#include "win32/Errors.h"
#include "win32/MessageText.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(Errors, ErrnoMapsToThePlatformsCodes)
{
    const struct {
        int err;
        DWORD code;
    } cases[] = {
        {0, ERROR_SUCCESS},
        {EEXIST, 183},
        {ENOENT, 2},
        {ENOTDIR, 3},
        {EACCES, 5},
        {EPERM, 5},
        {ENAMETOOLONG, 206},
        {ENOSPC, 112},
        {EDQUOT, 112},
        {EROFS, 19},
        {EBUSY, 170},
        {ENOTEMPTY, 145},
        {EXDEV, 17},
        {EINVAL, 87},
        {ENOMEM, 8},
        {EMFILE, 4},
        {ENFILE, 4},
        {EBADF, 6},
        {EISDIR, 5}, // a folder written to or unlinked as a file is refused
        {ELOOP, 1921},
        {ETXTBSY, 32},
        {EIO, 1117},
        {ERANGE, 122},
        {ENOSYS, 120},
        {EOPNOTSUPP, 50},
        {ETIMEDOUT, 1460},
        {EINTR, 995},
        {EFBIG, 223},
        {ENOMEDIUM, 21},
        {-1, ERROR_GEN_FAILURE},
        {99999, ERROR_GEN_FAILURE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::ErrorFromErrno(c.err), c.code) << "errno " << c.err;
        // Every code the mapping gives has a text for SysErrorMessage.
        EXPECT_FALSE(win32::SystemErrorText(win32::ErrorFromErrno(c.err)).empty()) << "errno " << c.err;
    }
    // Every errno value the C library knows maps to a code with a text.
    for (int err = 0; err < 134; ++err)
        EXPECT_FALSE(win32::SystemErrorText(win32::ErrorFromErrno(err)).empty()) << "errno " << err;
}

TEST(Errors, PathErrorsSayWhichPartIsMissing)
{
    kwtest::TempDir dir;
    std::ofstream(dir / "file") << "x";
    using win32::PathUse;
    const struct {
        int err;
        const char* path; // below the temporary folder
        PathUse use;
        DWORD code;
    } cases[] = {
        {ENOENT, "missing", PathUse::Existing, ERROR_FILE_NOT_FOUND},
        {ENOENT, "missing/", PathUse::Existing, ERROR_FILE_NOT_FOUND},
        {ENOENT, "missing/deeper", PathUse::Existing, ERROR_PATH_NOT_FOUND},
        {ENOENT, "missing", PathUse::Folder, ERROR_FILE_NOT_FOUND},
        {ENOENT, "missing/deeper", PathUse::Folder, ERROR_PATH_NOT_FOUND},
        {ENOENT, "missing", PathUse::New, ERROR_PATH_NOT_FOUND},
        {ENOTDIR, "file/below", PathUse::Existing, ERROR_PATH_NOT_FOUND},
        {ENOTDIR, "file", PathUse::Folder, ERROR_DIRECTORY},
        {ENOTDIR, "file/below", PathUse::Folder, ERROR_PATH_NOT_FOUND},
        {ENOTDIR, "file/below", PathUse::New, ERROR_PATH_NOT_FOUND},
        {EEXIST, "file", PathUse::New, ERROR_ALREADY_EXISTS},
        {EACCES, "file", PathUse::Existing, ERROR_ACCESS_DENIED},
        {EISDIR, "", PathUse::Existing, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.path;
        EXPECT_EQ(win32::ErrorFromPathErrno(c.err, path.c_str(), c.use), c.code) << c.err << " " << c.path;
    }
    // A bare name lies in the current directory, which exists.
    EXPECT_EQ(win32::ErrorFromPathErrno(ENOENT, "no-such-name-here", PathUse::Existing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32::ErrorFromPathErrno(ENOENT, nullptr, PathUse::Existing), ERROR_FILE_NOT_FOUND);

    errno = ENOENT;
    EXPECT_EQ(win32::SetLastErrorFromPathErrno((dir / "gone/name").c_str(), PathUse::Existing),
              ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(errno, ENOENT) << "errno is kept";
}

TEST(Errors, HResultsFromErrno)
{
    EXPECT_EQ(win32::HResultFromErrno(0), S_OK);
    EXPECT_EQ(win32::HResultFromErrno(EACCES), E_ACCESSDENIED);
    EXPECT_EQ(win32::HResultFromErrno(EINVAL), E_INVALIDARG);
    EXPECT_EQ(win32::HResultFromErrno(ENOMEM), E_OUTOFMEMORY);
    EXPECT_EQ(win32::HResultFromErrno(ENOENT), MakeHResult(0x80070002));
    EXPECT_EQ(win32::HResultFromErrno(EEXIST), MakeHResult(0x800700B7));
    EXPECT_TRUE(FAILED(win32::HResultFromErrno(EIO)));
}

TEST(Errors, LastErrorIsPerThreadAndSetFromErrno)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 12345;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_BUSY);
    });
    other.join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    errno = ENAMETOOLONG;
    EXPECT_EQ(win32::SetLastErrorFromErrno(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(errno, ENAMETOOLONG);
}

} // namespace
