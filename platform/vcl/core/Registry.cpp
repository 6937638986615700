#include "vcl/core/Registry.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"
#include "win32/Errors.h"

#include <limits>
#include <vector>

namespace vcl {

namespace {

[[noreturn]] void ReadError(const std::string& name)
{
    throw ERegistryException("Invalid data type for '" + name + "'");
}

TRegDataType RegDataOf(DWORD type)
{
    switch (type) {
    case REG_SZ:
        return rdString;
    case REG_EXPAND_SZ:
        return rdExpandString;
    case REG_DWORD:
        return rdInteger;
    case REG_BINARY:
        return rdBinary;
    default:
        return rdUnknown;
    }
}

// A path starting with '\' is taken from the root.
bool IsRelative(const std::string& key)
{
    return key.empty() || key.front() != '\\';
}

std::string WithoutLeadingSeparator(const std::string& key)
{
    return IsRelative(key) ? key : key.substr(1);
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : Access_(access) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY rootKey)
{
    if (RootKey_ == rootKey)
        return;
    RootKey_ = rootKey;
    CloseKey();
}

HKEY TRegistry::BaseKey(bool relative) const
{
    return CurrentKey_ && relative ? CurrentKey_ : RootKey_;
}

// Opens key with the current access; null when it cannot be opened.
HKEY TRegistry::GetKey(const std::string& key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(BaseKey(IsRelative(key)), WithoutLeadingSeparator(key).c_str(), 0, Access_, &opened) !=
        ERROR_SUCCESS)
        return nullptr;
    return opened;
}

void TRegistry::ChangeKey(HKEY key, const std::string& path)
{
    CloseKey();
    CurrentKey_ = key;
    CurrentPath_ = path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    const bool relative = IsRelative(key);
    std::string path = WithoutLeadingSeparator(key);
    HKEY opened = nullptr;
    LONG result;
    if (!canCreate || path.empty())
        result = RegOpenKeyExA(BaseKey(relative), path.c_str(), 0, Access_, &opened);
    else
        result = RegCreateKeyExA(BaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 Access_, nullptr, &opened, nullptr);
    if (result != ERROR_SUCCESS)
        return false;
    if (CurrentKey_ && relative && !CurrentPath_.empty())
        path = path.empty() ? CurrentPath_ : CurrentPath_ + "\\" + path;
    ChangeKey(opened, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    const REGSAM saved = Access_;
    Access_ = KEY_READ;
    bool opened = false;
    try {
        opened = OpenKey(key, false);
    } catch (...) {
        Access_ = saved;
        throw;
    }
    Access_ = saved;
    return opened;
}

void TRegistry::CloseKey()
{
    if (!CurrentKey_)
        return;
    RegCloseKey(CurrentKey_);
    CurrentKey_ = nullptr;
    CurrentPath_.clear();
}

bool TRegistry::CreateKey(const std::string& key)
{
    HKEY created = nullptr;
    const bool relative = IsRelative(key);
    const LONG result = RegCreateKeyExA(BaseKey(relative), WithoutLeadingSeparator(key).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, Access_, nullptr, &created, nullptr);
    if (result != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + key);
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    const bool relative = IsRelative(key);
    const std::string path = WithoutLeadingSeparator(key);
    // Keys below go first: the platform deletes only keys without subkeys.
    if (HKEY doomed = GetKey(key)) {
        std::vector<std::string> names;
        for (DWORD index = 0;; ++index) {
            char name[KW_REG_MAX_KEY_NAME + 1];
            DWORD size = sizeof name;
            if (RegEnumKeyExA(doomed, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, size);
        }
        const HKEY savedKey = CurrentKey_;
        CurrentKey_ = doomed;
        try {
            for (const std::string& name : names)
                DeleteKey(name);
        } catch (...) {
            CurrentKey_ = savedKey;
            RegCloseKey(doomed);
            throw;
        }
        CurrentKey_ = savedKey;
        RegCloseKey(doomed);
    }
    return RegDeleteKeyA(BaseKey(relative), path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key)
{
    const REGSAM saved = Access_;
    Access_ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    const HKEY opened = GetKey(key);
    Access_ = saved;
    if (!opened)
        return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info)
{
    info = TRegKeyInfo{};
    DWORD subKeys = 0, maxSubKeyLength = 0, values = 0, maxValueNameLength = 0, maxDataLength = 0;
    if (RegQueryInfoKeyA(CurrentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLength, nullptr, &values,
                         &maxValueNameLength, &maxDataLength, nullptr, &info.FileTime) != ERROR_SUCCESS)
        return false;
    info.NumSubKeys = static_cast<int>(subKeys);
    info.MaxSubKeyLen = static_cast<int>(maxSubKeyLength);
    info.NumValues = static_cast<int>(values);
    info.MaxValueLen = static_cast<int>(maxValueNameLength);
    info.MaxDataLen = static_cast<int>(maxDataLength);
    return true;
}

bool TRegistry::HasSubKeys()
{
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* strings)
{
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info))
        return;
    std::string name(static_cast<std::size_t>(info.MaxSubKeyLen) + 1, '\0');
    for (int index = 0; index < info.NumSubKeys; ++index) {
        DWORD size = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(CurrentKey_, static_cast<DWORD>(index), name.data(), &size, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS)
            strings->Add(name.substr(0, size));
    }
}

void TRegistry::GetValueNames(TStrings* strings)
{
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info))
        return;
    std::string name(static_cast<std::size_t>(info.MaxValueLen) + 1, '\0');
    for (int index = 0; index < info.NumValues; ++index) {
        DWORD size = static_cast<DWORD>(name.size());
        if (RegEnumValueA(CurrentKey_, static_cast<DWORD>(index), name.data(), &size, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS)
            strings->Add(name.substr(0, size));
    }
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info)
{
    info = TRegDataInfo{};
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(CurrentKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (size > static_cast<DWORD>(std::numeric_limits<int>::max()))
        return false;
    info.RegData = RegDataOf(type);
    info.DataSize = static_cast<int>(size);
    return true;
}

bool TRegistry::ValueExists(const std::string& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const std::string& name)
{
    return RegDeleteValueA(CurrentKey_, name.c_str()) == ERROR_SUCCESS;
}

int TRegistry::GetDataSize(const std::string& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetData(const std::string& name, void* buffer, int bufferSize, TRegDataType& regData)
{
    DWORD type = REG_NONE;
    DWORD size = bufferSize < 0 ? 0 : static_cast<DWORD>(bufferSize);
    if (RegQueryValueExA(CurrentKey_, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + name + "'");
    regData = RegDataOf(type);
    return static_cast<int>(size);
}

void TRegistry::PutData(const std::string& name, const void* buffer, int bufferSize, DWORD type)
{
    if (bufferSize < 0 || RegSetValueExA(CurrentKey_, name.c_str(), 0, type, static_cast<const BYTE*>(buffer),
                                         static_cast<DWORD>(bufferSize)) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

std::string TRegistry::ReadString(const std::string& name)
{
    const int size = GetDataSize(name);
    if (size <= 0)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    TRegDataType regData = rdUnknown;
    const int read = GetData(name, text.data(), size, regData);
    if (regData != rdString && regData != rdExpandString)
        ReadError(name);
    // Up to the first zero, as the platform's text is read.
    text.resize(static_cast<std::size_t>(read));
    const std::size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    PutData(name, value.c_str(), static_cast<int>(value.size() + 1), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value)
{
    PutData(name, value.c_str(), static_cast<int>(value.size() + 1), REG_EXPAND_SZ);
}

int TRegistry::ReadInteger(const std::string& name)
{
    std::int32_t value = 0;
    TRegDataType regData = rdUnknown;
    GetData(name, &value, sizeof value, regData);
    if (regData != rdInteger)
        ReadError(name);
    return value;
}

void TRegistry::WriteInteger(const std::string& name, int value)
{
    const std::int32_t stored = value;
    PutData(name, &stored, sizeof stored, REG_DWORD);
}

bool TRegistry::ReadBool(const std::string& name)
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::string& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufferSize)
{
    TRegDataInfo info;
    if (!GetDataInfo(name, info))
        return 0;
    if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > bufferSize)
        ReadError(name);
    TRegDataType regData = rdUnknown;
    return GetData(name, buffer, info.DataSize, regData);
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufferSize)
{
    PutData(name, buffer, bufferSize, REG_BINARY);
}

} // namespace vcl
