#pragma once
// The shell list's file filter on Linux: masks split from the filter text
// and matched by our own rules over the raw bytes of names, and the one
// listing of a folder that collects the names of its files that a mask
// matches. Nothing here builds a pattern for a library to read, so a name or
// a folder path holding wildcard or escape characters is plain text.

#include "KwCorvaneExport.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kw::detail {

// One mask: '*' stands for any run of characters, '?' for exactly one.
// Characters are compared case-insensitively where they are well-formed
// UTF-8; a byte of an ill-formed sequence stands for itself alone. "*.*"
// matches every name (the dot being the old optional extension), and a mask
// holding '/' matches none, a file name never holding one.
class KWCORVANE_EXPORT TKwFileMask {
public:
    explicit TKwFileMask(std::string_view mask);
    bool Matches(std::string_view name) const;

private:
    std::vector<char32_t> Units_;
    bool All_ = false;
    bool None_ = false;
};

// The masks of a filter text: the parts between ';' in their order, blanks
// kept, empty parts dropped.
KWCORVANE_EXPORT std::vector<std::string> SplitFileMasks(std::string_view filter);

// Whether a filter text lets every file through: empty, "*" or "*.*".
KWCORVANE_EXPORT bool IsOpenFileFilter(std::string_view filter);

// Lists folderPath once through its descriptor and adds to names the raw
// name of every entry that is not a folder (a link to one is no folder
// itself) and that one of masks matches. A listing that cannot be opened or read adds nothing more;
// false then.
KWCORVANE_EXPORT bool CollectMaskedNames(const std::string& folderPath, const std::vector<TKwFileMask>& masks,
                                         std::unordered_set<std::string>& names);

} // namespace kw::detail
