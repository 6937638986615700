#include "win32/VersionInfo.h"
#include "win32/Errors.h"
#include "win32/Modules.h"
#include "win32/VersionBlock.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

std::string VersionText(const win32::ModuleVersion& v)
{
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", v.ms >> 16, v.ms & 0xFFFF, v.ls >> 16, v.ls & 0xFFFF);
    return text;
}

// The file's version block, built from the module's version as it is now;
// empty (with the last error set) when the file has none.
std::vector<BYTE> BlockOf(LPCSTR fileName)
{
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    const std::optional<win32::ModuleVersion> version = win32::ModuleFileVersion(fileName);
    if (!version) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return {};
    }
    const std::string name = win32::CanonicalModuleName(fileName);
    win32::VersionBlockContents contents;
    VS_FIXEDFILEINFO& f = contents.fixed;
    f.dwSignature = VS_FFI_SIGNATURE;
    f.dwStrucVersion = VS_FFI_STRUCVERSION;
    f.dwFileVersionMS = f.dwProductVersionMS = version->ms;
    f.dwFileVersionLS = f.dwProductVersionLS = version->ls;
    f.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    f.dwFileOS = VOS_NT_WINDOWS32;
    f.dwFileType = VFT_DLL;
    f.dwFileSubtype = VFT2_UNKNOWN;
    contents.strings = {
        {"FileVersion", VersionText(*version)},
        {"ProductVersion", VersionText(*version)},
        {"InternalName", name.substr(0, name.rfind('.'))},
        {"OriginalFilename", name},
    };
    std::vector<BYTE> block = win32::BuildVersionBlock(contents);
    if (block.empty())
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return block;
}

} // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD* handle)
{
    if (handle)
        *handle = 0;
    return static_cast<DWORD>(BlockOf(fileName).size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD len, LPVOID data)
{
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::vector<BYTE> block = BlockOf(fileName);
    if (block.empty())
        return FALSE;
    if (len < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* len)
{
    if (buffer)
        *buffer = nullptr;
    if (len)
        *len = 0;
    if (!block || !subBlock || !buffer || !len) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<win32::VersionValue> value = win32::FindVersionValue(block, SIZE_MAX, subBlock);
    if (!value) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    *buffer = const_cast<BYTE*>(value->data);
    *len = value->length;
    return TRUE;
}
