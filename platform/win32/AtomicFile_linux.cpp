#include "win32/AtomicFile.h"
#include "win32/AtomicFileTesting.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {

namespace {

std::atomic<bool> InterruptBeforeRename{false};

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : Fd_(fd) {}
    ~Descriptor()
    {
        if (Fd_ >= 0)
            ::close(Fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return Fd_; }
    void Reset(int fd)
    {
        Close();
        Fd_ = fd;
    }
    // Closes now and reports the error close gave (a late write error of NFS).
    int Close()
    {
        const int fd = Fd_;
        Fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int Fd_;
};

int WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

int FinalLinkTarget(const std::string& path, std::string& target)
{
    // As many links as the kernel follows in one path.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hop = 0;; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return errno;
            break; // the end of a dangling chain: made there
        }
        if (!S_ISLNK(info.st_mode))
            break;
        if (hop == kMaxLinks)
            return ELOOP;
        std::string content(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        ssize_t length;
        while ((length = ::readlink(current.c_str(), content.data(), content.size())) >= 0 &&
               static_cast<std::size_t>(length) == content.size())
            content.resize(content.size() * 2); // the link changed since lstat
        if (length < 0)
            return errno;
        content.resize(static_cast<std::size_t>(length));
        if (content.empty())
            return ENOENT;
        if (content.front() != '/') {
            const std::size_t slash = current.rfind('/');
            if (slash != std::string::npos)
                content = current.substr(0, slash + 1) + content;
        }
        current = std::move(content);
    }
    target = std::move(current);
    return 0;
}

int WriteFileAtomically(const std::string& givenPath, std::string_view data,
                        const AtomicWriteOptions& options)
{
    std::string path = givenPath;
    bool throughLink = false;
    if (options.throughLinks) {
        if (const int error = FinalLinkTarget(givenPath, path))
            return error;
        throughLink = path != givenPath;
    }
    if (path.empty() || path.back() == '/')
        return EINVAL;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0)
        return errno;

    // The file's own mode survives the replacement.
    mode_t mode = static_cast<mode_t>(options.mode & 07777);
    struct stat existing {};
    if (::fstatat(dir.Get(), name.c_str(), &existing, 0) == 0 && S_ISREG(existing.st_mode))
        mode = existing.st_mode & 07777;

    std::string temporary;
    Descriptor file;
    // A fixed name is the caller's promise about its own folder, not about
    // the folder a link leads to.
    if (options.temporaryName.empty() || throughLink) {
        std::string pattern = folder + "/." + name + ".XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return errno;
        file.Reset(fd);
        temporary = pattern.substr(pattern.rfind('/') + 1);
    } else {
        temporary = options.temporaryName;
        const int fd = ::openat(dir.Get(), temporary.c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0)
            return errno;
        file.Reset(fd);
    }

    auto fail = [&](int error) {
        file.Close();
        ::unlinkat(dir.Get(), temporary.c_str(), 0);
        return error;
    };
    if (::fchmod(file.Get(), mode) != 0)
        return fail(errno);
    if (const int error = WriteAll(file.Get(), data))
        return fail(error);
    if (::fsync(file.Get()) != 0)
        return fail(errno);
    if (const int error = file.Close())
        return fail(error);
    if (InterruptBeforeRename.load())
        return EINTR; // the "crash": the temporary stays, the target is untouched
    if (::renameat(dir.Get(), temporary.c_str(), dir.Get(), name.c_str()) != 0)
        return fail(errno);
    // The rename is in the folder's data: flush it too. The new file is in
    // place whatever this says, so a failure here is not reported.
    ::fsync(dir.Get());
    return 0;
}

int ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& data)
{
    // Non-blocking, so that opening a FIFO cannot hang; it is refused below.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return EFBIG;
    std::string result;
    result.resize(static_cast<std::size_t>(info.st_size));
    std::size_t used = 0;
    for (;;) {
        // The file may have grown since fstat: read on to its end, within the limit.
        if (used == result.size()) {
            if (result.size() > maxBytes)
                return EFBIG;
            result.resize(result.size() + 4096);
        }
        const ssize_t got = ::read(file.Get(), result.data() + used, result.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes)
        return EFBIG;
    result.resize(used);
    data = std::move(result);
    return 0;
}

namespace testing {

void SetInterruptAtomicWritesBeforeRename(bool interrupt)
{
    InterruptBeforeRename.store(interrupt);
}

} // namespace testing

} // namespace win32
