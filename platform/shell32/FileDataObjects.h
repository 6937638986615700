#pragma once
// Data objects of files, as the shell's cut, copy and drag offer them, and
// the file lists read back out of any data object (ours, another program's,
// a broken one): the file-drop list read by its checked reader.

#include "CorvanePlatformExport.h"
#include "com/DataObject.h"
#include "win32/WinTypes.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace shell32 {

// A new data object of absolute paths: the file-drop list, the id list array
// of those that exist, and, when preferredEffect is not DROPEFFECT_NONE, the
// "Preferred DropEffect" (DROPEFFECT_MOVE marks a cut).
CORVANE_PLATFORM_EXPORT HRESULT MakeFilesDataObject(const std::vector<std::string>& paths,
                                                    DWORD preferredEffect, IDataObject** object);

// The bytes of the object's HGLOBAL in a format; nothing when it has none.
CORVANE_PLATFORM_EXPORT std::optional<std::string> ReadHGlobalFormat(IDataObject& object, CLIPFORMAT format);

// The absolute names of the object's file-drop list, in order.
CORVANE_PLATFORM_EXPORT std::vector<std::string> DroppedFileNames(IDataObject& object);
// MakeUriList of those names, written straight from the block into the
// bytes Qt hands other programs: a drag of many files gives them this list.
CORVANE_PLATFORM_EXPORT QByteArray DroppedFileUriList(IDataObject& object);
// The first of those, the others left unread; nothing when there is none.
CORVANE_PLATFORM_EXPORT std::optional<std::string> FirstDroppedFileName(IDataObject& object);

// The object's "Preferred DropEffect"; nothing when it has none (or a short one).
CORVANE_PLATFORM_EXPORT std::optional<DWORD> PreferredDropEffect(IDataObject& object);

// Whether the preferred effect is a cut: a move and nothing else (a copy also
// allowed leaves the originals alone).
CORVANE_PLATFORM_EXPORT bool IsCutData(IDataObject& object);

// Hands a block to the object, which takes it over; false when there is no
// block (it could not be made) or the object refuses it (the block is freed).
CORVANE_PLATFORM_EXPORT bool PutHGlobal(IDataObject& object, CLIPFORMAT format, HGLOBAL block);

// The 4-byte block of a drop effect.
CORVANE_PLATFORM_EXPORT HGLOBAL MakeDropEffectBlock(DWORD effect);

// The id list array of those paths that parse (one look at the mount table
// for the whole list); null when none does.
CORVANE_PLATFORM_EXPORT HGLOBAL IdListArrayOfPaths(const std::vector<std::string>& paths);

} // namespace shell32
