// Attributes, detail texts and column order of file-system items, all from
// the snapshot taken while listing.

#include "shell32/Folders.h"

#include "shell32/NaturalOrder.h"
#include "shell32/ShellTesting.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeDatabase>
#include <QString>

#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

namespace shell32 {

ULONG FileSystemAttributes(const ItemView& item)
{
    ULONG attributes =
        SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE | SFGAO_HASPROPSHEET | SFGAO_FILESYSTEM;
    if (item.kind != ItemKind::TrashEntry)
        attributes |= SFGAO_CANRENAME | SFGAO_CANLINK;
    if (item.IsFolder())
        attributes |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET;
    if (S_ISLNK(item.stat.mode))
        attributes |= SFGAO_LINK;
    // From the mode bits, not access(): the answer does not depend on who asks.
    if (!(item.stat.mode & S_IWUSR))
        attributes |= SFGAO_READONLY;
    if (!item.text.empty() && item.text.front() == '.')
        attributes |= SFGAO_HIDDEN;
    return attributes;
}

namespace {

// Type names by file name. Sorting by type compares each item many times
// (about 17 times each for 100,000 items), and a look-up in the MIME
// database costs far more than a compare: each name is looked up once. The
// cache starts over when it is full.
class FileTypeCache {
public:
    std::string Find(std::string_view name)
    {
        {
            std::lock_guard lock(Mutex_);
            if (const auto found = Names_.find(name); found != Names_.end())
                return found->second;
        }
        std::string type = LookUp(name);
        std::lock_guard lock(Mutex_);
        if (Names_.size() >= kLimit)
            Names_.clear();
        Names_.emplace(std::string(name), type);
        return type;
    }
    std::size_t LookUps() const { return LookUps_.load(); }

private:
    static constexpr std::size_t kLimit = 1 << 17;

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };

    std::string LookUp(std::string_view name)
    {
        ++LookUps_;
        static const QMimeDatabase database;
        const QMimeType type =
            database.mimeTypeForFile(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                                     QMimeDatabase::MatchExtension);
        QString comment = type.comment();
        if (comment.isEmpty())
            comment = QStringLiteral("File");
        return comment.toStdString();
    }

    std::mutex Mutex_;
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> Names_;
    std::atomic<std::size_t> LookUps_{0};
};

FileTypeCache& TypeCache()
{
    static FileTypeCache cache;
    return cache;
}

} // namespace

std::string FileTypeName(std::string_view name, bool isFolder)
{
    // The MIME database calls a directory "folder"; the shell's type is "Folder".
    if (isFolder)
        return "Folder";
    return TypeCache().Find(name);
}

namespace testing {
std::size_t FileTypeLookUps()
{
    return TypeCache().LookUps();
}
} // namespace testing

std::string FileSystemColumnText(const ItemView& item, UINT column)
{
    switch (column) {
    case 1: {
        if (item.IsFolder())
            return {};
        // Whole kilobytes, rounded up, as the explorer shows them.
        const std::uint64_t kilobytes = item.stat.size / 1024 + (item.stat.size % 1024 != 0 ? 1 : 0);
        return QLocale().toString(static_cast<qulonglong>(kilobytes)).toStdString() + " KB";
    }
    case 2:
        return FileTypeName(item.text, item.IsFolder());
    case 3: {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(item.stat.mtimeNs / 1000000);
        return QLocale().toString(time, QLocale::ShortFormat).toStdString();
    }
    default:
        return {};
    }
}

int CompareFileSystemColumn(const ItemView& a, const ItemView& b, UINT column)
{
    switch (column) {
    case 1: {
        const std::uint64_t sa = a.IsFolder() ? 0 : a.stat.size;
        const std::uint64_t sb = b.IsFolder() ? 0 : b.stat.size;
        return sa < sb ? -1 : (sa > sb ? 1 : 0);
    }
    case 2:
        return CompareNamesNatural(FileTypeName(a.text, a.IsFolder()), FileTypeName(b.text, b.IsFolder()),
                                   false);
    case 3:
        return a.stat.mtimeNs < b.stat.mtimeNs ? -1 : (a.stat.mtimeNs > b.stat.mtimeNs ? 1 : 0);
    default:
        return 0;
    }
}

} // namespace shell32
