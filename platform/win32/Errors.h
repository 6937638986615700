#pragma once
// Error codes and HRESULTs of the platform, with the values the system's code
// tests, and the mapping from errno (see Errors.cpp).

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

// Windows error codes (GetLastError).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD NO_ERROR = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_INVALID_DRIVE = 15;
constexpr DWORD ERROR_CURRENT_DIRECTORY = 16;
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_BAD_NETPATH = 53;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_CANNOT_MAKE = 82;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_OPEN_FAILED = 110;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_NOT_LOCKED = 158;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_NOT_OWNER = 288;
constexpr DWORD ERROR_TOO_MANY_POSTS = 298;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_IO_PENDING = 997;
constexpr DWORD ERROR_NOACCESS = 998;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_NO_ASSOCIATION = 1155;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_INVALID_MENU_HANDLE = 1401;
constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_NO_SCROLLBARS = 1447;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;
constexpr DWORD ERROR_CANCELLED = 1223;
constexpr DWORD ERROR_INVALID_MSGBOX_STYLE = 1438;
constexpr DWORD ERROR_TIMEOUT = 1460;
constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_NOT_A_REPARSE_POINT = 4390;
constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_LOCK_VIOLATION = 33;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_SEEK = 25;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr DWORD ERROR_NOT_EMPTY_DIR = ERROR_DIR_NOT_EMPTY;
constexpr DWORD ERROR_CIRCULAR_DEPENDENCY = 1059;
constexpr DWORD ERROR_STOPPED_ON_SYMLINK = 681;
constexpr DWORD ERROR_CANT_ACCESS_FILE = 1920;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_BAD_UNIT = 20;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_NETNAME_DELETED = 64;
constexpr DWORD ERROR_WAIT_NO_CHILDREN = 128;
constexpr DWORD ERROR_SEEK_ON_DEVICE = 132;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;
constexpr DWORD ERROR_ARITHMETIC_OVERFLOW = 534;
constexpr DWORD ERROR_FILE_INVALID = 1006;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_POSSIBLE_DEADLOCK = 1131;
constexpr DWORD ERROR_TOO_MANY_LINKS = 1142;
constexpr DWORD ERROR_CONNECTION_REFUSED = 1225;
constexpr DWORD ERROR_RETRY = 1237;
constexpr DWORD ERROR_FILE_CORRUPT = 1392;
constexpr DWORD ERROR_NO_SYSTEM_RESOURCES = 1450;
constexpr DWORD ERROR_RESOURCE_LANG_NOT_FOUND = 1815;

