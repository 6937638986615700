#pragma once
// The layout of a version block, built and searched in one place.
//
// A block is a tree of nodes. Each node: WORD length (the node with its
// children), WORD value length (bytes), WORD type (0 binary, 1 text), the key
// in UTF-16 with its terminator, padding to 4 bytes, the value, padding to 4
// bytes, then the child nodes. The root's key is "VS_VERSION_INFO" and its
// value the fixed record. Texts are 8-bit, terminated, their length counting
// the terminator.

#include "CorvanePlatformExport.h"
#include "win32/VersionInfo.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win32 {

struct CORVANE_PLATFORM_EXPORT VersionBlockContents {
    VS_FIXEDFILEINFO fixed{};
    WORD language = 0x0409;
    WORD codePage = 0x04B0;
    std::vector<std::pair<std::string, std::string>> strings; // name, text
};

// Empty if the contents would not fit the 16-bit lengths of the layout.
CORVANE_PLATFORM_EXPORT std::vector<BYTE> BuildVersionBlock(const VersionBlockContents& contents);

struct CORVANE_PLATFORM_EXPORT VersionValue {
    const BYTE* data = nullptr;
    UINT length = 0;
};

// The value at subBlock ("\" for the root's); nothing for a malformed or
// foreign block or an unknown path. No byte at or past `available` is read,
// and none past the block's declared length once its header and root key have
// matched. A foreign block is refused after at most 38 bytes (its header and
// key), so VerQueryValueA, which is not told the size, passes SIZE_MAX.
CORVANE_PLATFORM_EXPORT std::optional<VersionValue> FindVersionValue(const void* block, std::size_t available,
                                                                     std::string_view subBlock);

} // namespace win32
