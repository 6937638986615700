#pragma once
// Shell utilities: item id lists and the shell allocator, folder, path,
// display-name, icon and image-list helpers, the version tests, item id list
// containers, the device-change broadcaster, shortcuts, and string helpers
// that respect double-byte character sets.
//
// The unit spans several source files, one concern each
// (UKwShellUtils_<Concern>.cpp).
//
// Threads:
// - Start-up and shut-down run on the GUI thread, from the unit registry.
// - The item id list and allocator routines, the folder, path, display-name
//   and special-folder helpers, the icon-index routines, the version tests
//   (after start-up), FormatStrPos, KwLoadStr and the string helpers may be
//   called from any thread.
// - An icon has one index whichever thread asks for it. Only the GUI thread
//   reads the icon theme: an icon first asked for elsewhere shows its
//   built-in picture until the GUI thread asks for an icon or a system image
//   list (ShellGetSystemImageList, which a control calls before drawing),
//   which puts the theme's picture in at the same index. Draw the lists on
//   the GUI thread only.
// - The shortcut routines make a COM object: the calling thread must have
//   initialised COM (CoInitialize), as every thread that makes objects must.
// - A TKwIdListArray or TKwPidlList belongs to one thread at a time.

#include "KwCorvaneExport.h"
#include "UKwShell95.h"
#include "com/Guid.h"
#include "com/TaskAllocator.h"
#include "vcl/core/Object.h"
#include "vcl/core/ResourceStrings.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "vcl/widgets/Messages.h"
#include "win32/FileSystem.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vcl {
class TStrings;
}

