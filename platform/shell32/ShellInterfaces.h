#pragma once
// The shell's records and COM interfaces, declared as abstract classes whose
// virtual functions follow the published slot order, with their published
// identifiers. Wide text is char16_t (LPWSTR, LPOLESTR).
//
// Objects of our own that implement these derive from com::ComObject
// (com/ComObject.h); the folders of the namespace are in shell32/Folders.h and
// how a virtual folder kind plugs in is told in shell32/VirtualFolder.h.

#include "CorvanePlatformExport.h"
#include "com/OleTypes.h"
#include "com/Unknown.h"
#include "shell32/ShellFlags.h"
#include "win32/WinTypes.h"

// ---- Item id lists ----
// An item: a 16-bit little-endian byte count that includes the count itself,
// then the item's bytes. A list is items laid end to end, ended by a zero
// count; the empty list is the desktop. Counts may lie on odd addresses, so
// the records are packed and counts are best read byte by byte.
#pragma pack(push, 1)
struct CORVANE_PLATFORM_EXPORT SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct CORVANE_PLATFORM_EXPORT ITEMIDLIST {
    SHITEMID mkid;
};
#pragma pack(pop)
static_assert(sizeof(SHITEMID) == 3 && sizeof(ITEMIDLIST) == 3);

using LPSHITEMID = SHITEMID*;
using LPCSHITEMID = const SHITEMID*;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

// ---- String-return record ----
// The inline kind holds at most 261 bytes; the shell answers with the wide
// kind (allocated with CoTaskMemAlloc, freed by the receiver) for any text
// that would not fit, never with a cut text.
inline constexpr int STRRET_CSTR_SIZE = 261;
struct CORVANE_PLATFORM_EXPORT STRRET {
    UINT uType;
    union {
        LPWSTR pOleStr;
        UINT uOffset;
        char cStr[STRRET_CSTR_SIZE];
    };
};
using LPSTRRET = STRRET*;

// ---- Column details (IShellDetails, IShellFolder2) ----
struct CORVANE_PLATFORM_EXPORT SHELLDETAILS {
    int fmt;    // LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER
    int cxChar; // width in average characters
    STRRET str;
};
using LPSHELLDETAILS = SHELLDETAILS*;

// A property's identity (IShellFolder2::MapColumnToSCID, GetDetailsEx).
struct CORVANE_PLATFORM_EXPORT SHCOLUMNID {
    GUID fmtid;
    DWORD pid;
};
using LPCSHCOLUMNID = const SHCOLUMNID*;

// ---- Records of the context-menu, view and file-viewer interfaces ----
struct CORVANE_PLATFORM_EXPORT CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCSTR lpVerb; // a verb text, or a command offset in its low word
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    HANDLE hIcon;
};
using LPCMINVOKECOMMANDINFO = CMINVOKECOMMANDINFO*;

// What QueryContextMenu is asked to add.
inline constexpr UINT CMF_NORMAL = 0x0000;
inline constexpr UINT CMF_DEFAULTONLY = 0x0001; // the default command alone (a double click)
inline constexpr UINT CMF_VERBSONLY = 0x0002;   // the item's own verbs, no submenus
inline constexpr UINT CMF_EXPLORE = 0x0004;
inline constexpr UINT CMF_NOVERBS = 0x0008;
inline constexpr UINT CMF_CANRENAME = 0x0010;
inline constexpr UINT CMF_NODEFAULT = 0x0020;
// What GetCommandString answers (the wide kinds write char16_t text).
inline constexpr UINT GCS_VERBA = 0x0000;
inline constexpr UINT GCS_HELPTEXTA = 0x0001;
inline constexpr UINT GCS_VALIDATEA = 0x0002;
inline constexpr UINT GCS_VERBW = 0x0004;
inline constexpr UINT GCS_HELPTEXTW = 0x0005;
inline constexpr UINT GCS_VALIDATEW = 0x0006;
inline constexpr UINT GCS_UNICODE = 0x0004;

struct CORVANE_PLATFORM_EXPORT FOLDERSETTINGS {
    UINT ViewMode;
    UINT fFlags;
};
using LPFOLDERSETTINGS = FOLDERSETTINGS*;
using LPCFOLDERSETTINGS = const FOLDERSETTINGS*;

