// Listing a realistic folder through the namespace as a shell list does it,
// phase by phase in the order the list runs them, each timed apart: set-up
// (desktop, parse, bind), EnumObjects and Next, GetAttributesOf with the mask
// a list asks, GetDisplayNameOf(SHGDN_INFOLDER) of every item, the sort by
// name through CompareIDs(0), re-sorts by date and by size, the sort by type
// (the items typed ahead, content read on a bounded pool, then
// CompareIDs(2)), and the size/type/date texts.
//
// Against it, in the same process and run, the floor: the fastest plain code
// that produces what the list needs, so that any ratio above 1 is the
// namespace's own cost. getdents64 into one name arena (no allocation per
// entry), statx of the fields the list shows (type, mode, size, time; links
// followed once to tell folders), then folders first and the natural order
// under the namespace's rules (ASCII letters folded, other characters
// case-folded, digit runs by value, a digit run against anything else as
// '0', ties by bytes) over an array of indices with std::sort, and re-sorts
// of the same array by time and by size with names breaking ties. No code
// that lists and sorts a folder can skip any of these steps, and none of
// them does more than its result needs. The floor's order is checked
// against the namespace's, name for name.
//
// The first pass runs in a fresh process with nothing of the shell used
// before it, as a person opening a dialog gets it; a warm pass in that
// process follows and is printed apart. Each figure is the median of the
// fresh processes (--repetitions, 5 by default). The folders (100,000 and
// 1,000,000 entries) are made once under the build tree.
//
//   bench_enum_folder [--entries=100000,1000000] [--repetitions=5] [--no-qt]
//                     [google-benchmark flags]
//
// After the table, Google Benchmark times warm in-process listing and the
// floor at 100,000 entries.

#include "FreshProcess.h"

#include "com/TaskAllocator.h"
#include "com/Unknown.h"
#include "shell32/Folders.h"
#include "shell32/ShellApi.h"
#include "win32/WideText.h"

#include <QChar>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

// What a shell list asks of every item it adds.
constexpr ULONG kListAttributes = 0xF20B0000;
// Bumped whenever the folder maker changes what it makes.
constexpr int kFolderFormat = 4;

using Clock = std::chrono::steady_clock;

using kwbench::Since;

// ---- The folder ----

std::string FolderPath(std::size_t entries)
{
    return std::string(KW_BENCH_DATA_DIR) + "/folder-" + std::to_string(entries);
}

