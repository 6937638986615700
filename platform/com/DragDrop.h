#pragma once
// OLE drag and drop: the drop target a window or a shell item offers, the
// drop source the dragging side gives the drag loop, the drop effects they
// agree on, and the key state the drag loop passes on. The data a drag
// carries is an IDataObject (com/DataObject.h).

#include "CorvanePlatformExport.h"
#include "com/DataObject.h"
#include "com/Unknown.h"
#include "win32/VirtualKeys.h"
#include "win32/WinTypes.h"

// A point in screen coordinates, as the drag loop reports the pointer.
struct CORVANE_PLATFORM_EXPORT POINTL {
    LONG x;
    LONG y;
};

// What a drop does (or would do) with the data. DROPEFFECT_SCROLL is added
// while the target scrolls under the pointer.
inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;
inline constexpr DWORD DROPEFFECT_LINK = 4;
inline constexpr DWORD DROPEFFECT_SCROLL = 0x80000000;

// Key state of DragEnter, DragOver and Drop: the mouse keys of the mouse
// messages (MK_LBUTTON, MK_RBUTTON, MK_SHIFT, MK_CONTROL, MK_MBUTTON), and
// the Alt key, which only the drag loop reports (in the bit of the first
// extra button).
inline constexpr DWORD MK_ALT = 0x0020;

inline constexpr IID IID_IDropTarget = com::MakeGuid("{00000122-0000-0000-C000-000000000046}");

// effect is in and out: the effects the source allows on the way in, the one
// the target chose on the way out.
class CORVANE_PLATFORM_EXPORT IDropTarget : public IUnknown {
public:
    virtual HRESULT DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) = 0;
};
KW_DECLARE_INTERFACE(IDropTarget, IUnknown)
using LPDROPTARGET = IDropTarget*;

inline constexpr IID IID_IDropSource = com::MakeGuid("{00000121-0000-0000-C000-000000000046}");

// The dragging side. QueryContinueDrag answers S_OK to go on, DRAGDROP_S_DROP
// to drop, DRAGDROP_S_CANCEL to give up; GiveFeedback shows the effect the
// target chose, or answers DRAGDROP_S_USEDEFAULTCURSORS.
class CORVANE_PLATFORM_EXPORT IDropSource : public IUnknown {
public:
    virtual HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) = 0;
    virtual HRESULT GiveFeedback(DWORD dwEffect) = 0;
};
KW_DECLARE_INTERFACE(IDropSource, IUnknown)
using LPDROPSOURCE = IDropSource*;