KW_DECLARE_HANDLE(HPROPSHEETPAGE);
using LPFNADDPROPSHEETPAGE = BOOL (*)(HPROPSHEETPAGE page, LPARAM lParam);

// Declared where they are defined (window messages, COM data transfer, the
// file-system calls); the shell's interfaces only pass pointers to them.
struct MSG;
struct WIN32_FIND_DATAA;
class IBindCtx;
class IDataObject;
class IDropTarget;
class IEnumExtraSearch;
using LPBC = IBindCtx*;
using LPDATAOBJECT = IDataObject*;
using LPMSG = MSG*;

struct CORVANE_PLATFORM_EXPORT FVSHOWINFO {
    DWORD cbSize;
    HWND hwndOwner;
    int iShow;
    DWORD dwFlags;
    RECT rect;
    IUnknown* punkRel;
    OLECHAR strNewFile[260];
};
using LPFVSHOWINFO = FVSHOWINFO*;

// ---- Identifiers ----
inline constexpr CLSID CLSID_ShellDesktop = com::MakeGuid("{00021400-0000-0000-C000-000000000046}");
inline constexpr CLSID CLSID_ShellLink = com::MakeGuid("{00021401-0000-0000-C000-000000000046}");
inline constexpr CLSID CLSID_InternetShortcut = com::MakeGuid("{FBF23B40-E3F0-101B-8488-00AA003E56F8}");

inline constexpr IID IID_IOleWindow = com::MakeGuid("{00000114-0000-0000-C000-000000000046}");
inline constexpr IID IID_INewShortcutHookA = com::MakeGuid("{000214E1-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellBrowser = com::MakeGuid("{000214E2-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellView = com::MakeGuid("{000214E3-0000-0000-C000-000000000046}");
inline constexpr IID IID_IContextMenu = com::MakeGuid("{000214E4-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellIcon = com::MakeGuid("{000214E5-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellFolder = com::MakeGuid("{000214E6-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellExtInit = com::MakeGuid("{000214E8-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellPropSheetExt = com::MakeGuid("{000214E9-0000-0000-C000-000000000046}");
inline constexpr IID IID_IExtractIconA = com::MakeGuid("{000214EB-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellDetails = com::MakeGuid("{000214EC-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellLinkA = com::MakeGuid("{000214EE-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellCopyHookA = com::MakeGuid("{000214EF-0000-0000-C000-000000000046}");
inline constexpr IID IID_IFileViewerA = com::MakeGuid("{000214F0-0000-0000-C000-000000000046}");
inline constexpr IID IID_ICommDlgBrowser = com::MakeGuid("{000214F1-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumIDList = com::MakeGuid("{000214F2-0000-0000-C000-000000000046}");
inline constexpr IID IID_IFileViewerSite = com::MakeGuid("{000214F3-0000-0000-C000-000000000046}");
inline constexpr IID IID_IContextMenu2 = com::MakeGuid("{000214F4-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellFolder2 = com::MakeGuid("{93F2F68C-1D1B-11D3-A30E-00C04F79ABD1}");
// The 8-bit variants are the only ones here.
inline constexpr IID IID_IExtractIcon = IID_IExtractIconA;
inline constexpr IID IID_IShellLink = IID_IShellLinkA;
inline constexpr IID IID_IShellCopyHook = IID_IShellCopyHookA;
inline constexpr IID IID_IFileViewer = IID_IFileViewerA;
// The interface type names match the identifiers' names.
inline constexpr IID IID_ICopyHookA = IID_IShellCopyHookA;

// ---- Interfaces ----

class CORVANE_PLATFORM_EXPORT IOleWindow : public IUnknown {
public:
    virtual HRESULT GetWindow(HWND* window) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL enterMode) = 0;
};
KW_DECLARE_INTERFACE(IOleWindow, IUnknown)

class CORVANE_PLATFORM_EXPORT IShellDetails : public IUnknown {
public:
    // A null pidl asks for the column's header.
    virtual HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) = 0;
    virtual HRESULT ColumnClick(UINT column) = 0;
};
KW_DECLARE_INTERFACE(IShellDetails, IUnknown)

class CORVANE_PLATFORM_EXPORT IContextMenu : public IUnknown {
public:
    virtual HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info) = 0;
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, LPSTR name, UINT cchMax) = 0;
};
KW_DECLARE_INTERFACE(IContextMenu, IUnknown)

class CORVANE_PLATFORM_EXPORT IContextMenu2 : public IContextMenu {
public:
    virtual HRESULT HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};
KW_DECLARE_INTERFACE(IContextMenu2, IContextMenu)

class CORVANE_PLATFORM_EXPORT IEnumIDList : public IUnknown {
public:
    // Up to celt items, each a new one-item list for the caller to free.
    // S_OK when celt were fetched, S_FALSE when fewer (also none).
    virtual HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumIDList** clone) = 0;
};
KW_DECLARE_INTERFACE(IEnumIDList, IUnknown)
using LPENUMIDLIST = IEnumIDList*;

class CORVANE_PLATFORM_EXPORT IShellFolder : public IUnknown {
public:
    virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, LPWSTR displayName, ULONG* eaten,
                                     LPITEMIDLIST* pidl, ULONG* attributes) = 0;
    virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) = 0;
    virtual HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* bindContext, REFIID riid, void** out) = 0;
    virtual HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* bindContext, REFIID riid, void** out) = 0;
    // The order in the result's low 16 bits, read as a signed short.
    virtual HRESULT CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) = 0;
    virtual HRESULT CreateViewObject(HWND owner, REFIID riid, void** out) = 0;
    virtual HRESULT GetAttributesOf(UINT cidl, LPCITEMIDLIST* pidls, ULONG* inOut) = 0;
    virtual HRESULT GetUIObjectOf(HWND owner, UINT cidl, LPCITEMIDLIST* pidls, REFIID riid, UINT* reserved,
                                  void** out) = 0;
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) = 0;
    virtual HRESULT SetNameOf(HWND owner, LPCITEMIDLIST pidl, LPCWSTR name, DWORD flags,
                              LPITEMIDLIST* pidlOut) = 0;
};
KW_DECLARE_INTERFACE(IShellFolder, IUnknown)
using LPSHELLFOLDER = IShellFolder*;

