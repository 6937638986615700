#pragma once
// Replacing a file's contents so that a reader, or the next run after a
// crash, sees either the old file or the new one, never a torn one: the data
// goes to a temporary file in the same folder, is flushed to the disk, and
// takes the file's place by rename; the folder is flushed too, so the rename
// itself survives a power cut.

#include <string>
#include <string_view>

namespace win32 {

struct AtomicWriteOptions {
    // Mode bits of a file made new (an existing file keeps its own).
    unsigned mode = 0644;
    // Name of the temporary file beside the target; empty: a unique name.
    // A fixed name is only safe while the caller holds a lock of its own.
    std::string temporaryName;
};

// Writes data to path atomically. Returns 0, or the errno of the step that
// failed; on failure the old file is untouched and no temporary is left.
int WriteFileAtomically(const std::string& path, std::string_view data,
                        const AtomicWriteOptions& options = {});

// Reads a whole regular file of at most maxBytes bytes. 0, or an errno:
// EFBIG when the file is larger, EINVAL when it is no regular file (a FIFO
// or a device is never opened for reading, so nothing blocks).
int ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& data);

} // namespace win32
