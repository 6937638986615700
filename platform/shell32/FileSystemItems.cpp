// Attributes, detail texts and column order of file-system items, all from
// the snapshot taken while listing.

#include "shell32/Folders.h"

#include "shell32/NaturalOrder.h"
#include "shell32/ShellTesting.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QMimeDatabase>
#include <QString>

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::string AsciiLowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = AsciiLower(c);
    return lowered;
}

QString TextOf(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A MIME glob other than "*.suffix": a whole name ("makefile"), a prefix
// ("readme*") or a shape ("*.[1-9]", "*~"). The literal parts any matching
// name must hold are checked before the pattern itself.
struct OtherPattern {
    std::string pattern; // lower-cased
    std::string prefix;  // before the first wildcard
    std::string tail;    // after the last wildcard or bracket
    std::string middle;  // the longest literal run outside brackets
};

OtherPattern MakeOtherPattern(std::string pattern)
{
    OtherPattern other;
    const std::size_t first = pattern.find_first_of("*?[");
    const std::size_t last = pattern.find_last_of("*?]");
    other.prefix = pattern.substr(0, first);
    other.tail = last == std::string::npos ? pattern : pattern.substr(last + 1);
    std::size_t run = 0;
    bool inBracket = false;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        const char c = i < pattern.size() ? pattern[i] : '*';
        const bool literal = !inBracket && c != '*' && c != '?' && c != '[' && c != ']';
        if (c == '[')
            inBracket = true;
        else if (c == ']')
            inBracket = false;
        if (literal) {
            ++run;
            continue;
        }
        if (run > other.middle.size())
            other.middle = pattern.substr(i - run, run);
        run = 0;
    }
    other.pattern = std::move(pattern);
    return other;
}

bool MatchesOther(const OtherPattern& other, const std::string& lowered)
{
    if (!lowered.starts_with(other.prefix) || !lowered.ends_with(other.tail) ||
        lowered.find(other.middle) == std::string::npos)
        return false;
    return ::fnmatch(other.pattern.c_str(), lowered.c_str(), FNM_NOESCAPE) == 0;
}

