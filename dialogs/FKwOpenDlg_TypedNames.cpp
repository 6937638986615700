// FKwOpenDlg: what the typed text of the file dialogs means, and whether the
// names it gives are accepted.

#include "FKwOpenDlg.h"

#include "UKwShConsts.h"
#include "UKwShellUtils.h"

#include "com/Unknown.h"
#include "shell32/DesktopEntry.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Format.h"
#include "vcl/core/PathUtils.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Strings.h"
#include "vcl/core/SysUtils.h"
#include "win32/FileSystem.h"
#include "win32/Identity.h"
#include "win32/WideText.h"

#include <sys/stat.h>

#include <utility>

namespace kw {

namespace {

bool IsLeadByte(char c)
{
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

// Whether s holds one of chars, stepping over double-byte characters whole,
// so that a trail byte is never taken for one of them.
bool ContainsCharDB(std::string_view s, std::string_view chars)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (IsLeadByte(s[i]))
            ++i;
        else if (chars.find(s[i]) != std::string_view::npos)
            return true;
    }
    return false;
}

bool HasWildcard(std::string_view s)
{
    return ContainsCharDB(s, "*?");
}

// Whether every component of path fits the file system's limit.
bool ComponentsFit(std::string_view path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end - start > MaxNameComponent)
            return false;
        start = end + 1;
    }
    return true;
}

// Whether the file system can hold path: no component over NAME_MAX, the
// whole within PATH_MAX.
bool FitsFileSystem(std::string_view path)
{
    return path.size() <= MaxPathLength && ComponentsFit(path);
}

// One level up: the root stays, a relative path without "/" becomes empty.
void GoUp(std::string& path)
{
    if (path == "/")
        return;
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        path.clear();
    else
        path.resize(slash == 0 ? 1 : slash);
}

// An existing file is whatever is there and no folder once links are
// followed: a FIFO or a device is opened or replaced as a file would be, so
// it is never taken for a file still to be made.
bool IsExistingFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsExistingFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    return vcl::AnsiCompareText(a, b) == 0;
}

// Frees an item id list of the shell allocator when it leaves scope.
class IdListHolder {
public:
    IdListHolder() = default;
    IdListHolder(const IdListHolder&) = delete;
    IdListHolder& operator=(const IdListHolder&) = delete;
    ~IdListHolder() { ShellMemFree(List_); }
    LPITEMIDLIST* Slot() { return &List_; }
    LPCITEMIDLIST Get() const { return List_; }

private:
    LPITEMIDLIST List_ = nullptr;
};

// Whether path names a folder the shell can open; idList then holds its
// absolute item id list. An existing file never counts, and a folder that
// cannot be opened raises the system's message for the error.
bool FolderIdList(const std::string& path, HWND owner, IdListHolder& idList)
{
    com::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf())) || !desktop)
        return false;
    std::u16string wide = win32::BytesToWide(path);
    if (FAILED(desktop->ParseDisplayName(owner, nullptr, wide.data(), nullptr, idList.Slot(), nullptr)) ||
        !idList.Get())
        return false;
    const bool isFile = IsExistingFile(path);
    ULONG attributes = SFGAO_FOLDER;
    LPCITEMIDLIST item = idList.Get();
    if (FAILED(desktop->GetAttributesOf(1, &item, &attributes)) || isFile || !(attributes & SFGAO_FOLDER))
        return false;
    com::ComPtr<IShellFolder> folder;
    if (const HRESULT hr =
            desktop->BindToObject(idList.Get(), nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress());
        FAILED(hr))
        throw vcl::Exception(vcl::SysErrorMessage(static_cast<DWORD>(hr)));
    return true;
}

// Shows the folder path names when it is one; true when it did.
bool EnterFolder(TKwTypedNameContext& context, const std::string& path)
{
    IdListHolder idList;
    if (!FolderIdList(path, context.OwnerWindow(), idList))
        return false;
    context.NavigateToIdList(idList.Get());
    return true;
}

// Whether path is a folder, which stops the attempt: one name is entered
// as a typed folder is; among several names it fails them all with a beep.
bool StopsAtFolder(TKwTypedNameContext& context, const std::string& path, bool single)
{
    if (single) {
        if (!EnterFolder(context, path))
            return false;
        context.SelectEditText();
        return true;
    }
    IdListHolder idList;
    if (!FolderIdList(path, context.OwnerWindow(), idList))
        return false;
    context.Beep();
    return true;
}