// HRESULTs.
constexpr HRESULT MakeHResult(DWORD value)
{
    return static_cast<HRESULT>(value);
}
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
constexpr WORD HRESULT_CODE(HRESULT hr)
{
    return static_cast<WORD>(static_cast<DWORD>(hr) & 0xFFFF);
}
constexpr WORD HRESULT_FACILITY(HRESULT hr)
{
    return static_cast<WORD>((static_cast<DWORD>(hr) >> 16) & 0x1FFF);
}
constexpr DWORD FACILITY_WIN32 = 7;
constexpr DWORD FACILITY_ITF = 4;
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error)
{
    return static_cast<HRESULT>(error) <= 0
               ? static_cast<HRESULT>(error)
               : static_cast<HRESULT>((error & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}
constexpr DWORD SEVERITY_SUCCESS = 0;
constexpr DWORD SEVERITY_ERROR = 1;
constexpr HRESULT MAKE_HRESULT(DWORD severity, DWORD facility, DWORD code)
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
constexpr HRESULT E_PENDING = MakeHResult(0x8000000A);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0);
constexpr HRESULT CO_E_ALREADYINITIALIZED = MakeHResult(0x800401F1);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT RPC_E_CHANGED_MODE = MakeHResult(0x80010106);
constexpr HRESULT DV_E_FORMATETC = MakeHResult(0x80040064);
constexpr HRESULT DV_E_TYMED = MakeHResult(0x80040069);
constexpr HRESULT DV_E_DVASPECT = MakeHResult(0x8004006B);
constexpr HRESULT DV_E_LINDEX = MakeHResult(0x80040068);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = MakeHResult(0x80040003);
constexpr HRESULT CLIPBRD_E_CANT_OPEN = MakeHResult(0x800401D0);
constexpr HRESULT CLIPBRD_E_CANT_EMPTY = MakeHResult(0x800401D1);
constexpr HRESULT CLIPBRD_E_CANT_SET = MakeHResult(0x800401D2);
constexpr HRESULT CLIPBRD_E_BAD_DATA = MakeHResult(0x800401D3);
constexpr HRESULT CLIPBRD_E_CANT_CLOSE = MakeHResult(0x800401D4);
constexpr HRESULT DATA_S_SAMEFORMATETC = MakeHResult(0x00040130);
constexpr HRESULT DRAGDROP_S_DROP = MakeHResult(0x00040100);
constexpr HRESULT DRAGDROP_S_CANCEL = MakeHResult(0x00040101);
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = MakeHResult(0x00040102);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = MakeHResult(0x80040100);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = MakeHResult(0x80040101);
constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = MakeHResult(0x80030003);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(0x80030005);
constexpr HRESULT STG_E_INVALIDNAME = MakeHResult(0x800300FC);
constexpr HRESULT STG_E_FILEALREADYEXISTS = MakeHResult(0x80030050);
constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001E);
constexpr HRESULT STG_E_WRITEFAULT = MakeHResult(0x8003001D);
constexpr HRESULT STG_E_INVALIDHEADER = MakeHResult(0x800300FB);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070);

namespace win32 {

// The Windows error code for an errno value (EEXIST -> 183, ENOENT -> 2,
// ENOTDIR -> 3, EACCES/EPERM/EISDIR -> 5, ENAMETOOLONG -> 206, ENOSPC -> 112,
// EROFS -> 19, ...). 0 maps to ERROR_SUCCESS, unknown values to
// ERROR_GEN_FAILURE (31).
CORVANE_PLATFORM_EXPORT DWORD ErrorFromErrno(int err);

// SetLastError(ErrorFromErrno(errno)); returns the code set. errno is kept.
CORVANE_PLATFORM_EXPORT DWORD SetLastErrorFromErrno();

// How a failed call used its path. The platform tells which part of a path
// was missing where errno does not: ERROR_FILE_NOT_FOUND (2) when the last
// component is missing from a folder that exists, ERROR_PATH_NOT_FOUND (3)
// when a folder on the way is missing or is no folder, and ERROR_DIRECTORY
// (267) when a folder was asked for and the path names something else.
enum class PathUse {
    Existing, // the path names what the call works on (stat, open, unlink)
    Folder,   // the path must name a folder (chdir, rmdir, opendir)
    New,      // the call makes the last component (mkdir, open with O_CREAT)
};

// The code for err from a call on path, looking at the path again where
// errno is ambiguous.
CORVANE_PLATFORM_EXPORT DWORD ErrorFromPathErrno(int err, const char* path, PathUse use);
// SetLastError(ErrorFromPathErrno(errno, path, use)); errno is kept.
CORVANE_PLATFORM_EXPORT DWORD SetLastErrorFromPathErrno(const char* path, PathUse use);

// HRESULT_FROM_WIN32 of the mapped code, except that 0 gives S_OK and ENOMEM
// gives E_OUTOFMEMORY, the form the platform's COM calls return.
CORVANE_PLATFORM_EXPORT HRESULT HResultFromErrno(int err);

} // namespace win32

// The calling thread's last error.
CORVANE_PLATFORM_EXPORT void SetLastError(DWORD error);
CORVANE_PLATFORM_EXPORT DWORD GetLastError();
