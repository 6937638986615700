// Telling desktop-entry shortcuts apart while listing: the name and the
// snapshot rule out all but the few "*.desktop" files, the predicate reads
// those through the folder's descriptor, and the answers are kept while the
// file stays the same.

#include "shell32/DesktopEntry.h"
#include "shell32/FileSystem_linux.h"
#include "shell32/ShellTesting.h"

#include <sys/stat.h>

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
        {
            std::lock_guard lock(Mutex_);
            if (const auto folder = Folders_.find(folderPath); folder != Folders_.end()) {
                if (const auto found = folder->second.find(name); found != folder->second.end() &&
                                                                  found->second.size == stat.size &&
                                                                  found->second.mtimeNs == stat.mtimeNs)
                    return found->second.isShortcut;
            }
        }
        const bool isShortcut = Read(dirFd, folderPath, name);
        std::lock_guard lock(Mutex_);
        if (Count_ >= kLimit) {
            Folders_.clear();
            Count_ = 0;
        }
        auto& answers = Folders_[std::string(folderPath)];
        if (answers.insert_or_assign(std::string(name), Answer{stat.size, stat.mtimeNs, isShortcut}).second)
            ++Count_;
        return isShortcut;
    }
    std::size_t Reads() const { return Reads_.load(); }

private:
    static constexpr std::size_t kLimit = 1 << 17;

    struct Answer {
        std::uint64_t size;
        std::int64_t mtimeNs;
        bool isShortcut;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    template <typename Value>
    using ByName = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;

    // Relative to the open folder: no walk from the root, and the same
    // folder when it was renamed meanwhile.
    bool Read(int dirFd, std::string_view folderPath, std::string_view name)
    {
        ++Reads_;
        if (dirFd >= 0)
            return shell32::IsShortcut(dirFd, std::string(name));
        return shell32::IsShortcut(JoinPath(folderPath, name));
    }

    std::mutex Mutex_;
    ByName<ByName<Answer>> Folders_;
    std::size_t Count_ = 0;
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
        !IsValidItemName(name) || !HasDesktopEntrySuffix(name))
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