// The target of a shortcut, unless the options keep shortcuts; false when
// that target is a folder, which stops the attempt.
bool Dereference(TKwTypedNameContext& context, std::string& path, bool single)
{
    if (context.Options().Contains(kwofNoDereferenceLinks))
        return true;
    std::string target = ShortcutTarget(path);
    if (target != path && StopsAtFolder(context, target, single))
        return false;
    path = std::move(target);
    return true;
}

// The folder part of a pattern is only ever entered; what is no folder
// leaves the folder shown, which the pattern then filters.
void EnterPatternFolder(TKwTypedNameContext& context, const std::string& folder)
{
    if (folder.empty())
        return;
    const TKwCombinedPath combined = CombinePath(context.Base(), folder);
    if (combined.Result != kwcrPath || !EnterFolder(context, combined.Path))
        context.Beep();
}

// The name a single typed name stands for, once the list has had its say:
// the selected file when the list put the text there, else the name
// completed with an extension and, in the folder it names, an item whose
// caption it is. False (after the duplicate box) when two items match
// without case and none exactly.
bool ResolveSingleName(TKwTypedNameContext& context, const std::string& base, std::string& combined)
{
    if (context.LastInput() == lisList) {
        const int selected = context.SelectedItem();
        if (selected >= 0) {
            // A selected folder, or an item without a path, leaves the typed
            // text in force: it is never returned as a file.
            const TKwListItemInfo item = context.Item(selected);
            if (!item.IsFolder && !item.Path.empty()) {
                // A selected shortcut stands for its target, as a typed one does.
                combined = item.Path;
                return Dereference(context, combined, true);
            }
        }
    }

    TKwOpenOptions options = context.Options();
    const TKwOpenOptions before = options;
    ApplyDefaultExt(combined, options, context.DefaultExt(), context.SelectedTypeMask());
    if (options != before)
        context.SetOptions(options);

    const std::string namePart = vcl::ExtractFileName(combined);
    const std::string folder = vcl::ExtractFileDir(combined);
    if (!folder.empty() && folder != base && IsExistingFolder(folder))
        context.NavigateToPath(vcl::ExtractFilePath(combined));
    // The list's captions name items of the folder it shows, which need not
    // be the name's (a folder that does not exist is never shown).
    if (!folder.empty() && folder != context.Base())
        return true;

    // Folders take no part: a caption matched without case must not turn
    // a file name into a folder.
    int exact = -1;
    int first = -1;
    int second = -1;
    const int count = context.ItemCount();
    for (int i = 0; i < count && exact < 0; ++i) {
        // The caption first: the path and the kind are asked of the few
        // items whose caption counts.
        const std::string caption = context.ItemCaption(i);
        const bool same = caption == namePart;
        if (!same && (second >= 0 || !SameTextNoCase(caption, namePart)))
            continue;
        const TKwListItemInfo item = context.Item(i);
        if (item.IsFolder || item.Path.empty())
            continue;
        if (same)
            exact = i;
        else
            (first < 0 ? first : second) = i;
    }
    if (exact >= 0) {
        combined = context.Item(exact).Path;
        return true;
    }
    if (second >= 0) {
        context.Ask(&SThereCanBeOnlyOne, namePart, vcl::mtWarning, {vcl::mbOK});
        context.SelectAndFocusItem(first);
        return false;
    }
    if (first >= 0)
        combined = context.Item(first).Path;
    return true;
}

// Clears the result list when it leaves scope without an accepted parse.
class ResultGuard {
public:
    explicit ResultGuard(vcl::TStrings& list) : List_(list) { List_.Clear(); }
    ResultGuard(const ResultGuard&) = delete;
    ResultGuard& operator=(const ResultGuard&) = delete;
    ~ResultGuard()
    {
        if (!Accepted_)
            List_.Clear();
    }
    void Accept() { Accepted_ = true; }

private:
    vcl::TStrings& List_;
    bool Accepted_ = false;
};

