#include "shell32/ItemVerbs.h"

#include "com/DragDrop.h"
#include "shell32/DesktopEntry.h"
#include "shell32/FileDataObjects.h"
#include "shell32/OleClipboard.h"
#include "shell32/Opening.h"
#include "shell32/Trash.h"
#include "win32/Errors.h"
#include "win32/MessageBox.h"
#include "win32/MessageText.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {

namespace {

// The "for all" buttons of the conflict question.
constexpr int kIdYesToAll = 0x100;
constexpr int kIdNoToAll = 0x101;

ConflictChoice AskConflict(HWND owner, const std::string& source, const std::string& target)
{
    win32::MessageBoxRequest request;
    request.Owner = owner;
    request.Caption = "Confirm Replace";
    request.Text = "This folder already contains an item named '" + NameOfPath(target) +
                   "'.\n\nDo you want to replace it with '" + source + "'?";
    request.Type = MB_ICONWARNING;
    request.Buttons = {{IDYES, "&Yes"},
                       {kIdYesToAll, "Yes to &All"},
                       {IDNO, "&No"},
                       {kIdNoToAll, "N&o to All"},
                       {IDCANCEL, "Cancel"}};
    request.DefaultButton = 2;
    request.CancelId = IDCANCEL;
    switch (win32::ShowMessageBox(request)) {
    case IDYES:
        return {ConflictAnswer::Replace, false};
    case kIdYesToAll:
        return {ConflictAnswer::Replace, true};
    case IDNO:
        return {ConflictAnswer::Skip, false};
    case kIdNoToAll:
        return {ConflictAnswer::Skip, true};
    default:
        return {ConflictAnswer::Cancel, false};
    }
}

void Report(HWND owner, const std::string& text)
{
    MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

} // namespace

std::string NameOfPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOfPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

HRESULT OpenPaths(HWND owner, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        std::string target = path;
        struct stat st {};
        // A desktop entry opens through the open hook's own rules; a
        // symbolic link is followed here so that its target is what opens.
        if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            ShortcutData link;
            if (SUCCEEDED(ReadShortcut(path, link)) && !link.target.empty())
                target = link.target;
        }
        if (!OpenItem(owner, target))
            return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

HRESULT PutPathsOnClipboard(const std::vector<std::string>& paths, bool cut)
{
    com::ComPtr<IDataObject> object;
    if (const HRESULT hr = MakeFilesDataObject(paths, cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY,
                                               object.ReleaseAndGetAddressOf());
        FAILED(hr))
        return hr;
    return OleSetClipboard(object.Get());
}

bool ClipboardHasFiles()
{
    com::ComPtr<IDataObject> object;
    if (FAILED(OleGetClipboard(object.ReleaseAndGetAddressOf())) || !object)
        return false;
    return !DroppedFileNames(*object).empty();
}

HRESULT TransferAsking(HWND owner, TransferOperation operation, const std::vector<std::string>& sources,
                       const std::string& folder)
{
    const TransferResult result = TransferItems(
        operation, sources, folder, [owner](const std::string& source, const std::string& target) {
            return AskConflict(owner, source, target);
        });
    if (result.Error == ERROR_CANCELLED)
        return S_FALSE;
    if (result.Error != ERROR_SUCCESS) {
        Report(owner, "Cannot " +
                          std::string(operation == TransferOperation::Move   ? "move"
                                      : operation == TransferOperation::Copy ? "copy"
                                                                             : "link") +
                          " '" + result.FailedPath + "': " + win32::SystemErrorText(result.Error));
        return HRESULT_FROM_WIN32(result.Error);
    }
    return S_OK;
}

HRESULT PasteInto(HWND owner, const std::string& folder)
{
    com::ComPtr<IDataObject> object;
    if (const HRESULT hr = OleGetClipboard(object.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    const std::vector<std::string> files = object ? DroppedFileNames(*object) : std::vector<std::string>{};
    if (files.empty())
        return S_FALSE;
    const bool cut = IsCutData(*object);
    const HRESULT hr =
        TransferAsking(owner, cut ? TransferOperation::Move : TransferOperation::Copy, files, folder);
    // The cut files have moved: the clipboard would name places now empty.
    if (cut && hr == S_OK)
        OleSetClipboard(nullptr);
    return hr;
}

HRESULT DeleteToTrash(HWND owner, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return S_FALSE;
    const std::string question =
        paths.size() == 1
            ? "Are you sure you want to move '" + NameOfPath(paths[0]) + "' to the Trash?"
            : "Are you sure you want to move these " + std::to_string(paths.size()) + " items to the Trash?";
    if (MessageBoxA(owner, question.c_str(), "Confirm Delete", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return S_FALSE;
    DWORD first = ERROR_SUCCESS;
    std::string kept;
    for (const std::string& path : paths) {
        if (const DWORD error = MoveToTrash(path); error != ERROR_SUCCESS) {
            if (first == ERROR_SUCCESS)
                first = error;
            kept += "\n'" + path + "': " + win32::SystemErrorText(error);
        }
    }
    if (first == ERROR_SUCCESS)
        return S_OK;
    Report(owner, "These items could not be moved to the Trash and were left where they are:" + kept);
    return HRESULT_FROM_WIN32(first);
}

HRESULT CreateLinksBeside(const std::vector<std::string>& paths, std::vector<std::string>* made)
{
    for (const std::string& path : paths) {
        const std::string folder = FolderOfPath(path);
        const std::string base = "Link to " + NameOfPath(path);
        for (int n = 1;; ++n) {
            const std::string name = n == 1 ? base : base + " (" + std::to_string(n) + ")";
            if (name.size() > NAME_MAX)
                return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
            const std::string link = (folder == "/" ? "" : folder) + "/" + name;
            // symlink never replaces: a taken name answers EEXIST.
            if (symlink(path.c_str(), link.c_str()) == 0) {
                if (made)
                    made->push_back(link);
                break;
            }
            if (errno != EEXIST)
                return win32::HResultFromErrno(errno);
        }
    }
    return S_OK;
}

} // namespace shell32
