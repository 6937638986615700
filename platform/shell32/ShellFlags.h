#pragma once
// Flag and number constants of the shell's folder interfaces: item attributes
// (SFGAO_*), display-name kinds (SHGDN_*), enumeration filters (SHCONTF_*),
// column states (SHCOLSTATE_*), special-folder numbers (CSIDL_*), the kinds of
// string-return record (STRRET_*) and the column formats the details
// interfaces answer with (LVCFMT_*, the list view's own values), and the
// show command of a context menu's invocation (the menus' own flags and text
// kinds are with their interface). The values are the platform's and carry
// over unchanged.

#include "win32/WinTypes.h"

// ---- Item attributes (GetAttributesOf) ----
using SFGAOF = ULONG;
inline constexpr ULONG SFGAO_CANCOPY = 0x00000001;
inline constexpr ULONG SFGAO_CANMOVE = 0x00000002;
inline constexpr ULONG SFGAO_CANLINK = 0x00000004;
inline constexpr ULONG SFGAO_STORAGE = 0x00000008;
inline constexpr ULONG SFGAO_CANRENAME = 0x00000010;
inline constexpr ULONG SFGAO_CANDELETE = 0x00000020;
inline constexpr ULONG SFGAO_HASPROPSHEET = 0x00000040;
inline constexpr ULONG SFGAO_DROPTARGET = 0x00000100;
inline constexpr ULONG SFGAO_CAPABILITYMASK = 0x00000177;
inline constexpr ULONG SFGAO_ENCRYPTED = 0x00002000;
inline constexpr ULONG SFGAO_ISSLOW = 0x00004000;
inline constexpr ULONG SFGAO_GHOSTED = 0x00008000;
inline constexpr ULONG SFGAO_LINK = 0x00010000;
inline constexpr ULONG SFGAO_SHARE = 0x00020000;
inline constexpr ULONG SFGAO_READONLY = 0x00040000;
inline constexpr ULONG SFGAO_HIDDEN = 0x00080000;
inline constexpr ULONG SFGAO_DISPLAYATTRMASK = 0x000FC000;
inline constexpr ULONG SFGAO_NONENUMERATED = 0x00100000;
inline constexpr ULONG SFGAO_NEWCONTENT = 0x00200000;
inline constexpr ULONG SFGAO_STREAM = 0x00400000;
inline constexpr ULONG SFGAO_STORAGEANCESTOR = 0x00800000;
inline constexpr ULONG SFGAO_VALIDATE = 0x01000000;
inline constexpr ULONG SFGAO_REMOVABLE = 0x02000000;
inline constexpr ULONG SFGAO_COMPRESSED = 0x04000000;
inline constexpr ULONG SFGAO_BROWSABLE = 0x08000000;
inline constexpr ULONG SFGAO_FILESYSANCESTOR = 0x10000000;
inline constexpr ULONG SFGAO_FOLDER = 0x20000000;
inline constexpr ULONG SFGAO_FILESYSTEM = 0x40000000;
inline constexpr ULONG SFGAO_HASSUBFOLDER = 0x80000000;
inline constexpr ULONG SFGAO_CONTENTSMASK = 0x80000000;

// ---- Display-name kinds (GetDisplayNameOf, SetNameOf) ----
inline constexpr DWORD SHGDN_NORMAL = 0x0000;
inline constexpr DWORD SHGDN_INFOLDER = 0x0001;
inline constexpr DWORD SHGDN_FOREDITING = 0x1000;
inline constexpr DWORD SHGDN_INCLUDE_NONFILESYS = 0x2000;
inline constexpr DWORD SHGDN_FORADDRESSBAR = 0x4000;
inline constexpr DWORD SHGDN_FORPARSING = 0x8000;

// ---- Enumeration filters (EnumObjects) ----
inline constexpr DWORD SHCONTF_FOLDERS = 0x0020;
inline constexpr DWORD SHCONTF_NONFOLDERS = 0x0040;
inline constexpr DWORD SHCONTF_INCLUDEHIDDEN = 0x0080;
inline constexpr DWORD SHCONTF_INIT_ON_FIRST_NEXT = 0x0100;
inline constexpr DWORD SHCONTF_NETPRINTERSRCH = 0x0200;
inline constexpr DWORD SHCONTF_SHAREABLE = 0x0400;
inline constexpr DWORD SHCONTF_STORAGE = 0x0800;

