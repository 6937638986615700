#pragma once
// The shell-link object (CLSID_ShellLink): IShellLinkA and IPersistFile over
// the shortcuts of shell32/DesktopEntry.h.
//
// - Load reads a desktop entry of type Link or Application, or a symbolic
//   link (its target is the link's target); any other file fails and leaves
//   the object as it was. A program an entry names by its bare name (Exec=gio
//   open %u) is looked up in the absolute folders of PATH, and its path is the
//   target; the words after it are the arguments.
// - Save writes a desktop entry at exactly the name given (no extension is
//   added), replacing the file atomically. A URL, a folder or a document
//   becomes Type=Link; an executable file, or any target with arguments,
//   Type=Application.
// - SetPath makes a relative path absolute against the current directory; a
//   "file:" URL becomes its path.
// - The getters of text take (buffer, size in bytes with the terminator).
//   They never write past the buffer and always terminate it; text that does
//   not fit is not cut: the buffer is left empty and the call fails with
//   HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
// - Resolve succeeds for a target that exists and for a URL (a bare program
//   name found on no folder of PATH does not exist); a missing target is looked for through the
//   relative path (SetRelativePath) from the shortcut's folder, and
//   otherwise fails with HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND). Nothing
//   here shows a window, so SLR_NO_UI changes nothing; SLR_UPDATE saves a
//   target found anew.

#include "CorvanePlatformExport.h"
#include "com/Persist.h"
#include "shell32/ShellInterfaces.h"

// IShellLinkA::Resolve flags.
constexpr DWORD SLR_NO_UI = 0x0001;
constexpr DWORD SLR_ANY_MATCH = 0x0002;
constexpr DWORD SLR_UPDATE = 0x0004;
constexpr DWORD SLR_NOUPDATE = 0x0008;
constexpr DWORD SLR_NOSEARCH = 0x0010;
constexpr DWORD SLR_NOTRACK = 0x0020;
constexpr DWORD SLR_NOLINKINFO = 0x0040;
constexpr DWORD SLR_INVOKE_MSI = 0x0080;

// IShellLinkA::GetPath flags (there are no short or UNC paths: all give the
// same path).
constexpr DWORD SLGP_SHORTPATH = 0x0001;
constexpr DWORD SLGP_UNCPRIORITY = 0x0002;
constexpr DWORD SLGP_RAWPATH = 0x0004;

// The modifier bits of a hot key's high byte.
constexpr WORD HOTKEYF_SHIFT = 0x01;
constexpr WORD HOTKEYF_CONTROL = 0x02;
constexpr WORD HOTKEYF_ALT = 0x04;
constexpr WORD HOTKEYF_EXT = 0x08;

namespace shell32 {

// A new shell-link object, its interface riid in *ppv (the class's creation
// function as CoCreateInstance calls it).
CORVANE_PLATFORM_EXPORT HRESULT CreateShellLink(REFIID riid, void** ppv);

} // namespace shell32