class CORVANE_PLATFORM_EXPORT IShellFolder2 : public IShellFolder {
public:
    virtual HRESULT GetDefaultSearchGUID(GUID* guid) = 0;
    virtual HRESULT EnumSearches(IEnumExtraSearch** enumerator) = 0;
    virtual HRESULT GetDefaultColumn(DWORD reserved, ULONG* sort, ULONG* display) = 0;
    virtual HRESULT GetDefaultColumnState(UINT column, DWORD* flags) = 0;
    // The value is a VARIANT, a type this platform does not carry; the slot
    // is kept and answers E_NOTIMPL.
    virtual HRESULT GetDetailsEx(LPCITEMIDLIST pidl, const SHCOLUMNID* scid, void* value) = 0;
    virtual HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) = 0;
    virtual HRESULT MapColumnToSCID(UINT column, SHCOLUMNID* scid) = 0;
};
KW_DECLARE_INTERFACE(IShellFolder2, IShellFolder)

class CORVANE_PLATFORM_EXPORT IShellExtInit : public IUnknown {
public:
    virtual HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* dataObject, HKEY progIdKey) = 0;
};
KW_DECLARE_INTERFACE(IShellExtInit, IUnknown)

class CORVANE_PLATFORM_EXPORT IShellPropSheetExt : public IUnknown {
public:
    virtual HRESULT AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) = 0;
    virtual HRESULT ReplacePage(UINT pageId, LPFNADDPROPSHEETPAGE replaceWith, LPARAM lParam) = 0;
};
KW_DECLARE_INTERFACE(IShellPropSheetExt, IUnknown)

class CORVANE_PLATFORM_EXPORT IExtractIconA : public IUnknown {
public:
    virtual HRESULT GetIconLocation(UINT flags, LPSTR iconFile, UINT cchMax, int* index, UINT* outFlags) = 0;
    virtual HRESULT Extract(LPCSTR file, UINT iconIndex, HICON* large, HICON* small, UINT iconSize) = 0;
};
KW_DECLARE_INTERFACE(IExtractIconA, IUnknown)
using IExtractIcon = IExtractIconA;

