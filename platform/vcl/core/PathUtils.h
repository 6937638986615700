#pragma once
// Path names, POSIX style: "/" separates and alone is the root; there are no
// drive letters; only "." and ".." are special; names compare by their bytes.
// These routines only look at the text: they touch no file (but
// ExpandFileName, which asks for the current directory).
//
// Extensions: the extension is the part of the name from its last "." on,
// "a.tar.gz" -> ".gz", "name." -> ".". Dots that start a name belong to the
// name, so a hidden file's leading dot is not an extension: ".bashrc" has
// none, ".config.bak" has ".bak", and "." and ".." have none.

#include "vcl/CorvaneVclExport.h"
#include <string>
#include <string_view>

namespace vcl {

inline constexpr char PathDelim = '/';
inline constexpr std::string_view PathSep = ":"; // between paths of a search list

// Up to and including the last "/" ("" when there is none).
CORVANE_VCL_EXPORT std::string ExtractFilePath(std::string_view fileName);
// ExtractFilePath without its trailing "/"s, except that the root stays "/".
CORVANE_VCL_EXPORT std::string ExtractFileDir(std::string_view fileName);
// After the last "/".
CORVANE_VCL_EXPORT std::string ExtractFileName(std::string_view fileName);
CORVANE_VCL_EXPORT std::string ExtractFileExt(std::string_view fileName);
// Replaces the extension (or adds one where there is none); extension
// carries its own dot, and an empty one removes the extension.
CORVANE_VCL_EXPORT std::string ChangeFileExt(std::string_view fileName, std::string_view extension);

// Adds a "/" unless there is one; the empty path stays empty (a slash would
// turn "no folder" into the root).
CORVANE_VCL_EXPORT std::string IncludeTrailingPathDelimiter(std::string_view path);
CORVANE_VCL_EXPORT std::string IncludeTrailingBackslash(std::string_view path);
// Removes trailing "/"s; the root stays "/".
CORVANE_VCL_EXPORT std::string ExcludeTrailingPathDelimiter(std::string_view path);
CORVANE_VCL_EXPORT std::string ExcludeTrailingBackslash(std::string_view path);

// Whether s[index] (1-based) is a "/".
CORVANE_VCL_EXPORT bool IsPathDelimiter(std::string_view s, int index);

// The absolute form of fileName: relative names are taken from the current
// directory; "." and ".." are resolved on the text (symbolic links are not
// followed; ".." at the root stays at the root); repeated "/"s become one. A
// trailing "/" is kept. The empty name gives the empty name.
CORVANE_VCL_EXPORT std::string ExpandFileName(std::string_view fileName);
// The lexical normal form of a path, relative or absolute, as ExpandFileName
// makes it but without the current directory (leading ".." of a relative
// path are kept; an empty result is ".").
CORVANE_VCL_EXPORT std::string NormalizePath(std::string_view path);

// destName relative to the folder of baseName (its ExtractFilePath, so a
// folder is given with a trailing "/"): "../c/file". destName is returned
// unchanged when one is absolute and the other not, or when the base climbs
// above where the relative paths start.
CORVANE_VCL_EXPORT std::string ExtractRelativePath(std::string_view baseName, std::string_view destName);

} // namespace vcl