namespace kw {

// ---- Item id lists and the shell allocator ----

// An item id list: items laid end to end, each led by a 16-bit little-endian
// byte count that includes the count itself, ended by a zero count. The empty
// list (the terminator alone) is the desktop. Item counts may sit on odd
// addresses, so they are read byte by byte, never through the record.
using TItemIDList = ::ITEMIDLIST;
using PItemIDList = ::ITEMIDLIST*;
using TStrRet = ::STRRET;

// Every item id list the library makes or receives is allocated and freed
// through the shell allocator. Until the unit's start-up hands one over,
// ShellIMalloc obtains it on first use with SHGetMalloc. The reference is
// kept for the life of the process and never released.
KWCORVANE_EXPORT void* ShellMemAlloc(ULONG size);
// A null p gives null and allocates nothing.
KWCORVANE_EXPORT void* ShellMemRealloc(void* p, ULONG size);
// Null is ignored.
KWCORVANE_EXPORT void ShellMemFree(void* p);
// The held allocator (no new reference for the caller); null only when the
// platform has none to give.
KWCORVANE_EXPORT IMalloc* ShellIMalloc();

// Length in bytes including the terminator; 0 for null.
KWCORVANE_EXPORT int IdListLen(const ITEMIDLIST* pidl);
// A new copy of pidl (null: a new empty list), allocated with malloc when it
// is given, else with the shell allocator. Null when the allocation fails.
KWCORVANE_EXPORT PItemIDList CopyIdList(IMalloc* malloc, const ITEMIDLIST* pidl);
// A new list of a's items followed by b's (null counts as empty).
KWCORVANE_EXPORT PItemIDList ConcatIdLists(IMalloc* malloc, const ITEMIDLIST* a, const ITEMIDLIST* b);
// 0 when both absolute lists name the same item, whatever route they took.
// A null or empty side that is not matched by the other gives -1; a shell
// failure gives MaxInt (2147483647). Callers use it as an equality test.
KWCORVANE_EXPORT int CompareAbsIdLists(const ITEMIDLIST* a, const ITEMIDLIST* b);
// The text of a string-return record. An offset record (type 1) is read only
// inside pidl, the list it was returned for: an offset outside it gives the
// empty text. Unknown types give the empty text.
KWCORVANE_EXPORT std::string StrretToString(const ITEMIDLIST* pidl, const STRRET& strRet);
// Frees the shell's wide string of a type-0 record and clears the pointer.
KWCORVANE_EXPORT void StrretFree(STRRET& strRet);

// ---- Folder, path, display-name and special-folder helpers ----

// The shell's special folders; the ordinal is the system's folder number.
// The csidl_None members only keep the ordinals aligned and are never looked
// up; csidlNone means no special folder.
enum TCSIDL : int {
    csidlDesktop,
    csidl_None1,
    csidlPrograms,
    csidlControls,
    csidlPrinters,
    csidlPersonal,
    csidlFavorites,
    csidlStartup,
    csidlRecent,
    csidlSendTo,
    csidlBitBucket,
    csidlStartMenu,
    csidl_None2,
    csidl_None3,
    csidl_None4,
    csidl_None5,
    csidlDesktopDirectory,
    csidlDrives,
    csidlNetwork,
    csidlNethood,
    csidlFonts,
    csidlTemplates,
    csidlCommonStartMenu,
    csidlCommonPrograms,
    csidlCommonStartup,
    csidlCommonDesktopDirectory,
    csidlAppData,
    csidlPrintHood,
    csidlNone,
};
VCL_ENUM_TYPE(TCSIDL, csidlDesktop, csidl_None1, csidlPrograms, csidlControls, csidlPrinters, csidlPersonal,
              csidlFavorites, csidlStartup, csidlRecent, csidlSendTo, csidlBitBucket, csidlStartMenu,
              csidl_None2, csidl_None3, csidl_None4, csidl_None5, csidlDesktopDirectory, csidlDrives,
              csidlNetwork, csidlNethood, csidlFonts, csidlTemplates, csidlCommonStartMenu,
              csidlCommonPrograms, csidlCommonStartup, csidlCommonDesktopDirectory, csidlAppData,
              csidlPrintHood, csidlNone)
inline constexpr int TCSIDLCount = csidlNone + 1;

// True for the members that only keep the ordinals aligned (and csidlNone).
constexpr bool IsPlaceholderCSIDL(TCSIDL folder)
{
    return folder == csidl_None1 || (folder >= csidl_None2 && folder <= csidl_None5) || folder == csidlNone;
}

// Display-name kinds, mapped to the shell's SHGDN flags.
enum TKwFriendlyNameFlags : int {
    kwfnNormal,     // SHGDN_NORMAL
    kwfnInFolder,   // SHGDN_INFOLDER
    kwfnForParsing, // SHGDN_FORPARSING
};

// Routines that return an HRESULT return the first failing code and leave
// their out-parameter null; text routines return the empty text on failure.
// Returned lists and folder references belong to the caller (ShellMemFree,
// Release).

// The folder of an absolute list; null or empty gives the desktop itself.
KWCORVANE_EXPORT HRESULT ShellGetFolderFromIdList(const ITEMIDLIST* pidl, IShellFolder** folder);
// The absolute list of a parsing name (a path). The whole text is handed to
// the parser: a name it finds too long is its error, never another item.
KWCORVANE_EXPORT HRESULT ShellGetIdListFromPath(const std::string& path, PItemIDList* pidl);
// The whole file-system path of an absolute list (null: the desktop's
// directory); empty when the item has none or the path cannot be had whole.
KWCORVANE_EXPORT std::string ShellGetPathFromIdList(const ITEMIDLIST* pidl);
// The path form of whatever a typed name parses to; empty when none.
KWCORVANE_EXPORT std::string ShellGetDisplayPathName(const std::string& name);
KWCORVANE_EXPORT std::string ShellGetSpecialFolderPath(HWND owner, TCSIDL folder);
KWCORVANE_EXPORT HRESULT ShellGetSpecialFolderIdList(HWND owner, TCSIDL folder, PItemIDList* pidl);
// Which special folder an absolute list names; csidlNone when none (and for
// null). The placeholder ordinals are never tried.
KWCORVANE_EXPORT TCSIDL ShellFindCSIDLFromIdList(const ITEMIDLIST* pidl);
// The display name of pidl, relative to folder; with a null folder pidl is
// absolute and the desktop is asked. Empty on any failure.
KWCORVANE_EXPORT std::string ShellGetFriendlyNameFromIdList(IShellFolder* folder, const ITEMIDLIST* pidl,
                                                            TKwFriendlyNameFlags flags);

// ---- Icons and system image lists ----

// The two system image lists' sizes, mapped to the file-information call's
// size flag: kwsizSmall to SHGFI_SMALLICON (16 by 16), kwsizLarge to 0 (32
// by 32).
enum TKwShellIconSize : int {
    kwsizSmall,
    kwsizLarge,
};

// System image-list indexes, through the shell's file-information call with
// the caller's SHGFI_* flags added (SHGFI_SMALLICON, SHGFI_OPENICON, ...).
// The index is the same in both lists. 0, which no item ever has, when the
// call fails or raises.
KWCORVANE_EXPORT int ShellGetIconIndex(const ITEMIDLIST* pidl, UINT flags);
KWCORVANE_EXPORT int ShellGetIconIndexFromPath(const std::string& path, UINT flags);
// By the file type of the name alone: nothing on disk is touched, so the
// name need not exist.
KWCORVANE_EXPORT int ShellGetIconIndexFromExt(const std::string& name, UINT flags);
// Raises vcl::EOleSysError with the failing HRESULT when the special
// folder's list cannot be had.
KWCORVANE_EXPORT int ShellGetSpecialFolderIconIndex(TCSIDL folder, UINT flags);

// The process's shared system image list of that size; never destroy it. On
// an NT-family system with common controls 4.71 or later the first call adds
// the shell's share and link overlay icons to both lists as overlay images 1
// and 2, once per process (tried again on the next call when the shell
// library cannot be loaded). The system's code asks for the list of the
// Windows root "C:\"; here it is the list of "/".
KWCORVANE_EXPORT HIMAGELIST ShellGetSystemImageList(TKwShellIconSize size);

// ---- Operating-system and common-controls versions ----

// A module's fixed file version: LS is the low half (the build numbers), MS
// the high half (major version in its high 16 bits, minor in its low 16 bits;
// 4.71 is 0x00040047).
struct KWCORVANE_EXPORT TKwModuleVersion {
    DWORD LS;
    DWORD MS;
};

// The file version of "comctl32.dll", read once at start-up; both halves 0
// when it cannot be read, so every comparison against it fails.
extern KWCORVANE_EXPORT TKwModuleVersion COMCTL32_VER;

// The system the process runs on, from the version record read at start-up
// (before start-up every test is false).
KWCORVANE_EXPORT bool IsWin95();         // the 95 family (VER_PLATFORM_WIN32_WINDOWS)
KWCORVANE_EXPORT bool IsOSR2OrGreater(); // the 95 family with a build number (its low 16 bits) above 1000
KWCORVANE_EXPORT bool IsWinNT();         // the NT family (VER_PLATFORM_WIN32_NT)
KWCORVANE_EXPORT bool IsWin2000();       // NT 5.0 or later
KWCORVANE_EXPORT bool HasWin95Shell();   // the 95 family, or NT 4.0 or later

// The fixed file version of a module; false, with version untouched, when it
// has no readable version resource.
KWCORVANE_EXPORT bool GetModuleVersion(const std::string& fileName, TKwModuleVersion& version);

// ---- Item id list containers ----

// Views one absolute list as an indexed array of its items and ancestors.
// The source list is neither copied nor freed. Each GetItem or GoUp result is
// owned by the array and freed by the next such call or by the destructor: a
// caller that keeps one copies it (CopyIdList).
class KWCORVANE_EXPORT TKwIdListArray : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwIdListArray, vcl::TObject)
public:
    explicit TKwIdListArray(const ITEMIDLIST* list);
    ~TKwIdListArray() override;
    TKwIdListArray(const TKwIdListArray&) = delete;
    TKwIdListArray& operator=(const TKwIdListArray&) = delete;

    // Items in the source; 0 for null.
    int GetCount() const;
    // One-item relative list of item index. Raises vcl::Exception
    // "TKwIdListArray - index <n> out of range" for a null source, a negative
    // index or one past the items; an empty source gives a new empty list for
    // index 0 and null for any larger index.
    PItemIDList GetItem(int index);
    PItemIDList Items(int index) { return GetItem(index); }
    // Absolute list of the ancestor levels up: 0 copies the whole list,
    // GetCount() gives the desktop; more levels, fewer than 0 or a null
    // source give null.
    PItemIDList GoUp(int levels);

