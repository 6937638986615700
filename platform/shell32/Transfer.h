#pragma once
// Copying, moving and linking items into a folder, as the shell's file
// operations do: a copy into its own folder is named "Copy of X", a name
// that is taken is asked about (never overwritten silently), a folder
// never goes into itself, and a failure stops the transfer with the path
// and the reason, leaving a move's source whole.
//
// Every item is built under a hidden name in the destination folder and
// given its name only when whole, so a failure leaves no half item behind
// and a replaced item is only given up once its successor is complete.

#include "CorvanePlatformExport.h"
#include "win32/Errors.h"
#include "win32/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace shell32 {

enum class TransferOperation { Copy, Move, Link };

enum class ConflictAnswer { Replace, Skip, Cancel };

struct CORVANE_PLATFORM_EXPORT ConflictChoice {
    ConflictAnswer Answer = ConflictAnswer::Cancel;
    bool ForAll = false; // the same answer for the later conflicts
};

// Asked when the destination already holds the name a source would take.
using ConflictCallback = std::function<ConflictChoice(const std::string& source, const std::string& target)>;

struct CORVANE_PLATFORM_EXPORT TransferProblem {
    std::string Path;
    DWORD Error = ERROR_SUCCESS;
};

struct CORVANE_PLATFORM_EXPORT TransferResult {
    // ERROR_SUCCESS, ERROR_CANCELLED when the caller cancelled, else what
    // stopped the transfer at FailedPath.
    DWORD Error = ERROR_SUCCESS;
    std::string FailedPath;
    // The items made in the destination, in the order of the sources.
    std::vector<std::string> Created;
    // Sources left where they were: skipped conflicts.
    std::vector<std::string> Skipped;
    // Devices and sockets, which are never read: not copied, the transfer
    // goes on (a move then keeps its source).
    std::vector<TransferProblem> NotCopied;
};

// Copies, moves or links (a symbolic link to the absolute source) each
// source into the folder destination. A null onConflict cancels at the
// first conflict.
CORVANE_PLATFORM_EXPORT TransferResult TransferItems(TransferOperation operation,
                                                     const std::vector<std::string>& sources,
                                                     const std::string& destination,
                                                     const ConflictCallback& onConflict);

namespace testing {
// Makes a move's rename answer EXDEV, as across file systems (0 or 1).
CORVANE_PLATFORM_EXPORT void SetRenameCrossesDevices(bool crosses);
// Makes the Nth write of file data from now fail with EIO (0: none).
CORVANE_PLATFORM_EXPORT void FailNthWrite(int n);
} // namespace testing

} // namespace shell32
