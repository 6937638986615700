#include "shell32/DesktopEntry.h"

#include "shell32/FileSystem_linux.h"
#include "win32/AtomicFile.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {

namespace {

constexpr const char* kGroup = "Desktop Entry";
constexpr const char* kArgumentsKey = "X-Corvane-Arguments";
constexpr const char* kIconIndexKey = "X-Corvane-IconIndex";
constexpr const char* kShowCmdKey = "X-Corvane-ShowCmd";
constexpr const char* kHotKeyKey = "X-Corvane-HotKey";
constexpr const char* kRelativePathKey = "X-Corvane-RelativePath";
// Path belongs to programs alone: a link keeps its working directory here.
constexpr const char* kLinkWorkingDirectoryKey = "X-Corvane-WorkingDirectory";
// Desktop entries are small; anything larger is not read as one.
constexpr std::size_t kMaxEntryBytes = 1u << 20;
// What is read first to tell a desktop entry from other files.
constexpr std::size_t kHeadBytes = 4096;

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GString = std::unique_ptr<gchar, GFreeDeleter>;

std::optional<std::string> String(GKeyFile* file, const char* key)
{
    // Fails for a missing key and for text that is not UTF-8.
    GString value(g_key_file_get_string(file, kGroup, key, nullptr));
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

std::optional<long long> Integer(GKeyFile* file, const char* key)
{
    const std::optional<std::string> text = String(file, key);
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

bool IsUtf8Text(std::string_view text)
{
    return text.find('\0') == std::string_view::npos &&
           g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

bool IsFieldCode(std::string_view word)
{
    static constexpr std::string_view kCodes = "fFuUickdDnNvm";
    return word.size() == 2 && word[0] == '%' && kCodes.find(word[1]) != std::string_view::npos;
}

// "%%" becomes '%'; any other '%' sequence is kept as it is.
std::string UnescapePercent(std::string_view word)
{
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        out.push_back(word[i]);
        if (word[i] == '%' && i + 1 < word.size() && word[i + 1] == '%')
            ++i;
    }
    return out;
}

std::optional<std::string> TargetOfUrl(const std::string& url)
{
    if (url.rfind("file:", 0) != 0)
        return url;
    gchar* host = nullptr;
    GString path(g_filename_from_uri(url.c_str(), &host, nullptr));
    GString hostHolder(host);
    if (!path || (host && std::string_view(host) != "localhost"))
        return std::nullopt; // a file on another host is nothing we can reach
    return std::string(path.get());
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the first line that is neither empty nor a comment opens the
// desktop entry group: a cheap test that spares parsing files that are none.
// head is the file's start; whole says it is the whole file. When head holds
// no such line, only a longer file may still be one.
bool MayBeDesktopEntry(std::string_view head, bool whole)
{
    std::size_t pos = 0;
    while (pos < head.size()) {
        std::size_t end = head.find('\n', pos);
        const bool complete = end != std::string_view::npos;
        if (!complete)
            end = head.size();
        std::string_view line = head.substr(pos, end - pos);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            return line == "[Desktop Entry]" ||
                   (!complete && !whole && std::string_view("[Desktop Entry]").starts_with(line));
        pos = end + 1;
    }
    return !whole;
}

// Reads on from fd until text holds limit bytes or the file ends; false on
// a read error.
bool ReadAtMost(int fd, std::size_t limit, std::string& text)
{
    std::size_t used = text.size();
    text.resize(limit);
    while (used < limit) {
        const ssize_t got = ::read(fd, text.data() + used, limit - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    return true;
}

} // namespace

bool IsUrl(std::string_view text)
{
    const std::size_t colon = text.find("://");
    if (colon == std::string_view::npos || colon == 0 || !g_ascii_isalpha(text[0]))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                       [](char c) { return g_ascii_isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

std::string QuoteExecArgument(std::string_view argument)
{
    // Control bytes (form feed, carriage return, ...) are quoted as well: a
    // key-file reader takes leading white space off a value, so an unquoted
    // one at the start would be lost.
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const auto needsQuotes = [](std::string_view text) {
        for (const char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                kReserved.find(c) != std::string_view::npos)
                return true;
        return false;
    };
    std::string escaped;
    for (const char c : argument) {
        escaped.push_back(c);
        if (c == '%')
            escaped.push_back('%');
    }
    if (!argument.empty() && !needsQuotes(argument))
        return escaped;
    std::string quoted = "\"";
    for (const char c : escaped) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

std::optional<std::vector<std::string>> SplitExecLine(std::string_view exec)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (true) {
        while (pos < exec.size() && (exec[pos] == ' ' || exec[pos] == '\t' || exec[pos] == '\n'))
            ++pos;
        if (pos >= exec.size())
            return words;
        std::string word;
        while (pos < exec.size() && exec[pos] != ' ' && exec[pos] != '\t' && exec[pos] != '\n') {
            if (exec[pos] != '"') {
                word.push_back(exec[pos++]);
                continue;
            }
            ++pos; // a quoted part, escapes undone
            bool closed = false;
            while (pos < exec.size()) {
                const char c = exec[pos++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && pos < exec.size() &&
                    std::string_view("\"`$\\").find(exec[pos]) != std::string_view::npos)
                    word.push_back(exec[pos++]);
                else
                    word.push_back(c);
            }
            if (!closed)
                return std::nullopt;
        }
        words.push_back(std::move(word));
    }
}

std::vector<std::string> SplitArguments(std::string_view arguments)
{
    std::vector<std::string> result;
    std::size_t pos = 0;
    while (true) {
        while (pos < arguments.size() && (arguments[pos] == ' ' || arguments[pos] == '\t'))
            ++pos;
        if (pos >= arguments.size())
            return result;
        std::string argument;
        bool quoted = false;
        while (pos < arguments.size() && (quoted || (arguments[pos] != ' ' && arguments[pos] != '\t'))) {
            if (arguments[pos] == '"')
                quoted = !quoted;
            else
                argument.push_back(arguments[pos]);
            ++pos;
        }
        result.push_back(std::move(argument));
    }
}

std::string JoinArguments(const std::vector<std::string>& arguments)
{
    std::string joined;
    for (const std::string& argument : arguments) {
        if (!joined.empty())
            joined.push_back(' ');
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            joined += "\"" + argument + "\"";
        else
            joined += argument;
    }
    return joined;
}

std::optional<ShortcutData> ParseDesktopEntry(std::string_view text)
{
    if (text.size() > kMaxEntryBytes)
        return std::nullopt;
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_data(file.get(), text.data(), text.size(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    // The desktop entry group comes first in a desktop entry.
    GString start(g_key_file_get_start_group(file.get()));
    if (!start || std::string_view(start.get()) != kGroup)
        return std::nullopt;

    ShortcutData data;
    const std::optional<std::string> type = String(file.get(), "Type");
    if (type == "Link") {
        const std::optional<std::string> url = String(file.get(), "URL");
        if (!url || url->empty())
            return std::nullopt;
        const std::optional<std::string> target = TargetOfUrl(*url);
        if (!target || target->empty())
            return std::nullopt;
        data.target = *target;
    } else if (type == "Application") {
        const std::optional<std::string> exec = String(file.get(), "Exec");
        if (!exec)
            return std::nullopt;
        const std::optional<std::vector<std::string>> words = SplitExecLine(*exec);
        if (!words)
            return std::nullopt;
        std::vector<std::string> arguments;
        for (const std::string& word : *words) {
            if (!IsFieldCode(word))
                arguments.push_back(UnescapePercent(word));
        }
        if (arguments.empty() || arguments.front().empty())
            return std::nullopt;
        data.target = arguments.front();
        // A program named by a file URL is the local path it names, as a
        // link's URL is; one on another host is nothing we can run.
        if (data.target.rfind("file:", 0) == 0) {
            const std::optional<std::string> local = TargetOfUrl(data.target);
            if (!local || local->empty())
                return std::nullopt;
            data.target = *local;
        }
        arguments.erase(arguments.begin());
        // The arguments as they were given, while they still say what Exec says.
        const std::optional<std::string> given = String(file.get(), kArgumentsKey);
        data.arguments = given && SplitArguments(*given) == arguments ? *given : JoinArguments(arguments);
    } else {
        return std::nullopt;
    }

    data.description = String(file.get(), "Comment").value_or("");
    data.iconLocation = String(file.get(), "Icon").value_or("");
    // Links written by others may still carry Path.
    std::optional<std::string> workingDirectory;
    if (type == "Link")
        workingDirectory = String(file.get(), kLinkWorkingDirectoryKey);
    data.workingDirectory = workingDirectory ? *workingDirectory : String(file.get(), "Path").value_or("");
    data.relativeTarget = String(file.get(), kRelativePathKey).value_or("");
    if (const std::optional<long long> index = Integer(file.get(), kIconIndexKey);
        index && *index >= INT32_MIN && *index <= INT32_MAX)
        data.iconIndex = static_cast<int>(*index);
    if (const std::optional<long long> show = Integer(file.get(), kShowCmdKey);
        show && *show >= INT32_MIN && *show <= INT32_MAX)
        data.showCmd = static_cast<int>(*show);
    if (const std::optional<long long> hotKey = Integer(file.get(), kHotKeyKey);
        hotKey && *hotKey >= 0 && *hotKey <= 0xFFFF)
        data.hotKey = static_cast<WORD>(*hotKey);
    return data;
}

HRESULT FormatDesktopEntry(const ShortcutData& data, EntryKind kind, std::string_view name, std::string& text)
{
    const HRESULT notText = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    if (data.target.empty() || data.target.find('\0') != std::string::npos)
        return E_INVALIDARG;
    for (const std::string* field : {&data.arguments, &data.description, &data.iconLocation,
                                     &data.workingDirectory, &data.relativeTarget}) {
        if (!IsUtf8Text(*field))
            return notText;
    }

    KeyFile file(g_key_file_new());
    GKeyFile* entry = file.get();
    g_key_file_set_string(entry, kGroup, "Version", "1.0");
    if (kind == EntryKind::Link) {
        if (!data.arguments.empty())
            return E_INVALIDARG; // a link has nowhere to keep them
        g_key_file_set_string(entry, kGroup, "Type", "Link");
        if (IsUrl(data.target)) {
            if (!IsUtf8Text(data.target))
                return notText;
            g_key_file_set_string(entry, kGroup, "URL", data.target.c_str());
        } else {
            if (data.target.front() != '/')
                return E_INVALIDARG;
            GString uri(g_filename_to_uri(data.target.c_str(), nullptr, nullptr));
            if (!uri)
                return E_INVALIDARG;
            g_key_file_set_string(entry, kGroup, "URL", uri.get());
        }
    } else {
        if (IsUrl(data.target))
            return E_INVALIDARG;
        if (!IsUtf8Text(data.target))
            return notText;
        g_key_file_set_string(entry, kGroup, "Type", "Application");
        std::string exec = QuoteExecArgument(data.target);
        for (const std::string& argument : SplitArguments(data.arguments))
            exec += " " + QuoteExecArgument(argument);
        g_key_file_set_string(entry, kGroup, "Exec", exec.c_str());
        if (!data.arguments.empty())
            g_key_file_set_string(entry, kGroup, kArgumentsKey, data.arguments.c_str());
    }

    // The name is only shown: bytes that are not UTF-8 show as U+FFFD.
    GString shownName(g_utf8_make_valid(name.data(), static_cast<gssize>(name.size())));
    const std::string nameText = shownName && *shownName.get() ? shownName.get() : "Shortcut";
    g_key_file_set_string(entry, kGroup, "Name", nameText.c_str());

    if (!data.description.empty())
        g_key_file_set_string(entry, kGroup, "Comment", data.description.c_str());
    if (!data.iconLocation.empty())
        g_key_file_set_string(entry, kGroup, "Icon", data.iconLocation.c_str());
    if (data.iconIndex != 0)
        g_key_file_set_string(entry, kGroup, kIconIndexKey, std::to_string(data.iconIndex).c_str());
    if (!data.workingDirectory.empty())
        g_key_file_set_string(entry, kGroup, kind == EntryKind::Link ? kLinkWorkingDirectoryKey : "Path",
                              data.workingDirectory.c_str());
    if (data.showCmd != kShowNormal)
        g_key_file_set_string(entry, kGroup, kShowCmdKey, std::to_string(data.showCmd).c_str());
    if (data.hotKey != 0)
        g_key_file_set_string(entry, kGroup, kHotKeyKey, std::to_string(data.hotKey).c_str());
    if (!data.relativeTarget.empty())
        g_key_file_set_string(entry, kGroup, kRelativePathKey, data.relativeTarget.c_str());

    gsize length = 0;
    GString bytes(g_key_file_to_data(entry, &length, nullptr));
    if (!bytes)
        return E_OUTOFMEMORY;
    text.assign(bytes.get(), length);
    return S_OK;
}

HRESULT ReadShortcut(const std::string& path, ShortcutData& data)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return win32::HResultFromErrno(errno);
    if (S_ISLNK(info.st_mode)) {
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
        while (true) {
            const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
            if (length < 0)
                return win32::HResultFromErrno(errno);
            if (static_cast<std::size_t>(length) < target.size()) {
                target.resize(static_cast<std::size_t>(length));
                break;
            }
            target.resize(target.size() * 2); // the link changed since lstat
        }
        if (target.empty())
            return E_FAIL;
        ShortcutData link;
        // A link named from the current directory: its target is still told absolute.
        std::string folder;
        if (const DWORD error = win32::AbsolutePath(FolderOf(path), folder); error != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(error);
        // Absolute and without "." or "..": a path the namespace can parse.
        link.target = NormalizePath(target.front() == '/' ? target : JoinPath(folder, target));
        data = std::move(link);
        return S_OK;
    }
    if (!S_ISREG(info.st_mode))
        return E_FAIL;
    std::string text;
    if (const int error = win32::ReadSmallFile(path, kMaxEntryBytes, text))
        return error == EFBIG || error == EINVAL ? E_FAIL : win32::HResultFromErrno(error);
    std::optional<ShortcutData> parsed = ParseDesktopEntry(text);
    if (!parsed)
        return E_FAIL;
    data = std::move(*parsed);
    return S_OK;
}

bool HasDesktopEntrySuffix(std::string_view name)
{
    const std::size_t slash = name.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return last.size() > kDesktopEntrySuffix.size() && last.ends_with(kDesktopEntrySuffix);
}

bool IsShortcut(int dirFd, const std::string& name)
{
    struct stat info {};
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(info.st_mode))
        return true;
    // Only a name a desktop entry may have is opened to find out.
    if (!S_ISREG(info.st_mode) || !HasDesktopEntrySuffix(name))
        return false;
    // O_NOFOLLOW: a link put in the file's place since is not read through;
    // O_NONBLOCK: neither does a FIFO put there hang the caller.
    const FileDescriptor fd(
        ::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxEntryBytes)
        return false;
    // Most files are no desktop entry: their first bytes tell.
    std::string text;
    if (!ReadAtMost(fd.Get(), kHeadBytes, text))
        return false;
    const bool whole = text.size() < kHeadBytes;
    if (!MayBeDesktopEntry(text, whole))
        return false;
    // A byte past the bound tells a file that grew beyond it since fstat.
    if (!whole && (!ReadAtMost(fd.Get(), kMaxEntryBytes + 1, text) || text.size() > kMaxEntryBytes))
        return false;
    return ParseDesktopEntry(text).has_value();
}

bool IsShortcut(const std::string& path)
{
    return IsShortcut(AT_FDCWD, path);
}

} // namespace shell32