bool ParseNames(TKwTypedNameContext& context, const std::string& text, vcl::TStrings& result)
{
    const std::vector<std::string> names = TypedNames(text);
    if (names.empty())
        return false;
    const bool single = names.size() == 1;
    const std::string base = context.Base();
    const TKwOpenOptions options = context.Options();

    if (!options.Contains(kwofNoValidate)) {
        for (const std::string& name : names) {
            if (!IsValidFileName(name)) {
                context.Ask(&SFilenameIsInvalid, text, vcl::mtWarning, {vcl::mbOK});
                return false;
            }
        }
    }

    // Every name is combined and looked at before any prompt: with several
    // names, one that is a folder or names nothing fails the whole attempt,
    // so the form never both closes and moves.
    std::vector<std::string> combinedNames;
    for (const std::string& name : names) {
        const TKwCombinedPath combined = CombinePath(base, name);
        if (combined.Result == kwcrInvalid) {
            context.Ask(&SFilenameIsInvalid, text, vcl::mtWarning, {vcl::mbOK});
            return false;
        }
        if (combined.Result == kwcrEmpty) {
            if (!single)
                context.Beep();
            return false;
        }
        if (combined.Path.front() != '/') {
            // No folder of the file system is shown: a relative name would
            // name something in the process's current directory, which the
            // person cannot see.
            context.Beep();
            return false;
        }
        // A shortcut to a folder counts as that folder: it is never
        // returned as a file.
        std::string path = combined.Path;
        if (StopsAtFolder(context, path, single) || !Dereference(context, path, single))
            return false;
        combinedNames.push_back(std::move(path));
    }

    for (std::string& combined : combinedNames) {
        if (single && !ResolveSingleName(context, base, combined))
            return false;
        // An extension or a shortcut's target may have taken the name past
        // what the file system holds; it is refused, never cut.
        if (!FitsFileSystem(combined)) {
            context.Ask(&SFilenameIsInvalid, text, vcl::mtWarning, {vcl::mbOK});
            return false;
        }
        if (!ValidateTypedName(context, combined))
            return false;
        result.Add(combined);
    }
    return true;
}

} // namespace

std::string FormatPrompt(vcl::PResStringRec message, const std::string& insert)
{
    return vcl::Format(KwLoadStr(message), {insert});
}

std::vector<std::string> TypedNames(const std::string& text)
{
    if (text.find('"') == std::string::npos)
        return {text};
    return SplitQuotedDB(text, false);
}

bool IsValidFileName(std::string_view name)
{
    return !ContainsCharDB(name, std::string_view("<>|\0", 4)) && FitsFileSystem(name);
}

TKwCombinedPath CombinePath(std::string_view base, std::string_view name)
{
    if (name.empty())
        return {};
    if (name.find('\0') != std::string_view::npos)
        return {kwcrInvalid, {}};
    std::string result;
    if (name.front() == '/') {
        result = "/";
    } else {
        result = base;
        while (result.size() > 1 && result.back() == '/')
            result.pop_back();
    }
    std::size_t start = 0;
    while (start < name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view component = name.substr(start, end - start);
        start = end + 1;
        if (component.size() > MaxNameComponent)
            return {kwcrInvalid, {}};
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            GoUp(result);
            continue;
        }
        if (!result.empty() && result.back() != '/')
            result.push_back('/');
        result.append(component);
        if (result.size() > MaxPathLength)
            return {kwcrInvalid, {}};
    }
    if (result.empty())
        return {};
    return {kwcrPath, std::move(result)};
}

std::optional<TKwTypedPattern> SplitPattern(const std::string& text, TKwFrmOpenDlg_LIS lastInput)
{
    if (lastInput != lisEdit)
        return std::nullopt;
    std::optional<TKwTypedPattern> pattern;
    for (const std::string& name : TypedNames(text)) {
        const std::string namePart = vcl::ExtractFileName(name);
        if (!HasWildcard(namePart))
            continue;
        if (!pattern) {
            pattern = TKwTypedPattern{vcl::ExtractFilePath(name), namePart};
        } else {
            pattern->Mask += ';';
            pattern->Mask += namePart;
        }
    }
    return pattern;
}

std::string MaskExtension(std::string_view mask)
{
    // The last mask of the list counts; blanks around a mask and empty
    // masks ("*.txt;", "*.txt; ") are no part of any name.
    std::string_view last;
    while (!mask.empty()) {
        const std::size_t semicolon = mask.find(';');
        std::string_view one = mask.substr(0, semicolon);
        mask = semicolon == std::string_view::npos ? std::string_view() : mask.substr(semicolon + 1);
        while (!one.empty() && (one.front() == ' ' || one.front() == '\t'))
            one.remove_prefix(1);
        while (!one.empty() && (one.back() == ' ' || one.back() == '\t'))
            one.remove_suffix(1);
        if (!one.empty())
            last = one;
    }
    std::string ext = vcl::ExtractFileExt(last);
    if (HasWildcard(ext))
        ext.clear();
    return ext;
}

