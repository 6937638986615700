// Attributes, detail texts and column order of file-system items, all from
// the snapshot taken while listing.

#include "shell32/Folders.h"

#include "shell32/FileSystem_linux.h"
#include "shell32/NaturalOrder.h"
#include "shell32/ShellTesting.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <system_error>
#include <thread>
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

std::string AsciiUppered(std::string_view text)
{
    std::string uppered(text);
    for (char& c : uppered)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - ('a' - 'A'));
    return uppered;
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
// Answers read from files are kept by device, inode, size and time.
// What a name alone tells of its type.
struct TypeTold {
    const std::string* decided = nullptr; // the name decides
    const std::string* byName = nullptr;  // else what the name says, where known without a look-up
    bool unnamed = false;                 // no glob matches: the content alone decides
};

class FileTypeNames {
public:
    // The answer, kept for the life of the process.
    const std::string* Find(std::string_view name, int dirFd)
    {
        const TypeTold told = Tell(name);
        if (told.decided)
            return told.decided;
        if (dirFd < 0 && told.byName)
            return told.byName;
        return FromFile(name, dirFd, told.unnamed);
    }

    // What the name alone tells, without reading anything.
    TypeTold Tell(std::string_view name)
    {
        std::call_once(PatternsRead_, [this] { ReadPatterns(); });
        const std::string lowered = AsciiLowered(name);
        if (MatchesOtherPattern(lowered))
            return {};
        const std::optional<std::size_t> tail = KnownTail(lowered);
        if (!tail)
            // No glob matches: the name alone says the default type.
            return {nullptr, &Unknown_, true};
        // Keyed lower-cased. A suffix that some glob tells apart by case
        // ("*.C" and "*.c"), and a suffix written in mixed case, are asked
        // of the database per name.
        const std::string_view key = std::string_view(lowered).substr(*tail);
        std::optional<const SuffixType*> type;
        {
            std::lock_guard lock(Mutex_);
            if (const auto found = BySuffix_.find(key); found != BySuffix_.end())
                type = &found->second;
        }
        if (!type) {
            ++LookUps_;
            const QString probe = QStringLiteral("x.") + TextOf(key);
            const QString upper = QStringLiteral("x.") + TextOf(key).toUpper();
            const QList<QMimeType> types = Database().mimeTypesForFileName(probe);
            const SuffixType made{Comment(Database().mimeTypeForFile(probe, QMimeDatabase::MatchExtension)),
                                  types.size() == 1, types != Database().mimeTypesForFileName(upper)};
            std::lock_guard lock(Mutex_);
            type = &BySuffix_.emplace(std::string(key), made).first->second;
        }
        const std::string_view written = name.substr(*tail);
        const bool oneCase = written == key || written == AsciiUppered(key);
        if ((*type)->caseMatters || !oneCase)
            return {};
        // The suffix decides when it names one type only; else the file does.
        if ((*type)->decides)
            return {&(*type)->name, nullptr, false};
        return {nullptr, &(*type)->name, false};
    }

