#pragma once
// Helpers shared by the platform stand-ins' tests: environment variables
// set for a test's life, a registry store of a test's own, files written and
// read whole, desktop entries validated, and a recorded mount table.

#include "TestSupport.h"

#include "shell32/ShellTesting.h"
#include "win32/ChangeNotificationsTesting.h"
#include "win32/LocationsTesting.h"
#include "win32/MountTesting.h"
#include "win32/RegistryTesting.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utility>

namespace kwtest {

// Sets (or, for null, removes) an environment variable for the life of the
// object; the user's places are read afresh both times.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : Name_(name)
    {
        if (const char* old = std::getenv(name))
            Old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
        win32::testing::ResetLocations();
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv()
    {
        if (Old_)
            setenv(Name_, Old_->c_str(), 1);
        else
            unsetenv(Name_);
        win32::testing::ResetLocations();
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* Name_;
    std::optional<std::string> Old_;
};

// A registry store of the test's own: XDG_CONFIG_HOME names a temporary
// folder for the object's life, and the registry forgets what it loaded both
// times.
class ScopedRegistryHome {
public:
    ScopedRegistryHome() { win32::testing::ResetRegistry(); }
    ~ScopedRegistryHome() { win32::testing::ResetRegistry(); }
    ScopedRegistryHome(const ScopedRegistryHome&) = delete;
    ScopedRegistryHome& operator=(const ScopedRegistryHome&) = delete;

    const std::string& Path() const { return Config_.Path(); }
    std::string StorePath() const { return Config_.Path() + "/corvane/registry"; }

private:
    TempDir Config_;
    ScopedEnv Env_{"XDG_CONFIG_HOME", Config_.Path()};
};

// Writes text to path, making the folders it lies in.
inline void WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
}

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a shell command prints on its standard output.
inline std::string RunAndRead(const std::string& command)
{
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

// Whether /dev/shm (a tmpfs) lies on another file system than path, for
// tests of what crosses devices.
inline bool ShmIsAnotherFileSystem(const std::string& path)
{
    struct stat shm, other;
    return ::stat("/dev/shm", &shm) == 0 && ::stat(path.c_str(), &other) == 0 && shm.st_dev != other.st_dev;
}

// desktop-file-validate's exit status and output for a file; nothing when
// the tool is not installed.
inline std::optional<std::pair<int, std::string>> ValidateDesktopFile(const std::string& path)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        return std::nullopt;
    const std::string command = "desktop-file-validate '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe))
        output += chunk;
    const int status = pclose(pipe);
    return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, output);
}

// mountinfo lines of a desktop: the root, /proc, a USB stick with a blank in
// its mount point, a CD-ROM, a RAM disk and an NFS share.
inline constexpr const char* kSampleMountInfo = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                                "22 1 0:21 / /proc rw - proc proc rw\n"
                                                "34 1 8:17 / /media/me/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                                                "35 1 11:0 / /media/me/disc ro - iso9660 /dev/sr0 ro\n"
                                                "37 1 0:51 / /mnt/scratch rw - tmpfs tmpfs rw\n"
                                                "39 1 0:52 / /mnt/nas rw - nfs4 nas:/export rw\n";

// A mount source of the sample table and more lines, the USB stick a
// removable device.
inline std::shared_ptr<win32::testing::TextMountSource> SampleMountSource(const std::string& moreLines = {})
{
    auto source = std::make_shared<win32::testing::TextMountSource>(kSampleMountInfo + moreLines);
    source->SetDevice("/media/me/USB STICK", {true, true, false});
    return source;
}

// The watches the process's inotify instance holds, as the kernel lists them.
inline int WatchesInInstance()
{
    const int fd = win32::testing::ChangeNotificationDescriptor();
    if (fd < 0)
        return 0;
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
    int watches = 0;
    for (std::string line; std::getline(info, line);)
        watches += line.rfind("inotify wd:", 0) == 0;
    return watches;
}

} // namespace kwtest
