#pragma once
// TRegistry: the framework's object over the registry (win32/Registry.h). It
// holds a root key and at most one open current key; names of values are
// read and written in the current key. Key paths use '\' as separator: a
// path that starts with '\' is taken from the root, any other from the
// current key (or from the root when no key is open).
//
// Reading a value of the wrong type raises ERegistryException
// "Invalid data type for '<name>'"; a value that cannot be read,
// "Failed to get data for '<name>'"; a value that cannot be written,
// "Failed to set data for '<name>'". Destroying the object closes its key.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"
#include "win32/Registry.h"

#include <string>

namespace vcl {

class TStrings;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct CORVANE_VCL_EXPORT TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

struct CORVANE_VCL_EXPORT TRegKeyInfo {
    int NumSubKeys = 0;
    int MaxSubKeyLen = 0;
    int NumValues = 0;
    int MaxValueLen = 0;
    int MaxDataLen = 0;
    FILETIME FileTime{};
};

class CORVANE_VCL_EXPORT TRegistry : public TObject {
    VCL_DECLARE_CLASS(TRegistry, TObject)
public:
    // Root HKEY_CURRENT_USER; keys are opened with KEY_ALL_ACCESS.
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry() override;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return RootKey_; }
    // Closes the current key when the root changes.
    void SetRootKey(HKEY rootKey);
    HKEY CurrentKey() const { return CurrentKey_; }
    // The path of the current key below the root; empty when none is open.
    const std::string& CurrentPath() const { return CurrentPath_; }
    REGSAM Access() const { return Access_; }
    void SetAccess(REGSAM access) { Access_ = access; }
    // Every change is written when it is made; the flag is kept for callers.
    bool LazyWrite() const { return LazyWrite_; }
    void SetLazyWrite(bool lazyWrite) { LazyWrite_ = lazyWrite; }

    // Makes key the current key, creating it (and the keys above it) when
    // canCreate; false when it cannot be opened (the current key stays).
    bool OpenKey(const std::string& key, bool canCreate);
    // The same with KEY_READ, whatever Access says.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    // Makes the key without opening it; raises "Failed to create key <key>".
    bool CreateKey(const std::string& key);
    // Deletes the key with every key below it.
    bool DeleteKey(const std::string& key);
    bool KeyExists(const std::string& key);
    bool HasSubKeys();
    bool GetKeyInfo(TRegKeyInfo& info);
    // Clear the list, then add the names of the current key's subkeys or values.
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);

    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    bool GetDataInfo(const std::string& name, TRegDataInfo& info);
    // -1 when the value does not exist.
    int GetDataSize(const std::string& name);
    // rdUnknown when the value does not exist.
    TRegDataType GetDataType(const std::string& name);

    // A missing or empty value reads as the empty text.
    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    // A missing value raises "Failed to get data".
    int ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name);
    void WriteBool(const std::string& name, bool value);
    // Reads a binary value (or one of a type the framework has no name for)
    // into buffer and returns its size; 0 when it does not exist. A value of
    // another type, or larger than bufferSize, raises "Invalid data type".
    int ReadBinaryData(const std::string& name, void* buffer, int bufferSize);
    void WriteBinaryData(const std::string& name, const void* buffer, int bufferSize);

private:
    HKEY BaseKey(bool relative) const;
    HKEY GetKey(const std::string& key);
    void ChangeKey(HKEY key, const std::string& path);
    int GetData(const std::string& name, void* buffer, int bufferSize, TRegDataType& regData);
    void PutData(const std::string& name, const void* buffer, int bufferSize, DWORD type);

    HKEY RootKey_ = HKEY_CURRENT_USER;
    HKEY CurrentKey_ = nullptr;
    std::string CurrentPath_;
    REGSAM Access_ = KEY_ALL_ACCESS;
    bool LazyWrite_ = true;
};

} // namespace vcl
