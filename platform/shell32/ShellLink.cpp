#include "shell32/ShellLink.h"

#include "com/ClassRegistry.h"
#include "com/ComObject.h"
#include "com/TaskAllocator.h"
#include "shell32/DesktopEntry.h"
#include "shell32/Folders.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "win32/AtomicFile.h"
#include "win32/Errors.h"
#include "win32/FileSystem.h"
#include "win32/WideText.h"

#include <glib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace shell32 {

namespace {

const HRESULT kBufferTooSmall = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);

std::vector<std::string_view> Components(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        const std::size_t slash = std::min(path.find('/', pos), path.size());
        const std::string_view part = path.substr(pos, slash - pos);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        pos = slash + 1;
    }
    return parts;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path of target as seen from the folder from (both absolute).
std::string RelativePath(const std::string& from, const std::string& target)
{
    const std::string normalFrom = NormalizePath(from);
    const std::string normalTarget = NormalizePath(target);
    const std::vector<std::string_view> a = Components(normalFrom);
    const std::vector<std::string_view> b = Components(normalTarget);
    std::size_t common = 0;
    while (common < a.size() && common < b.size() && a[common] == b[common])
        ++common;
    std::string result;
    for (std::size_t i = common; i < a.size(); ++i)
        result += result.empty() ? ".." : "/..";
    for (std::size_t i = common; i < b.size(); ++i) {
        if (!result.empty())
            result.push_back('/');
        result.append(b[i]);
    }
    return result.empty() ? "." : result;
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A program named by its bare name, as entries other programs write name it
// ("Exec=gio open %u"), is looked up in the folders of PATH in order, as the
// desktop does: the first regular file there that may be run. Folders given
// relative to the current directory are not searched.
std::optional<std::string> FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (!path || program.empty() || program == "." || program == "..")
        return std::nullopt;
    std::string_view rest(path);
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = NormalizePath(JoinPath(folder, program));
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

FILETIME FileTimeOf(const timespec& time)
{
    constexpr long long kEpochDifference = 116444736000000000LL;
    FILETIME result{};
    const long long ticks =
        static_cast<long long>(time.tv_sec) * 10000000LL + time.tv_nsec / 100 + kEpochDifference;
    if (ticks > 0) {
        result.dwLowDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) & 0xFFFFFFFFu);
        result.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32);
    }
    return result;
}