// Type names keyed by what decides them. Sorting by type compares each item
// many times and a look-up in the MIME database costs far more than a
// compare, so each suffix is looked up once. The keys are bounded by the
// database's own suffixes, so the cache never needs to start over.
class FileTypeNames {
public:
    std::string Find(std::string_view name, int dirFd)
    {
        std::call_once(PatternsRead_, [this] { ReadPatterns(); });
        const std::string lowered = AsciiLowered(name);
        if (MatchesOtherPattern(lowered))
            return FromFile(name, dirFd);
        const std::optional<std::size_t> tail = KnownTail(lowered);
        if (!tail)
            // No glob matches: the name alone says the default type.
            return dirFd >= 0 ? FromFile(name, dirFd) : Unknown_;
        // Keyed as written: a few suffixes are told apart by case.
        const std::string_view key = name.substr(*tail);
        std::optional<SuffixType> type;
        {
            std::lock_guard lock(Mutex_);
            if (const auto found = BySuffix_.find(key); found != BySuffix_.end())
                type = found->second;
        }
        if (!type) {
            ++LookUps_;
            const QString probe = QStringLiteral("x.") + TextOf(key);
            // The suffix decides when it names one type only; else the file does.
            type = SuffixType{Comment(Database().mimeTypeForFile(probe, QMimeDatabase::MatchExtension)),
                              Database().mimeTypesForFileName(probe).size() == 1};
            std::lock_guard lock(Mutex_);
            BySuffix_.emplace(std::string(key), *type);
        }
        return type->decides || dirFd < 0 ? type->name : FromFile(name, dirFd);
    }
    std::size_t LookUps() const { return LookUps_.load(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };

    static const QMimeDatabase& Database()
    {
        static const QMimeDatabase database;
        return database;
    }

    static std::string Comment(const QMimeType& type)
    {
        QString comment = type.comment();
        if (comment.isEmpty())
            comment = QStringLiteral("File");
        return comment.toStdString();
    }

    void ReadPatterns()
    {
        Unknown_ = Comment(Database().mimeTypeForName(QStringLiteral("application/octet-stream")));
        for (const QMimeType& type : Database().allMimeTypes()) {
            for (const QString& glob : type.globPatterns()) {
                const std::string pattern = AsciiLowered(glob.toStdString());
                const bool simple = pattern.starts_with("*.") && pattern.size() > 2 &&
                                    pattern.find_first_of("*?[", 2) == std::string::npos;
                if (simple)
                    Suffixes_.insert(pattern.substr(2));
                else if (pattern.find_first_of("*?[") == std::string::npos)
                    Names_.insert(pattern);
                else
                    Others_.push_back(MakeOtherPattern(pattern));
            }
        }
    }

    bool MatchesOtherPattern(const std::string& lowered) const
    {
        if (Names_.contains(lowered))
            return true;
        for (const OtherPattern& other : Others_)
            if (MatchesOther(other, lowered))
                return true;
        return false;
    }

    // Where the longest known suffix of the name starts (a leading dot
    // starts none).
    std::optional<std::size_t> KnownTail(const std::string& lowered) const
    {
        for (std::size_t dot = lowered.find('.', 1); dot != std::string::npos;
             dot = lowered.find('.', dot + 1))
            if (Suffixes_.contains(std::string_view(lowered).substr(dot + 1)))
                return dot + 1;
        return std::nullopt;
    }

    // The database's answer for the file itself, its content read only
    // where the name leaves the type open.
    std::string FromFile(std::string_view name, int dirFd)
    {
        ++LookUps_;
        const QString text = TextOf(name);
        if (dirFd >= 0) {
            const std::string path(name);
            const int fd =
                ::openat(dirFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
            struct stat st {};
            if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
                QFile file;
                if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                    return Comment(Database().mimeTypeForFileNameAndData(text, &file));
            }
            if (fd >= 0)
                ::close(fd);
        }
        return Comment(Database().mimeTypeForFile(text, QMimeDatabase::MatchExtension));
    }

    struct SuffixType {
        std::string name; // what the name alone says
        bool decides = false;
    };

    std::once_flag PatternsRead_;
    std::string Unknown_;
    std::unordered_set<std::string, Hash, std::equal_to<>> Suffixes_;
    std::unordered_set<std::string> Names_;
    std::vector<OtherPattern> Others_;
    std::mutex Mutex_;
    std::unordered_map<std::string, SuffixType, Hash, std::equal_to<>> BySuffix_;
    std::atomic<std::size_t> LookUps_{0};
};

FileTypeNames& TypeNames()
{
    static FileTypeNames names;
    return names;
}

} // namespace

std::string FileTypeName(std::string_view name, bool isFolder, int dirFd)
{
    // The MIME database calls a directory "folder"; the shell's type is "Folder".
    if (isFolder)
        return "Folder";
    return TypeNames().Find(name, dirFd);
}

namespace testing {
std::size_t FileTypeLookUps()
{
    return TypeNames().LookUps();
}
} // namespace testing

struct FileSystemColumnTexts::Formats {
    QLocale locale;
    QString dateTime = locale.dateTimeFormat(QLocale::ShortFormat);
};

FileSystemColumnTexts::FileSystemColumnTexts() : Formats_(std::make_unique<Formats>()) {}
FileSystemColumnTexts::~FileSystemColumnTexts() = default;

std::string FileSystemColumnTexts::Text(const ItemView& item, UINT column, int dirFd) const
{
    switch (column) {
    case 1: {
        if (item.IsFolder())
            return {};
        // Whole kilobytes, rounded up, as the explorer shows them.
        const std::uint64_t kilobytes = item.stat.size / 1024 + (item.stat.size % 1024 != 0 ? 1 : 0);
        return Formats_->locale.toString(static_cast<qulonglong>(kilobytes)).toStdString() + " KB";
    }
    case 2:
        return FileTypeName(item.text, item.IsFolder(), dirFd);
    case 3: {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(item.stat.mtimeNs / 1000000);
        return Formats_->locale.toString(time, Formats_->dateTime).toStdString();
    }
    default:
        return {};
    }
}

std::string FileSystemColumnText(const ItemView& item, UINT column)
{
    return FileSystemColumnTexts().Text(item, column);
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
