#include "vcl/core/Utf8.h"

namespace vcl::detail {

size_t Utf8CutPoint(std::string_view s, size_t maxBytes)
{
    if (maxBytes >= s.size())
        return s.size();
    size_t i = 0;
    while (i < maxBytes) {
        char32_t cp;
        const size_t len = Utf8CharAt(s, i, cp);
        const size_t step = len ? len : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return i;
}

} // namespace vcl::detail