// A small deterministic generator (splitmix64).
class Random {
public:
    explicit Random(std::uint64_t seed) : State_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (State_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

private:
    std::uint64_t State_;
};

void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_enum_folder: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

// What a file without a suffix holds: only its content tells its type.
const std::string& SuffixlessContent(std::size_t kind)
{
    static const std::string kContents[] = {
        "Plain notes, a line of text.\nAnd another one.\n",
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0", 29),
        std::string(),
        "#!/bin/sh\necho hello\n",
        std::string("\x7f"
                    "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3e\0",
                    20),
    };
    return kContents[kind % std::size(kContents)];
}

// 10% folders (a tenth of them holding a folder of their own), 3% symbolic
// links, 5% files without a suffix (text, PNG, empty, script, executable),
// one desktop entry in 20,000, the rest sparse files of 0 to 64 KiB with a
// suffix the MIME database knows (so that the files without one are those
// whose content is read to tell their type); 2% hidden names; names with digit runs, mixed case and some
// UTF-8; modification times spread over ten years.
void MakeFolder(std::size_t entries)
{
    const std::string dir = FolderPath(entries);
    const std::string marker = dir + ".ready";
    {
        std::ifstream in(marker);
        int format = 0;
        if (in >> format && format == kFolderFormat)
            return;
    }
    std::fprintf(stderr, "making %s ...\n", dir.c_str());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    static const char* const kStems[] = {"report", "IMG_",    "Photo",   "notes",  "Übersicht", "résumé",
                                         "данные", "写真",    "track",   "Backup", "invoice",   "Draft",
                                         "scan",   "project", "Summary", "build",  "song",      "Straße"};
    static const char* const kSuffixes[] = {".txt", ".jpg",    ".png",  ".pdf", ".mp3", ".cpp",
                                            ".h",   ".tar.gz", ".odt",  ".zip", ".JPG", ".md",
                                            ".log", ".csv",    ".html", ".wav"};
    Random random(20240229);
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        Fail(dir);
    const std::int64_t base = 1420070400; // 2015-01-01
    std::vector<std::string> names;
    names.reserve(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t kind = i % 100;
        std::string name;
        if (i % 50 == 7)
            name = ".";
        if (i % 20000 == 13) {
            name += "application-" + std::to_string(i) + ".desktop";
        } else {
            name += kStems[random.Below(std::size(kStems))];
            if (random.Below(3) == 0)
                name += " ";
            name += std::to_string(random.Below(random.Below(2) ? 100 : 100000));
            name += '-';
            name += std::to_string(i);
            if (kind >= 18)
                name += kSuffixes[random.Below(std::size(kSuffixes))];
        }
        if (i % 20000 == 13) {
            const std::string text = "[Desktop Entry]\nType=Application\nName=Application " +
                                     std::to_string(i) + "\nExec=/bin/true\n";
            const int fd = ::openat(dirFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
                Fail(name);
            ::close(fd);
        } else if (kind < 10) {
            if (::mkdirat(dirFd, name.c_str(), 0755) != 0)
                Fail(name);
            if (random.Below(10) == 0) {
                const std::string inner = name + "/inner";
                if (::mkdirat(dirFd, inner.c_str(), 0755) != 0)
                    Fail(inner);
            }
        } else if (kind < 13 && !names.empty()) {
            const std::string& target = names[random.Below(names.size())];
            if (::symlinkat(target.c_str(), dirFd, name.c_str()) != 0)
                Fail(name);
        } else if (kind < 18) {
            const std::string& content = SuffixlessContent(kind - 13);
            const int fd = ::openat(dirFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
                Fail(name);
            ::close(fd);
        } else {
            const int fd = ::openat(dirFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                Fail(name);
            const off_t size = random.Below(10) == 0 ? 0 : static_cast<off_t>(random.Below(64 * 1024 + 1));
            if (::ftruncate(fd, size) != 0)
                Fail(name);
            ::close(fd);
        }
        const std::int64_t seconds = base + static_cast<std::int64_t>(random.Below(10ull * 365 * 86400));
        const struct timespec times[2] = {{seconds, 0},
                                          {seconds, static_cast<long>(random.Below(1000000000))}};
        if (::utimensat(dirFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            Fail(name);
        names.push_back(std::move(name));
    }
    ::close(dirFd);
    std::ofstream(marker) << kFolderFormat << "\n";
}

// ---- The floor: getdents64 + statx into one arena, natural-order sorts ----

struct Dirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// One entry as the floor keeps it: its name is bytes of the arena.
struct FloorEntry {
    std::uint32_t name = 0; // offset in the arena
    std::uint16_t length = 0;
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
};

struct FloorList {
    std::vector<char> arena;
    std::vector<FloorEntry> entries;
    std::string_view Name(std::uint32_t i) const
    {
        return {arena.data() + entries[i].name, entries[i].length};
    }
};

bool IsDigit(unsigned char c)
{
    return c - '0' < 10u;
}

// One UTF-8 character at i (advancing i), folded; an invalid byte stands
// for itself above the surrogates' low half, as the namespace reads it.
char32_t FoldedCharacter(const unsigned char* s, std::size_t n, std::size_t& i)
{
    const unsigned char lead = s[i];
    std::size_t length = lead >= 0xF0 ? (lead < 0xF8 ? 4 : 0) : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t cp = lead & (0x7F >> length);
    bool valid = length != 0 && i + length <= n;
    for (std::size_t k = 1; valid && k < length; ++k) {
        valid = (s[i + k] & 0xC0) == 0x80;
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xDC00 + lead;
    }
    i += length;
    return QChar::toCaseFolded(cp);
}

// What one step of the comparison reads at i (advancing i): a digit run
// reads as '0' (it meets no other run here), a letter folded.
char32_t Character(const unsigned char* s, std::size_t n, std::size_t& i)
{
    const unsigned char c = s[i];
    if (IsDigit(c)) {
        while (i < n && IsDigit(s[i]))
            ++i;
        return U'0';
    }
    if (c < 0x80) {
        ++i;
        return c - 'A' < 26u ? c + 32 : c;
    }
    return FoldedCharacter(s, n, i);
}

// The natural order as plain code: skip the bytes both names share (eight
// at a time), step back to the start of the digit run or character they
// part in, then compare folded characters and digit runs by value; ties by
// bytes.
int FloorCompare(std::string_view x, std::string_view y)
{
    const auto* a = reinterpret_cast<const unsigned char*>(x.data());
    const auto* b = reinterpret_cast<const unsigned char*>(y.data());
    const std::size_t na = x.size();
    const std::size_t nb = y.size();
    const std::size_t shorter = std::min(na, nb);
    std::size_t i = 0;
    for (; i + 8 <= shorter; i += 8) {
        std::uint64_t u;
        std::uint64_t v;
        std::memcpy(&u, a + i, 8);
        std::memcpy(&v, b + i, 8);
        if (u != v) {
            i += static_cast<std::size_t>(std::countr_zero(u ^ v) / 8);
            break;
        }
    }
    while (i < shorter && a[i] == b[i])
        ++i;
    if (i == na && i == nb)
        return 0;
    if (i > 0 && IsDigit(a[i - 1])) {
        while (i > 0 && IsDigit(a[i - 1]))
            --i;
    } else {
        std::size_t k = i;
        while (k > 0 && i - k < 3 && (a[k - 1] & 0xC0) == 0x80)
            --k;
        if (k > 0 && a[k - 1] >= 0xC0)
            i = k - 1;
    }
    std::size_t j = i;
    while (i < na && j < nb) {
        const unsigned char p = a[i];
        const unsigned char q = b[j];
        const bool pd = IsDigit(p);
        const bool qd = IsDigit(q);
        if (p < 0x80 && q < 0x80 && !pd && !qd) {
            const unsigned char fp = p - 'A' < 26u ? p + 32 : p;
            const unsigned char fq = q - 'A' < 26u ? q + 32 : q;
            if (fp != fq)
                return fp < fq ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        if (pd && qd) {
            while (i < na && a[i] == '0')
                ++i;
            while (j < nb && b[j] == '0')
                ++j;
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < na && IsDigit(a[ei]))
                ++ei;
            while (ej < nb && IsDigit(b[ej]))
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            if (const int c = std::memcmp(a + i, b + j, ei - i))
                return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const char32_t cp = Character(a, na, i);
        const char32_t cq = Character(b, nb, j);
        if (cp != cq)
            return cp < cq ? -1 : 1;
    }
    if (i < na || j < nb)
        return i < na ? 1 : -1;
    const int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

struct FloorTimes {
    double read = 0;       // getdents64 + statx
    double sortNames = 0;  // folders first, natural order
    double resortDate = 0; // from the name order: folders first, time, name
    double resortSize = 0; // from the name order: folders first, size, name
    std::size_t count = 0;
};

FloorList FloorRead(const std::string& path)
{
    FloorList list;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail(path);
    alignas(Dirent64) static char buffer[256 * 1024];
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (read <= 0)
            break;
        for (long offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const Dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            struct statx sx {};
            if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT,
                      STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME, &sx) != 0)
                continue;
            bool folder = S_ISDIR(sx.stx_mode);
            if (S_ISLNK(sx.stx_mode)) {
                struct statx target {};
                folder = statx(fd, name, AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &target) == 0 &&
                         S_ISDIR(target.stx_mode);
            }
            const std::size_t length = std::strlen(name);
            FloorEntry kept;
            kept.name = static_cast<std::uint32_t>(list.arena.size());
            kept.length = static_cast<std::uint16_t>(length);
            kept.folder = folder;
            kept.size = sx.stx_size;
            kept.mtimeNs = std::int64_t{sx.stx_mtime.tv_sec} * 1000000000 + sx.stx_mtime.tv_nsec;
            list.arena.insert(list.arena.end(), name, name + length);
            list.entries.push_back(kept);
        }
    }
    ::close(fd);
    return list;
}

// The floor's order by name, kept for the check against the namespace's.
std::vector<std::uint32_t> FloorSortByName(const FloorList& list)
{
    std::vector<std::uint32_t> order(list.entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        const FloorEntry& a = list.entries[x];
        const FloorEntry& b = list.entries[y];
        if (a.folder != b.folder)
            return a.folder;
        return FloorCompare(list.Name(x), list.Name(y)) < 0;
    });
    return order;
}

// Seconds to sort order by folders first, then key, then name.
template <typename Key>
double FloorResort(const FloorList& list, std::vector<std::uint32_t> order, Key key)
{
    const auto start = Clock::now();
    std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        const FloorEntry& a = list.entries[x];
        const FloorEntry& b = list.entries[y];
        if (a.folder != b.folder)
            return a.folder;
        if (key(a) != key(b))
            return key(a) < key(b);
        return FloorCompare(list.Name(x), list.Name(y)) < 0;
    });
    const double seconds = Since(start);
    benchmark::DoNotOptimize(order.data());
    return seconds;
}

FloorTimes FloorPass(const std::string& path, std::vector<std::string>* names = nullptr)
{
    FloorTimes times;
    auto start = Clock::now();
    const FloorList list = FloorRead(path);
    times.read = Since(start);
    start = Clock::now();
    const std::vector<std::uint32_t> byName = FloorSortByName(list);
    times.sortNames = Since(start);
    // Re-sorts start from the name order, as a list's do; the keys are the
    // namespace's: folders first, then the column (folders have no size),
    // then the names.
    times.resortDate = FloorResort(list, byName, [](const FloorEntry& e) { return e.mtimeNs; });
    times.resortSize = FloorResort(list, byName, [](const FloorEntry& e) { return e.folder ? 0 : e.size; });
    times.count = list.entries.size();
    if (names) {
        names->clear();
        for (std::uint32_t i : byName)
            names->emplace_back(list.Name(i));
    }
    return times;
}

// ---- Through the namespace ----

enum Phase {
    kSetUp,
    kEnumerate,
    kAttributes,
    kNames,
    kSortByName,
    kResortByDate,
    kResortBySize,
    kTyping,
    kSortByType,
    kTexts,
    kPhaseCount
};

struct ShellTimes {
    double phase[kPhaseCount] = {};
    double memoryListed = 0; // bytes an entry once listed and sorted by name
    double memoryAll = 0;    // after every phase
    std::size_t count = 0;
    double Listed() const
    {
        return phase[kSetUp] + phase[kEnumerate] + phase[kAttributes] + phase[kNames] + phase[kSortByName];
    }
    double TypeSort() const { return phase[kTyping] + phase[kSortByType]; }
};

std::u16string TakeStrRet(STRRET& text)
{
    if (text.uType == STRRET_WSTR) {
        std::u16string wide(text.pOleStr);
        CoTaskMemFree(text.pOleStr);
        return wide;
    }
    return win32::BytesToWide(text.cStr);
}

// What a list keeps of a display name: the text as it came.
std::string KeepStrRet(STRRET& text)
{
    if (text.uType == STRRET_WSTR) {
        std::string bytes = win32::WideToBytes(text.pOleStr);
        CoTaskMemFree(text.pOleStr);
        return bytes;
    }
    return text.cStr;
}

long StatusKilobytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, length, field) == 0)
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return 0;
}