bool IsRegisteredExtension(const std::string& ext)
{
    // "\" separates registry keys, so no file type's key can hold one.
    if (ext.size() < 2 || ext.front() != '.' ||
        ext.find_first_of(std::string_view("\\\0", 2)) != std::string::npos)
        return false;
    vcl::TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    return reg.KeyExists(ext);
}

void ApplyDefaultExt(std::string& name, TKwOpenOptions& options, const std::string& defaultExt,
                     const std::string& typeMask, TKwExtensionTest isRegistered)
{
    if (defaultExt.empty())
        return;
    const std::string ownDefault = "." + defaultExt;
    auto markDifferent = [&](bool different) {
        if (different)
            options += kwofExtensionDifferent;
        else
            options -= kwofExtensionDifferent;
    };
    const std::string ext = vcl::ExtractFileExt(name);
    if (!ext.empty() && isRegistered && isRegistered(ext)) {
        markDifferent(!SameTextNoCase(ext, ownDefault));
        return;
    }
    const std::string maskExt = MaskExtension(typeMask);
    if (maskExt.empty()) {
        name = EnsureTrailingCharDB(name, '.') + defaultExt;
        markDifferent(false);
    } else if (!SameTextNoCase(maskExt, ext)) {
        name = EnsureTrailingCharDB(name, '.') + maskExt.substr(1);
        markDifferent(!SameTextNoCase(maskExt, ownDefault));
    }
}

std::string ShortcutTarget(const std::string& name)
{
    if (!shell32::IsShortcut(name))
        return name;
    TLinkData data;
    data.NoUI = true;
    // A link to a web address names no file to open or save.
    if (FAILED(ResolveShortcut(name, data, false)) || data.Path.empty() || data.Path.front() != '/')
        return name;
    return data.Path;
}

bool ValidateTypedName(TKwTypedNameContext& context, const std::string& name)
{
    const TKwOpenOptions options = context.Options();
    if (IsExistingFile(name)) {
        const DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
            options.Contains(kwofNoReadOnlyReturn)) {
            context.Ask(&SExistsAndIsReadOnly, name, vcl::mtWarning, {vcl::mbOK});
            return false;
        }
        if (options.Contains(kwofOverwritePrompt))
            return context.Ask(&SFileExistsReplace, name, vcl::mtWarning, {vcl::mbYes, vcl::mbNo}) ==
                   vcl::mrYes;
        return true;
    }
    if (options.Contains(kwofFileMustExist)) {
        context.Ask(&SFileNotFound, name, vcl::mtWarning, {vcl::mbOK});
        return false;
    }
    if (options.Contains(kwofCreatePrompt))
        return context.Ask(&SDoesNotExistCreate, vcl::ExtractFileName(name), vcl::mtConfirmation,
                           {vcl::mbYes, vcl::mbNo}) == vcl::mrYes;
    return true;
}

bool ParseInputString(TKwTypedNameContext& context, const std::string& text)
{
    vcl::TStrings& result = context.ResultList();
    ResultGuard guard(result);
    if (!ParseNames(context, text, result))
        return false;
    guard.Accept();
    return true;
}

void TypedNameCloseQuery(TKwTypedNameContext& context, vcl::TModalResult modalResult, bool& canClose)
{
    if (modalResult == vcl::mrOk) {
        const std::string text = context.EditText();
        if (const std::optional<TKwTypedPattern> pattern = SplitPattern(text, context.LastInput())) {
            canClose = false;
            context.ResultList().Clear();
            EnterPatternFolder(context, pattern->Folder);
            context.ApplyUserFilter(pattern->Mask);
            context.SetEditText(pattern->Mask);
            context.SelectEditText();
        } else {
            canClose = ParseInputString(context, text);
        }
    }
    if (!canClose || context.Options().Contains(kwofNoChangeDir))
        return;
    try {
        const std::string base = context.Base();
        if (!base.empty())
            SetCurrentDirectoryA(base.c_str());
    } catch (...) {
        // The folder shown may be gone by now; the dialog closes all the same.
    }
}

} // namespace kw