    // The database's answer for the file below dirFd, read where the name
    // leaves the type open (see FromFile); kept by the file's identity, so
    // the same file is read once while it stays as it is.
    const std::string* FromFile(std::string_view name, int dirFd, bool unnamed)
    {
        struct stat st {};
        const std::string path(name);
        FileDescriptorKey key;
        if (dirFd >= 0 && ::fstatat(dirFd, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            key = KeyOf(st, unnamed ? std::string_view() : name);
            std::lock_guard lock(Mutex_);
            if (const auto found = ByFile_.find(key); found != ByFile_.end())
                return found->second;
        }
        ++LookUps_;
        const std::string* type = Intern(Read(path, dirFd, unnamed, key));
        if (key.device || key.inode) {
            std::lock_guard lock(Mutex_);
            // Bounded: a process that types very many files starts over.
            if (ByFile_.size() >= kMaxFilesKept)
                ByFile_.clear();
            ByFile_[key] = type;
        }
        return type;
    }

    void ForgetFiles()
    {
        std::lock_guard lock(Mutex_);
        ByFile_.clear();
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
        Empty_ = Comment(Database().mimeTypeForData(QByteArray()));
        if (ReadGlobFiles())
            return;
        for (const QMimeType& type : Database().allMimeTypes())
            for (const QString& glob : type.globPatterns())
                AddPattern(glob.toStdString());
    }

    // The globs as the installed database lists them (mime/globs2 in each
    // data folder: "weight:type:glob[:flags]"), read in a moment where
    // asking every type for its globs parses the database's XML. False
    // where there is none, and the types are asked.
    bool ReadGlobFiles()
    {
        const QStringList files =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime/globs2"));
        bool read = false;
        for (const QString& file : files) {
            std::ifstream in(file.toStdString());
            for (std::string line; std::getline(in, line);) {
                read = true;
                if (line.empty() || line.front() == '#')
                    continue;
                const std::size_t type = line.find(':');
                const std::size_t glob = type == std::string::npos ? type : line.find(':', type + 1);
                if (glob == std::string::npos)
                    continue;
                const std::size_t flags = line.find(':', glob + 1);
                if (line.compare(type + 1, glob - type - 1, "__NOGLOBS__") != 0)
                    AddPattern(line.substr(glob + 1, flags == std::string::npos ? flags : flags - glob - 1));
            }
        }
        return read;
    }

    void AddPattern(const std::string& glob)
    {
        const std::string pattern = AsciiLowered(glob);
        const bool simple = pattern.starts_with("*.") && pattern.size() > 2 &&
                            pattern.find_first_of("*?[", 2) == std::string::npos;
        if (simple)
            Suffixes_.insert(pattern.substr(2));
        else if (pattern.find_first_of("*?[") == std::string::npos)
            Names_.insert(pattern);
        else
            Others_.push_back(MakeOtherPattern(pattern));
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

    // What identifies a file's content for its type: the file and its
    // state, and for answers that also match the name, the name.
    struct FileDescriptorKey {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t mtimeNs = 0;
        std::uint64_t name = 0; // hash of the name, 0 where it takes no part
        bool operator==(const FileDescriptorKey&) const = default;
    };
    struct FileKeyHash {
        std::size_t operator()(const FileDescriptorKey& k) const
        {
            std::uint64_t h = k.inode * 0x9E3779B97F4A7C15ull;
            for (const std::uint64_t v : {k.device, k.size, static_cast<std::uint64_t>(k.mtimeNs), k.name})
                h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
            return static_cast<std::size_t>(h ^ (h >> 31));
        }
    };
    static constexpr std::size_t kMaxFilesKept = 1 << 20;
    // What the database reads of a file to match its content.
    static constexpr qsizetype kProbeBytes = 16 * 1024;

    static FileDescriptorKey KeyOf(const struct stat& st, std::string_view name)
    {
        return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                static_cast<std::uint64_t>(st.st_size),
                std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec,
                name.empty() ? 0 : std::hash<std::string_view>()(name) | 1};
    }

    const std::string* Intern(std::string type)
    {
        std::lock_guard lock(Mutex_);
        return &*Interned_.insert(std::move(type)).first;
    }

    // The database's answer for the file itself. unnamed: no glob matches
    // the name, so the content alone decides (no patterns are matched
    // again). The bytes are read here, outside the database's lock, so
    // that files read on several threads are read at once. key is set to
    // what was read when it differs from what was asked.
    std::string Read(const std::string& path, int dirFd, bool unnamed, FileDescriptorKey& key)
    {
        const QString text = TextOf(path);
        if (dirFd >= 0) {
            const int fd =
                ::openat(dirFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
            struct stat st {};
            if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
                key = KeyOf(st, unnamed ? std::string_view() : std::string_view(path));
                QByteArray data(kProbeBytes, Qt::Uninitialized);
                qsizetype got = 0;
                while (got < data.size()) {
                    const ssize_t n =
                        ::pread(fd, data.data() + got, static_cast<std::size_t>(data.size() - got),
                                static_cast<off_t>(got));
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        break;
                    got += n;
                }
                ::close(fd);
                data.truncate(got);
                // No data is one type whatever the name: an empty file is not
                // handed to the database (read to be sure, as files of some
                // file systems have content while their size says 0).
                if (unnamed && got == 0)
                    return Empty_;
                return Comment(unnamed ? Database().mimeTypeForData(data)
                                       : Database().mimeTypeForFileNameAndData(text, data));
            }
            if (fd >= 0)
                ::close(fd);
        }
        key = {};
        if (unnamed)
            return Unknown_;
        return Comment(Database().mimeTypeForFile(text, QMimeDatabase::MatchExtension));
    }

    struct SuffixType {
        std::string name;     // what the name alone says
        bool decides = false; // one type has the suffix
        bool caseMatters = false;
    };

    std::once_flag PatternsRead_;
    std::string Unknown_;
    std::string Empty_; // the type of no data
    std::unordered_set<std::string, Hash, std::equal_to<>> Suffixes_;
    std::unordered_set<std::string> Names_;
    std::vector<OtherPattern> Others_;
    std::mutex Mutex_;
    std::unordered_map<std::string, SuffixType, Hash, std::equal_to<>> BySuffix_;
    std::unordered_map<FileDescriptorKey, const std::string*, FileKeyHash> ByFile_;
    std::unordered_set<std::string> Interned_; // answers read from files
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
    return *TypeNames().Find(name, dirFd);
}

namespace {

// The type of one child, by the rules of FileTypeName: a symbolic link to a
// file by the name of what it leads to, never by content read through it.
const std::string* TellChildType(const ItemView& item, int dirFd)
{
    static const std::string folder = "Folder";
    if (item.IsFolder())
        return &folder;
    if (S_ISLNK(item.stat.mode))
        if (const std::optional<std::string> target = LinkTargetName(dirFd, item.text))
            return TypeNames().Find(*target, -1);
    return TypeNames().Find(item.text, dirFd);
}

} // namespace

// One open-addressed table: a slot per child holds two hashes of its name
// and snapshot and its type's number; a sort by type compares each child
// many times, so a look-up costs one probe, and the types compare by rank.
struct ChildTypes::Table {
    struct Slot {
        std::uint64_t hash = 0;  // 0: empty
        std::uint64_t check = 0; // a second hash, independent of the first
        std::uint16_t type = 0;
    };
    std::shared_mutex mutex;
    std::vector<Slot> cells;
    std::size_t used = 0;
    std::vector<const std::string*> types;
    std::vector<std::uint16_t> ranks; // by type number: 0 first, one rank for types that compare 0