// One pass as the list runs it; the list keeps its items and their names.
// sortedNames, when given, receives the names in the order sorted by name.
ShellTimes ShellPass(const std::string& path, std::vector<std::string>* sortedNames = nullptr)
{
    ShellTimes times;
    const long rssBefore = StatusKilobytes("VmRSS");
    auto start = Clock::now();
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        Fail("SHGetDesktopFolder");
    std::u16string wide = win32::BytesToWide(path);
    LPITEMIDLIST folderList = nullptr;
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &folderList, nullptr)) ||
        FAILED(
            desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        Fail("bind " + path);
    IShellDetails* details = nullptr;
    if (FAILED(folder->CreateViewObject(nullptr, IID_IShellDetails, reinterpret_cast<void**>(&details))))
        Fail("details");
    times.phase[kSetUp] = Since(start);

    start = Clock::now();
    IEnumIDList* enumerator = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                            &enumerator) != S_OK)
        Fail("enumerate");
    std::vector<LPITEMIDLIST> items;
    LPITEMIDLIST batch[64];
    ULONG fetched = 0;
    while (SUCCEEDED(enumerator->Next(64, batch, &fetched)) && fetched > 0)
        items.insert(items.end(), batch, batch + fetched);
    enumerator->Release();
    times.phase[kEnumerate] = Since(start);

    start = Clock::now();
    std::vector<ULONG> attributes(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        LPCITEMIDLIST one = items[i];
        attributes[i] = kListAttributes;
        folder->GetAttributesOf(1, &one, &attributes[i]);
    }
    times.phase[kAttributes] = Since(start);

    start = Clock::now();
    std::vector<std::string> names(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        STRRET text{};
        if (SUCCEEDED(folder->GetDisplayNameOf(items[i], SHGDN_INFOLDER, &text)))
            names[i] = KeepStrRet(text);
    }
    times.phase[kNames] = Since(start);

    const auto sortBy = [&](LPARAM column) {
        std::sort(items.begin(), items.end(), [&](LPITEMIDLIST a, LPITEMIDLIST b) {
            return static_cast<short>(HRESULT_CODE(folder->CompareIDs(column, a, b))) < 0;
        });
    };
    start = Clock::now();
    sortBy(0);
    times.phase[kSortByName] = Since(start);
    const long listedKilobytes = StatusKilobytes("VmHWM");

    const std::vector<LPITEMIDLIST> byName = items;

    start = Clock::now();
    sortBy(3);
    times.phase[kResortByDate] = Since(start);
    items = byName;
    start = Clock::now();
    sortBy(1);
    times.phase[kResortBySize] = Since(start);

    // By type: every type told first, the content of the files whose names
    // do not tell read on the pool, then the comparisons take what was told.
    items = byName;
    start = Clock::now();
    if (FAILED(shell32::TypeChildren(folder, static_cast<UINT>(items.size()), items.data())))
        Fail("typing");
    times.phase[kTyping] = Since(start);
    start = Clock::now();
    sortBy(2);
    times.phase[kSortByType] = Since(start);

    start = Clock::now();
    std::size_t characters = 0;
    for (LPITEMIDLIST item : items)
        for (UINT column = 1; column <= 3; ++column) {
            SHELLDETAILS text{};
            if (SUCCEEDED(details->GetDetailsOf(item, column, &text)))
                characters += TakeStrRet(text.str).size();
        }
    times.phase[kTexts] = Since(start);
    benchmark::DoNotOptimize(characters);

    times.count = items.size();
    if (!items.empty()) {
        const double entries = static_cast<double>(items.size());
        times.memoryListed = (listedKilobytes - rssBefore) * 1024.0 / entries;
        times.memoryAll = (StatusKilobytes("VmHWM") - rssBefore) * 1024.0 / entries;
    }
    // The order by name as names, for the check against the floor's: after
    // the figures, which it would change.
    if (sortedNames) {
        sortedNames->clear();
        for (LPITEMIDLIST item : byName) {
            STRRET text{};
            folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &text);
            sortedNames->push_back(KeepStrRet(text));
        }
    }
    for (LPITEMIDLIST item : items)
        CoTaskMemFree(item);
    details->Release();
    folder->Release();
    CoTaskMemFree(folderList);
    desktop->Release();
    return times;
}

