// Change notifications over one inotify instance of the process.
//
// The instance lives while any handle does: the first handle opens it and
// starts its reader thread, the last one to go stops the thread and closes
// it. Watches are shared by inode (the kernel gives one watch descriptor per
// folder and instance), each carrying the handles that subscribed to it.
// A watch no handle wants any more is removed from the kernel by the reader,
// a few at a time, not by the thread that closed the handle: a subtree can
// hold thousands, and removing one costs a system call (microseconds each).
// Handle state changes under the kernel objects' wait lock; the tables here
// under the demultiplexer's own lock, which is always taken first.

#include "win32/ChangeNotifications.h"
#include "win32/ChangeNotificationsTesting.h"

#include "win32/Errors.h"
#include "win32/ListedFolders.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace win32 {

namespace {

constexpr DWORD kKnownFilters = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_LAST_ACCESS |
                                FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;
// Reads of the inotify queue (64 KiB each) between two looks at the wake
// descriptor.
constexpr int kReadsPerTurn = 16;
// Watches the reader removes from the kernel in one go, between two looks at
// its queue; a handle that watches one of them again waits for the rest.
constexpr std::size_t kRemovalsPerTurn = 64;
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kWriteEvents = IN_MODIFY | IN_CLOSE_WRITE;

std::uint32_t WatchMaskFor(DWORD filter)
{
    std::uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_CREATION))
        mask |= kNameEvents;
    if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY))
        mask |= IN_ATTRIB;
    if (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE))
        mask |= kWriteEvents;
    if (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS)
        mask |= IN_ACCESS;
    return mask;
}

// Whether an event inside a watched folder is a change the filter asks for.
bool Matches(DWORD filter, std::uint32_t mask)
{
    if (mask & kNameEvents) {
        const DWORD kind = (mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME;
        if (filter & kind)
            return true;
        if ((mask & IN_CREATE) && (filter & FILE_NOTIFY_CHANGE_CREATION))
            return true;
    }
    if ((mask & IN_ATTRIB) && (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)))
        return true;
    if ((mask & kWriteEvents) && (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)))
        return true;
    return (mask & IN_ACCESS) && (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS);
}

bool IsAtOrBelow(std::string_view path, std::string_view root)
{
    if (root == "/")
        return !path.empty() && path.front() == '/';
    return path.substr(0, root.size()) == root && (path.size() == root.size() || path[root.size()] == '/');
}