    // Two 64-bit hashes of the name, mode, size and time, made in one pass
    // over the name's words: a child is known by both (a slot keeps no copy
    // of the name, so a look-up reads one slot), and a child changed since
    // it was typed is typed again.
    static std::pair<std::uint64_t, std::uint64_t> HashesOf(const ItemView& item)
    {
        const std::string_view text = item.text;
        std::uint64_t h = 0x243F6A8885A308D3ull ^ text.size();
        std::uint64_t c = 0x13198A2E03707344ull ^ (text.size() << 32);
        const auto mix = [&](std::uint64_t w) {
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
            c = (c ^ w) * 0xC4CEB9FE1A85EC53ull;
            c ^= c >> 29;
        };
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t w;
            std::memcpy(&w, text.data() + i, 8);
            mix(w);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, text.data() + i, text.size() - i);
        mix(tail);
        mix(item.stat.mode);
        mix(item.stat.size);
        mix(static_cast<std::uint64_t>(item.stat.mtimeNs));
        return {(h ^ (h >> 31)) | 1, c ^ (c >> 31)};
    }

    // The slot holding the child, or the empty slot where it goes. The
    // caller holds the lock; there is always an empty slot.
    Slot& Probe(const std::pair<std::uint64_t, std::uint64_t>& hashes)
    {
        const std::size_t mask = cells.size() - 1;
        for (std::size_t i = hashes.first & mask;; i = (i + 1) & mask) {
            Slot& slot = cells[i];
            if (slot.hash == 0 || (slot.hash == hashes.first && slot.check == hashes.second))
                return slot;
        }
    }

    // The type's number, -1 when not told yet.
    int Find(const std::pair<std::uint64_t, std::uint64_t>& hashes)
    {
        if (cells.empty())
            return -1;
        const Slot& slot = Probe(hashes);
        return slot.hash == 0 ? -1 : slot.type;
    }
    int Find(const ItemView& item) { return Find(HashesOf(item)); }

    void Keep(const ItemView& item, const std::string* type)
    {
        if ((used + 1) * 2 > cells.size())
            Grow();
        const auto hashes = HashesOf(item);
        Slot& slot = Probe(hashes);
        if (slot.hash == 0) {
            slot.hash = hashes.first;
            slot.check = hashes.second;
            ++used;
        }
        slot.type = NumberOf(type);
    }