// ---- QFileSystemModel: until its rows are all there and stay put ----

struct QtTimes {
    double listed = 0;
    double memoryPerEntry = 0;
    std::size_t count = 0;
};

QtTimes QtPass(const std::string& path, std::size_t expected)
{
    QtTimes times;
    const long rssBefore = StatusKilobytes("VmRSS");
    QFileSystemModel model;
    model.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    QElapsedTimer clock;
    clock.start();
    qint64 lastChange = 0;
    const auto changed = [&] { lastChange = clock.nsecsElapsed(); };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, changed);
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, changed);
    const QModelIndex root = model.setRootPath(QString::fromStdString(path));
    model.sort(0);
    // Stable: every entry is there and nothing moved for half a second.
    while (clock.nsecsElapsed() < 300'000'000'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (static_cast<std::size_t>(model.rowCount(root)) >= expected &&
            clock.nsecsElapsed() - lastChange > 500'000'000)
            break;
    }
    times.listed = lastChange / 1e9;
    times.count = static_cast<std::size_t>(model.rowCount(root));
    times.memoryPerEntry = (StatusKilobytes("VmHWM") - rssBefore) * 1024.0 / static_cast<double>(expected);
    return times;
}

// ---- Fresh processes ----

std::vector<double> RunChild(const std::string& args)
{
    return kwbench::RunFreshProcess(args);
}

