#pragma once
// Helpers of the shell controls' tests: a home of the test's own, item id
// lists of real paths, a locator whose stored block a test reads and writes
// directly, and a shell list stand-in over a real folder.

#include "IdListTestSupport.h"
#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include "UKwShellControls.h"

#include "com/ComTesting.h"
#include "vcl/core/Streams.h"
#include "win32/WideText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kwtest {

// HOME and the XDG base directories inside a temporary folder for the life
// of the object, with the desktop directory made.
class ScopedHome {
public:
    ScopedHome()
    {
        std::filesystem::create_directories(Home() + "/Desktop");
        std::filesystem::create_directories(Root_ / "config");
        std::filesystem::create_directories(Root_ / "data");
    }
    std::string Home() const { return Root_ / "home"; }
    std::string Desktop() const { return Home() + "/Desktop"; }

private:
    TempDir Root_;
    ScopedEnv HomeEnv_{"HOME", Root_ / "home"};
    ScopedEnv ConfigEnv_{"XDG_CONFIG_HOME", Root_ / "config"};
    ScopedEnv DataEnv_{"XDG_DATA_HOME", Root_ / "data"};
};

// The absolute list of a path; fails the test when it does not parse.
inline OwnedList ListOfPath(const std::string& path)
{
    OwnedList list;
    EXPECT_EQ(S_OK, kw::ShellGetIdListFromPath(path, list.Out())) << path;
    return list;
}

// The last item of an absolute list, as a relative list of its own.
inline OwnedList LastItemOf(const ITEMIDLIST* abs)
{
    kw::TKwIdListArray items(abs);
    return OwnedList(kw::CopyIdList(nullptr, items.GetItem(items.GetCount() - 1)));
}

// A locator whose stored block the tests read and write directly.
class TProbeLocator : public kw::TKwShellLocator {
public:
    using TKwShellLocator::ReadData;
    using TKwShellLocator::WriteData;

    std::string Stored()
    {
        vcl::TMemoryStream stream;
        WriteData(&stream);
        return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    }
    void Load(const std::string& bytes)
    {
        vcl::TMemoryStream stream;
        if (!bytes.empty())
            stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
        stream.SetPosition(0);
        ReadData(&stream);
    }
};

// The stored block of a list: mode 0, its 32-bit length, its bytes.
inline std::string StoredList(const std::string& listBytes)
{
    const auto n = static_cast<std::uint32_t>(listBytes.size());
    std::string block(1, '\0');
    for (int shift = 0; shift < 32; shift += 8)
        block += static_cast<char>((n >> shift) & 0xFF);
    return block + listBytes;
}

// The shell list as its item data sees it, over the real folder at an
// absolute list (which it copies).
class FolderListOwner : public kw::TKwShListDataOwner {
public:
    explicit FolderListOwner(const ITEMIDLIST* folderPidl) : Pidl_(kw::CopyIdList(nullptr, folderPidl))
    {
        EXPECT_EQ(S_OK, kw::ShellGetFolderFromIdList(Pidl_.Get(), Folder_.ReleaseAndGetAddressOf()));
    }
    explicit FolderListOwner(const std::string& path) : FolderListOwner(ListOfPath(path).Get()) {}

    IShellFolder* GetCurrentFolderIShf() override { return Folder_.Get(); }
    kw::PItemIDList GetCurrentFolderIdList() override { return Pidl_.Get(); }
    IShellDetails* GetCurrentFolderIShellDetails() override { return Details_.Get(); }
    int GetItemCount() override { return static_cast<int>(Items_.size()); }
    bool GetItemSelected(int index) override { return Items_.at(static_cast<size_t>(index)).Selected; }
    kw::TKwShListData* GetItemData(int index) override { return Items_.at(static_cast<size_t>(index)).Data; }

    // An item of the list; its data (null: none) stays the caller's.
    void AddListItem(kw::TKwShListData* data, bool selected) { Items_.push_back({data, selected}); }

    // Offers the folder's own details source, as a list does for a folder
    // that has one.
    void UseFolderDetails() { Details_ = Folder_.As<IShellDetails>(); }

    // The relative list of a name in the folder.
    OwnedList ItemNamed(const std::string& name)
    {
        std::u16string wide = win32::BytesToWide(name);
        OwnedList item;
        EXPECT_EQ(S_OK,
                  Folder_->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, item.Out(), nullptr))
            << name;
        return item;
    }

private:
    struct ListItem {
        kw::TKwShListData* Data;
        bool Selected;
    };
    OwnedList Pidl_;
    com::ComPtr<IShellFolder> Folder_;
    com::ComPtr<IShellDetails> Details_;
    std::vector<ListItem> Items_;
};

} // namespace kwtest
