#pragma once
// The folder picker: the modal window in which a person chooses one folder
// from a tree (the shell's folder browser shows its folders in it).
//
// The platform links no widgets, so the window is abstract here: the visual
// layer installs the one it builds when the application object is made, as
// it does the message form. The picker knows nothing of folders: its nodes
// are the source's own, listed when a node is first expanded, and it tells
// the source what the person does. Its window is a window of the window
// layer, owned by the request's owner; the messages its procedure does not
// know go to the source first, so that whoever has the window can ask the
// source through them.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace win32 {

// A node of the picker's tree; only the source knows what it is.
struct FolderPickerNode;

struct CORVANE_PLATFORM_EXPORT FolderPickerItem {
    FolderPickerNode* Node = nullptr;
    std::string Text;
    // Shows the node as expandable before it is listed.
    bool HasChildren = false;
};

class CORVANE_PLATFORM_EXPORT FolderPickerSource {
public:
    // The top node of the tree.
    virtual FolderPickerItem Root() = 0;
    // The children of a node, asked when it is first expanded, in order.
    virtual std::vector<FolderPickerItem> Children(FolderPickerNode* node) = 0;
    // The pictures of the nodes, and a node's picture, asked when it is
    // first drawn; -1 for none.
    virtual HIMAGELIST Images() = 0;
    virtual int IconIndex(FolderPickerNode* node) = 0;
    // The window exists and shows; told once, before the first selection.
    virtual void Initialized(HWND picker) = 0;
    // The selected node changed (the first selection too).
    virtual void SelectionChanged(HWND picker, FolderPickerNode* node) = 0;
    // A message of the picker's window that the picker does not know: true
    // with its result when the source took it.
    virtual bool PickerMessage(HWND picker, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

protected:
    ~FolderPickerSource() = default;
};

class CORVANE_PLATFORM_EXPORT FolderPicker {
public:
    virtual ~FolderPicker() = default;
    virtual HWND Window() const = 0;
    // The text of the status line (when the request asked for one).
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void EnableOk(bool enabled) = 0;
    // path runs from the top node down, each node a child of the one before
    // it: expands them and selects the last.
    virtual void Select(const std::vector<FolderPickerNode*>& path) = 0;
    // Shows the window modally over the owner: the node chosen with OK, or
    // null when cancelled.
    virtual FolderPickerNode* Run() = 0;
};

struct CORVANE_PLATFORM_EXPORT FolderPickerRequest {
    HWND Owner = nullptr;
    // Shown above the tree.
    std::string Title;
    bool StatusLine = false;
    FolderPickerSource* Source = nullptr;
};

// Makes a picker for a request; null when it cannot.
using FolderPickerFactory = std::unique_ptr<FolderPicker> (*)(const FolderPickerRequest& request);

// The picker the visual layer installs; returns the one it replaces.
CORVANE_PLATFORM_EXPORT FolderPickerFactory SetDefaultFolderPicker(FolderPickerFactory factory);
// A new picker, or null (ERROR_NOT_SUPPORTED) when none is installed.
CORVANE_PLATFORM_EXPORT std::unique_ptr<FolderPicker> CreateFolderPicker(const FolderPickerRequest& request);

} // namespace win32
