#pragma once
// Message texts: the system's texts for error codes and HRESULTs, and the
// message formatter with its numbered inserts.
//
// Line breaks are line feeds, as everywhere on this platform: "%n" gives "\n"
// and every system text ends with one.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <string>

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

// Formats a message (the system's text for messageId, or the text at source)
// into buffer, or, with FORMAT_MESSAGE_ALLOCATE_BUFFER, into a block of at
// least `size` characters from LocalAlloc whose address is stored where
// buffer points (the caller frees it with LocalFree). Returns the characters
// stored without the terminator; 0 on failure, and 0 without a block for an
// empty result (last error ERROR_SUCCESS).
//
// Inserts "%1".."%99" take the entries of `arguments`, an array of
// pointer-sized values (FORMAT_MESSAGE_ARGUMENT_ARRAY; the va_list form is not
// offered), each with an optional "!printf-format!" (default "!s!": a
// string). Supported formats: flags "-+ #0", a width and a precision (no
// "*"), the sizes h, l, ll, w, I, I32, I64 and the conversions s, S, c, C, d,
// i, u, x, X, o, p. An insert's text is never expanded again. Escapes: "%%",
// "%n" (line feed), "%0" (ends the output), "%.", "%!", "% ".
//
// argumentCount is this platform's safety extension: the number of entries in
// `arguments`. An insert beyond it (or any insert without arguments, unless
// FORMAT_MESSAGE_IGNORE_INSERTS) fails with ERROR_INVALID_PARAMETER, so the
// array is never read past its end.
//
// Other failures: no text for the id, ERROR_MR_MID_NOT_FOUND; a language other
// than neutral or English, ERROR_RESOURCE_LANG_NOT_FOUND; FROM_HMODULE alone
// (modules carry no message tables), ERROR_RESOURCE_TYPE_NOT_FOUND; a result
// that does not fit `size`, ERROR_INSUFFICIENT_BUFFER (nothing written).
CORVANE_PLATFORM_EXPORT DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                                             LPSTR buffer, DWORD size, const DWORD_PTR* arguments,
                                             size_t argumentCount);
// The same in wide text: string inserts ("!s!") point to wide strings.
CORVANE_PLATFORM_EXPORT DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                                             LPWSTR buffer, DWORD size, const DWORD_PTR* arguments,
                                             size_t argumentCount);

namespace win32 {

// The system's text for an error code or HRESULT, without the line break it
// ends with and with any inserts left as they are; empty when there is none.
// What the framework's SysErrorMessage shows.
CORVANE_PLATFORM_EXPORT std::string SystemErrorText(DWORD code);

} // namespace win32
