#pragma once
// Resource strings: texts a module carries in its string table, addressed in
// code by a named record rather than by number.
//
// A unit declares each of its resource strings as a record,
//
//     extern const vcl::TResStringRec SNewFolder;              // header
//     const vcl::TResStringRec SNewFolder{"SNewFolder", 65417, "New Folder"};
//
// and loads the text where it needs it with LoadResString(&SNewFolder). The
// number is the entry's identifier in the module's string table; it is fixed
// when the module is built and code never uses it. The records are constant
// data: nothing runs to set them up.

#include "vcl/CorvaneVclExport.h"
#include "win32/WinTypes.h"

#include <string>

namespace vcl {

struct CORVANE_VCL_EXPORT TResStringRec {
    const char* Name; // the symbol's name, for diagnostics and enumeration
    WORD Identifier;  // its number in the module's string table
    const char* Text; // the text built into the module; line breaks are single line feeds
};
using PResStringRec = const TResStringRec*;

// The text of a resource string; the empty text for nil.
CORVANE_VCL_EXPORT std::string LoadResString(PResStringRec resString);

} // namespace vcl
