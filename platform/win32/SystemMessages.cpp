#include "win32/SystemMessages.h"
#include "win32/Errors.h"

namespace win32 {
namespace {

struct MessageEntry {
    DWORD id;
    std::string_view text;
};

constexpr MessageEntry kErrorTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
    {ERROR_CURRENT_DIRECTORY, "The directory cannot be removed."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_BAD_UNIT, "The system cannot find the device specified."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_SEEK, "The drive cannot locate a specific area or track on the disk."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
     "The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_BAD_NETPATH, "The network path was not found."},
    {ERROR_NETNAME_DELETED, "The specified network name is no longer available."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_CANNOT_MAKE, "The directory or file cannot be created."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_OPEN_FAILED, "The system cannot open the device or file specified."},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_WAIT_NO_CHILDREN, "There are no child processes to wait for."},
    {ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_SEEK_ON_DEVICE, "The file pointer cannot be set on the specified device or file."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_BAD_PATHNAME, "The specified path is invalid."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_NOT_OWNER, "Attempt to release mutex not owned by caller."},
    {ERROR_TOO_MANY_POSTS, "Too many posts were made to a semaphore."},
    {ERROR_MR_MID_NOT_FOUND,
     "The system cannot find message text for message number 0x%1 in the message file for %2."},
    {ERROR_ARITHMETIC_OVERFLOW, "Arithmetic result exceeded 32 bits."},
    {ERROR_STOPPED_ON_SYMLINK, "The create operation stopped after reaching a symbolic link."},
    {ERROR_OPERATION_ABORTED,
     "The I/O operation has been aborted because of either a thread exit or an application request."},
    {ERROR_IO_PENDING, "Overlapped I/O operation is in progress."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
    {ERROR_INVALID_FLAGS, "Invalid flags."},
    {ERROR_FILE_INVALID,
     "The volume for a file has been externally altered so that the opened file is no longer valid."},
    {ERROR_BADDB, "The configuration registry database is corrupt."},
    {ERROR_BADKEY, "The configuration registry key is invalid."},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened."},
    {ERROR_CANTREAD, "The configuration registry key could not be read."},
    {ERROR_CANTWRITE, "The configuration registry key could not be written."},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_NO_ASSOCIATION, "No application is associated with the specified file for this operation."},
    {ERROR_CIRCULAR_DEPENDENCY, "Circular service dependency was specified."},
    {ERROR_NO_UNICODE_TRANSLATION,
     "No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {ERROR_POSSIBLE_DEADLOCK, "A potential deadlock condition has been detected."},
    {ERROR_TOO_MANY_LINKS,
     "An attempt was made to create more links on a file than the file system supports."},
    {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
    {ERROR_CANCELLED, "The operation was canceled by the user."},
    {ERROR_CONNECTION_REFUSED, "The remote computer refused the network connection."},
    {ERROR_RETRY, "The operation could not be completed. A retry should be performed."},
    {ERROR_FILE_CORRUPT, "The file or directory is corrupted and unreadable."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_INVALID_THREAD_ID, "The thread identifier is invalid."},
    {ERROR_NO_SCROLLBARS, "The window does not have scroll bars."},
    {ERROR_NOT_ENOUGH_QUOTA, "Not enough quota is available to process this command."},
    {ERROR_INVALID_MENU_HANDLE, "Invalid menu handle."},
    {ERROR_INVALID_MSGBOX_STYLE, "Invalid message box style."},
    {ERROR_NO_SYSTEM_RESOURCES, "Insufficient system resources exist to complete the requested service."},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file."},
    {ERROR_CANT_ACCESS_FILE, "The file cannot be accessed by the system."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
    {ERROR_NOT_A_REPARSE_POINT, "The file or directory is not a reparse point."},
};

// HRESULTs outside FACILITY_WIN32, by their full value.
constexpr MessageEntry kResultTexts[] = {
    {static_cast<DWORD>(E_UNEXPECTED), "Catastrophic failure"},
    {static_cast<DWORD>(E_NOTIMPL), "Not implemented"},
    {static_cast<DWORD>(E_NOINTERFACE), "No such interface supported"},
    {static_cast<DWORD>(E_POINTER), "Invalid pointer"},
    {static_cast<DWORD>(E_ABORT), "Operation aborted"},
    {static_cast<DWORD>(E_FAIL), "Unspecified error"},
    {static_cast<DWORD>(E_PENDING), "The data necessary to complete this operation is not yet available."},
    {static_cast<DWORD>(CO_E_NOTINITIALIZED), "CoInitialize has not been called."},
    {static_cast<DWORD>(CO_E_ALREADYINITIALIZED), "CoInitialize has already been called."},
    {static_cast<DWORD>(CO_E_CLASSSTRING), "Invalid class string"},
    {static_cast<DWORD>(CLASS_E_NOAGGREGATION),
     "Class does not support aggregation (or class object is remote)"},
    {static_cast<DWORD>(CLASS_E_CLASSNOTAVAILABLE), "ClassFactory cannot supply requested class"},
    {static_cast<DWORD>(REGDB_E_CLASSNOTREG), "Class not registered"},
    {static_cast<DWORD>(RPC_E_CHANGED_MODE), "Cannot change thread mode after it is set."},
    {static_cast<DWORD>(DV_E_FORMATETC), "Invalid FORMATETC structure"},
    {static_cast<DWORD>(DV_E_TYMED), "Invalid tymed"},
    {static_cast<DWORD>(DV_E_DVASPECT), "Invalid aspect"},
    {static_cast<DWORD>(DV_E_LINDEX), "Invalid lindex"},
    {static_cast<DWORD>(OLE_E_ADVISENOTSUPPORTED), "This implementation doesn't take advises"},
    {static_cast<DWORD>(DATA_S_SAMEFORMATETC), "Data has same FORMATETC"},
    {static_cast<DWORD>(DRAGDROP_S_DROP), "Successful drop took place"},
    {static_cast<DWORD>(DRAGDROP_S_CANCEL), "Drag-drop operation canceled"},
    {static_cast<DWORD>(DRAGDROP_S_USEDEFAULTCURSORS), "Use the default cursor"},
    {static_cast<DWORD>(DRAGDROP_E_NOTREGISTERED),
     "Trying to revoke a drop target that has not been registered"},
    {static_cast<DWORD>(DRAGDROP_E_ALREADYREGISTERED),
     "This window has already been registered as a drop target"},
    {static_cast<DWORD>(STG_E_FILENOTFOUND), "%1 could not be found."},
    {static_cast<DWORD>(STG_E_PATHNOTFOUND), "The path %1 could not be found."},
    {static_cast<DWORD>(STG_E_ACCESSDENIED), "Access Denied."},
    {static_cast<DWORD>(STG_E_INVALIDNAME), "%1 is not a valid name."},
    {static_cast<DWORD>(STG_E_FILEALREADYEXISTS), "%1 already exists."},
    {static_cast<DWORD>(STG_E_READFAULT), "There was an error reading the file."},
    {static_cast<DWORD>(STG_E_WRITEFAULT), "There was an error writing to the file."},
    {static_cast<DWORD>(STG_E_INVALIDHEADER), "The file %1 is not a valid compound file."},
};

template <std::size_t N>
std::string_view Lookup(const MessageEntry (&table)[N], DWORD id)
{
    for (const MessageEntry& entry : table)
        if (entry.id == id)
            return entry.text;
    return {};
}

} // namespace

std::string_view FindSystemMessage(DWORD id)
{
    const auto hr = static_cast<HRESULT>(id);
    if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_WIN32)
        return Lookup(kErrorTexts, HRESULT_CODE(hr));
    if (id <= 0xFFFF)
        return Lookup(kErrorTexts, id);
    return Lookup(kResultTexts, id);
}

} // namespace win32
