#pragma once
// The system image lists: one small (16 by 16) and one large (32 by 32) list
// for the whole process, made on first use and never destroyed
// (ImageList_Destroy on them returns FALSE and leaves them alone).
//
// Picture 0 is reserved: a clear picture that no item is ever given, so a
// control can keep 0 to mean "not looked up yet". Every other picture is one
// icon, at the same index in both lists and for the life of the process: an
// icon is known by the theme names it asks for (by its built-in picture's
// name when it asks for none), so one icon has one index whichever thread
// asks first. The picture is the theme's first name it has, else the
// built-in one. Only the GUI thread reads the theme: an icon first asked for
// on another thread shows its built-in picture until the GUI thread asks for
// it or for a list, which puts the theme's picture in at the same index.
//
// Pictures others put in (the overlay images) take the next free indexes; a
// new icon goes to the first index free in both lists, so the two lists stay
// in step even when a caller added to one of them only.

#include "CorvanePlatformExport.h"
#include "shell32/IconTheme.h"
#include "win32/WinTypes.h"

namespace shell32 {

// The list; NULL only when no list could be made. Any thread; on the GUI
// thread the theme's pictures of icons added elsewhere are put in first.
CORVANE_PLATFORM_EXPORT HIMAGELIST SystemImageList(bool small);

// The index of the icon in both lists, adding it on first request; -1 when it
// cannot be added. Never 0. Any thread.
CORVANE_PLATFORM_EXPORT int SystemIconIndex(const IconRequest& icon);

} // namespace shell32