// ---- Column states (IShellFolder2::GetDefaultColumnState) ----
inline constexpr DWORD SHCOLSTATE_TYPE_STR = 0x0001;
inline constexpr DWORD SHCOLSTATE_TYPE_INT = 0x0002;
inline constexpr DWORD SHCOLSTATE_TYPE_DATE = 0x0003;
inline constexpr DWORD SHCOLSTATE_TYPEMASK = 0x000F;
inline constexpr DWORD SHCOLSTATE_ONBYDEFAULT = 0x0010;
inline constexpr DWORD SHCOLSTATE_SLOW = 0x0020;
inline constexpr DWORD SHCOLSTATE_EXTENDED = 0x0040;
inline constexpr DWORD SHCOLSTATE_SECONDARYUI = 0x0080;
inline constexpr DWORD SHCOLSTATE_HIDDEN = 0x0100;
inline constexpr DWORD SHCOLSTATE_PREFER_VARCMP = 0x0200;

// ---- CompareIDs: the low 16 bits of lParam name the column ----
inline constexpr LPARAM SHCIDS_COLUMNMASK = 0x0000FFFF;

// ---- Column formats (SHELLDETAILS::fmt): the list view's values ----
#ifndef KW_LVCFMT_DEFINED
#define KW_LVCFMT_DEFINED
inline constexpr int LVCFMT_LEFT = 0x0000;
inline constexpr int LVCFMT_RIGHT = 0x0001;
inline constexpr int LVCFMT_CENTER = 0x0002;
inline constexpr int LVCFMT_JUSTIFYMASK = 0x0003;
#endif

// ---- String-return record kinds (STRRET::uType) ----
inline constexpr UINT STRRET_WSTR = 0;
inline constexpr UINT STRRET_OFFSET = 1;
inline constexpr UINT STRRET_CSTR = 2;

// ---- Special folders (SHGetSpecialFolderLocation) ----
inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_INTERNET = 0x0001;
inline constexpr int CSIDL_PROGRAMS = 0x0002;
inline constexpr int CSIDL_CONTROLS = 0x0003;
inline constexpr int CSIDL_PRINTERS = 0x0004;
inline constexpr int CSIDL_PERSONAL = 0x0005;
inline constexpr int CSIDL_FAVORITES = 0x0006;
inline constexpr int CSIDL_STARTUP = 0x0007;
inline constexpr int CSIDL_RECENT = 0x0008;
inline constexpr int CSIDL_SENDTO = 0x0009;
inline constexpr int CSIDL_BITBUCKET = 0x000A;
inline constexpr int CSIDL_STARTMENU = 0x000B;
inline constexpr int CSIDL_MYDOCUMENTS = 0x000C;
inline constexpr int CSIDL_MYMUSIC = 0x000D;
inline constexpr int CSIDL_MYVIDEO = 0x000E;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
inline constexpr int CSIDL_DRIVES = 0x0011;
inline constexpr int CSIDL_NETWORK = 0x0012;
inline constexpr int CSIDL_NETHOOD = 0x0013;
inline constexpr int CSIDL_FONTS = 0x0014;
inline constexpr int CSIDL_TEMPLATES = 0x0015;
inline constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
inline constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
inline constexpr int CSIDL_COMMON_STARTUP = 0x0018;
inline constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
inline constexpr int CSIDL_APPDATA = 0x001A;
inline constexpr int CSIDL_PRINTHOOD = 0x001B;
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int CSIDL_ALTSTARTUP = 0x001D;
inline constexpr int CSIDL_COMMON_ALTSTARTUP = 0x001E;
inline constexpr int CSIDL_COMMON_FAVORITES = 0x001F;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;

// ---- Context menus (IContextMenu) ----
// CMINVOKECOMMANDINFO.nShow for a window shown normally.
inline constexpr int SW_SHOWNORMAL = 1;