private:
    void FreeLastResult();

    const ITEMIDLIST* Source_;
    PItemIDList LastResult_ = nullptr;
};

// What adding an entry equal to an existing one does in a sorted list.
enum TKwPidlDuplicates : int {
    kwdupIgnore, // the existing entry's index is returned, nothing added
    kwdupAccept, // the new entry goes in front of the equal ones
    kwdupError,  // vcl::Exception "TKwPidlList: Duplicate PIDL"
};

// Pairs of an item id list and an object, optionally kept in order with a
// duplicates policy. Lists are stored as handed in, never copied. With
// ShellFolder set entries are ordered and matched by its CompareIDs (a plain
// reference: not counted); where that call fails the byte order of the two
// lists decides, so a failure never reaches a sort or search as an order.
// With Malloc set the container owns the entries' lists and frees them with
// it in Delete and Clear. Sorting and searching stay memory-safe whatever the
// folder's comparison answers or does: a comparison that changes the list
// ends a sort there, leaving the entries as it made them. Bad indexes and a
// capacity below the count or above vcl::MaxListSize raise vcl::EListError.
class KWCORVANE_EXPORT TKwPidlList : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwPidlList, vcl::TObject)
public:
    TKwPidlList() = default;
    ~TKwPidlList() override;
    TKwPidlList(const TKwPidlList&) = delete;
    TKwPidlList& operator=(const TKwPidlList&) = delete;

    virtual int Add(PItemIDList pidl);
    virtual int AddObject(PItemIDList pidl, vcl::TObject* object);
    // At index, with no ordering or duplicate check.
    void Insert(int index, PItemIDList pidl);
    void InsertObject(int index, PItemIDList pidl, vcl::TObject* object);

    PItemIDList GetPIDL(int index) const;
    // The replaced list is not freed.
    void SetPIDL(int index, PItemIDList pidl);
    vcl::TObject* GetObject(int index) const;
    void SetObject(int index, vcl::TObject* object);
    int GetCount() const;
    int GetCapacity() const;
    void SetCapacity(int value);

    bool Sorted() const { return Sorted_; }
    // Sorts when it becomes true.
    void SetSorted(bool value);
    void Sort();

    // Index is the position of an equal entry (with kwdupAccept the leftmost
    // one), else where pidl would go; false when none is equal.
    bool BinarySearch(const ITEMIDLIST* pidl, int& index) const;
    // Index is set only when found.
    bool LinearSearch(const ITEMIDLIST* pidl, int& index) const;
    // -1 when not found.
    int IndexOf(const ITEMIDLIST* pidl) const;

    void Delete(int index);
    void Clear();

    IShellFolder* ShellFolder() const { return ShellFolder_; }
    void SetShellFolder(IShellFolder* folder) { ShellFolder_ = folder; }
    IMalloc* Malloc() const { return Malloc_.Get(); }
    void SetMalloc(IMalloc* malloc) { Malloc_.Reset(malloc); }
    TKwPidlDuplicates Duplicates() const { return Duplicates_; }
    void SetDuplicates(TKwPidlDuplicates value) { Duplicates_ = value; }

    // The order of two lists as this container sees them (negative, 0,
    // positive); never fails.
    int Compare(const ITEMIDLIST* x, const ITEMIDLIST* y) const;

