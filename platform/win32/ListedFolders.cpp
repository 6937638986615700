#include "win32/ListedFolders.h"
#include "win32/ListedFoldersTesting.h"

#include <sys/stat.h>

#include <atomic>
#include <list>
#include <mutex>
#include <unordered_map>

namespace win32 {

namespace {

struct Key {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    std::size_t operator()(const Key& key) const noexcept
    {
        return std::hash<std::uint64_t>()(key.device * 0x9E3779B97F4A7C15ull ^ key.inode);
    }
};

std::atomic<ListedFolderObserver> gObserver{nullptr};

class Registry {
public:
    // True when the folder is new or its path changed.
    bool Record(std::uint64_t device, std::uint64_t inode, std::string_view path)
    {
        std::lock_guard lock(Mutex_);
        const Key key{device, inode};
        if (auto found = Index_.find(key); found != Index_.end()) {
            const bool moved = found->second->path != path;
            if (moved)
                found->second->path.assign(path);
            Order_.splice(Order_.end(), Order_, found->second);
            return moved;
        }
        if (Limit_ == 0)
            return false;
        while (Order_.size() >= Limit_) {
            Index_.erase(Key{Order_.front().device, Order_.front().inode});
            Order_.pop_front();
        }
        Order_.push_back(ListedFolder{device, inode, std::string(path)});
        Index_.emplace(key, std::prev(Order_.end()));
        return true;
    }

    std::vector<ListedFolder> Below(std::uint64_t device, std::string_view root) const
    {
        std::string_view prefix = root;
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.remove_suffix(1);
        std::vector<ListedFolder> found;
        std::lock_guard lock(Mutex_);
        for (const ListedFolder& folder : Order_) {
            if (folder.device != device)
                continue;
            const std::string_view path = folder.path;
            const bool below = prefix == "/"
                                   ? !path.empty() && path.front() == '/'
                                   : path.substr(0, prefix.size()) == prefix &&
                                         (path.size() == prefix.size() || path[prefix.size()] == '/');
            if (below)
                found.push_back(folder);
        }
        return found;
    }

    std::size_t Count() const
    {
        std::lock_guard lock(Mutex_);
        return Order_.size();
    }

    void Reset(std::size_t limit)
    {
        std::lock_guard lock(Mutex_);
        Order_.clear();
        Index_.clear();
        Limit_ = limit;
    }

private:
    mutable std::mutex Mutex_;
    std::list<ListedFolder> Order_; // oldest first
    std::unordered_map<Key, std::list<ListedFolder>::iterator, KeyHash> Index_;
    std::size_t Limit_ = kListedFoldersLimit;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

void RecordListedFolder(std::uint64_t device, std::uint64_t inode, std::string_view path)
{
    if (!TheRegistry().Record(device, inode, path))
        return;
    if (const ListedFolderObserver observer = gObserver.load(std::memory_order_acquire))
        observer(ListedFolder{device, inode, std::string(path)});
}

void SetListedFolderObserver(ListedFolderObserver observer)
{
    gObserver.store(observer, std::memory_order_release);
}

bool RecordListedFolderAt(int fd, std::string_view path)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    RecordListedFolder(st.st_dev, st.st_ino, path);
    return true;
}

std::vector<ListedFolder> ListedFoldersBelow(std::uint64_t device, std::string_view root)
{
    return TheRegistry().Below(device, root);
}

std::size_t ListedFolderCount()
{
    return TheRegistry().Count();
}

namespace testing {
void ResetListedFolders(std::size_t limit)
{
    TheRegistry().Reset(limit);
}
} // namespace testing

} // namespace win32
