#pragma once
// Helpers of the shell stand-in's tests: a private HOME, owned lists, texts
// of string-return records.

#include "TestSupport.h"

#include "com/TaskAllocator.h"
#include "com/Unknown.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellInterfaces.h"
#include "shell32/ShellTesting.h"
#include "shell32/VirtualFolder.h"
#include "win32/WideText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shelltest {

struct PidlFree {
    void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

// HOME and the XDG variables point into a temporary folder for the test's
// life; the shell forgets what it cached.
class ShellEnvironment {
public:
    ShellEnvironment()
    {
        Save("HOME");
        Save("XDG_CONFIG_HOME");
        Save("XDG_DATA_HOME");
        home_ = std::filesystem::canonical(dir_.Path()).string();
        setenv("HOME", home_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        std::filesystem::create_directories(home_ + "/Desktop");
        shell32::testing::ResetCachedLocations();
        shell32::ResetVirtualFolders();
    }
    ~ShellEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        shell32::testing::ResetCachedLocations();
        shell32::ResetVirtualFolders();
    }
    const std::string& Home() const { return home_; }
    std::string operator/(const std::string& name) const { return home_ + "/" + name; }

private:
    void Save(const char* name)
    {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    kwtest::TempDir dir_;
    std::string home_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline void WriteFile(const std::string& path, const std::string& content = {})
{
    std::ofstream(path, std::ios::binary) << content;
}

// The text of a record (bytes; the wide kind freed).
inline std::string TakeText(STRRET& ret)
{
    if (ret.uType == STRRET_CSTR)
        return ret.cStr;
    if (ret.uType == STRRET_WSTR) {
        std::string text = win32::WideToBytes(ret.pOleStr);
        CoTaskMemFree(ret.pOleStr);
        return text;
    }
    ADD_FAILURE() << "unexpected STRRET kind " << ret.uType;
    return {};
}

inline com::ComPtr<IShellFolder> Desktop()
{
    com::ComPtr<IShellFolder> desktop;
    EXPECT_EQ(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf()), S_OK);
    return desktop;
}

inline HRESULT Parse(IShellFolder* folder, const std::string& name, Pidl& out, ULONG* attributes = nullptr)
{
    std::u16string wide = win32::BytesToWide(name);
    LPITEMIDLIST pidl = nullptr;
    const HRESULT hr = folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &pidl, attributes);
    out.reset(pidl);
    return hr;
}

inline Pidl ParseOk(IShellFolder* folder, const std::string& name)
{
    Pidl pidl;
    EXPECT_EQ(Parse(folder, name, pidl), S_OK) << name;
    return pidl;
}

inline com::ComPtr<IShellFolder> BindPath(const std::string& path)
{
    com::ComPtr<IShellFolder> desktop = Desktop();
    Pidl pidl = ParseOk(desktop.Get(), path);
    com::ComPtr<IShellFolder> folder;
    EXPECT_EQ(desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress()),
              S_OK)
        << path;
    return folder;
}

inline std::string NameOf(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags)
{
    STRRET ret{};
    EXPECT_EQ(folder->GetDisplayNameOf(pidl, flags, &ret), S_OK);
    return TakeText(ret);
}

inline std::vector<Pidl> EnumAll(IShellFolder* folder, DWORD flags)
{
    std::vector<Pidl> items;
    com::ComPtr<IEnumIDList> enumerator;
    // S_FALSE with no enumerator is how a folder with nothing to list answers.
    const HRESULT hr = folder->EnumObjects(nullptr, flags, enumerator.ReleaseAndGetAddressOf());
    EXPECT_TRUE(hr == S_OK || (hr == S_FALSE && !enumerator)) << std::hex << hr;
    if (!enumerator)
        return items;
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    while (enumerator->Next(1, &item, &fetched) == S_OK)
        items.emplace_back(item);
    return items;
}

inline short CompareResult(HRESULT hr)
{
    return static_cast<short>(HRESULT_CODE(hr));
}

} // namespace shelltest
