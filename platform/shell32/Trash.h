#pragma once
// A freedesktop trash folder (the user's is shell32::TrashDirectory()): what lies in files/
// and what info/<name>.trashinfo says of it.
//
// A .trashinfo file is outside input: anything in it may be missing, wrong
// or hostile. One larger than kMaxTrashInfoBytes is not read; a malformed
// one leaves its entry without original location or date, but the entry is
// still listed, since the file it describes is there. Info files without a
// file are ignored.

#include "CorvanePlatformExport.h"
#include "shell32/ItemIdList.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell32 {

// A path is at most PATH_MAX bytes, each at most three when escaped.
inline constexpr std::size_t kMaxTrashInfoBytes = 16 * 1024;

// Local time, as the trash records it (no time zone).
struct CORVANE_PLATFORM_EXPORT TrashDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    friend bool operator==(const TrashDate&, const TrashDate&) = default;
};

struct CORVANE_PLATFORM_EXPORT TrashInfo {
    // Decoded path bytes, absolute; empty when missing or malformed.
    std::string OriginalPath;
    std::optional<TrashDate> DeletionDate;
};

// The contents of a .trashinfo file; nothing when it is not one (too big,
// not a key file, no [Trash Info] group). relativeBase resolves a relative
// Path: the folder that holds the trash folder.
CORVANE_PLATFORM_EXPORT std::optional<TrashInfo> ParseTrashInfo(std::string_view data,
                                                                std::string_view relativeBase);

// "%41b%2F" -> "Ab/"; nothing for a broken escape or an escaped NUL.
CORVANE_PLATFORM_EXPORT std::optional<std::string> DecodePercentEscapes(std::string_view text);
// "YYYY-MM-DDThh:mm:ss", optionally with a fraction of a second.
CORVANE_PLATFORM_EXPORT std::optional<TrashDate> ParseTrashDate(std::string_view text);

struct CORVANE_PLATFORM_EXPORT TrashEntry {
    std::string Name;               // its name in files/ (raw bytes)
    ItemKind Kind = ItemKind::File; // Directory or File, as lstat sees it
    StatSnapshot Stat;
    std::optional<TrashInfo> Info;

    // The name to show: that of the original location, else Name.
    std::string DisplayName() const;
};

// The entries of a trash folder, in no particular order. A trash that does
// not exist yet is empty; false, with errno set, when files/ cannot be read.
CORVANE_PLATFORM_EXPORT bool ListTrash(const std::string& trashDirectory, std::vector<TrashEntry>& entries);

// One entry by its name in files/; false (errno set) when it is not there.
CORVANE_PLATFORM_EXPORT bool ReadTrashEntry(const std::string& trashDirectory, std::string_view name,
                                            TrashEntry& entry);

// "YYYY-MM-DDThh:mm:ss" of a local time.
CORVANE_PLATFORM_EXPORT std::string FormatTrashDate(const TrashDate& date);

// Where MoveToTrash put an item.
struct CORVANE_PLATFORM_EXPORT TrashedItem {
    std::string TrashDirectory; // the trash folder (holding files/ and info/)
    std::string Name;           // the item's name in files/
};

// Moves path (a file, folder or link, which is not followed) to the trash
// of its file system: the user's trash when it lies on the home's device,
// else $top/.Trash/$uid (when .Trash is a sticky folder, not a link) or
// $top/.Trash-$uid. The info file is made first, under a name no other
// entry has ("name", "name.2", ...), then the item is renamed beside it;
// nothing is ever replaced, copied or deleted. ERROR_SUCCESS, or the error
// (also through SetLastError): ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_NOT_SAME_DEVICE when the trash found is on another device, ...
CORVANE_PLATFORM_EXPORT DWORD MoveToTrash(const std::string& path, TrashedItem* trashed = nullptr);

} // namespace shell32
