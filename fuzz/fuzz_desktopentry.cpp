// Desktop entries come from any program that drops one on the desktop or in a
// folder the user browses, and every one is read to tell shortcuts apart.
// Parsing must refuse what is no shortcut, and what it accepts must survive
// being written and read again unchanged.

#include "shell32/DesktopEntry.h"
#include "win32/Errors.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    shell32::SplitExecLine(text);
    shell32::SplitArguments(text);
    shell32::IsUrl(text);

    const auto parsed = shell32::ParseDesktopEntry(text);
    if (!parsed)
        return 0;
    if (parsed->target.empty())
        __builtin_trap();
    for (const shell32::EntryKind kind : {shell32::EntryKind::Link, shell32::EntryKind::Application}) {
        std::string written;
        if (FAILED(shell32::FormatDesktopEntry(*parsed, kind, "fuzz", written)))
            continue;
        const auto again = shell32::ParseDesktopEntry(written);
        if (!again || !(*again == *parsed))
            __builtin_trap();
    }
    return 0;
}
