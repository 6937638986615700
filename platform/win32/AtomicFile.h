#pragma once
// Replacing a file's contents so that a reader, or the next run after a
// crash, sees either the old file or the new one, never a torn one: the data
// goes to a temporary file in the same folder, is flushed to the disk, and
// takes the file's place by rename; the folder is flushed too, so the rename
// itself survives a power cut.

#include "CorvanePlatformExport.h"
#include <string>
#include <string_view>

namespace win32 {

struct CORVANE_PLATFORM_EXPORT AtomicWriteOptions {
    // Mode bits of a file made new (an existing file keeps its own).
    unsigned mode = 0644;
    // Name of the temporary file beside the target; empty: a unique name.
    // A fixed name is only safe while the caller holds a lock of its own.
    std::string temporaryName;
    // When path is a symbolic link (a chain of them), the file it leads to is
    // replaced in its own folder and the link stays, also when it dangles:
    // its target is then made. Without this the link itself is replaced.
    bool throughLinks = false;
};

// The file a path leads to when its last component is a symbolic link,
// followed link by link (a relative link from its own folder); path itself
// when it is none. The end need not exist. 0, or ELOOP after 40 links, or
// the errno of reading a link.
CORVANE_PLATFORM_EXPORT int FinalLinkTarget(const std::string& path, std::string& target);

// Writes data to path atomically. Returns 0, or the errno of the step that
// failed; on failure the old file is untouched and no temporary is left.
CORVANE_PLATFORM_EXPORT int WriteFileAtomically(const std::string& path, std::string_view data,
                                                const AtomicWriteOptions& options = {});

// Reads a whole regular file of at most maxBytes bytes. 0, or an errno:
// EFBIG when the file is larger, EINVAL when it is no regular file (a FIFO
// or a device is never opened for reading, so nothing blocks).
CORVANE_PLATFORM_EXPORT int ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& data);

} // namespace win32
