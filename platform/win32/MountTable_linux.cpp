// The mount table read with libmount, and the system's mount source:
// /proc/self/mountinfo, the block devices in /sys, labels in /dev/disk and
// sizes from statvfs.

#include "win32/MountTable.h"

#include "win32/HexDigits.h"

#include <libmount/libmount.h>

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <mutex>
#include <utility>

namespace win32 {
namespace {

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterDeleter {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using TablePtr = std::unique_ptr<libmnt_table, TableDeleter>;

std::string Text(const char* s)
{
    return s ? std::string(s) : std::string();
}

// A malformed line is skipped, not fatal: one odd mount must not hide the drives.
int SkipBadLine(libmnt_table*, const char*, int)
{
    return 1;
}

bool EntriesFromTable(libmnt_table* table, std::vector<MountEntry>& entries)
{
    std::unique_ptr<libmnt_iter, IterDeleter> iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!iter) {
        errno = ENOMEM;
        return false;
    }
    entries.clear();
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table, iter.get(), &fs) == 0) {
        MountEntry entry;
        entry.Id = mnt_fs_get_id(fs);
        entry.ParentId = mnt_fs_get_parent_id(fs);
        const dev_t dev = mnt_fs_get_devno(fs);
        entry.Major = major(dev);
        entry.Minor = minor(dev);
        entry.Root = Text(mnt_fs_get_root(fs));
        entry.MountPoint = Text(mnt_fs_get_target(fs));
        entry.FsType = Text(mnt_fs_get_fstype(fs));
        entry.Source = Text(mnt_fs_get_source(fs));
        entry.Options = Text(mnt_fs_get_vfs_options(fs));
        if (!entry.MountPoint.empty())
            entries.push_back(std::move(entry));
    }
    return true;
}

TablePtr NewTable()
{
    TablePtr table(mnt_new_table());
    if (table)
        mnt_table_set_parser_errcb(table.get(), SkipBadLine);
    return table;
}

std::string ReadSmallFile(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "re"));
    if (!f)
        return {};
    char buffer[64];
    const size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
    return std::string(buffer, n);
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string RealPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// The device number of the block device behind a mount: the source when it
// names a device node, else the mount's own st_dev when it is not anonymous.
bool BlockDeviceOf(const MountEntry& entry, dev_t& dev)
{
    if (entry.Source.rfind("/dev/", 0) == 0) {
        struct stat st;
        if (::stat(entry.Source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            dev = st.st_rdev;
            return true;
        }
    }
    if (entry.Major != 0) {
        dev = makedev(entry.Major, entry.Minor);
        return true;
    }
    return false;
}

// udev writes unsafe bytes of a label as \xHH.
std::string DecodeUdevName(std::string_view name)
{
    std::string result;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexDigitValue(name[i + 2]) >= 0 &&
            HexDigitValue(name[i + 3]) >= 0) {
            result += static_cast<char>(HexDigitValue(name[i + 2]) * 16 + HexDigitValue(name[i + 3]));
            i += 3;
        } else {
            result += name[i];
        }
    }
    return result;
}

class SystemMountSource final : public MountSource {
public:
    ~SystemMountSource() override { StopWatching(); }

    // libmount's monitor of the kernel's table, read on the GUI thread.
    bool StartWatching() override
    {
        if (Monitor_)
            return true;
        libmnt_monitor* monitor = mnt_new_monitor();
        if (!monitor)
            return false;
        const int fd = mnt_monitor_enable_kernel(monitor, 1) == 0 ? mnt_monitor_get_fd(monitor) : -1;
        if (fd < 0) {
            mnt_unref_monitor(monitor);
            return false;
        }
        Monitor_ = monitor;
        Notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(Notifier_.get(), &QSocketNotifier::activated, [this] {
            const char* file = nullptr;
            int type = 0;
            bool changed = false;
            while (mnt_monitor_next_change(Monitor_, &file, &type) == 0)
                changed = true;
            if (changed)
                NotifyMountTableChanged();
        });
        return true;
    }

    void StopWatching() override
    {
        Notifier_.reset();
        if (Monitor_)
            mnt_unref_monitor(Monitor_);
        Monitor_ = nullptr;
    }

    bool ReadMounts(std::vector<MountEntry>& entries) override
    {
        TablePtr table = NewTable();
        if (!table) {
            errno = ENOMEM;
            return false;
        }
        const int rc = mnt_table_parse_file(table.get(), "/proc/self/mountinfo");
        if (rc != 0) {
            errno = rc < 0 ? -rc : EIO;
            return false;
        }
        return EntriesFromTable(table.get(), entries);
    }