constexpr std::size_t kShellNumbers = kPhaseCount + 3;
constexpr std::size_t kFloorNumbers = 5;

void PutShell(std::vector<double>& n, const ShellTimes& t)
{
    n.insert(n.end(), std::begin(t.phase), std::end(t.phase));
    n.push_back(t.memoryListed);
    n.push_back(t.memoryAll);
    n.push_back(static_cast<double>(t.count));
}

ShellTimes ShellFromNumbers(const std::vector<double>& n, std::size_t at)
{
    ShellTimes t;
    for (int p = 0; p < kPhaseCount; ++p)
        t.phase[p] = n.at(at + p);
    t.memoryListed = n.at(at + kPhaseCount);
    t.memoryAll = n.at(at + kPhaseCount + 1);
    t.count = static_cast<std::size_t>(n.at(at + kPhaseCount + 2));
    return t;
}

void PutFloor(std::vector<double>& n, const FloorTimes& f)
{
    n.insert(n.end(), {f.read, f.sortNames, f.resortDate, f.resortSize, static_cast<double>(f.count)});
}

FloorTimes FloorFromNumbers(const std::vector<double>& n, std::size_t at)
{
    FloorTimes f;
    f.read = n.at(at);
    f.sortNames = n.at(at + 1);
    f.resortDate = n.at(at + 2);
    f.resortSize = n.at(at + 3);
    f.count = static_cast<std::size_t>(n.at(at + 4));
    return f;
}

