// Text typed in a file dialog: split into names, each combined with the
// folder shown. The first byte gives the length of that folder's path, the
// rest is the typed text.

#include "FKwOpenDlg.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool promise)
{
    if (!promise)
        __builtin_trap();
}

// What a combined path promises: absolute, no empty, "." or ".." component,
// nothing over the limits, and combining it again changes nothing.
void CheckCombined(const std::string& path)
{
    Check(!path.empty() && path.front() == '/' && path.size() <= kw::MaxPathLength);
    Check(path == "/" || path.back() != '/');
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string_view component = std::string_view(path).substr(start, end - start);
        Check(!component.empty() && component != "." && component != ".." &&
              component.size() <= kw::MaxNameComponent);
        start = end + 1;
    }
    const kw::TKwCombinedPath again = kw::CombinePath("/", path);
    Check(again.Result == kw::kwcrPath && again.Path == path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t baseLength = std::min<std::size_t>(data[0], size - 1);
    const std::string_view rawBase(reinterpret_cast<const char*>(data) + 1, baseLength);
    const std::string text(reinterpret_cast<const char*>(data) + 1 + baseLength, size - 1 - baseLength);

    // The folder shown always has a clean absolute path.
    const kw::TKwCombinedPath base = kw::CombinePath("/", rawBase);
    const std::string folder = base.Result == kw::kwcrPath ? base.Path : "/";

    const bool quoted = text.find('"') != std::string::npos;
    for (const std::string& name : kw::TypedNames(text)) {
        if (quoted)
            Check(!name.empty() && static_cast<unsigned char>(name.back()) > ' ');
        kw::IsValidFileName(name);
        const kw::TKwCombinedPath combined = kw::CombinePath(folder, name);
        if (combined.Result == kw::kwcrPath)
            CheckCombined(combined.Path);
        else
            Check(combined.Path.empty());
    }
    Check(!kw::SplitPattern(text, kw::lisList));
    if (const auto pattern = kw::SplitPattern(text, kw::lisEdit))
        Check(pattern->Mask.find_first_of("*?") != std::string::npos);
    kw::MaskExtension(text);
    return 0;
}
