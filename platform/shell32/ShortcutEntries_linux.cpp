// Telling desktop-entry shortcuts apart while listing: the snapshot rules
// out most files, the predicate reads the rest through the folder's
// descriptor, and the answers are kept while the file stays the same.

#include "shell32/DesktopEntry.h"
#include "shell32/FileSystem_linux.h"
#include "shell32/ShellTesting.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

namespace shell32 {

namespace {

// Answers by folder and name, valid while size and modification time stay
// what they were. The cache starts over when it is full.
class ShortcutEntryCache {
public:
    bool IsShortcut(int dirFd, std::string_view folderPath, std::string_view name, const StatSnapshot& stat)
    {
        const std::string key = JoinPath(folderPath, name);
        {
            std::lock_guard lock(Mutex_);
            if (const auto found = Answers_.find(key);
                found != Answers_.end() && found->second.size == stat.size &&
                found->second.mtimeNs == stat.mtimeNs)
                return found->second.isShortcut;
        }
        const bool isShortcut = Read(dirFd, key, name);
        std::lock_guard lock(Mutex_);
        if (Answers_.size() >= kLimit)
            Answers_.clear();
        Answers_.insert_or_assign(key, Answer{stat.size, stat.mtimeNs, isShortcut});
        return isShortcut;
    }
    std::size_t Reads() const { return Reads_.load(); }

private:
    static constexpr std::size_t kLimit = 1 << 16;

    struct Answer {
        std::uint64_t size;
        std::int64_t mtimeNs;
        bool isShortcut;
    };

    // The predicate takes a path: the descriptor's own name in /proc keeps
    // the look-up relative to the open folder (no path walk from the root,
    // the same folder when it was renamed meanwhile).
    bool Read(int dirFd, const std::string& path, std::string_view name)
    {
        ++Reads_;
        static const bool descriptorNames = ::access("/proc/self/fd", X_OK) == 0;
        if (descriptorNames && dirFd >= 0)
            return shell32::IsShortcut("/proc/self/fd/" + std::to_string(dirFd) + "/" + std::string(name));
        return shell32::IsShortcut(path);
    }

    std::mutex Mutex_;
    std::unordered_map<std::string, Answer> Answers_;
    std::atomic<std::size_t> Reads_{0};
};

ShortcutEntryCache& Cache()
{
    static ShortcutEntryCache cache;
    return cache;
}

} // namespace

bool IsShortcutEntry(int dirFd, std::string_view folderPath, std::string_view name, const StatSnapshot& stat)
{
    if (!S_ISREG(stat.mode) || stat.size == 0 || stat.size > kMaxShortcutEntryBytes ||
        !IsValidItemName(name))
        return false;
    return Cache().IsShortcut(dirFd, folderPath, name, stat);
}

namespace testing {
std::size_t ShortcutEntryReads()
{
    return Cache().Reads();
}
} // namespace testing

} // namespace shell32