std::size_t Depth(std::string_view path)
{
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/'));
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Paths inside a subtree are kept relative to its root ("" the root itself,
// "/a/b" below it), so that one move rewrites them whichever way the root
// was named.
bool IsAtOrBelowRelative(std::string_view path, std::string_view folder)
{
    return path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string_view ParentOf(std::string_view path)
{
    return path.substr(0, path.rfind('/'));
}

// Renamed folders not yet seen arriving that are remembered at once; past it
// the oldest counts as gone.
constexpr std::size_t kDepartureLimit = 64;

class ChangeNotification;

struct Subscription {
    ChangeNotification* Owner;
    std::weak_ptr<ChangeNotification> Weak;
    bool Root;
};

struct Watch {
    std::vector<Subscription> Subscriptions;
};

// A folder one handle watches, by its watch descriptor.
struct WatchedFolder {
    std::uint64_t Inode = 0;
    std::string Path; // relative to the handle's root
};

// A folder renamed out of a watched folder, until its arrival is seen.
struct Departure {
    std::uint32_t Cookie = 0;
    int Wd = -1;
    std::string Name;
};

class Demultiplexer;
Demultiplexer& TheDemultiplexer();

class ChangeNotification final : public KernelObject,
                                 public std::enable_shared_from_this<ChangeNotification> {
public:
    ChangeNotification(DWORD filter, bool subtree) : Filter(filter), Subtree(subtree) {}
    ~ChangeNotification() override;

    // Under the demultiplexer's lock.
    const DWORD Filter;
    const bool Subtree;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::string RootPath;
    std::string RealRootPath; // when the path reached the folder through a link
    std::unordered_map<int, WatchedFolder> Folders;
    std::set<std::uint64_t> Inodes;
    bool Registered = false;

    // With the wait lock held.
    void Change(bool end)
    {
        if (Ended_)
            return;
        if (!Signalled_)
            Signalled_ = true;
        else if (Observed_)
            Pending_ = true;
        if (end)
            Ended_ = true;
    }
    bool Rearm()
    {
        if (Ended_)
            return false;
        Signalled_ = Pending_;
        Pending_ = false;
        Observed_ = false;
        return true;
    }

protected:
    bool IsSignalled() const override { return Signalled_; }
    void TakeSignal() override { Observed_ = true; }

private:
    // Under the wait lock.
    bool Signalled_ = false;
    bool Observed_ = false; // a wait has seen the signal
    bool Pending_ = false;  // changed again since then
    bool Ended_ = false;
};

// The inotify descriptor, the reader's wake-up descriptor and the reader.
struct Instance {
    int Fd = -1;
    int WakeFd = -1;
    std::thread Reader;
    std::atomic<bool> Stop{false};
    bool ReaderCloses = false; // set by the reader itself
    // Drains asked of this reader and served by it, never by the reader of
    // the instance after it; once it has ended, every one counts as served.
    std::mutex SyncMutex;
    std::condition_variable SyncDone;
    std::uint64_t SyncAsked = 0;
    std::uint64_t SyncServed = 0;
    bool ReaderEnded = false;
};

void Wake(const Instance& instance)
{
    const std::uint64_t one = 1;
    ssize_t written;
    do {
        written = ::write(instance.WakeFd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
}

using Hits = std::vector<std::pair<std::shared_ptr<ChangeNotification>, bool>>;

void Apply(Hits& hits)
{
    if (hits.empty())
        return;
    {
        KernelStateChange change;
        for (const auto& [notification, end] : hits)
            notification->Change(end);
    }
    // A handle closed meanwhile goes here, outside every lock.
    hits.clear();
}

class Demultiplexer {
public:
    Demultiplexer() { SetListedFolderObserver(&Demultiplexer::Observe); }

    HANDLE Open(const char* path, bool subtree, DWORD filter)
    {
        if (!path) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        if (!*path) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (filter == 0 || (filter & ~kKnownFilters)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        const std::string root = WithoutTrailingSlashes(path);
        const int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            struct stat st {};
            if (errno == ENOTDIR && ::stat(root.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                SetLastError(ERROR_DIRECTORY); // the path names a file
            else
                SetLastErrorFromErrno();
            return INVALID_HANDLE_VALUE;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            SetLastErrorFromErrno();
            ::close(fd);
            return INVALID_HANDLE_VALUE;
        }

        auto notification = std::make_shared<ChangeNotification>(filter, subtree);
        notification->Device = st.st_dev;
        notification->Inode = st.st_ino;
        notification->RootPath = root;
        if (char* real = ::realpath(root.c_str(), nullptr)) {
            if (root != real)
                notification->RealRootPath = real;
            std::free(real);
        }
        int error = 0;
        bool overflowed = false;
        {
            std::lock_guard lock(Mutex_);
            error = StartLocked();
            if (error == 0) {
                Live_.emplace(notification.get(), notification);
                notification->Registered = true;
                if (subtree)
                    SubtreeHandles_.fetch_add(1);
                error = AddWatchLocked(*notification, fd, st.st_ino, std::string());
                if (error == 0 && subtree)
                    overflowed = AddListedLocked(*notification);
            }
        }
        ::close(fd);
        if (error != 0) {
            errno = error;
            SetLastErrorFromErrno();
            if (error == ENOSPC)
                SetLastError(ERROR_NOT_ENOUGH_QUOTA); // the user's inotify watches are used up, not the disk
            return INVALID_HANDLE_VALUE;              // the notification goes, and with it its registration
        }
        if (overflowed) {
            Hits hits{{notification, false}};
            Apply(hits);
        }
        HANDLE handle = InsertKernelObject(std::move(notification));
        return handle ? handle : INVALID_HANDLE_VALUE;
    }

    void Forget(ChangeNotification* notification)
    {
        std::shared_ptr<Instance> stopping;
        {
            std::lock_guard lock(Mutex_);
            if (!notification->Registered)
                return;
            DetachLocked(*notification);
            Live_.erase(notification);
            if (notification->Subtree)
                SubtreeHandles_.fetch_sub(1);
            if (Live_.empty() && Current_) {
                // Closing the descriptor removes every watch still there.
                stopping = std::move(Current_);
                Watches_.clear();
                Departures_.clear();
                Unwanted_.clear();
            }
        }
        if (stopping)
            StopInstance(stopping);
    }

    // Testing.
    void Pause(bool paused)
    {
        Paused_.store(paused);
        if (const std::shared_ptr<Instance> instance = CurrentInstance())
            Wake(*instance);
    }

    void Drain()
    {
        const std::shared_ptr<Instance> instance = CurrentInstance();
        if (!instance)
            return;
        std::unique_lock lock(instance->SyncMutex);
        const std::uint64_t ticket = ++instance->SyncAsked;
        Wake(*instance);
        instance->SyncDone.wait(lock,
                                [&] { return instance->ReaderEnded || instance->SyncServed >= ticket; });
    }

    int Descriptor()
    {
        const std::shared_ptr<Instance> instance = CurrentInstance();
        return instance ? instance->Fd : -1;
    }

    void SetLimit(std::size_t limit)
    {
        std::lock_guard lock(Mutex_);
        Limit_ = limit;
    }

    void FailWatches(int error, std::size_t after)
    {
        std::lock_guard lock(Mutex_);
        WatchFailure_ = error;
        WatchesBeforeFailure_ = after;
    }

private:
    std::shared_ptr<Instance> CurrentInstance()
    {
        std::lock_guard lock(Mutex_);
        return Current_;
    }

    int StartLocked()
    {
        if (Current_)
            return 0;
        auto instance = std::make_shared<Instance>();
        instance->Fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (instance->Fd < 0)
            return errno;
        instance->WakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (instance->WakeFd < 0) {
            const int error = errno;
            ::close(instance->Fd);
            return error;
        }
        try {
            instance->Reader = std::thread([this, instance] { Read(instance); });
        } catch (const std::system_error& failure) {
            ::close(instance->Fd);
            ::close(instance->WakeFd);
            return failure.code().value() ? failure.code().value() : EAGAIN;
        }
        Current_ = std::move(instance);
        return 0;
    }

    static void StopInstance(const std::shared_ptr<Instance>& instance)
    {
        instance->Stop.store(true);
        Wake(*instance);
        // The reader itself may drop the last handle; it then ends on its own
        // and closes the descriptors as it goes. Otherwise they are closed
        // only once it has ended, so no write can reach a reused number.
        if (instance->Reader.get_id() == std::this_thread::get_id()) {
            instance->ReaderCloses = true;
            instance->Reader.detach();
        } else {
            instance->Reader.join();
            ::close(instance->Fd);
            ::close(instance->WakeFd);
        }
    }

    // Watches the folder open at dirFd for the notification (path relative
    // to its root, empty for the root); 0 or an errno.
    int AddWatchLocked(ChangeNotification& notification, int dirFd, std::uint64_t inode, std::string path)
    {
        if (notification.Inodes.count(inode))
            return 0;
        int wd;
        if (WatchFailure_ != 0 && WatchesBeforeFailure_ == 0) {
            errno = WatchFailure_;
            wd = -1;
        } else {
            if (WatchesBeforeFailure_ > 0)
                --WatchesBeforeFailure_;
            const std::string procPath = "/proc/self/fd/" + std::to_string(dirFd);
            const std::uint32_t mask = WatchMaskFor(notification.Filter) | IN_MASK_ADD;
            wd = inotify_add_watch(Current_->Fd, procPath.c_str(), mask);
            // The kernel hands back the watch it still has on the folder; one
            // the reader is removing right now is gone once it is done, and
            // the folder is then watched afresh.
            if (wd >= 0 && AwaitRemoval(wd))
                wd = inotify_add_watch(Current_->Fd, procPath.c_str(), mask);
        }
        if (wd < 0)
            return errno;
        const bool root = path.empty();
        Watches_[wd].Subscriptions.push_back({&notification, notification.weak_from_this(), root});
        notification.Folders[wd] = WatchedFolder{inode, std::move(path)};
        notification.Inodes.insert(inode);
        return 0;
    }

    // Where a listed folder lies below the notification's root.
    static std::string RelativePath(const ChangeNotification& notification, std::string_view path)
    {
        for (const std::string& root : {notification.RootPath, notification.RealRootPath}) {
            if (root.empty() || !IsAtOrBelow(path, root))
                continue;
            return std::string(path.substr(root == "/" ? 0 : root.size()));
        }
        return std::string(path);
    }

    // Watches one recorded folder below the notification's root when it is
    // still the folder that was recorded. True when the kernel or the limit
    // refused the watch.
    bool AddListedOneLocked(ChangeNotification& notification, const ListedFolder& folder)
    {
        if (notification.Inodes.count(folder.inode))
            return false;
        if (notification.Folders.size() >= Limit_)
            return true;
        const int fd = ::open(folder.path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st {};
        int error = 0;
        if (::fstat(fd, &st) == 0 && st.st_dev == notification.Device && st.st_ino == folder.inode)
            error = AddWatchLocked(notification, fd, folder.inode, RelativePath(notification, folder.path));
        ::close(fd);
        return error == ENOSPC;
    }

    bool Covers(const ChangeNotification& notification, const ListedFolder& folder) const
    {
        return folder.device == notification.Device &&
               (IsAtOrBelow(folder.path, notification.RootPath) ||
                (!notification.RealRootPath.empty() && IsAtOrBelow(folder.path, notification.RealRootPath)));
    }

    // Watches the recorded folders below a new subtree handle, nearest
    // first, so that a limit cuts off the deepest. True when not all could be.
    bool AddListedLocked(ChangeNotification& notification)
    {
        std::vector<ListedFolder> folders = ListedFoldersBelow(notification.Device, notification.RootPath);
        if (!notification.RealRootPath.empty()) {
            std::vector<ListedFolder> more =
                ListedFoldersBelow(notification.Device, notification.RealRootPath);
            folders.insert(folders.end(), std::make_move_iterator(more.begin()),
                           std::make_move_iterator(more.end()));
        }
        std::sort(folders.begin(), folders.end(), [](const ListedFolder& a, const ListedFolder& b) {
            const std::size_t depthA = Depth(a.path), depthB = Depth(b.path);
            return depthA != depthB ? depthA < depthB : a.path < b.path;
        });
        bool overflowed = false;
        for (const ListedFolder& folder : folders) {
            if (AddListedOneLocked(notification, folder)) {
                overflowed = true;
                break;
            }
        }
        return overflowed;
    }

    static void Observe(const ListedFolder& folder) { TheDemultiplexer().Grow(folder); }

    // A folder listed now joins every subtree that covers it.
    void Grow(const ListedFolder& folder)
    {
        if (SubtreeHandles_.load() == 0)
            return;
        Hits hits;
        {
            std::lock_guard lock(Mutex_);
            if (!Current_)
                return;
            for (auto& [raw, weak] : Live_) {
                if (!raw->Subtree || raw->Folders.empty() || !Covers(*raw, folder))
                    continue;
                if (AddListedOneLocked(*raw, folder)) {
                    if (std::shared_ptr<ChangeNotification> strong = weak.lock())
                        hits.emplace_back(std::move(strong), false);
                }
            }
        }
        Apply(hits);
    }

    void UnsubscribeLocked(ChangeNotification& notification, int wd)
    {
        LeaveWatchLocked(notification, wd);
        if (const auto folder = notification.Folders.find(wd); folder != notification.Folders.end()) {
            notification.Inodes.erase(folder->second.Inode);
            notification.Folders.erase(folder);
        }
    }

    // The notification no longer subscribes to the watch wd; a watch no
    // handle wants any more leaves the tables now and the kernel when the
    // reader removes it.
    void LeaveWatchLocked(ChangeNotification& notification, int wd)
    {
        const auto found = Watches_.find(wd);
        if (found == Watches_.end())
            return;
        auto& subscriptions = found->second.Subscriptions;
        std::erase_if(subscriptions, [&](const Subscription& s) { return s.Owner == &notification; });
        if (!subscriptions.empty())
            return;
        Watches_.erase(found);
        if (!Current_)
            return;
        if (Unwanted_.empty())
            Wake(*Current_);
        Unwanted_.push_back(wd);
    }

    void DetachLocked(ChangeNotification& notification)
    {
        for (const auto& [wd, folder] : notification.Folders)
            LeaveWatchLocked(notification, wd);
        notification.Folders.clear();
        notification.Inodes.clear();
    }

    // Removes some of the watches no handle wants, outside the lock; true
    // while more are left.
    bool RemoveUnwanted(const Instance& instance)
    {
        std::vector<int> batch;
        bool more;
        {
            std::lock_guard lock(Mutex_);
            if (Current_.get() != &instance)
                return false; // closing the descriptor removes them
            while (batch.size() < kRemovalsPerTurn && !Unwanted_.empty()) {
                // One watched again meanwhile is someone's again. One the
                // kernel dropped (its folder went) fails harmlessly: its
                // number is not given out again before the numbers wrap.
                if (!Watches_.count(Unwanted_.back()))
                    batch.push_back(Unwanted_.back());
                Unwanted_.pop_back();
            }
            more = !Unwanted_.empty();
            if (batch.empty())
                return more;
            std::lock_guard removal(RemovalMutex_);
            Removing_ = batch;
        }
        for (const int wd : batch)
            inotify_rm_watch(instance.Fd, wd);
        {
            std::lock_guard removal(RemovalMutex_);
            Removing_.clear();
        }
        RemovalDone_.notify_all();
        return more;
    }

    // Under the lock: waits until the reader has removed the watch wd when
    // it is removing it now; true when it was.
    bool AwaitRemoval(int wd)
    {
        std::unique_lock removal(RemovalMutex_);
        const auto removing = [&] {
            return std::find(Removing_.begin(), Removing_.end(), wd) != Removing_.end();
        };
        if (!removing())
            return false;
        RemovalDone_.wait(removal, [&] { return !removing(); });
        return true;
    }

    // The folder at path and those below it are no longer the handle's: they
    // left its subtree, or went where it cannot follow them.
    void DropBelowLocked(ChangeNotification& notification, std::string_view path)
    {
        std::vector<int> leaving;
        for (const auto& [wd, folder] : notification.Folders) {
            if (!folder.Path.empty() && IsAtOrBelowRelative(folder.Path, path))
                leaving.push_back(wd);
        }
        for (const int wd : leaving)
            UnsubscribeLocked(notification, wd);
    }

    // The path, for the notification, of a name inside one of its folders.
    static std::optional<std::string> PathInside(const ChangeNotification& notification, int wd,
                                                 std::string_view name)
    {
        const auto folder = notification.Folders.find(wd);
        if (folder == notification.Folders.end())
            return std::nullopt;
        return folder->second.Path + "/" + std::string(name);
    }

    // A renamed folder arrived in the watched folder toWd (or, with toWd -1,
    // is gone where no handle sees it): every handle that watched where it
    // left follows it below its new path, or drops it when it arrived
    // outside the handle's folders. A new folder later made under the old
    // name is a stranger, watched only once it is listed.
    void SettleLocked(const Departure& departure, int toWd, std::string_view toName)
    {
        for (auto& [raw, weak] : Live_) {
            if (!raw->Subtree)
                continue;
            const std::optional<std::string> from = PathInside(*raw, departure.Wd, departure.Name);
            if (!from)
                continue;
            const std::optional<std::string> to = toWd < 0 ? std::nullopt : PathInside(*raw, toWd, toName);
            if (!to) {
                DropBelowLocked(*raw, *from);
                continue;
            }
            for (auto& [wd, folder] : raw->Folders) {
                if (!folder.Path.empty() && IsAtOrBelowRelative(folder.Path, *from))
                    folder.Path = *to + folder.Path.substr(from->size());
            }
        }
    }

    // Whether some handle still watches the folder that left.
    bool IsWatchedLocked(const Departure& departure) const
    {
        for (const auto& [raw, weak] : Live_) {
            const std::optional<std::string> from = PathInside(*raw, departure.Wd, departure.Name);
            if (!from)
                continue;
            for (const auto& [wd, folder] : raw->Folders) {
                if (folder.Path == *from)
                    return true;
            }
        }
        return false;
    }

    // A folder renamed out of a watched one either arrives in a watched one
    // at once (the kernel queues both halves of a rename together, then the
    // folder's own move) or has left.
    void NoteMoveLocked(const inotify_event& event, std::string_view name)
    {
        if (!(event.mask & IN_ISDIR) || SubtreeHandles_.load() == 0)
            return;
        if (event.mask & IN_MOVED_FROM) {
            if (Departures_.size() >= kDepartureLimit) {
                SettleLocked(Departures_.front(), -1, {});
                Departures_.erase(Departures_.begin());
            }
            Departures_.push_back(Departure{event.cookie, event.wd, std::string(name)});
            return;
        }
        const auto found = std::find_if(Departures_.begin(), Departures_.end(),
                                        [&](const Departure& d) { return d.Cookie == event.cookie; });
        if (found == Departures_.end())
            return; // came from outside: watched once it is listed
        const Departure departure = std::move(*found);
        Departures_.erase(found);
        SettleLocked(departure, event.wd, name);
    }

    // A watched folder below a root moved. It arrived already when it moved
    // within the subtree; a departure still waiting for it is one out of it.
    // A folder whose parent was not watched went where nobody saw.
    void MovedSelfLocked(ChangeNotification& notification, int wd)
    {
        const auto folder = notification.Folders.find(wd);
        if (folder == notification.Folders.end())
            return;
        const std::string path = folder->second.Path;
        for (auto it = Departures_.begin(); it != Departures_.end(); ++it) {
            if (PathInside(notification, it->Wd, it->Name) == path) {
                const Departure departure = std::move(*it);
                Departures_.erase(it);
                SettleLocked(departure, -1, {});
                return;
            }
        }
        const std::string_view parent = ParentOf(path);
        const bool parentWatched =
            std::any_of(notification.Folders.begin(), notification.Folders.end(),
                        [&](const auto& entry) { return entry.second.Path == parent; });
        if (!parentWatched)
            DropBelowLocked(notification, path);
    }

    // Once the queue is read empty, a departure whose folder no handle
    // watches (its own move will never be told) has left.
    void SettleDepartures(const Instance& instance)
    {
        std::lock_guard lock(Mutex_);
        if (Current_.get() != &instance)
            return;
        std::vector<Departure> waiting;
        for (Departure& departure : Departures_) {
            if (IsWatchedLocked(departure))
                waiting.push_back(std::move(departure));
            else
                SettleLocked(departure, -1, {});
        }
        Departures_ = std::move(waiting);
    }

    void Dispatch(const Instance& instance, const char* data, std::size_t size)
    {
        Hits hits;
        {
            std::lock_guard lock(Mutex_);
            // A reader whose last handle went finishes its turn while the
            // next instance may already number its watches from 1 again:
            // what it still reads belongs to no one.
            if (Current_.get() != &instance)
                return;
            const auto hit = [&](const Subscription& s, bool end) {
                if (std::shared_ptr<ChangeNotification> strong = s.Weak.lock())
                    hits.emplace_back(std::move(strong), end);
            };
            std::size_t offset = 0;
            while (offset + sizeof(inotify_event) <= size) {
                inotify_event event;
                std::copy_n(data + offset, sizeof event, reinterpret_cast<char*>(&event));
                offset += sizeof(inotify_event) + event.len;
                if (event.mask & IN_Q_OVERFLOW) {
                    // Something was lost: every handle may have missed its
                    // change, and a renamed folder its arrival.
                    for (const Departure& departure : Departures_)
                        SettleLocked(departure, -1, {});
                    Departures_.clear();
                    for (auto& [raw, weak] : Live_) {
                        if (std::shared_ptr<ChangeNotification> strong = weak.lock())
                            hits.emplace_back(std::move(strong), false);
                    }
                    continue;
                }
                const auto found = Watches_.find(event.wd);
                if (found == Watches_.end())
                    continue;
                if (event.mask & (IN_MOVED_FROM | IN_MOVED_TO)) {
                    const char* name = data + offset - event.len;
                    NoteMoveLocked(event, std::string_view(name, ::strnlen(name, event.len)));
                }
                const auto still = Watches_.find(event.wd);
                if (still == Watches_.end())
                    continue;
                const std::vector<Subscription> subscriptions = still->second.Subscriptions;
                const bool gone = event.mask & (IN_IGNORED | IN_UNMOUNT | IN_DELETE_SELF);
                for (const Subscription& s : subscriptions) {
                    ChangeNotification& owner = *s.Owner;
                    if (!owner.Folders.count(event.wd))
                        continue; // a move told to another handle took it away
                    if (gone && s.Root) {
                        hit(s, true);
                        DetachLocked(owner);
                    } else if (gone || (event.mask & IN_MOVE_SELF)) {
                        if (s.Root)
                            continue; // the folder moved: it is still watched where it went
                        if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) &&
                            (owner.Filter & FILE_NOTIFY_CHANGE_DIR_NAME))
                            hit(s, false);
                        if (gone)
                            UnsubscribeLocked(owner, event.wd); // a watched folder below is no more
                        else
                            MovedSelfLocked(owner, event.wd);
                    } else if (Matches(owner.Filter, event.mask)) {
                        hit(s, false);
                    }
                }
            }
        }
        Apply(hits);
    }

    void Read(const std::shared_ptr<Instance>& instance)
    {
        alignas(inotify_event) char buffer[64 * 1024];
        bool removing = false;
        for (;;) {
            const bool paused = Paused_.load();
            pollfd fds[2] = {{instance->WakeFd, POLLIN, 0}, {paused ? -1 : instance->Fd, POLLIN, 0}};
            if (::poll(fds, 2, removing ? 0 : -1) < 0 && errno != EINTR)
                break;
            if (fds[0].revents & POLLIN) {
                std::uint64_t count;
                [[maybe_unused]] const ssize_t n = ::read(instance->WakeFd, &count, sizeof count);
            }
            std::uint64_t asked;
            {
                std::lock_guard lock(instance->SyncMutex);
                asked = instance->SyncAsked;
            }
            if (instance->Stop.load())
                break;
            if (!Paused_.load()) {
                // Each read is told as it comes, so that a handle is signalled
                // by the first change and memory stays within the kernel's own
                // queue; a bounded number of reads a turn keeps stopping and
                // waking prompt under a stream of changes that never lets up.
                bool drained = false;
                for (int reads = 0; reads < kReadsPerTurn; ++reads) {
                    const ssize_t n = ::read(instance->Fd, buffer, sizeof buffer);
                    if (n > 0) {
                        Dispatch(*instance, buffer, static_cast<std::size_t>(n));
                        continue;
                    }
                    if (n < 0 && errno == EINTR)
                        continue;
                    drained = true;
                    break;
                }
                // A drain asked for is served once the queue was read empty.
                if (!drained)
                    continue;
                SettleDepartures(*instance);
            }
            // Between two looks at the queue, so that events keep flowing
            // while many watches go; a drain waits until all have gone.
            removing = RemoveUnwanted(*instance);
            if (!removing)
                Serve(*instance, asked);
        }
        {
            std::lock_guard lock(instance->SyncMutex);
            instance->ReaderEnded = true; // nothing more is read: every drain is served
            instance->SyncDone.notify_all();
        }
        if (instance->ReaderCloses) {
            ::close(instance->Fd);
            ::close(instance->WakeFd);
        }
    }

    static void Serve(Instance& instance, std::uint64_t asked)
    {
        std::lock_guard lock(instance.SyncMutex);
        if (asked > instance.SyncServed) {
            instance.SyncServed = asked;
            instance.SyncDone.notify_all();
        }
    }

    std::mutex Mutex_;
    std::shared_ptr<Instance> Current_;
    std::unordered_map<int, Watch> Watches_;
    std::unordered_map<ChangeNotification*, std::weak_ptr<ChangeNotification>> Live_;
    std::size_t Limit_ = kSubtreeWatchLimit;
    std::atomic<std::size_t> SubtreeHandles_{0};
    std::vector<Departure> Departures_;
    std::vector<int> Unwanted_; // kernel watches of no handle, left to the reader
    // The watches the reader is removing outside the lock; taken after it.
    std::mutex RemovalMutex_;
    std::condition_variable RemovalDone_;
    std::vector<int> Removing_;
    int WatchFailure_ = 0; // testing
    std::size_t WatchesBeforeFailure_ = 0;

    std::atomic<bool> Paused_{false};
};

Demultiplexer& TheDemultiplexer()
{
    // Never destroyed: handles may outlive static destruction.
    static Demultiplexer& demultiplexer = *new Demultiplexer;
    return demultiplexer;
}

ChangeNotification::~ChangeNotification()
{
    TheDemultiplexer().Forget(this);
}

std::shared_ptr<ChangeNotification> NotificationOf(HANDLE handle)
{
    std::shared_ptr<ChangeNotification> notification = KernelObjectFromHandle<ChangeNotification>(handle);
    if (!notification)
        SetLastError(ERROR_INVALID_HANDLE);
    return notification;
}

} // namespace

namespace testing {

void PauseChangeReader(bool paused)
{
    TheDemultiplexer().Pause(paused);
}

void DrainChangeEvents()
{
    TheDemultiplexer().Drain();
}

int ChangeNotificationDescriptor()
{
    return TheDemultiplexer().Descriptor();
}

void SetSubtreeWatchLimit(std::size_t limit)
{
    TheDemultiplexer().SetLimit(limit);
}

void FailWatchAdds(int error, std::size_t after)
{
    TheDemultiplexer().FailWatches(error, after);
}

} // namespace testing

} // namespace win32

HANDLE FindFirstChangeNotificationA(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter)
{
    return win32::TheDemultiplexer().Open(pathName, watchSubtree != FALSE, notifyFilter);
}

BOOL FindNextChangeNotification(HANDLE changeHandle)
{
    const auto notification = win32::NotificationOf(changeHandle);
    if (!notification)
        return FALSE;
    bool armed;
    {
        win32::KernelStateChange change;
        armed = notification->Rearm();
    }
    if (!armed) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE changeHandle)
{
    if (!win32::NotificationOf(changeHandle))
        return FALSE;
    return CloseHandle(changeHandle);
}