private:
    struct Entry {
        PItemIDList Pidl;
        vcl::TObject* Object;
    };
    void CheckIndex(int index, int limit) const;

    std::vector<Entry> Entries_;
    bool Sorted_ = false;
    IShellFolder* ShellFolder_ = nullptr;
    com::ComPtr<IMalloc> Malloc_;
    TKwPidlDuplicates Duplicates_ = kwdupError;
    // Counts changes to the entries, so that a sort or search notices a
    // comparison that changed the list under it.
    unsigned Changes_ = 0;
};

// ---- Device-change broadcaster ----

// ---- Shortcuts ----

// Shortcuts are made and read through the shell-link object (CLSID_ShellLink
// with IShellLinkA and IPersistFile): on Linux a desktop entry, written at
// exactly the name given, or a symbolic link when read.

// Which optional fields CreateShortcut writes.
enum TLinkDataOption { ldoUseDesc, ldoUseArgs, ldoUseIcon, ldoUseWorkDir, ldoUseHotKey, ldoUseShowCmd };
using TLinkDataOptions = vcl::TSet<TLinkDataOption>;

// One shortcut.
struct KWCORVANE_EXPORT TLinkData {
    std::string Path; // the target
    TLinkDataOptions Options;
    std::string Description;
    std::string Arguments; // command-line arguments
    std::string IconLocation;
    int IconIndex = 0;
    std::string WorkingDirectory;
    int ShowCmd = 0; // the window show state
    WORD HotKey = 0;
    bool NoUI = false; // resolve without any user interface
    // Filled by ResolveShortcut when asked; the caller frees it with ShellMemFree.
    PItemIDList IdList = nullptr;
    WIN32_FIND_DATAA FindData{}; // the target's file data, filled by ResolveShortcut
};