    void Grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(64, cells.size() * 2));
        old.swap(cells);
        const std::size_t mask = cells.size() - 1;
        for (const Slot& slot : old) {
            if (slot.hash == 0)
                continue;
            std::size_t i = slot.hash & mask;
            while (cells[i].hash != 0)
                i = (i + 1) & mask;
            cells[i] = slot;
        }
    }

    std::uint16_t NumberOf(const std::string* type)
    {
        for (std::size_t n = 0; n < types.size(); ++n)
            if (types[n] == type)
                return static_cast<std::uint16_t>(n);
        types.push_back(type);
        // The ranks follow the types' natural order; a new type is rare
        // (the database's types bound them).
        std::vector<std::uint16_t> order(types.size());
        for (std::size_t n = 0; n < order.size(); ++n)
            order[n] = static_cast<std::uint16_t>(n);
        std::sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) {
            return CompareNamesNatural(*types[a], *types[b], false) < 0;
        });
        ranks.assign(types.size(), 0);
        for (std::size_t k = 1; k < order.size(); ++k)
            ranks[order[k]] = static_cast<std::uint16_t>(
                ranks[order[k - 1]] +
                (CompareNamesNatural(*types[order[k - 1]], *types[order[k]], false) != 0));
        return static_cast<std::uint16_t>(types.size() - 1);
    }
};

ChildTypes::ChildTypes() : Table_(std::make_unique<Table>()) {}
ChildTypes::~ChildTypes() = default;

const std::string& ChildTypes::Of(const ItemView& item, int dirFd)
{
    {
        std::shared_lock lock(Table_->mutex);
        if (const int type = Table_->Find(item); type >= 0)
            return *Table_->types[static_cast<std::size_t>(type)];
    }
    const std::string* type = TellChildType(item, dirFd);
    std::unique_lock lock(Table_->mutex);
    Table_->Keep(item, type);
    return *type;
}

bool ChildTypes::CompareTold(const ItemView& a, const ItemView& b, int& order) noexcept
{
    const auto ha = Table::HashesOf(a);
    const auto hb = Table::HashesOf(b);
    std::shared_lock lock(Table_->mutex);
    const int ta = Table_->Find(ha);
    const int tb = Table_->Find(hb);
    if (ta < 0 || tb < 0)
        return false;
    const int ra = Table_->ranks[static_cast<std::size_t>(ta)];
    const int rb = Table_->ranks[static_cast<std::size_t>(tb)];
    order = ra < rb ? -1 : (ra > rb ? 1 : 0);
    return true;
}

int ChildTypes::Compare(const ItemView& a, const ItemView& b, int dirFd)
{
    int order = 0;
    while (!CompareTold(a, b, order)) {
        Of(a, dirFd);
        Of(b, dirFd);
    }
    return order;
}