class CORVANE_PLATFORM_EXPORT IShellIcon : public IUnknown {
public:
    virtual HRESULT GetIconOf(LPCITEMIDLIST pidl, UINT flags, int* iconIndex) = 0;
};
KW_DECLARE_INTERFACE(IShellIcon, IUnknown)

class CORVANE_PLATFORM_EXPORT ICopyHookA : public IUnknown {
public:
    virtual UINT CopyCallback(HWND owner, UINT func, UINT flags, LPCSTR source, DWORD sourceAttributes,
                              LPCSTR destination, DWORD destinationAttributes) = 0;
};
KW_DECLARE_INTERFACE(ICopyHookA, IUnknown)
using ICopyHook = ICopyHookA;

class CORVANE_PLATFORM_EXPORT IFileViewerSite : public IUnknown {
public:
    virtual HRESULT SetPinnedWindow(HWND window) = 0;
    virtual HRESULT GetPinnedWindow(HWND* window) = 0;
};
KW_DECLARE_INTERFACE(IFileViewerSite, IUnknown)

class CORVANE_PLATFORM_EXPORT IFileViewerA : public IUnknown {
public:
    virtual HRESULT ShowInitialize(IFileViewerSite* site) = 0;
    virtual HRESULT Show(LPFVSHOWINFO info) = 0;
    virtual HRESULT PrintTo(LPSTR driver, BOOL suppressUi) = 0;
};
KW_DECLARE_INTERFACE(IFileViewerA, IUnknown)
using IFileViewer = IFileViewerA;

class CORVANE_PLATFORM_EXPORT IShellLinkA : public IUnknown {
public:
    virtual HRESULT GetPath(LPSTR file, int cch, WIN32_FIND_DATAA* findData, DWORD flags) = 0;
    virtual HRESULT GetIDList(LPITEMIDLIST* pidl) = 0;
    virtual HRESULT SetIDList(LPCITEMIDLIST pidl) = 0;
    virtual HRESULT GetDescription(LPSTR name, int cch) = 0;
    virtual HRESULT SetDescription(LPCSTR name) = 0;
    virtual HRESULT GetWorkingDirectory(LPSTR dir, int cch) = 0;
    virtual HRESULT SetWorkingDirectory(LPCSTR dir) = 0;
    virtual HRESULT GetArguments(LPSTR args, int cch) = 0;
    virtual HRESULT SetArguments(LPCSTR args) = 0;
    virtual HRESULT GetHotkey(WORD* hotkey) = 0;
    virtual HRESULT SetHotkey(WORD hotkey) = 0;
    virtual HRESULT GetShowCmd(int* showCmd) = 0;
    virtual HRESULT SetShowCmd(int showCmd) = 0;
    virtual HRESULT GetIconLocation(LPSTR iconPath, int cch, int* icon) = 0;
    virtual HRESULT SetIconLocation(LPCSTR iconPath, int icon) = 0;
    virtual HRESULT SetRelativePath(LPCSTR relativePath, DWORD reserved) = 0;
    virtual HRESULT Resolve(HWND owner, DWORD flags) = 0;
    virtual HRESULT SetPath(LPCSTR file) = 0;
};
KW_DECLARE_INTERFACE(IShellLinkA, IUnknown)
using IShellLink = IShellLinkA;

// Only ever passed around; no slot of its own is called.
class CORVANE_PLATFORM_EXPORT IShellBrowser : public IOleWindow {};
KW_DECLARE_INTERFACE(IShellBrowser, IOleWindow)

class CORVANE_PLATFORM_EXPORT IShellView : public IOleWindow {
public:
    virtual HRESULT TranslateAccelerator(LPMSG msg) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT UIActivate(UINT state) = 0;
    virtual HRESULT Refresh() = 0;
    virtual HRESULT CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                     RECT* view, HWND* window) = 0;
    virtual HRESULT DestroyViewWindow() = 0;
    virtual HRESULT GetCurrentInfo(LPFOLDERSETTINGS settings) = 0;
    virtual HRESULT AddPropertySheetPages(DWORD reserved, LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) = 0;
    virtual HRESULT SaveViewState() = 0;
    virtual HRESULT SelectItem(LPCITEMIDLIST pidl, UINT flags) = 0;
    virtual HRESULT GetItemObject(UINT item, REFIID riid, void** out) = 0;
};
KW_DECLARE_INTERFACE(IShellView, IOleWindow)