// The child: a first pass (nothing of the shell used before it), the
// floor, a second pass, the floor again; then whether the two orders by
// name agree. Prints the numbers.
int ChildShell(const std::string& path)
{
    std::vector<std::string> shellOrder;
    std::vector<std::string> floorOrder;
    const ShellTimes first = ShellPass(path, &shellOrder);
    const FloorTimes floor1 = FloorPass(path, &floorOrder);
    const ShellTimes second = ShellPass(path);
    const FloorTimes floor2 = FloorPass(path);
    std::vector<double> numbers;
    PutShell(numbers, first);
    PutShell(numbers, second);
    PutFloor(numbers, floor1);
    PutFloor(numbers, floor2);
    std::size_t differ =
        shellOrder.size() == floorOrder.size() ? 0 : std::max(shellOrder.size(), floorOrder.size());
    for (std::size_t i = 0; differ == 0 && i < shellOrder.size(); ++i)
        if (shellOrder[i] != floorOrder[i]) {
            std::fprintf(stderr, "orders part at %zu: namespace \"%s\", floor \"%s\"\n", i,
                         shellOrder[i].c_str(), floorOrder[i].c_str());
            differ = shellOrder.size() - i;
        }
    numbers.push_back(static_cast<double>(differ));
    for (double n : numbers)
        std::printf("%.9g\n", n);
    return 0;
}

int ChildQt(int argc, char** argv, const std::string& path, std::size_t expected)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QtTimes t = QtPass(path, expected);
    std::printf("%.9g\n%.9g\n%.9g\n", t.listed, t.memoryPerEntry, static_cast<double>(t.count));
    return 0;
}

using kwbench::Median;

struct Row {
    std::string phase;
    double first = 0;
    double warm = 0;
    double floor = -1;    // none when negative
    double ratioGoal = 0; // first / floor at most this (0: none)
    double goal = 0;      // first at most this many seconds (0: none)
    std::string goalText;
};

