#pragma once
// OLE drag and drop on the desktop's drag and drop.
//
// A window registered with RegisterDragDrop takes drags on the widget its
// peer names (an item view's viewport): Qt's drag events there become the
// target's DragEnter, DragOver, DragLeave and Drop, with the point in screen
// coordinates, the key state from the buttons and modifiers, and the
// effects 1, 2, 4 as Qt's copy, move and link actions. The data object is
// our own for this process's drags, else one read from the MIME data
// (shell32/ClipboardMime.h).
//
// DoDragDrop runs the installed drag loop: the desktop's (a QDrag whose MIME
// data gives other programs text/uri-list) unless a test put a scripted one
// in its place.

#include "CorvanePlatformExport.h"
#include "com/DragDrop.h"
#include "win32/Errors.h"

#include <functional>
#include <utility>
#include <vector>

constexpr HRESULT DRAGDROP_E_INVALIDHWND = MakeHResult(0x80040102);

// Holds one reference to target until RevokeDragDrop or the window's end.
// E_INVALIDARG for no target, DRAGDROP_E_INVALIDHWND for a window that is
// not one or takes no drags, DRAGDROP_E_ALREADYREGISTERED for a second one.
CORVANE_PLATFORM_EXPORT HRESULT RegisterDragDrop(HWND window, IDropTarget* target);
// DRAGDROP_E_INVALIDHWND for a stale handle, DRAGDROP_E_NOTREGISTERED when
// the window has no target.
CORVANE_PLATFORM_EXPORT HRESULT RevokeDragDrop(HWND window);
// Runs the drag loop until a drop (DRAGDROP_S_DROP, effect the target's
// answer) or the end of the drag (DRAGDROP_S_CANCEL, effect 0). Nothing the
// loop's calls throw leaves it: the target's part reports no effect.
CORVANE_PLATFORM_EXPORT HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects,
                                           DWORD* effect);

namespace shell32 {

// What runs a drag; answers as DoDragDrop does.
using DragLoop =
    std::function<HRESULT(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)>;
// Puts a loop in place (null: the desktop's); returns the one before (null
// when it was the desktop's).
CORVANE_PLATFORM_EXPORT DragLoop SetDragLoop(DragLoop loop);
// The desktop's loop: a QDrag of the data object's MIME data with the mouse
// button that is down.
CORVANE_PLATFORM_EXPORT HRESULT DesktopDragLoop(IDataObject* data, IDropSource* source, DWORD okEffects,
                                                DWORD* effect);

// One step of a scripted drag: the pointer at a screen point with a key
// state; Escape pressed; Release takes the mouse buttons out of the keys.
// Then runs after the step's calls (a test looks at the windows there).
struct CORVANE_PLATFORM_EXPORT DragStep {
    DragStep(POINT screen, DWORD keys, bool escape = false, bool release = false,
             std::function<void()> then = {})
        : Screen(screen), Keys(keys), Escape(escape), Release(release), Then(std::move(then))
    {
    }
    POINT Screen;
    DWORD Keys;
    bool Escape;
    bool Release;
    std::function<void()> Then;
};
// A drag as the desktop's loop runs it, step by step: the source's
// QueryContinueDrag decides at each; the registered window under the point
// gets DragEnter when the pointer comes in (DragLeave for the one it left)
// and DragOver while it stays; the source sees the effect in GiveFeedback.
// A drop goes to the target under the point when its last answer allowed
// one. Steps that run out end the drag as a cancel.
CORVANE_PLATFORM_EXPORT HRESULT ScriptedDragLoop(const std::vector<DragStep>& steps, IDataObject* data,
                                                 IDropSource* source, DWORD okEffects, DWORD* effect);

// The registered window whose drop widget holds the screen point (the
// innermost one when they nest); 0 for none.
CORVANE_PLATFORM_EXPORT HWND DropWindowAt(POINT screen);
// The target registered for a window (no reference added); null for none.
CORVANE_PLATFORM_EXPORT IDropTarget* RegisteredDropTarget(HWND window);
// The key state (MK_*) of Qt's buttons and modifiers.
CORVANE_PLATFORM_EXPORT DWORD DragKeyState(int buttons, int modifiers);

} // namespace shell32
