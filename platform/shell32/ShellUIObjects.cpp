#include "shell32/ShellUIObjects.h"

#include "com/DragDrop.h"
#include "shell32/DesktopEntry.h"
#include "shell32/ItemContextMenu.h"
#include "shell32/ItemDropTargets.h"
#include "shell32/Opening.h"

#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace shell32 {

namespace {

std::mutex g_installMutex;
std::optional<UIObjectFactory> g_replaced;

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file-system paths of the request's items; nothing when one has none,
// or when they are entries of the trash (which has verbs of its own).
// movable: all are plain directories and files.
std::optional<std::vector<std::string>> PathsOf(const UIObjectRequest& request, bool& movable)
{
    if (!request.context || request.context->trashEntries || request.items.empty())
        return std::nullopt;
    std::vector<std::string> paths;
    movable = true;
    for (const ItemView& item : request.items) {
        movable = movable && (item.kind == ItemKind::Directory || item.kind == ItemKind::File);
        const FolderContext child = ChildContext(*request.context, item);
        if (!child.ownPath || child.ownPath->empty() || child.ownPath->front() != '/')
            return std::nullopt;
        paths.push_back(*child.ownPath);
    }
    return paths;
}

HRESULT DropTargetOf(HWND owner, const std::string& path, void** out)
{
    IDropTarget* target = nullptr;
    HRESULT hr = E_NOINTERFACE;
    if (IsDirectory(path)) {
        hr = MakeFolderDropTarget(owner, path, &target);
    } else if (HasDesktopEntrySuffix(path)) {
        ShortcutData link;
        if (IsLaunchableEntry(path))
            hr = MakeEntryDropTarget(owner, path, &target);
        else if (SUCCEEDED(ReadShortcut(path, link)) && !link.target.empty() && link.target.front() == '/' &&
                 IsDirectory(link.target))
            hr = MakeFolderDropTarget(owner, link.target, &target);
    }
    *out = target;
    return hr;
}

} // namespace

HRESULT AnswerShellUIObject(const UIObjectRequest& request, REFIID riid, void** out,
                            const UIObjectFactory& before)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOINTERFACE;
    const bool menu = IsEqualIID(riid, IID_IContextMenu);
    const bool dropTarget = IsEqualIID(riid, IID_IDropTarget);
    if (menu || dropTarget) {
        bool movable = false;
        if (std::optional<std::vector<std::string>> paths = PathsOf(request, movable)) {
            if (menu)
                hr = MakeItemContextMenu(std::move(*paths), riid, out, movable);
            else if (paths->size() == 1)
                hr = DropTargetOf(request.owner, paths->front(), out);
        }
    }
    if (hr == E_NOINTERFACE && before)
        return before(request, riid, out);
    return hr;
}

void InstallShellUIObjects()
{
    std::lock_guard lock(g_installMutex);
    if (g_replaced)
        return;
    auto before = std::make_shared<UIObjectFactory>();
    *before = SetUIObjectFactory([before](const UIObjectRequest& request, REFIID riid, void** out) {
        return AnswerShellUIObject(request, riid, out, *before);
    });
    g_replaced = *before;
}

void UninstallShellUIObjects()
{
    std::lock_guard lock(g_installMutex);
    if (!g_replaced)
        return;
    SetUIObjectFactory(std::move(*g_replaced));
    g_replaced.reset();
}

} // namespace shell32