// Writes a shortcut to Data.Path at linkFile: the path, then the optional
// fields named in Data.Options (the setters' results are not examined).
// Returns the first failing HRESULT of making the object, else the save's.
KWCORVANE_EXPORT HRESULT CreateShortcut(const std::string& linkFile, const TLinkData& data);
// A shortcut to target described by target itself, working in target's folder.
KWCORVANE_EXPORT HRESULT CreateQuickShortcut(const std::string& linkFile, const std::string& target);
// Loads and resolves the shortcut linkFile into data: every field, Options
// set to all six, and IdList when wantIdList (else nil; an earlier list is the
// caller's to free first). Each step runs only when the ones before it
// succeeded; the first failing HRESULT is returned and the fields not reached
// keep their values, so a file that is no shortcut leaves data as it was.
// Texts of any length are read whole.
KWCORVANE_EXPORT HRESULT ResolveShortcut(const std::string& linkFile, TLinkData& data, bool wantIdList);
// The class identifier the registry gives a file type (".ext" or a program
// identifier) under HKEY_CLASSES_ROOT: a default value "CLSID\{...}", else
// the type's or its program identifier's CLSID subkey. False for a missing
// key or subkey, an unopenable key or text that is no class identifier (which
// leaves classId zeroed); raises only what the framework's registry object
// raises.
KWCORVANE_EXPORT bool KwClsidFromFileType(const std::string& fileType, GUID& classId);

// ---- Positional formatting and double-byte string helpers ----

// Every text of the library passes through here at each use (the resource
// strings of UKwShConsts.h), so that an application can translate them in
// one place. Returns the text unchanged.
KWCORVANE_EXPORT std::string KwLoadStr(const std::string& s);
// The text of a resource string, through KwLoadStr.
KWCORVANE_EXPORT std::string KwLoadStr(vcl::PResStringRec resString);

// Formats fmt with positional inserts: "%1" is args[0], "%2" args[1], in any
// order and as often as wanted (the system's message formatter). An insert is
// not expanded again. An empty fmt gives the empty text; a formatter failure,
// a format naming an insert beyond args among them, gives the empty text too.
// More than 50 inserts raise vcl::Exception.
KWCORVANE_EXPORT std::string FormatStrPos(const std::string& fmt, std::span<const std::string> args);
inline std::string FormatStrPos(const std::string& fmt, std::initializer_list<std::string> args)
{
    return FormatStrPos(fmt, std::span<const std::string>(args.begin(), args.size()));
}
inline constexpr size_t FormatStrPosMaxInserts = 50;

// String helpers that never split a double-byte character of the system's
// code page (IsDBCSLeadByte: a lead byte and the byte after it are one
// character).