    BlockDeviceInfo ProbeDevice(const MountEntry& entry) override
    {
        BlockDeviceInfo info;
        dev_t dev;
        if (!BlockDeviceOf(entry, dev))
            return info;
        std::string node =
            RealPath("/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev)));
        // A mapped device over one disk (an encrypted stick) has the disk's
        // nature; follow single slaves a few levels down.
        for (int depth = 0; depth < 4 && !node.empty(); ++depth) {
            const std::string slave = SingleSlave(node);
            if (slave.empty())
                break;
            node = slave;
        }
        if (node.empty())
            return info;
        info.Known = true;
        // A partition's removable flag lives on its disk.
        if (FileExists(node + "/partition"))
            node = node.substr(0, node.rfind('/'));
        const std::string name = node.substr(node.rfind('/') + 1);
        constexpr unsigned scsiCdromMajor = 11;
        info.Optical = major(dev) == scsiCdromMajor || name.rfind("sr", 0) == 0;
        info.Removable = ReadSmallFile(node + "/removable").rfind('1', 0) == 0;
        return info;
    }

    std::string ProbeLabel(const MountEntry& entry) override
    {
        if (entry.Source.rfind("/dev/", 0) != 0)
            return {};
        const std::string device = RealPath(entry.Source);
        if (device.empty())
            return {};
        static constexpr const char* labelDir = "/dev/disk/by-label";
        DIR* dir = ::opendir(labelDir);
        if (!dir)
            return {};
        std::string label;
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            if (RealPath(std::string(labelDir) + "/" + name) == device) {
                label = DecodeUdevName(name);
                break;
            }
        }
        ::closedir(dir);
        return label;
    }

    bool QuerySpace(const std::string& path, DriveSpace& space) override
    {
        struct statvfs st;
        if (::statvfs(path.c_str(), &st) != 0)
            return false;
        const auto bytes = [&](std::uint64_t blocks) {
            std::uint64_t result;
            if (__builtin_mul_overflow(blocks, static_cast<std::uint64_t>(st.f_frsize), &result))
                return UINT64_MAX;
            return result;
        };
        space.Total = bytes(st.f_blocks);
        space.Free = bytes(st.f_bfree);
        space.AvailableToCaller = bytes(st.f_bavail);
        return true;
    }

private:
    libmnt_monitor* Monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> Notifier_;

    static std::string SingleSlave(const std::string& node)
    {
        DIR* dir = ::opendir((node + "/slaves").c_str());
        if (!dir)
            return {};
        std::string only;
        int count = 0;
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            only = name;
            ++count;
        }
        ::closedir(dir);
        return count == 1 ? RealPath(node + "/slaves/" + only) : std::string();
    }
};

struct SourceSlot {
    std::mutex Lock;
    std::shared_ptr<MountSource> Replacement;
};

SourceSlot& Slot()
{
    static SourceSlot slot;
    return slot;
}

} // namespace

bool ParseMountTable(std::string_view text, std::vector<MountEntry>& entries)
{
    entries.clear();
    if (text.empty())
        return true;
    // fmemopen does not own the buffer: keep a copy alive while it reads.
    std::string buffer(text);
    std::unique_ptr<FILE, FileCloser> stream(fmemopen(buffer.data(), buffer.size(), "r"));
    if (!stream)
        return false;
    TablePtr table = NewTable();
    if (!table) {
        errno = ENOMEM;
        return false;
    }
    const int rc = mnt_table_parse_stream(table.get(), stream.get(), "mountinfo");
    if (rc != 0) {
        errno = rc < 0 ? -rc : EINVAL;
        return false;
    }
    return EntriesFromTable(table.get(), entries);
}

std::shared_ptr<MountSource> CurrentMountSource()
{
    static const std::shared_ptr<MountSource> system = std::make_shared<SystemMountSource>();
    SourceSlot& slot = Slot();
    std::lock_guard lock(slot.Lock);
    return slot.Replacement ? slot.Replacement : system;
}

std::shared_ptr<MountSource> SetMountSource(std::shared_ptr<MountSource> source)
{
    std::shared_ptr<MountSource> previous;
    {
        SourceSlot& slot = Slot();
        std::lock_guard lock(slot.Lock);
        previous = std::exchange(slot.Replacement, std::move(source));
    }
    NotifyMountTableChanged(true);
    return previous;
}

} // namespace win32