void FillFindData(const std::string& target, WIN32_FIND_DATAA& data)
{
    data = WIN32_FIND_DATAA{};
    if (IsUrl(target))
        return;
    const std::string name = BaseNameOf(target);
    if (name.size() < sizeof data.cFileName)
        std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return;
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((info.st_mode & S_IWUSR) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name.front() == '.')
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    data.dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    data.ftCreationTime = FileTimeOf(info.st_mtim);
    data.ftLastAccessTime = FileTimeOf(info.st_atim);
    data.ftLastWriteTime = FileTimeOf(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        const auto size = static_cast<unsigned long long>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
}

// Copies text with its terminator into a buffer of size bytes; text that does
// not fit leaves the buffer empty.
HRESULT CopyOut(const std::string& text, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return E_INVALIDARG;
    if (text.size() >= static_cast<std::size_t>(size)) {
        buffer[0] = '\0';
        return kBufferTooSmall;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return S_OK;
}

class ShellLink : public com::ComObject<IShellLinkA, IPersistFile> {
public:
    ShellLink() = default;

    // ---- IShellLinkA ----

    HRESULT GetPath(LPSTR file, int cch, WIN32_FIND_DATAA* findData, DWORD /*flags*/) override
    {
        return com::Guard([&] {
            if (!file || cch <= 0)
                return E_INVALIDARG;
            if (Data_.target.empty()) {
                file[0] = '\0';
                if (findData)
                    *findData = WIN32_FIND_DATAA{};
                return S_FALSE;
            }
            const HRESULT copied = CopyOut(Data_.target, file, cch);
            if (FAILED(copied))
                return copied;
            if (findData)
                FillFindData(Data_.target, *findData);
            return S_OK;
        });
    }

    HRESULT GetIDList(LPITEMIDLIST* pidl) override
    {
        return com::Guard([&] {
            if (!pidl)
                return E_POINTER;
            *pidl = nullptr;
            std::string items;
            if (!VirtualItems_.empty()) {
                items = VirtualItems_;
            } else if (Data_.target.empty() || IsUrl(Data_.target)) {
                return S_FALSE; // no item of the namespace
            } else if (const HRESULT parsed = ParseAbsolutePath(Data_.target, items); FAILED(parsed)) {
                return parsed;
            }
            *pidl = AllocIdList(items);
            return *pidl ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT SetIDList(LPCITEMIDLIST pidl) override
    {
        return com::Guard([&] {
            const std::size_t size = pidl ? IdListSize(pidl) : 0;
            if (size < 2)
                return E_INVALIDARG;
            ShortcutData data = Data_;
            std::string virtualItems;
            if (const std::optional<std::string> path = PathFromIdList(pidl)) {
                data.target = *path;
            } else {
                data.target.clear();
                virtualItems.assign(reinterpret_cast<const char*>(pidl), size - 2);
            }
            Change(std::move(data), std::move(virtualItems));
            return S_OK;
        });
    }

    HRESULT GetDescription(LPSTR name, int cch) override
    {
        return com::Guard([&] { return CopyOut(Data_.description, name, cch); });
    }
    HRESULT SetDescription(LPCSTR name) override
    {
        return com::Guard([&] { return SetText(&ShortcutData::description, name); });
    }
    HRESULT GetWorkingDirectory(LPSTR dir, int cch) override
    {
        return com::Guard([&] { return CopyOut(Data_.workingDirectory, dir, cch); });
    }
    HRESULT SetWorkingDirectory(LPCSTR dir) override
    {
        return com::Guard([&] { return SetText(&ShortcutData::workingDirectory, dir); });
    }
    HRESULT GetArguments(LPSTR args, int cch) override
    {
        return com::Guard([&] { return CopyOut(Data_.arguments, args, cch); });
    }
    HRESULT SetArguments(LPCSTR args) override
    {
        return com::Guard([&] { return SetText(&ShortcutData::arguments, args); });
    }

    HRESULT GetHotkey(WORD* hotkey) override
    {
        return com::Guard([&] { return GetField(&ShortcutData::hotKey, hotkey); });
    }
    HRESULT SetHotkey(WORD hotkey) override
    {
        return com::Guard([&] {
            Edit([&](ShortcutData& data) { data.hotKey = hotkey; });
            return S_OK;
        });
    }
    HRESULT GetShowCmd(int* showCmd) override
    {
        return com::Guard([&] { return GetField(&ShortcutData::showCmd, showCmd); });
    }
    HRESULT SetShowCmd(int showCmd) override
    {
        return com::Guard([&] {
            Edit([&](ShortcutData& data) { data.showCmd = showCmd; });
            return S_OK;
        });
    }

    HRESULT GetIconLocation(LPSTR iconPath, int cch, int* icon) override
    {
        return com::Guard([&] {
            if (!icon)
                return E_POINTER;
            const HRESULT copied = CopyOut(Data_.iconLocation, iconPath, cch);
            if (SUCCEEDED(copied))
                *icon = Data_.iconIndex;
            return copied;
        });
    }
    HRESULT SetIconLocation(LPCSTR iconPath, int icon) override
    {
        return com::Guard([&] {
            if (!iconPath)
                return E_INVALIDARG;
            Edit([&](ShortcutData& data) {
                data.iconLocation = iconPath;
                data.iconIndex = icon;
            });
            return S_OK;
        });
    }

    // relativePath names the shortcut file the target is to be found from.
    HRESULT SetRelativePath(LPCSTR relativePath, DWORD /*reserved*/) override
    {
        return com::Guard([&] {
            if (!relativePath || !*relativePath)
                return E_INVALIDARG;
            if (Data_.target.empty() || IsUrl(Data_.target))
                return E_FAIL;
            std::string shortcut;
            if (const DWORD error = win32::AbsolutePath(relativePath, shortcut); error != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(error);
            Edit([&](ShortcutData& data) {
                data.relativeTarget = RelativePath(FolderOf(shortcut), data.target);
            });
            return S_OK;
        });
    }

    HRESULT Resolve(HWND /*owner*/, DWORD flags) override
    {
        return com::Guard([&] {
            const std::string& target = Data_.target;
            if (target.empty() || IsUrl(target))
                return S_OK; // nothing on disk to look for
            if (target.find('/') == std::string::npos)
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); // on no folder of PATH when loaded
            if (Exists(target))
                return S_OK;
            if (Data_.relativeTarget.empty() || CurFile_.empty())
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            std::string folder;
            if (const DWORD error = win32::AbsolutePath(FolderOf(CurFile_), folder); error != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(error);
            const std::string candidate = NormalizePath(folder + "/" + Data_.relativeTarget);
            if (!Exists(candidate))
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            ShortcutData data = Data_;
            data.target = candidate;
            Change(std::move(data), {});
            if ((flags & SLR_UPDATE) && !(flags & SLR_NOUPDATE))
                return Save(nullptr, TRUE);
            return S_OK;
        });
    }

    HRESULT SetPath(LPCSTR file) override
    {
        return com::Guard([&] {
            if (!file)
                return E_INVALIDARG;
            ShortcutData data = Data_;
            std::string target = file;
            if (target.rfind("file:", 0) == 0 && IsUrl(target)) {
                std::unique_ptr<gchar, decltype(&g_free)> path(
                    g_filename_from_uri(target.c_str(), nullptr, nullptr), &g_free);
                if (!path)
                    return E_INVALIDARG;
                target = path.get();
            } else if (!target.empty() && !IsUrl(target) && target.front() != '/') {
                if (const DWORD error = win32::AbsolutePath(file, target); error != ERROR_SUCCESS)
                    return HRESULT_FROM_WIN32(error);
                target = NormalizePath(target);
            }
            data.target = std::move(target);
            Change(std::move(data), {});
            return S_OK;
        });
    }

    // ---- IPersistFile ----

    HRESULT GetClassID(CLSID* classId) override
    {
        return com::Guard([&] {
            if (!classId)
                return E_POINTER;
            *classId = CLSID_ShellLink;
            return S_OK;
        });
    }

    HRESULT IsDirty() override
    {
        return com::Guard([&] { return Dirty_ ? S_OK : S_FALSE; });
    }

    HRESULT Load(LPCOLESTR fileName, DWORD /*mode*/) override
    {
        return com::Guard([&] {
            if (!fileName)
                return E_POINTER;
            const std::string path = win32::WideToBytes(fileName);
            if (path.empty())
                return E_INVALIDARG;
            ShortcutData data;
            if (const HRESULT read = ReadShortcut(path, data); FAILED(read))
                return read; // the object stays as it was
            if (data.target.find('/') == std::string::npos && !IsUrl(data.target)) {
                if (std::optional<std::string> program = FindOnPath(data.target))
                    data.target = std::move(*program);
            }
            Data_ = std::move(data);
            VirtualItems_.clear();
            CurFile_ = path;
            Dirty_ = false;
            return S_OK;
        });
    }

    HRESULT Save(LPCOLESTR fileName, BOOL remember) override
    {
        return com::Guard([&] {
            const std::string path = fileName ? win32::WideToBytes(fileName) : CurFile_;
            if (path.empty() || path.back() == '/')
                return E_INVALIDARG;
            if (Data_.target.empty())
                return E_INVALIDARG; // no target a desktop entry can name (none, or a virtual item)

            std::string name = BaseNameOf(path);
            if (HasDesktopEntrySuffix(name))
                name.resize(name.size() - kDesktopEntrySuffix.size());
            std::string text;
            HRESULT formatted = FormatDesktopEntry(Data_, KindOfTarget(), name, text);
            if (FAILED(formatted) && Data_.arguments.empty() && !IsUrl(Data_.target))
                formatted =
                    FormatDesktopEntry(Data_, EntryKind::Link, name, text); // a file URL carries any bytes
            if (FAILED(formatted))
                return formatted;
            if (const int error = win32::WriteFileAtomically(path, text)) {
                // The file itself is being made: a missing name is its folder.
                return error == ENOENT ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
                                       : win32::HResultFromErrno(error);
            }
            if (!fileName || remember) {
                CurFile_ = path;
                Dirty_ = false;
            }
            return S_OK;
        });
    }

    HRESULT SaveCompleted(LPCOLESTR /*fileName*/) override
    {
        return com::Guard([] { return S_OK; });
    }

    HRESULT GetCurFile(LPOLESTR* fileName) override
    {
        return com::Guard([&] {
            if (!fileName)
                return E_POINTER;
            *fileName = nullptr;
            if (CurFile_.empty())
                return S_FALSE;
            const std::u16string wide = win32::BytesToWide(CurFile_);
            auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
            if (!copy)
                return E_OUTOFMEMORY;
            std::memcpy(copy, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
            *fileName = copy;
            return S_OK;
        });
    }

private:
    HRESULT SetText(std::string ShortcutData::*field, LPCSTR text)
    {
        if (!text)
            return E_INVALIDARG;
        Edit([&](ShortcutData& data) { data.*field = text; });
        return S_OK;
    }

    template <class Field>
    HRESULT GetField(Field ShortcutData::*field, Field* out) const
    {
        if (!out)
            return E_POINTER;
        *out = Data_.*field;
        return S_OK;
    }

    // Changes the data, keeping the virtual target's items.
    template <class Editor>
    void Edit(Editor&& edit)
    {
        ShortcutData data = Data_;
        edit(data);
        Change(std::move(data), VirtualItems_);
    }

    void Change(ShortcutData data, std::string virtualItems)
    {
        if (data == Data_ && virtualItems == VirtualItems_)
            return;
        Data_ = std::move(data);
        VirtualItems_ = std::move(virtualItems);
        Dirty_ = true;
    }

    // Programs are started; everything else is opened.
    EntryKind KindOfTarget() const
    {
        if (IsUrl(Data_.target))
            return EntryKind::Link;
        if (!Data_.arguments.empty())
            return EntryKind::Application;
        struct stat info {};
        if (::stat(Data_.target.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0)
            return EntryKind::Application;
        return EntryKind::Link;
    }

    ShortcutData Data_;
    // The items of a virtual target given by SetIDList (no terminator).
    std::string VirtualItems_;
    std::string CurFile_;
    bool Dirty_ = false;
};

} // namespace

HRESULT CreateShellLink(REFIID riid, void** ppv)
{
    return com::CreateComObjectAs<ShellLink>(riid, ppv);
}

} // namespace shell32
