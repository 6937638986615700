#pragma once
// OLE drag and drop: the drop target a window or a shell item offers, the
// drop effects it answers, and the key state the drag loop passes on.
//
// The data object a drop carries (IDataObject) is only passed through here.

#include "CorvanePlatformExport.h"
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

class IDataObject;

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