void ChildTypes::Tell(std::size_t count, const std::function<bool(std::size_t, ItemView&)>& itemAt, int dirFd,
                      unsigned threads)
{
    // The items are told in runs on the pool (names, links and the files
    // whose content decides alike); the calling thread only keeps the
    // answers, all at once.
    constexpr std::size_t kRun = 256;
    std::vector<const std::string*> told(count, nullptr);
    std::atomic<std::size_t> nextRun{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (std::size_t run; (run = nextRun.fetch_add(1)) * kRun < count;) {
            for (std::size_t i = run * kRun; i < std::min(count, (run + 1) * kRun); ++i) {
                ItemView item;
                if (!itemAt(i, item))
                    continue;
                {
                    std::shared_lock lock(Table_->mutex);
                    if (Table_->Find(item) >= 0)
                        continue;
                }
                try {
                    told[i] = TellChildType(item, dirFd);
                } catch (...) {
                    failed = true; // told again below, where the failure reaches the caller
                }
            }
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers =
        std::min<std::size_t>(threads == 0 ? cores : std::min(threads, cores), (count + kRun - 1) / kRun);
    if (workers <= 1) {
        work();
    } else {
        std::vector<std::thread> pool;
        pool.reserve(workers);
        try {
            for (std::size_t w = 0; w < workers; ++w)
                pool.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than asked: those there are do the work.
        }
        if (pool.empty())
            work();
        for (std::thread& thread : pool)
            thread.join();
    }
    if (failed) {
        for (std::size_t i = 0; i < count; ++i)
            if (ItemView item; !told[i] && itemAt(i, item))
                told[i] = TellChildType(item, dirFd);
    }
    std::unique_lock lock(Table_->mutex);
    for (std::size_t i = 0; i < count; ++i)
        if (ItemView item; told[i] && itemAt(i, item))
            Table_->Keep(item, told[i]);
}

namespace testing {
std::size_t FileTypeLookUps()
{
    return TypeNames().LookUps();
}
void ForgetFileTypesRead()
{
    TypeNames().ForgetFiles();
}
} // namespace testing

namespace {

// A locale's short date-and-time format taken apart once, so that a folder
// of many items formats its times without QDateTime or the format parser.
// Formats holding anything it does not know (time zones, fractions of a
// second, other digits) go to QLocale; so does any locale where a check of
// sample times against QLocale finds a difference.
class DateTimeFormat {
public:
    explicit DateTimeFormat(const QLocale& locale)
        : Locale_(locale), Format_(locale.dateTimeFormat(QLocale::ShortFormat))
    {
        Own_ = Parse() && Agrees();
    }

    std::string Text(std::int64_t msecs) const
    {
        if (!Own_)
            return Locale_.toString(QDateTime::fromMSecsSinceEpoch(msecs), Format_).toStdString();
        return Own(msecs);
    }

private:
    enum class Field {
        Literal,
        Day,
        Day2,
        DayName,
        DayLongName,
        Month,
        Month2,
        MonthName,
        MonthLongName,
        Year2,
        Year4,
        Hour,
        Hour2,
        Hour24,
        Hour24Two,
        Minute,
        Minute2,
        Second,
        Second2,
        AmPmUpper,
        AmPmLower,
    };
    struct Piece {
        Field field = Field::Literal;
        std::string text;
    };

    // Qt's format letters: runs of one letter make a field; '...' is
    // literal text, '' a quote; other characters stand for themselves.
    bool Parse()
    {
        if (Locale_.zeroDigit() != QStringLiteral("0"))
            return false;
        const std::u16string format = Format_.toStdU16String();
        bool twelveHour = false;
        for (std::size_t i = 0; i < format.size();) {
            const char16_t c = format[i];
            std::size_t run = 1;
            while (i + run < format.size() && format[i + run] == c)
                ++run;
            Piece piece;
            if (c == u'\'') {
                std::size_t end = i + 1;
                std::u16string literal;
                for (;; ++end) {
                    if (end >= format.size())
                        return false;
                    if (format[end] == u'\'') {
                        if (end + 1 < format.size() && format[end + 1] == u'\'') {
                            literal.push_back(u'\'');
                            ++end;
                            continue;
                        }
                        break;
                    }
                    literal.push_back(format[end]);
                }
                if (end == i + 1)
                    literal = u"'";
                piece.text = QString::fromStdU16String(literal).toStdString();
                Pieces_.push_back(piece);
                i = end + 1;
                continue;
            }
            if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
                const auto pick = [&](std::initializer_list<Field> fields) {
                    if (run > fields.size())
                        return false;
                    piece.field = *(fields.begin() + (run - 1));
                    return piece.field != Field::Literal;
                };
                bool known = false;
                switch (c) {
                case u'd':
                    known = pick({Field::Day, Field::Day2, Field::DayName, Field::DayLongName});
                    break;
                case u'M':
                    known = pick({Field::Month, Field::Month2, Field::MonthName, Field::MonthLongName});
                    break;
                case u'y':
                    known = pick({Field::Literal, Field::Year2, Field::Literal, Field::Year4});
                    break;
                case u'h':
                    known = pick({Field::Hour, Field::Hour2});
                    break;
                case u'H':
                    known = pick({Field::Hour24, Field::Hour24Two});
                    break;
                case u'm':
                    known = pick({Field::Minute, Field::Minute2});
                    break;
                case u's':
                    known = pick({Field::Second, Field::Second2});
                    break;
                case u'A':
                case u'a': {
                    // "AP"/"A" upper case, "ap"/"a" lower case.
                    const char16_t p = c == u'A' ? u'P' : u'p';
                    if (run != 1)
                        return false;
                    piece.field = c == u'A' ? Field::AmPmUpper : Field::AmPmLower;
                    if (i + 1 < format.size() && format[i + 1] == p)
                        run = 2;
                    else if (i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P'))
                        return false;
                    twelveHour = true;
                    known = true;
                    break;
                }
                default:
                    break;
                }
                if (!known)
                    return false;
            } else {
                piece.text = QString(QChar(c)).toStdString();
                run = 1;
            }
            Pieces_.push_back(piece);
            i += run;
        }
        for (Piece& piece : Pieces_)
            if (!twelveHour && (piece.field == Field::Hour || piece.field == Field::Hour2))
                piece.field = piece.field == Field::Hour ? Field::Hour24 : Field::Hour24Two;
        for (int m = 1; m <= 12; ++m) {
            MonthNames_[m - 1] = Locale_.monthName(m, QLocale::ShortFormat).toStdString();
            MonthLongNames_[m - 1] = Locale_.monthName(m, QLocale::LongFormat).toStdString();
        }
        for (int d = 1; d <= 7; ++d) {
            DayNames_[d - 1] = Locale_.dayName(d, QLocale::ShortFormat).toStdString();
            DayLongNames_[d - 1] = Locale_.dayName(d, QLocale::LongFormat).toStdString();
        }
        AmUpper_ = Locale_.amText().toUpper().toStdString();
        PmUpper_ = Locale_.pmText().toUpper().toStdString();
        AmLower_ = Locale_.amText().toLower().toStdString();
        PmLower_ = Locale_.pmText().toLower().toStdString();
        return true;
    }

    // Times across a year and a day, both halves of the day, one- and
    // two-digit fields, old and new years.
    bool Agrees() const
    {
        for (int i = 0; i < 40; ++i) {
            const std::int64_t msecs = (std::int64_t{86400} * 397 * i + 3600 * (i % 24) + 61 * i) * 1000 -
                                       std::int64_t{86400} * 365 * 1000 * 12;
            if (Own(msecs) != Locale_.toString(QDateTime::fromMSecsSinceEpoch(msecs), Format_).toStdString())
                return false;
        }
        return true;
    }

    static void Number(std::string& out, int value, int width)
    {
        char digits[16];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0 && n < 15);
        for (int pad = n; pad < width; ++pad)
            out.push_back('0');
        while (n > 0)
            out.push_back(digits[--n]);
    }

    std::string Own(std::int64_t msecs) const
    {
        const std::int64_t seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
        const time_t t = static_cast<time_t>(seconds);
        struct tm tm {};
        if (!::localtime_r(&t, &tm))
            return Locale_.toString(QDateTime::fromMSecsSinceEpoch(msecs), Format_).toStdString();
        std::string out;
        out.reserve(32);
        const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
        const int year = tm.tm_year + 1900;
        for (const Piece& piece : Pieces_) {
            switch (piece.field) {
            case Field::Literal:
                out += piece.text;
                break;
            case Field::Day:
            case Field::Day2:
                Number(out, tm.tm_mday, piece.field == Field::Day2 ? 2 : 1);
                break;
            case Field::DayName:
                out += DayNames_[(tm.tm_wday + 6) % 7];
                break;
            case Field::DayLongName:
                out += DayLongNames_[(tm.tm_wday + 6) % 7];
                break;
            case Field::Month:
            case Field::Month2:
                Number(out, tm.tm_mon + 1, piece.field == Field::Month2 ? 2 : 1);
                break;
            case Field::MonthName:
                out += MonthNames_[tm.tm_mon];
                break;
            case Field::MonthLongName:
                out += MonthLongNames_[tm.tm_mon];
                break;
            case Field::Year2:
                Number(out, ((year % 100) + 100) % 100, 2);
                break;
            case Field::Year4:
                if (year < 0 || year > 9999)
                    return Locale_.toString(QDateTime::fromMSecsSinceEpoch(msecs), Format_).toStdString();
                Number(out, year, 4);
                break;
            case Field::Hour:
            case Field::Hour2:
                Number(out, hour12, piece.field == Field::Hour2 ? 2 : 1);
                break;
            case Field::Hour24:
            case Field::Hour24Two:
                Number(out, tm.tm_hour, piece.field == Field::Hour24Two ? 2 : 1);
                break;
            case Field::Minute:
            case Field::Minute2:
                Number(out, tm.tm_min, piece.field == Field::Minute2 ? 2 : 1);
                break;
            case Field::Second:
            case Field::Second2:
                Number(out, tm.tm_sec, piece.field == Field::Second2 ? 2 : 1);
                break;
            case Field::AmPmUpper:
                out += tm.tm_hour < 12 ? AmUpper_ : PmUpper_;
                break;
            case Field::AmPmLower:
                out += tm.tm_hour < 12 ? AmLower_ : PmLower_;
                break;
            }
        }
        return out;
    }

    QLocale Locale_;
    QString Format_;
    bool Own_ = false;
    std::vector<Piece> Pieces_;
    std::array<std::string, 12> MonthNames_, MonthLongNames_;
    std::array<std::string, 7> DayNames_, DayLongNames_;
    std::string AmUpper_, PmUpper_, AmLower_, PmLower_;
};

} // namespace

struct FileSystemColumnTexts::Formats {
    QLocale locale;
    DateTimeFormat dateTime{locale};
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
        return Formats_->dateTime.Text(item.stat.mtimeNs / 1000000);
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