void PrintRow(const Row& row)
{
    std::printf("%-36s %9.4f %9.4f ", row.phase.c_str(), row.first, row.warm);
    const double ratio = row.floor > 0 ? row.first / row.floor : 0;
    if (row.floor >= 0)
        std::printf("%9.4f %7.2f ", row.floor, ratio);
    else
        std::printf("%9s %7s ", "", "");
    const char* met = "";
    if (row.ratioGoal > 0)
        met = ratio <= row.ratioGoal ? "met" : "NOT MET";
    else if (row.goal > 0)
        met = row.first <= row.goal ? "met" : "NOT MET";
    std::printf(" %-22s %s\n", row.goalText.c_str(), met);
}

void PrintTable(std::size_t entries, int repetitions, bool withQt)
{
    const std::string path = FolderPath(entries);
    FloorPass(path); // the kernel's caches warm, as the goals ask
    std::vector<ShellTimes> firsts;
    std::vector<ShellTimes> warms;
    std::vector<FloorTimes> floors;
    double orderDiffers = 0;
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> n = RunChild("--child-shell=" + std::to_string(entries));
        firsts.push_back(ShellFromNumbers(n, 0));
        warms.push_back(ShellFromNumbers(n, kShellNumbers));
        floors.push_back(FloorFromNumbers(n, 2 * kShellNumbers));
        floors.push_back(FloorFromNumbers(n, 2 * kShellNumbers + kFloorNumbers));
        orderDiffers = std::max(orderDiffers, n.at(2 * kShellNumbers + 2 * kFloorNumbers));
    }
    const auto median = [](const auto& runs, auto field) {
        std::vector<double> values;
        for (const auto& t : runs)
            values.push_back(field(t));
        return Median(values);
    };
    const auto phase = [&](Phase p, const std::string& name) {
        Row row;
        row.phase = name;
        row.first = median(firsts, [p](const ShellTimes& t) { return t.phase[p]; });
        row.warm = median(warms, [p](const ShellTimes& t) { return t.phase[p]; });
        return row;
    };
    const double floorRead = median(floors, [](const FloorTimes& f) { return f.read; });
    const double floorSort = median(floors, [](const FloorTimes& f) { return f.sortNames; });
    const bool hundredThousand = entries == 100000;

    std::vector<Row> rows;
    rows.push_back(phase(kSetUp, "set-up (desktop, parse, bind)"));
    Row row = phase(kEnumerate, "EnumObjects + Next");
    row.floor = floorRead;
    row.goalText = "floor: getdents64+statx";
    rows.push_back(row);
    rows.push_back(phase(kAttributes, "GetAttributesOf 0xF20B0000"));
    rows.push_back(phase(kNames, "GetDisplayNameOf INFOLDER"));
    row = phase(kSortByName, "sort by name, CompareIDs(0)");
    row.floor = floorSort;
    row.ratioGoal = 1.3;
    row.goalText = "<= 1.3x floor's sort";
    rows.push_back(row);
    row = Row{"= listed and sorted by name",
              median(firsts, [](const ShellTimes& t) { return t.Listed(); }),
              median(warms, [](const ShellTimes& t) { return t.Listed(); }),
              floorRead + floorSort,
              1.5,
              0,
              "<= 1.5x floor"};
    rows.push_back(row);
    row = phase(kResortByDate, "re-sort by date, CompareIDs(3)");
    row.floor = median(floors, [](const FloorTimes& f) { return f.resortDate; });
    row.ratioGoal = 3;
    row.goalText = "<= 3x floor's re-sort";
    rows.push_back(row);
    row = phase(kResortBySize, "re-sort by size, CompareIDs(1)");
    row.floor = median(floors, [](const FloorTimes& f) { return f.resortSize; });
    row.ratioGoal = 3;
    row.goalText = "<= 3x floor's re-sort";
    rows.push_back(row);
    rows.push_back(phase(kTyping, "  typing (content read on the pool)"));
    rows.push_back(phase(kSortByType, "  CompareIDs(2) sort"));
    row = Row{"sort by type",
              median(firsts, [](const ShellTimes& t) { return t.TypeSort(); }),
              median(warms, [](const ShellTimes& t) { return t.TypeSort(); }),
              -1,
              0,
              hundredThousand ? 0.5 : 0.0,
              hundredThousand ? "<= 0.5 s" : ""};
    rows.push_back(row);
    rows.push_back(phase(kTexts, "size/type/date texts, all rows"));

    const std::size_t count = firsts.empty() ? 0 : firsts.front().count;
    std::printf("\n%zu entries listed (%zu expected), median of %d fresh processes; seconds\n", count,
                entries, repetitions);
    std::printf("%-36s %9s %9s %9s %7s  %-22s %s\n", "phase", "first", "warm", "floor", "ratio", "goal",
                "met");
    for (const Row& r : rows)
        PrintRow(r);
    const double memoryListed = median(firsts, [](const ShellTimes& t) { return t.memoryListed; });
    const double memoryAll = median(firsts, [](const ShellTimes& t) { return t.memoryAll; });
    std::printf("%-36s %9.0f %9s %9s %7s  %-22s %s\n", "peak memory, listed, bytes/entry", memoryListed, "",
                "", "", "<= 250", memoryListed <= 250 ? "met" : "NOT MET");
    std::printf("%-36s %9.0f %9s %9s %7s  %-22s %s\n", "peak memory, all phases, bytes/entry", memoryAll, "",
                "", "", "<= 250", memoryAll <= 250 ? "met" : "NOT MET");
    std::printf("order by name, namespace against floor: %s\n",
                orderDiffers == 0 ? "the same" : "DIFFERENT (see the children's messages)");
    if (withQt) {
        std::vector<double> qtListed, qtMemory;
        std::size_t qtCount = 0;
        for (int r = 0; r < std::min(repetitions, 3); ++r) {
            const std::vector<double> n = RunChild("--child-qt=" + std::to_string(entries));
            qtListed.push_back(n.at(0));
            qtMemory.push_back(n.at(1));
            qtCount = static_cast<std::size_t>(n.at(2));
        }
        const double qt = Median(qtListed);
        const double listed = rows[5].first;
        std::printf("QFileSystemModel (hidden shown, rows stable): %.3f s for %zu rows, %.0f bytes/entry; "
                    "it / listed and sorted: %.1f\n",
                    qt, qtCount, Median(qtMemory), qt / listed);
    }
    std::fflush(stdout);
}

