#pragma once
// The registry: a hierarchy of keys holding typed values, reached from four
// predefined roots.
//
// On Linux the store is one file of our own, corvane/registry below the
// config home of the user's places (win32/Locations.h: $XDG_CONFIG_HOME,
// else ~/.config, read once like every place, so the store and the
// application data folder are always the same folder),
// replaced atomically on every change under a lock shared by the user's
// processes, and read again whenever another process replaced it (its
// device, inode, size or modification time changed). A store that is a
// symbolic link is written where the link leads, in that file's own folder,
// and the link stays; a dangling link's file is made there. Its format is
// told in win32/RegistryStore.h.
//
// HKEY_CLASSES_ROOT is the stored classes keys laid over keys made from the
// MIME database (win32/ClassesRoot.h): ".ext" keys whose default value names
// a program identifier ("text.plain" for text/plain), the identifier's key
// with the type's description, and CLSID keys where a type has a class of
// ours. Made keys cannot be deleted; values written over them are stored and
// win.
//
// A store file that cannot be read or is malformed is never emptied or
// written over: every call that needs it answers ERROR_BADDB (1009) until the
// file is repaired or removed, while the keys made from the MIME database
// still answer under HKEY_CLASSES_ROOT.
//
// Names of keys and values compare without regard to ASCII case; a key name
// holds no '\', is not empty and has at most 255 bytes; '\' separates the
// names of a path. Subkeys enumerate in name order, values in the order they
// were made. The default value of a key is the value named "" (a null name
// means the same).
//
// An open key is a handle of the handle table that remembers the key's path:
// calls through it after the key was deleted answer ERROR_KEY_DELETED (1018).
// Access is checked as the platform does: a key opened for reading cannot be
// written through.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <string>

using REGSAM = DWORD;
using PHKEY = HKEY*;

// The predefined roots. They are always open; closing one does nothing.
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights of an open key.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM STANDARD_RIGHTS_READ = READ_CONTROL;
constexpr REGSAM STANDARD_RIGHTS_WRITE = READ_CONTROL;
constexpr REGSAM KEY_READ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr REGSAM KEY_WRITE = STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

// Options and dispositions of RegCreateKeyExA.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Limits of names and data.
constexpr DWORD KW_REG_MAX_KEY_NAME = 255;
constexpr DWORD KW_REG_MAX_VALUE_NAME = 16383;
constexpr DWORD KW_REG_MAX_VALUE_DATA = 16u << 20;

// Each call returns ERROR_SUCCESS or an error code (it does not set the last
// error): ERROR_INVALID_HANDLE for a key that is not open,
// ERROR_FILE_NOT_FOUND for a missing key or value, ERROR_KEY_DELETED,
// ERROR_ACCESS_DENIED for a right the key was not opened with (or a made
// classes key that cannot change), ERROR_INVALID_PARAMETER for a malformed
// name or a missing out-parameter, ERROR_BADDB for an unreadable store,
// ERROR_NO_SYSTEM_RESOURCES for a change that would make the store file
// larger than the 64 MiB it is read back with, and the platform's code for a
// store that could not be written (the change is then not made either).

// A null or empty subKey opens another handle to key itself.
CORVANE_PLATFORM_EXPORT LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired,
                                           PHKEY result);
// Makes the missing keys of subKey; disposition (may be null) says whether
// the last one was new. A class text is not stored.
CORVANE_PLATFORM_EXPORT LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                             DWORD options, REGSAM desired, const void* security,
                                             PHKEY result, DWORD* disposition);
CORVANE_PLATFORM_EXPORT LONG RegCloseKey(HKEY key);

// type and dataSize may be null; a null data with dataSize asks for the size.
// With data, *dataSize is the buffer's size on the way in and the value's
// size on the way out; a buffer too small gives ERROR_MORE_DATA (nothing
// written to it) with the size needed.
CORVANE_PLATFORM_EXPORT LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type,
                                              BYTE* data, DWORD* dataSize);
// Text values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are stored with a
// terminating zero even when data lacks one.
CORVANE_PLATFORM_EXPORT LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                            const BYTE* data, DWORD dataSize);
CORVANE_PLATFORM_EXPORT LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise).
CORVANE_PLATFORM_EXPORT LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);

// The subkey or value at index; ERROR_NO_MORE_ITEMS past the last. *nameSize
// is the buffer's size in bytes with the terminator on the way in and the
// name's length without it on the way out; ERROR_MORE_DATA when the name (or,
// for a value, its data) does not fit. keyClass, lastWriteTime, type, data
// and dataSize may be null.
CORVANE_PLATFORM_EXPORT LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameSize,
                                           DWORD* reserved, LPSTR keyClass, DWORD* classSize,
                                           FILETIME* lastWriteTime);
CORVANE_PLATFORM_EXPORT LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameSize,
                                           DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);

// Counts and longest lengths (names without terminator, data in bytes);
// every out-parameter may be null. Keys have no class: its length is 0.
CORVANE_PLATFORM_EXPORT LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classSize, DWORD* reserved,
                                              DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                                              DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                                              DWORD* securityDescriptorSize, FILETIME* lastWriteTime);

// Writes nothing: every change is written when it is made.
CORVANE_PLATFORM_EXPORT LONG RegFlushKey(HKEY key);

namespace win32 {

// The file of the store for the current environment.
CORVANE_PLATFORM_EXPORT std::string RegistryStorePath();

} // namespace win32
