// Reading the freedesktop trash: directory walks relative to open folder
// descriptors, .trashinfo files through GLib's key-file parser.

#include "shell32/Trash.h"

#include "shell32/FileSystem_linux.h"
#include "win32/HexDigits.h"

#include <glib.h>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace shell32 {
namespace {

constexpr const char* kGroup = "Trash Info";

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};

std::optional<std::string> Value(GKeyFile* file, const char* key)
{
    std::unique_ptr<gchar, GFreeDeleter> value(g_key_file_get_value(file, kGroup, key, nullptr));
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

bool HasDotDotComponent(std::string_view path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

int Digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Reads a small regular file relative to a folder; nothing when it is
// missing, not a regular file, or larger than the limit.
std::optional<std::string> ReadInfoFile(int dirFd, const std::string& name)
{
    if (dirFd < 0 || name.size() > kMaxNameBytes)
        return std::nullopt;
    // O_NONBLOCK: a FIFO planted in info/ must not hang the listing.
    FileDescriptor fd(::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.Get() < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > static_cast<off_t>(kMaxTrashInfoBytes))
        return std::nullopt;
    // The file may grow after fstat: read at most one byte past the limit.
    std::string data(kMaxTrashInfoBytes + 1, '\0');
    size_t filled = 0;
    while (filled < data.size()) {
        const ssize_t n = ::read(fd.Get(), data.data() + filled, data.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += static_cast<size_t>(n);
    }
    if (filled > kMaxTrashInfoBytes)
        return std::nullopt;
    data.resize(filled);
    return data;
}

bool ReadEntry(int filesFd, int infoFd, const std::string& relativeBase, const std::string& name,
               TrashEntry& entry)
{
    struct stat st;
    if (::fstatat(filesFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    entry = TrashEntry{};
    entry.Name = name;
    entry.Kind = S_ISDIR(st.st_mode) ? ItemKind::Directory : ItemKind::File;
    entry.Stat.mode = st.st_mode;
    entry.Stat.size = static_cast<std::uint64_t>(st.st_size);
    entry.Stat.mtimeNs = TimeToNanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    if (const std::optional<std::string> data = ReadInfoFile(infoFd, name + ".trashinfo"))
        entry.Info = ParseTrashInfo(*data, relativeBase);
    return true;
}

// What a relative Path= is relative to: the folder holding the trash, or
// for a shared $top/.Trash/$uid, $top.
std::string RelativeBase(const std::string& trashDirectory)
{
    const std::string parent = ParentPath(trashDirectory);
    if (parent.ends_with("/.Trash"))
        return ParentPath(parent);
    return parent;
}

} // namespace

std::optional<std::string> DecodePercentEscapes(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (text[i] == '\0')
                return std::nullopt;
            result += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? win32::HexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? win32::HexDigitValue(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '\0')
            return std::nullopt;
        result += byte;
        i += 2;
    }
    return result;
}

std::optional<TrashDate> ParseTrashDate(std::string_view text)
{
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    if (text.size() > 19) {
        // Only a fraction of a second may follow.
        const size_t fraction = text.size() - 20;
        if (text[19] != '.' || fraction == 0 || fraction > 9 || Digits(text, 20, fraction) < 0)
            return std::nullopt;
    }
    TrashDate date{Digits(text, 0, 4),  Digits(text, 5, 2),  Digits(text, 8, 2),
                   Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
    static constexpr int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.Year < 0 || date.Month < 1 || date.Month > 12 || date.Day < 1 || date.Hour < 0 ||
        date.Hour > 23 || date.Minute < 0 || date.Minute > 59 || date.Second < 0 || date.Second > 60)
        return std::nullopt;
    const int monthDays = daysInMonth[date.Month - 1] + (date.Month == 2 && IsLeapYear(date.Year) ? 1 : 0);
    if (date.Day > monthDays)
        return std::nullopt;
    return date;
}

std::optional<TrashInfo> ParseTrashInfo(std::string_view data, std::string_view relativeBase)
{
    if (data.size() > kMaxTrashInfoBytes)
        return std::nullopt;
    std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    if (!g_key_file_load_from_data(file.get(), data.data(), data.size(), G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(file.get(), kGroup))
        return std::nullopt;

    TrashInfo info;
    if (const std::optional<std::string> raw = Value(file.get(), "Path")) {
        std::optional<std::string> path = DecodePercentEscapes(*raw);
        // A relative path lies below the folder that holds the trash, and
        // may not climb out of it.
        if (path && !path->empty() && (*path)[0] != '/') {
            if (relativeBase.empty() || relativeBase[0] != '/' || HasDotDotComponent(*path))
                path.reset();
            else
                path = std::string(relativeBase) + (relativeBase == "/" ? "" : "/") + *path;
        }
        if (path && path->size() < kMaxPathBytes)
            info.OriginalPath = std::move(*path);
    }
    if (const std::optional<std::string> raw = Value(file.get(), "DeletionDate"))
        info.DeletionDate = ParseTrashDate(*raw);
    return info;
}

std::string TrashEntry::DisplayName() const
{
    if (Info && !Info->OriginalPath.empty()) {
        const std::string& path = Info->OriginalPath;
        std::string_view trimmed = path;
        while (trimmed.size() > 1 && trimmed.back() == '/')
            trimmed.remove_suffix(1);
        const std::string_view base = trimmed.substr(trimmed.find_last_of('/') + 1);
        if (!base.empty())
            return std::string(base);
    }
    return Name;
}

bool ListTrash(const std::string& trashDirectory, std::vector<TrashEntry>& entries)
{
    entries.clear();
    FileDescriptor filesFd(::open((trashDirectory + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (filesFd.Get() < 0)
        return errno == ENOENT;
    const FileDescriptor infoFd(
        ::open((trashDirectory + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::string relativeBase = RelativeBase(trashDirectory);

    // fdopendir takes over the descriptor; fstatat keeps using it.
    const int walkFd = filesFd.Get();
    DIR* dir = ::fdopendir(walkFd);
    if (!dir)
        return false;
    filesFd.Release();
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        TrashEntry entry;
        if (ReadEntry(walkFd, infoFd.Get(), relativeBase, name, entry))
            entries.push_back(std::move(entry));
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    errno = readError;
    return readError == 0;
}

bool ReadTrashEntry(const std::string& trashDirectory, std::string_view name, TrashEntry& entry)
{
    if (!IsValidItemName(name)) {
        errno = EINVAL;
        return false;
    }
    const FileDescriptor filesFd(
        ::open((trashDirectory + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (filesFd.Get() < 0)
        return false;
    const FileDescriptor infoFd(
        ::open((trashDirectory + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return ReadEntry(filesFd.Get(), infoFd.Get(), RelativeBase(trashDirectory), std::string(name), entry);
}

} // namespace shell32
