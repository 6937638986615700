// The special-folder search never tries the placeholder ordinals as folder
// numbers. The shell stand-in answers none of them, so to show the search
// does not ask, this program puts its own SHGetSpecialFolderLocation in
// front of the stand-in's (the library reaches it through the dynamic
// linker, which finds the program's definition first): it answers chosen
// numbers with chosen lists and hands every other call on unchanged.

#include "IdListTestSupport.h"

#include "UKwShellUtils.h"

#include "shell32/ShellApi.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <map>
#include <string>

using namespace kw;
using kwtest::OwnedList;

namespace {

// Numbers answered here, with the bytes of the list each one gives.
std::map<int, std::string> ExtraFolders;
// Numbers asked for while a test watches.
std::map<int, int> Asked;

using SpecialFolderLookup = HRESULT (*)(HWND, int, LPITEMIDLIST*);

// The stand-in's own entry point: the next definition after this program's.
SpecialFolderLookup StandIn()
{
    static const SpecialFolderLookup standIn = [] {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(&::SHGetSpecialFolderLocation), &info) || !info.dli_sname)
            return SpecialFolderLookup(nullptr);
        return reinterpret_cast<SpecialFolderLookup>(dlsym(RTLD_NEXT, info.dli_sname));
    }();
    return standIn;
}

// Maps numbers to extra folders for the life of the object.
class ExtraSpecialFolders {
public:
    ExtraSpecialFolders() { Asked.clear(); }
    ~ExtraSpecialFolders()
    {
        ExtraFolders.clear();
        Asked.clear();
    }
    ExtraSpecialFolders(const ExtraSpecialFolders&) = delete;
    ExtraSpecialFolders& operator=(const ExtraSpecialFolders&) = delete;

    void Answer(int number, const ITEMIDLIST* pidl) { ExtraFolders[number] = kwtest::BytesOf(pidl); }
};

} // namespace

HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* pidl)
{
    ++Asked[csidl];
    if (const auto extra = ExtraFolders.find(csidl); extra != ExtraFolders.end()) {
        *pidl = static_cast<LPITEMIDLIST>(ShellMemAlloc(static_cast<ULONG>(extra->second.size())));
        if (!*pidl)
            return E_OUTOFMEMORY;
        std::copy(extra->second.begin(), extra->second.end(), reinterpret_cast<char*>(*pidl));
        return S_OK;
    }
    const SpecialFolderLookup standIn = StandIn();
    if (!standIn) {
        *pidl = nullptr;
        return E_FAIL;
    }
    return standIn(owner, csidl, pidl);
}

TEST(SpecialFolderPlaceholders, AreNeverTriedAsFolderNumbers)
{
    ASSERT_NE(StandIn(), nullptr);
    OwnedList drives;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidlDrives, drives.Out()), S_OK);
    OwnedList plain;
    ASSERT_EQ(ShellGetIdListFromPath("/", plain.Out()), S_OK);
    ASSERT_NE(ShellFindCSIDLFromIdList(plain.Get()), csidlDrives);

    ExtraSpecialFolders extra;
    // Number 1 answers with the drives folder: were it tried, the search
    // would report it before csidlDrives.
    extra.Answer(csidl_None1, drives.Get());
    for (const TCSIDL placeholder : {csidl_None2, csidl_None3, csidl_None4, csidl_None5, csidlNone})
        extra.Answer(placeholder, plain.Get());
    // The mapping is live: asked directly, number 1 gives the drives folder.
    OwnedList direct;
    ASSERT_EQ(ShellGetSpecialFolderIdList(nullptr, csidl_None1, direct.Out()), S_OK);
    EXPECT_EQ(CompareAbsIdLists(direct.Get(), drives.Get()), 0);

    Asked.clear();
    EXPECT_EQ(ShellFindCSIDLFromIdList(drives.Get()), csidlDrives);
    EXPECT_EQ(ShellFindCSIDLFromIdList(plain.Get()), csidlNone);
    for (const TCSIDL placeholder :
         {csidl_None1, csidl_None2, csidl_None3, csidl_None4, csidl_None5, csidlNone})
        EXPECT_EQ(Asked.count(placeholder), 0u) << placeholder;
    // The real numbers were asked.
    EXPECT_EQ(Asked[csidlDesktop], 2);
    EXPECT_EQ(Asked[csidlDrives], 2);
    EXPECT_EQ(Asked[csidlPrintHood], 1);
}
