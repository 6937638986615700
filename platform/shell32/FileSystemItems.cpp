// Attributes, detail texts and column order of file-system items, all from
// the snapshot taken while listing.

#include "shell32/Folders.h"

#include "shell32/NaturalOrder.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeDatabase>
#include <QString>

#include <sys/stat.h>

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

std::string FileTypeName(std::string_view name, bool isFolder)
{
    // The MIME database calls a directory "folder"; the shell's type is "Folder".
    if (isFolder)
        return "Folder";
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), QMimeDatabase::MatchExtension);
    QString comment = type.comment();
    if (comment.isEmpty())
        comment = QStringLiteral("File");
    return comment.toStdString();
}

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