// s with ch at its end: unchanged when its last character already is ch;
// the empty text stays empty. A last byte that belongs to a double-byte
// character never counts as ch.
KWCORVANE_EXPORT std::string EnsureTrailingCharDB(const std::string& s, char ch);
// s without its trailing blanks, tabs and control bytes; a trail byte is never
// taken for one.
KWCORVANE_EXPORT std::string TrimRightDB(const std::string& s);
// Appends the character at index (1-based) of s to dest and steps index past
// it: two bytes for a double-byte character, one otherwise. A lead byte in the
// last position is appended alone and index steps by one. An index outside s
// appends nothing and leaves index alone.
KWCORVANE_EXPORT void CopyCharDB(int& index, const std::string& s, std::string& dest);
// The words of text: double quotes group (no escape; an empty quoted word is
// dropped; a quote right after an unquoted word ends it and opens a quoted
// one), blanks and tabs between words are skipped, and each word is
// right-trimmed. With blanksSeparate a blank or tab also ends an unquoted word
// (a command line); without, it belongs to the word (typed file names).
KWCORVANE_EXPORT std::vector<std::string> SplitQuotedDB(const std::string& text, bool blanksSeparate);
// Splits a command line into its arguments and adds them to list: blanks and
// tabs separate, double quotes group (no escape; empty quoted arguments are
// dropped; a quote right after an unquoted argument ends it and opens a quoted
// one). Each argument is right-trimmed. A null list is ignored.
KWCORVANE_EXPORT void ParametizeCmdLineDB(const std::string& cmdLine, vcl::TStrings* list);

// ---- Device-change broadcaster and drive-information flush ----

// A listener: the sender is the handler; the message is WM_DEVICECHANGE's
// wParam (the event) and lParam (for arrivals and removals a pointer to a
// copy of the broadcast data, valid while the listener runs).
using TKwDeviceChangeEvent = vcl::TEvent<void(vcl::TObject* ASender, vcl::TMessage& AMessage)>;

// Receives the system's device-change broadcasts in a hidden window and,
// once the broadcast has been answered, passes each on to every listener
// from the GUI thread's message loop. GUI thread only.
class KWCORVANE_EXPORT TKwDeviceChangeHandler : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwDeviceChangeHandler, vcl::TObject)
public:
    TKwDeviceChangeHandler();
    ~TKwDeviceChangeHandler() override;
    TKwDeviceChangeHandler(const TKwDeviceChangeHandler&) = delete;
    TKwDeviceChangeHandler& operator=(const TKwDeviceChangeHandler&) = delete;

    // Appends a listener (no duplicate check).
    void Add(TKwDeviceChangeEvent Event);
    // Removes the first listener equal to Event (code and object); nothing
    // when there is none.
    void Remove(TKwDeviceChangeEvent Event);
    void DeleteItem(int Index);
    int Count() const { return static_cast<int>(FList.size()); }

    // Calls every listener registered when it starts, in order. One removed
    // meanwhile is not called; one added meanwhile waits for the next
    // broadcast. A framework exception of a listener goes to the
    // application's handler and the others are still called; any other
    // exception ends the broadcast.
    void BroadcastToList(vcl::TMessage& Message);
    void WndProc(vcl::TMessage& Message);

    HWND Handle() const { return FWindow; }

private:
    struct TListener {
        TKwDeviceChangeEvent Event;
        bool Removed = false;
    };
    HWND FWindow = nullptr;
    std::vector<std::shared_ptr<TListener>> FList;
    // Copies of the broadcast data of re-posted messages, oldest first.
    std::deque<std::vector<unsigned char>> FHeld;
};

// The process-wide handler, made on the first call (from the GUI thread).
KWCORVANE_EXPORT TKwDeviceChangeHandler* KwDeviceChangeHandler();

// While not 0, FlushDriveInfoCache does nothing.
extern KWCORVANE_EXPORT std::int32_t gFlushDriveInfoSem;
// Makes the shell revalidate the drives folder (My Computer), so that drive
// data is read afresh; raises vcl::EOleSysError when it cannot be reached.
KWCORVANE_EXPORT void FlushDriveInfoCache();
KWCORVANE_EXPORT void LockFlushDriveInfoCache();
KWCORVANE_EXPORT void UnlockFlushDriveInfoCache();

// ---- Unit start-up ----

// The unit's start-up and shut-down, registered with the framework's unit
// registry by the package (KwCorvanePackage.cpp), after UKwShell95's.
// Start-up reads the operating-system version, gets the shell allocator and
// reads COMCTL32_VER; it never raises. Shut-down frees the process-wide
// device-change handler when one was made; the shell allocator reference is
// kept until the process ends. Each runs once per start-up: a second start-up
// is ignored, and shut-down without start-up does nothing.
KWCORVANE_EXPORT void UKwShellUtilsInitialization();
KWCORVANE_EXPORT void UKwShellUtilsFinalization();

} // namespace kw
