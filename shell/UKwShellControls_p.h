#pragma once
// What the files of UKwShellControls share and do not export: owned item id
// lists, the look at files and folders on Linux, the controls' private
// messages and the hourglass of their longer calls.

#include "UKwShellControls.h"
#include "UKwShellUtils.h"

#include "com/DragDrop.h"
#include "shell32/FileSystem_linux.h"
#include "vcl/widgets/Forms.h"
#include "win32/WindowMessages.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <cstdint>
#include <ctime>

namespace kw::detail {

// A list that goes back to the shell allocator unless it is let go.
class ScopedList {
public:
    ScopedList() = default;
    ~ScopedList() { ShellMemFree(P_); }
    ScopedList(const ScopedList&) = delete;
    ScopedList& operator=(const ScopedList&) = delete;
    PItemIDList Get() const { return P_; }
    PItemIDList* Out() { return &P_; }
    PItemIDList Release() { return std::exchange(P_, nullptr); }

private:
    PItemIDList P_ = nullptr;
};

// Lists of the shell allocator, freed with the object.
struct HeldLists {
    std::vector<PItemIDList> Lists;
    HeldLists() = default;
    HeldLists(const HeldLists&) = delete;
    HeldLists& operator=(const HeldLists&) = delete;
    ~HeldLists()
    {
        for (const PItemIDList list : Lists)
            ShellMemFree(list);
    }
    // Takes list over, also when keeping it fails.
    void Add(PItemIDList list)
    {
        try {
            Lists.push_back(list);
        } catch (...) {
            ShellMemFree(list);
            throw;
        }
    }
};

// The shell's order of two items of folder (CompareIDs, column 0): the low
// 16 bits of its answer as a signed number; 0 when it fails.
inline int ShellOrder(IShellFolder* folder, const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return FAILED(hr) ? 0 : static_cast<short>(hr & 0xFFFF);
}

// Posted by the tree and the list to their own window once it is made: the
// first fill, after whatever made the window has finished.
inline constexpr UINT AM_DeferredFill = WM_USER + 103;

// Posted by the list to itself after a new folder: its caption is edited
// once the refresh has shown it.
inline constexpr UINT AM_DeferredEdit = WM_USER + 102;

// Raises a counter (a re-entry guard, an update lock) for the object's life.
class CounterHold {
public:
    explicit CounterHold(int& counter) : Counter_(counter) { ++Counter_; }
    ~CounterHold() { --Counter_; }
    CounterHold(const CounterHold&) = delete;
    CounterHold& operator=(const CounterHold&) = delete;

private:
    int& Counter_;
};

// The hourglass over the application while the object lives, then the cursor
// it found.
class ScopedHourGlass {
public:
    ScopedHourGlass() : Saved_(vcl::Screen()->Cursor()) { vcl::Screen()->SetCursor(vcl::crHourGlass); }
    ~ScopedHourGlass() { vcl::Screen()->SetCursor(Saved_); }
    ScopedHourGlass(const ScopedHourGlass&) = delete;
    ScopedHourGlass& operator=(const ScopedHourGlass&) = delete;

private:
    vcl::TCursor Saved_;
};

// What a fresh look at one file-system item finds (the item itself, a
// symbolic link not followed).
struct ItemFacts {
    bool IsDirectory = false;
    std::uint64_t Size = 0;
    // The modification time, or the birth time where that is 0.
    timespec Modified{};
};

// Nothing when the item cannot be looked at (gone, no permission).
std::optional<ItemFacts> LookAtItem(const std::string& path);

// "/" or the mount point of one of Computer's drives.
bool IsDriveRootPath(const std::string& path);

// An O_PATH descriptor of the folder at path, of any length; invalid, with
// errno set, when it cannot be opened.
shell32::FileDescriptor OpenFolder(const std::string& path);

// Calls visit with the name of every entry of the folder at path but real
// folders (a symbolic link to one is visited), read once through the
// folder's descriptor. False when the folder cannot be opened or its
// reading ends with an error (the names visited until then stay visited).
bool ForEachNonFolderEntry(const std::string& path, const std::function<void(std::string_view name)>& visit);

// The names in the folder at path, in no particular order, but for real
// folders (a symbolic link to one is listed) and hidden entries (a leading
// dot). Nothing when the folder cannot be read.
std::vector<std::string> VisibleNonFolderNames(const std::string& path);

// Whether this process may add, rename and remove entries of the folder at
// path.
bool FolderAcceptsChanges(const std::string& path);

// ---- What the tree's and the list's interaction share ----

// The entry of the shortcut table that key and shift press, tried in order;
// Shift+Del counts as Del, trashing as it does. -1 for none.
int PressedShortcut(WORD key, vcl::TShiftState shift, std::span<const TKwShortcutIndex> order);

// Renames item of folder to the whole text (the shell refuses, and tells the
// person why in a box over owner, what it cannot take); renamed gets the
// item's new list. Whether it was renamed.
bool RenameItem(IShellFolder* folder, HWND owner, const ITEMIDLIST* item, const std::string& text,
                ScopedList& renamed);

// The wheel turned over another shell tree or list than self goes to that
// control; whether one took it.
bool WheelToShellControlUnder(vcl::TWinControl* self, bool down, vcl::TShiftState shift,
                              const vcl::TPoint& mousePos);

// A menu message that reached a shell control while its shell menu is up
// (after the control's own handling): the Send To submenu is filled, drawn
// and measured, its keys answered, and the highlighted command's help told.
void ShellMenuMessage(vcl::TMessage& message, IContextMenu* menu, HIMAGELIST images, vcl::TObject* sender,
                      const TKwShPopupHintEvent& hint);

// The auto-scroll check of a drag over control, the pointer at client:
// once more than KWSH_AUTOSCROLL_MINDELAY_MS after lastScrollTime, one line
// towards an edge of the drag area (where the drags arrive) the pointer is
// near; lastScrollTime then becomes now.
void DragAutoScroll(vcl::TWinControl* control, DWORD& lastScrollTime, const vcl::TPoint& client);

// A drop handed to a shell target: the button that carried the drag (up by
// now) given back from the entered key state, so that the target tells a
// right-button drop (its menu) from a left-button one; the target entered
// and moved over afresh; effect masked by what every dropped item allows.
HRESULT DropOnShellTarget(IDropTarget* target, IDataObject* data, DWORD keys, DWORD enteredKeys,
                          const POINTL& pt, DWORD& effect);

// The screen point of a drag as the framework's point.
inline vcl::TPoint PointOf(const POINTL& pt)
{
    return vcl::TPoint{static_cast<int>(pt.x), static_cast<int>(pt.y)};
}

} // namespace kw::detail