// ---- Warm in-process figures through Google Benchmark ----

void BM_FloorListAndSort(benchmark::State& state)
{
    const std::string path = FolderPath(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const FloorTimes t = FloorPass(path);
        state.SetIterationTime(t.read + t.sortNames);
    }
}

void BM_WarmListAndSort(benchmark::State& state)
{
    const std::string path = FolderPath(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const ShellTimes t = ShellPass(path);
        state.SetIterationTime(t.Listed());
        state.counters["by_type_s"] = t.TypeSort();
        state.counters["by_date_s"] = t.phase[kResortByDate];
    }
}

BENCHMARK(BM_FloorListAndSort)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_WarmListAndSort)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

bool TakeOption(std::string_view arg, std::string_view name, std::string& value)
{
    if (arg.substr(0, name.size()) != name)
        return false;
    value = std::string(arg.substr(name.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> sizes = {100000, 1000000};
    int repetitions = 5;
    bool withQt = true;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string value;
        const std::string_view arg = argv[i];
        if (TakeOption(arg, "--child-shell=", value))
            return ChildShell(FolderPath(std::stoul(value)));
        if (TakeOption(arg, "--child-qt=", value))
            return ChildQt(1, argv, FolderPath(std::stoul(value)), std::stoul(value));
        if (TakeOption(arg, "--entries=", value)) {
            sizes.clear();
            std::stringstream list(value);
            for (std::string item; std::getline(list, item, ',');)
                sizes.push_back(std::stoul(item));
        } else if (TakeOption(arg, "--repetitions=", value)) {
            repetitions = std::max(1, std::stoi(value));
        } else if (arg == "--no-qt") {
            withQt = false;
        } else {
            rest.push_back(argv[i]);
        }
    }
    for (std::size_t entries : sizes)
        MakeFolder(entries);
    for (std::size_t entries : sizes)
        // QFileSystemModel takes minutes at a million entries: asked at 100,000 only.
        PrintTable(entries, repetitions, withQt && entries <= 100000);

    if (std::find(sizes.begin(), sizes.end(), 100000) != sizes.end()) {
        int restCount = static_cast<int>(rest.size());
        benchmark::Initialize(&restCount, rest.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}
