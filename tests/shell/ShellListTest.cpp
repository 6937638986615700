// The shell list's filling, refresh and options: the rules over a recording
// folder, the end codes of a listing, real folders changed by other
// programs, drive changes, deferred and nested work, the form file, the
// links with a tree and a combo, and pictures of the report and icon views.

#include "ShellComboTestSupport.h"
#include "UKwShellControls_ChangeHandler_p.h"
#include "UKwShellUtils_Startup_p.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/Forms.h"
#include "win32/ChangeNotificationsTesting.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QImage>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace kwtest;
using kw::TKwShellListOptions;
using vcl::TListItem;

constexpr int kFast = 50;
constexpr int kSlow = 300;

// The list's protected operations, for the tests to reach.
class TProbeList : public kw::TKwShellList {
public:
    using TKwCustomShellList::BeginBusy;
    using TKwCustomShellList::EndBusy;
    using TKwCustomShellList::FillList;
    using TKwCustomShellList::Reentry;
    using TKwShellList::TKwShellList;
};

// ---- a folder that records what it is asked ----

// A one-item list of a name (the name's bytes, NUL included).
std::string ItemBytes(const std::string& name)
{
    const auto size = static_cast<std::uint16_t>(2 + name.size() + 1);
    std::string bytes;
    bytes += static_cast<char>(size & 0xFF);
    bytes += static_cast<char>(size >> 8);
    bytes += name;
    bytes += '\0';
    return bytes + std::string(2, '\0');
}

std::string NameOf(const ITEMIDLIST* item)
{
    return reinterpret_cast<const char*>(item) + 2;
}

// Items by name with their attributes; "bad" fails GetAttributesOf after
// writing every bit it was asked for. The listing's last Next answers End.
class RecordingFolder : public ComparingFolder {
public:
    struct Item {
        std::string Name;
        ULONG Attributes;
    };
    std::vector<Item> Items;
    HRESULT EnumResult = S_OK;
    HRESULT End = S_FALSE;
    std::vector<DWORD> EnumFlags;

    RecordingFolder()
        : ComparingFolder(
              [](LPCITEMIDLIST a, LPCITEMIDLIST b) { return OrderResult(NameOf(a).compare(NameOf(b))); })
    {
    }

    HRESULT EnumObjects(HWND, DWORD flags, IEnumIDList** out) override
    {
        EnumFlags.push_back(flags);
        if (FAILED(EnumResult))
            return EnumResult;
        *out = com::MakeComObject<Listing>(this).Detach();
        return S_OK;
    }
    HRESULT GetAttributesOf(UINT, LPCITEMIDLIST* items, ULONG* attributes) override
    {
        const std::string name = NameOf(items[0]);
        if (name == "bad")
            return E_FAIL;
        for (const Item& item : Items)
            if (item.Name == name)
                *attributes &= item.Attributes;
        return S_OK;
    }

private:
    class Listing : public com::ComObject<IEnumIDList> {
    public:
        explicit Listing(RecordingFolder* folder) : Folder_(folder) {}
        HRESULT Next(ULONG, LPITEMIDLIST* out, ULONG* fetched) override
        {
            if (fetched)
                *fetched = 0;
            if (At_ >= Folder_->Items.size())
                return Folder_->End;
            const std::string bytes = ItemBytes(Folder_->Items[At_++].Name);
            *out = static_cast<LPITEMIDLIST>(kw::ShellMemAlloc(static_cast<ULONG>(bytes.size())));
            std::memcpy(*out, bytes.data(), bytes.size());
            if (fetched)
                *fetched = 1;
            return S_OK;
        }
        HRESULT Skip(ULONG) override { return E_NOTIMPL; }
        HRESULT Reset() override { return E_NOTIMPL; }
        HRESULT Clone(IEnumIDList**) override { return E_NOTIMPL; }

    private:
        com::ComPtr<RecordingFolder> Folder_;
        std::size_t At_ = 0;
    };
};

// What the list told its events, in order.
struct ListEvents : QObject {
    std::vector<std::string> Log;
    int FillStarts = 0;
    int Folders = 0;
    std::function<void()> DuringFill;
    void Attach(kw::TKwCustomShellList* list)
    {
        list->OnFillStart = vcl::TNotifyEvent(this, &ListEvents::FillStart);
        list->OnFillComplete = vcl::TNotifyEvent(this, &ListEvents::FillComplete);
        list->OnFolderChanged = vcl::TNotifyEvent(this, &ListEvents::FolderChanged);
        list->OnInsert = vcl::TLVNotifyEvent(this, &ListEvents::Insert);
        list->OnAddItem = kw::TKwShAddItemEvent(this, &ListEvents::AddItem);
    }
    void FillStart(vcl::TObject*)
    {
        ++FillStarts;
        Log.push_back("start");
        if (DuringFill)
            DuringFill();
    }
    void FillComplete(vcl::TObject*) { Log.push_back("complete"); }
    void FolderChanged(vcl::TObject*) { ++Folders; }
    void Insert(vcl::TObject*, TListItem*) { Log.push_back("insert"); }
    std::vector<std::string> Asked;
    std::string Refuse;
    void AddItem(vcl::TObject*, IShellFolder*, kw::PItemIDList, kw::PItemIDList item, int, bool& allow)
    {
        Asked.push_back(NameOf(item));
        if (NameOf(item) == Refuse)
            allow = false;
    }
};

// Runs the loop until done, with the change reader's events handed over.
bool AwaitChange(const std::function<bool()>& done, int timeoutMs = 15000)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && std::chrono::steady_clock::now() < until) {
        win32::testing::DrainChangeEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

void Outside(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class ShellList : public ShellTreeFixture {
public:
    const int BeforeFast = std::exchange(kw::KWSH_CHANGE_NOTIFY_FASTDELAY, kFast);
    const int BeforeSlow = std::exchange(kw::KWSH_CHANGE_NOTIFY_DELAY, kSlow);
    TProbeList* List = nullptr;
    ListEvents Events;

    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        Tree->SetBounds(0, 0, 120, 400);
        List = vcl::Create<TProbeList>(Form.Get());
        List->SetParent(Form.Get());
        List->SetBounds(120, 0, 200, 400);
        Pump();
        Events.Attach(List);
        Events.Refuse.clear();
    }
    void TearDown() override
    {
        vcl::Free(List);
        Pump();
        kw::KWSH_CHANGE_NOTIFY_FASTDELAY = BeforeFast;
        kw::KWSH_CHANGE_NOTIFY_DELAY = BeforeSlow;
        ShellTreeFixture::TearDown();
    }
    void Show(const std::string& path)
    {
        List->Folder()->SetIdList(ListOfPath(path).Get());
        Pump();
    }
    // The names of the items with shell data, in the list's order.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i)))
                names.push_back(data->GetFilename());
        return names;
    }
    TListItem* ItemNamed(const std::string& name) const { return kwtest::ItemNamed(List, name); }
};

// ---- the rules ----

TEST_F(ShellList, TheRulesLetInTheItemsTheOptionsAskForMarkedAsTheirAttributesSay)
{
    const ULONG fs = SFGAO_FILESYSTEM;
    const auto folder = com::MakeComObject<RecordingFolder>();
    folder->Items = {{"ancestor", SFGAO_FOLDER | SFGAO_FILESYSANCESTOR},
                     {"bad", 0},
                     {"file", fs},
                     {"folder", fs | SFGAO_FOLDER},
                     {"hidden", fs | SFGAO_HIDDEN},
                     {"linked", fs | SFGAO_LINK},
                     {"shared", fs | SFGAO_FOLDER | SFGAO_SHARE | SFGAO_LINK},
                     {"virtual", SFGAO_FOLDER}};
    const TKwShellListOptions defaults = kw::KwShellListDefaultOptions;
    struct Case {
        const char* Name;
        TKwShellListOptions Options;
        bool WithTree;
        std::string Refuse; // by OnAddItem
        DWORD Flags;
        std::vector<std::string> Shown;
    };
    const std::vector<Case> cases = {
        {"every item",
         defaults,
         false,
         "",
         0xE0,
         {"ancestor", "bad", "file", "folder", "hidden", "linked", "shared", "virtual"}},
        {"file-system items and ancestors only",
         defaults - kw::kwsloNonFilesystemAncestors,
         false,
         "",
         0xE0,
         {"ancestor", "file", "folder", "hidden", "linked", "shared"}},
        {"folders left to the tree",
         defaults + kw::kwsloHideFoldersWhenLinkedToTree,
         true,
         "",
         0xE0,
         {"ancestor", "bad", "file", "hidden", "linked", "virtual"}},
        {"folders kept without a tree",
         defaults + kw::kwsloHideFoldersWhenLinkedToTree,
         false,
         "",
         0xE0,
         {"ancestor", "bad", "file", "folder", "hidden", "linked", "shared", "virtual"}},
        {"hidden items not asked for, one refused",
         defaults - kw::kwsloShowHidden,
         true,
         "linked",
         0x60,
         {"ancestor", "bad", "file", "folder", "hidden", "shared", "virtual"}},
    };
    const OwnedList home = ListOfPath(Home.Home());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->SetOptions(c.Options);
        List->SetShellTree(c.WithTree ? Tree : nullptr);
        Events.Log.clear();
        Events.Asked.clear();
        Events.Refuse = c.Refuse;
        folder->EnumFlags.clear();
        List->Items()->Clear();
        List->FillList(folder.Get(), home.Get());
        std::vector<std::string> shown;
        for (int i = 0; i < List->Items()->Count(); ++i) {
            TListItem* item = List->Items()->Item(i);
            const std::string name = NameOf(List->GetDataFromItem(item)->GetRelPidl());
            shown.push_back(name);
            const int overlay = name == "shared" ? 0 : name == "linked" ? 1 : -1;
            EXPECT_EQ(overlay, item->OverlayIndex()) << name;
            EXPECT_EQ(name == "hidden", item->Cut()) << name << ": a failing attribute call gives none";
            EXPECT_EQ(3, item->SubItems()->Count()) << name;
            EXPECT_EQ(i == 0, item->Focused()) << name;
        }
        EXPECT_EQ(c.Shown, shown);
        EXPECT_EQ(std::vector<DWORD>{c.Flags}, folder->EnumFlags);
        // OnAddItem is asked only about items the options let in.
        std::vector<std::string> asked = c.Shown;
        if (!c.Refuse.empty())
            asked.insert(std::lower_bound(asked.begin(), asked.end(), c.Refuse), c.Refuse);
        EXPECT_EQ(asked, Events.Asked);
        std::vector<std::string> order{"start"};
        order.insert(order.end(), c.Shown.size(), "insert");
        order.push_back("complete");
        EXPECT_EQ(order, Events.Log);
    }
    List->SetShellTree(nullptr);
}

TEST_F(ShellList, TheListingsEndCodesDecideBetweenItemsSilenceAndAnError)
{
    struct Case {
        const char* Name;
        HRESULT EnumResult;
        HRESULT End;
        int Items;
        int Outcome; // 0 items, 1 silent abort, 2 an error with the system's text
    };
    const Case cases[] = {
        {"S_FALSE", S_OK, S_FALSE, 2, 0},
        {"no more items", S_OK, static_cast<HRESULT>(0x80070103), 2, 0},
        {"E_FAIL", S_OK, E_FAIL, 0, 1},
        {"no listing", E_ACCESSDENIED, S_FALSE, 0, 1},
        {"access denied at the end", S_OK, E_ACCESSDENIED, 0, 2},
    };
    const OwnedList home = ListOfPath(Home.Home());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto folder = com::MakeComObject<RecordingFolder>();
        folder->Items = {{"one", SFGAO_FILESYSTEM}, {"two", SFGAO_FILESYSTEM}};
        folder->EnumResult = c.EnumResult;
        folder->End = c.End;
        Events.Log.clear();
        List->Items()->Clear();
        int outcome = 0;
        std::string message;
        try {
            List->FillList(folder.Get(), home.Get());
        } catch (const vcl::EAbort&) {
            outcome = 1;
        } catch (const vcl::Exception& e) {
            outcome = 2;
            message = e.Message();
        }
        EXPECT_EQ(c.Outcome, outcome);
        EXPECT_EQ(c.Items, List->Items()->Count());
        ASSERT_FALSE(Events.Log.empty());
        EXPECT_EQ("complete", Events.Log.back());
        if (outcome == 2) {
            // The system's text for the listing's own code.
            std::string expected;
            try {
                kw::RaiseShellError(c.End);
            } catch (const vcl::Exception& e) {
                expected = e.Message();
            }
            EXPECT_EQ(expected, message);
        }
    }
}

TEST_F(ShellList, AFillThatFailsHoldsTheNewFolderNeverThePreviousOne)
{
    MakeTree(Home.Home(), {"shown/x", "gone/y"});
    Show(H("shown"));
    ASSERT_EQ(std::vector<std::string>{"x"}, Names());
    const OwnedList gone = ListOfPath(H("gone"));
    std::filesystem::remove_all(H("gone"));
    bool raised = false;
    try {
        List->Folder()->SetIdList(gone.Get());
    } catch (const vcl::Exception&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(0, List->Items()->Count());
    // The list and the folder interface held are the new folder's (or none).
    const kw::PItemIDList held = List->GetCurrentFolderIdList();
    EXPECT_TRUE(!held || BytesOf(held) == BytesOf(gone.Get())) << "the previous folder is still held";
    EXPECT_EQ(held == nullptr, List->GetCurrentFolderIShf() == nullptr);
}

// ---- real folders changed by other programs ----

TEST_F(ShellList, ChangesByAnotherProgramReachOnlyTheItemsTheyConcern)
{
    const std::string dir = H("live");
    MakeTree(Home.Home(), {"live/sub/k"});
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        Outside("printf 1234 > '" + dir + "/" + name + "'");
    List->SetViewStyle(vcl::vsReport);
    List->SetMultiSelect(true);
    Show(dir);
    const std::vector<std::string> before = Names();
    ASSERT_EQ(7u, before.size());
    TListItem* app = List->Items()->Add();
    app->SetCaption("mine");
    for (const char* name : {"b", "d", "e"})
        ItemNamed(name)->SetSelected(true);
    ItemNamed("d")->SetFocused(true);
    std::map<std::string, kw::TKwShListData*> data;
    for (const char* name : {"sub", "b", "d", "e", "f"})
        data[name] = List->GetDataFromItem(ItemNamed(name));
    const std::string sizeBefore = data["d"]->GetSize();
    const int dAt = ItemNamed("d")->Index() - (ItemNamed("a")->Index() < ItemNamed("d")->Index()) -
                    (ItemNamed("c")->Index() < ItemNamed("d")->Index());
    TListItem* top = List->TopItem();

    Outside("cd '" + dir + "' && rm a && printf x > g && mv c h && head -c 5000 /dev/zero >> d");
    ASSERT_TRUE(AwaitChange([&] { return ItemNamed("g") && ItemNamed("h") && !ItemNamed("a"); }));
    // The survivors in their order, the new ones at the end in the order
    // the folder lists them.
    std::vector<std::string> expected;
    std::copy_if(before.begin(), before.end(), std::back_inserter(expected),
                 [](const std::string& n) { return n != "a" && n != "c"; });
    std::vector<std::string> names = Names();
    ASSERT_EQ(7u, names.size());
    std::sort(names.begin() + 5, names.end());
    expected.push_back("g");
    expected.push_back("h");
    EXPECT_EQ(expected, names);
    for (const auto& [name, object] : data)
        EXPECT_EQ(object, List->GetDataFromItem(ItemNamed(name))) << name << " kept its data";
    EXPECT_EQ(List->Items()->Item(5), app) << "the application's item stays before the new ones";
    EXPECT_EQ("mine", app->Caption());
    for (const char* name : {"b", "d", "e"})
        EXPECT_TRUE(ItemNamed(name)->Selected()) << name;
    EXPECT_EQ(3, List->SelCount());
    EXPECT_EQ(ItemNamed("d"), List->ItemFocused());
    EXPECT_EQ(top, List->TopItem());
    EXPECT_NE(sizeBefore, data["d"]->GetSize()) << "the written file shows its new size";
    EXPECT_EQ(dAt, ItemNamed("d")->Index());

    Outside("rm -rf '" + dir + "'");
    ASSERT_TRUE(AwaitChange([&] { return Names().empty(); })) << "the list of a removed folder empties";
    EXPECT_EQ(1, List->Items()->Count()) << "the application's item stays";
}

TEST_F(ShellList, ADriveChangeFillsComputerAgainButNoOtherFolder)
{
    auto source = std::make_shared<win32::testing::TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n");
    source->SetDevice("/media/me/STICK", {true, true, false});
    win32::testing::ScopedMountSource use(source);
    struct Case {
        const char* Name;
        bool Computer;
        int Fills;
    };
    const Case cases[] = {{"Computer", true, 1}, {"a home folder", false, 0}};
    MakeTree(Home.Home(), {"plain/x"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Computer) {
            OwnedList computer;
            ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, 17, computer.Out()));
            List->Folder()->SetIdList(computer.Get());
        } else {
            Show(H("plain"));
        }
        Pump();
        std::vector<int> locks;
        Events.DuringFill = [&] { locks.push_back(kw::gFlushDriveInfoSem); };
        const int fills = Events.FillStarts;
        source->SetText("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                        "33 1 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n");
        AwaitChange([&] { return Events.FillStarts > fills; }, c.Computer ? 15000 : 2000);
        EXPECT_EQ(c.Fills, Events.FillStarts - fills);
        EXPECT_EQ(std::vector<int>(static_cast<std::size_t>(c.Fills), 1), locks)
            << "filled with the flush locked";
        EXPECT_EQ(0, kw::gFlushDriveInfoSem);
        Events.DuringFill = nullptr;
        source->SetText("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n");
        AwaitChange([&] { return Events.FillStarts > fills + c.Fills; }, c.Computer ? 15000 : 2000);
    }
}

// ---- work asked for while it cannot run ----

TEST_F(ShellList, WorkAskedForWhileBusyOrRunningIsDoneOnceAtTheEndAsWhatWasAsked)
{
    MakeTree(Home.Home(), {"one/x", "two/y/z"});
    // Only the notifications the cases post: none of the folder's own.
    List->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloDynamicRefresh);
    Show(H("one"));
    struct Case {
        const char* Name;
        std::function<void(ShellList&)> Ask;
        std::vector<std::string> Shown;
        int Fills;
    };
    const std::vector<Case> cases = {
        {"a new folder while busy is filled, not refreshed",
         [](ShellList& f) {
             f.List->BeginBusy();
             f.List->Folder()->SetIdList(ListOfPath(f.H("two")).Get());
             EXPECT_EQ(std::vector<std::string>{"x"}, f.Names());
             f.List->EndBusy();
         },
         {"y"},
         1},
        {"a notification while busy ends in a refresh",
         [](ShellList& f) {
             f.List->BeginBusy();
             PostMessageA(f.List->Handle(), kw::AM_ChangeNotify, 0, 0);
             Pump();
             std::filesystem::create_directories(f.H("one/w"));
             f.List->EndBusy();
         },
         {"x", "w"},
         1},
        {"a refresh asked during a fill runs once after it",
         [](ShellList& f) {
             f.Events.DuringFill = [&f] {
                 f.Events.DuringFill = nullptr;
                 f.List->RefreshItems();
                 f.List->FillItems();
             };
             f.List->FillItems();
         },
         {"x"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Show(H("one"));
        std::filesystem::remove_all(H("one/w"));
        List->FillItems();
        const int fills = Events.FillStarts;
        c.Ask(*this);
        Pump();
        EXPECT_EQ(c.Shown, Names());
        EXPECT_EQ(c.Fills, Events.FillStarts - fills);
        EXPECT_EQ(0, List->Reentry());
    }
}

TEST_F(ShellList, SwitchingTheOptionsThatChooseItemsShowsTheItemsTheyChoose)
{
    MakeTree(Home.Home(), {"opt/dir/x"});
    Outside("cd '" + H("opt") + "' && touch file .hidden");
    List->SetShellTree(Tree);
    Show(H("opt"));
    const auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    ASSERT_EQ((std::vector<std::string>{".hidden", "dir", "file"}), sorted(Names()));
    struct Case {
        const char* Name;
        TKwShellListOptions Options;
        std::vector<std::string> Shown; // in byte order
    };
    const TKwShellListOptions defaults = kw::KwShellListDefaultOptions;
    const Case cases[] = {
        {"folders left to the tree", defaults + kw::kwsloHideFoldersWhenLinkedToTree, {".hidden", "file"}},
        {"folders back", defaults, {".hidden", "dir", "file"}},
        {"hidden items left out", defaults - kw::kwsloShowHidden, {"dir", "file"}},
        {"hidden items back", defaults, {".hidden", "dir", "file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->SetOptions(c.Options);
        Pump();
        EXPECT_EQ(c.Shown, sorted(Names()));
    }
    // A refresh brought the hidden item back: at the end.
    EXPECT_EQ(".hidden", Names().back());
    List->SetShellTree(nullptr);
}

constexpr GUID kTwinsFolder = com::MakeGuid("{4F0C2D6E-8A1B-4C3D-9E5F-1A2B3C4D5E6F}");

// Two entries the folder calls equal, and one other; "late" comes after the
// first listing.
class TwinsFolder : public shell32::VirtualFolderProvider {
public:
    bool Late = false;
    std::string DisplayName() const override { return "Twins"; }
    HRESULT Enumerate(DWORD, std::string& items) override
    {
        for (const char* key : {"twin", "other", "twin"})
            shell32::AppendVirtualEntry(items, key);
        if (Late)
            shell32::AppendVirtualEntry(items, "late");
        return S_OK;
    }
    HRESULT ChildDisplayName(const shell32::ItemView& child, DWORD, std::string& text) override
    {
        text = std::string(child.text);
        return S_OK;
    }
    HRESULT ChildAttributes(const shell32::ItemView&, ULONG& attributes) override
    {
        attributes = 0;
        return S_OK;
    }
};

TEST_F(ShellList, EqualItemsOfAVirtualFolderStayThroughARefresh)
{
    const auto twins = std::make_shared<TwinsFolder>();
    shell32::RegisterVirtualFolder(kTwinsFolder, twins);
    struct Reset {
        ~Reset() { shell32::ResetVirtualFolders(); }
    } reset;
    std::string bytes;
    shell32::AppendVirtualItem(bytes, kTwinsFolder);
    const OwnedList folder(bytes + std::string(2, '\0'));
    List->Folder()->SetIdList(folder.Get());
    Pump();
    ASSERT_EQ(3, List->Items()->Count());
    std::vector<kw::TKwShListData*> data;
    for (int i = 0; i < 3; ++i)
        data.push_back(List->GetItemData(i));
    twins->Late = true;
    EXPECT_NO_THROW(List->RefreshItems());
    ASSERT_EQ(4, List->Items()->Count());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(data[static_cast<std::size_t>(i)], List->GetItemData(i)) << i;
}

TEST_F(ShellList, AFillReachesTheViewsAsOneInsertion)
{
    MakeTree(Home.Home(), {"many/a", "many/b", "many/c", "many/d", "many/e"});
    std::vector<std::pair<int, int>> inserted;
    std::vector<QMetaObject::Connection> connections;
    std::set<QAbstractItemModel*> models;
    for (QAbstractItemView* view : List->Peer()->findChildren<QAbstractItemView*>())
        if (view->model() && models.insert(view->model()).second)
            connections.push_back(QObject::connect(
                view->model(), &QAbstractItemModel::rowsInserted,
                [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); }));
    ASSERT_FALSE(models.empty());
    Show(H("many"));
    for (const auto& connection : connections)
        QObject::disconnect(connection);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 4}}), inserted);
}

TEST_F(ShellList, ARefreshReachesTheViewsAsRunsOfRemovedRowsAndOneAppend)
{
    MakeTree(Home.Home(), {"few/a", "few/b", "few/c", "few/d", "few/e", "few/f", "few/g"});
    Show(H("few"));
    ASSERT_EQ((std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}), Names());
    for (const char* name : {"b", "c", "f"})
        std::filesystem::remove(H("few/" + std::string(name)));
    MakeTree(H("few"), {"y", "z"});
    using Run = std::pair<int, int>;
    std::vector<Run> removed;
    std::vector<Run> inserted;
    std::vector<QMetaObject::Connection> connections;
    std::set<QAbstractItemModel*> models;
    for (QAbstractItemView* view : List->Peer()->findChildren<QAbstractItemView*>())
        if (view->model() && models.insert(view->model()).second) {
            connections.push_back(QObject::connect(
                view->model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                [&](const QModelIndex&, int first, int last) { removed.emplace_back(first, last); }));
            connections.push_back(QObject::connect(
                view->model(), &QAbstractItemModel::rowsInserted,
                [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); }));
        }
    ASSERT_FALSE(models.empty());
    List->RefreshItems();
    for (const auto& connection : connections)
        QObject::disconnect(connection);
    EXPECT_EQ((std::vector<Run>{{5, 5}, {1, 2}}), removed);
    EXPECT_EQ((std::vector<Run>{{4, 5}}), inserted);
    std::vector<std::string> names = Names();
    ASSERT_EQ(6u, names.size());
    std::sort(names.begin() + 4, names.end()); // new items come in the folder's order
    EXPECT_EQ((std::vector<std::string>{"a", "d", "e", "g", "y", "z"}), names);
}

// ---- the form file ----

TEST_F(ShellList, AFormFileKeepsTheListsPropertiesAndItsFolderOnlyWithoutATree)
{
    if (!vcl::GetClass("TForm"))
        vcl::RegisterClass(vcl::TForm::StaticClass());
    vcl::RegisterClasses({kw::TKwShellList::StaticClass(), kw::TKwShellTree::StaticClass()});
    MakeTree(Home.Home(), {"kept/x"});
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked to a tree" : "alone");
        vcl::TOwnedPtr<vcl::TCustomForm> form(vcl::Create<vcl::TForm>(nullptr));
        form->SetName("Form1");
        auto* list = vcl::Create<kw::TKwShellList>(form.get());
        list->SetName("List1");
        list->SetParent(form.get());
        list->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloOleDrag +
                         kw::kwsloHideFoldersWhenLinkedToTree);
        list->SetFileFilter("*.txt;*.log");
        list->SetViewStyle(vcl::vsReport);
        list->SetHeaderSortDisplayMode(kw::kwlvNone);
        list->Folder()->SetPathName(H("kept"));
        if (linked) {
            auto* tree = vcl::Create<kw::TKwShellTree>(form.get());
            tree->SetName("Tree1");
            tree->SetParent(form.get());
            tree->SetShellList(list);
            list->Folder()->SetPathName(H("kept"));
        }
        form->Show();
        Pump();
        const std::string text = vcl::WriteComponentToText(form.get());
        EXPECT_EQ(!linked, text.find("\n    Folder.Pidl") != std::string::npos) << text;
        for (const char* absent : {"Columns", "Items", "AllocBy", "SmallImages", "LargeImages"})
            EXPECT_EQ(std::string::npos, text.find(std::string("    ") + absent)) << absent << "\n" << text;
        form.reset();
        vcl::TOwnedPtr<vcl::TComponent> read(vcl::ReadComponentFromText(text, nullptr));
        auto* back = dynamic_cast<kw::TKwShellList*>(read->FindComponent("List1"));
        ASSERT_TRUE(back);
        EXPECT_EQ(kw::KwShellListDefaultOptions - kw::kwsloOleDrag + kw::kwsloHideFoldersWhenLinkedToTree,
                  back->Options());
        EXPECT_EQ("*.txt;*.log", back->FileFilter());
        EXPECT_EQ(vcl::vsReport, back->ViewStyle());
        EXPECT_EQ(kw::kwlvNone, back->HeaderSortDisplayMode()) << text;
        EXPECT_EQ(linked ? std::string() : H("kept"), linked ? std::string() : back->Folder()->GetPathName());
        EXPECT_EQ(vcl::WriteComponentToText(read.get()), text);
    }
    vcl::UnRegisterClass(kw::TKwShellList::StaticClass());
    vcl::UnRegisterClass(kw::TKwShellTree::StaticClass());
}

// ---- linked with a tree and a combo ----

class ShellListLinking : public ShellList {
public:
    TProbeCombo* Combo = nullptr;
    void SetUp() override
    {
        ShellList::SetUp();
        MakeTree(Home.Home(), {"a/b/c/d", "a/b2", "z"});
        Tree->SetBounds(0, 30, 320, 220);
        List->SetBounds(0, 250, 320, 150);
        Combo = vcl::Create<TProbeCombo>(Form.Get());
        Combo->SetParent(Form.Get());
        Combo->SetBounds(0, 0, 320, 24);
        Tree->SetShellList(List);
        Combo->SetShellTree(Tree);
        Tree->FillItems();
        Select(H("a"));
        Tree->Synchronize(true);
        Pump();
    }
    void TearDown() override
    {
        vcl::Free(Combo);
        ShellList::TearDown();
    }
};

TEST_F(ShellListLinking, AFolderChosenInOneControlReachesTheOthersAndFillsTheListOnce)
{
    struct Case {
        const char* Name;
        std::function<void(ShellListLinking&)> Act;
        std::string Folder; // below HOME
        int Rebuilds;
        bool Expanded;
        bool FoldersInTreeOnly = false;
    };
    const std::vector<Case> cases = {
        {"a click in the tree",
         [](ShellListLinking& f) {
             f.NodeOf(f.H("z"))->MakeVisible();
             Pump();
             f.Click(f.Label(f.NodeOf(f.H("z"))));
         },
         "z", 1, false},
        {"the list opens a folder three levels down",
         [](ShellListLinking& f) { f.List->Folder()->SetIdList(ListOfPath(f.H("a/b/c/d")).Get()); },
         "a/b/c/d", 1, false},
        {"the same with folders shown only in the tree",
         [](ShellListLinking& f) { f.List->Folder()->SetIdList(ListOfPath(f.H("a/b")).Get()); }, "a/b", 1,
         true, true},
        {"the combo's folder set",
         [](ShellListLinking& f) { f.Combo->SelectedFolder()->SetPathName(f.H("a/b2")); }, "a/b2", 1, false},
        {"the combo goes up", [](ShellListLinking& f) { f.Combo->GoUp(1); }, "", 1, true},
        {"the list goes up", [](ShellListLinking& f) { f.List->GoUp(1); }, "", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->SetOptions(c.FoldersInTreeOnly
                             ? kw::KwShellListDefaultOptions + kw::kwsloHideFoldersWhenLinkedToTree
                             : kw::KwShellListDefaultOptions);
        Select(H("a"));
        Tree->Synchronize(true);
        Pump();
        const int rebuilds = Combo->Rebuilds;
        const int fills = Events.FillStarts;
        const int folders = Events.Folders;
        c.Act(*this);
        Pump();
        const std::string folder = c.Folder.empty() ? Home.Home() : H(c.Folder);
        EXPECT_EQ(folder, SelectedPath());
        EXPECT_EQ(folder, Combo->SelectedFolder()->GetPathName());
        EXPECT_EQ(folder, List->Folder()->GetPathName());
        EXPECT_EQ(c.Rebuilds, Combo->Rebuilds - rebuilds);
        EXPECT_EQ(1, Events.FillStarts - fills);
        EXPECT_EQ(1, Events.Folders - folders);
        EXPECT_EQ(c.Expanded, Tree->Selected()->Expanded());
        EXPECT_EQ(0, List->Reentry());
        EXPECT_EQ(0, Tree->UpdateLock());
    }
}

TEST_F(ShellListLinking, ADelayedTreeSelectionReachesTheListAtItsTimedRefreshAsAFill)
{
    struct Delay {
        int Before = std::exchange(kw::KWSH_TREE_KEY_UPDATE_DELAY, 60000);
        ~Delay() { kw::KWSH_TREE_KEY_UPDATE_DELAY = Before; }
    } delay;
    NodeOf(H("a"))->Expand(false);
    Tree->SetFocus();
    Key(Qt::Key_Down); // a/b, pushed only after the delay
    ASSERT_EQ(H("a/b"), SelectedPath());
    ASSERT_EQ(H("a"), List->Folder()->GetPathName());
    // A change in the folder shown: the timed refresh synchronizes the tree
    // first, which moves Folder under the list's counter.
    PostMessageA(List->Handle(), kw::AM_ChangeNotify, 0, 0);
    ASSERT_TRUE(AwaitChange([&] { return Names() == std::vector<std::string>{"c"}; }, 5000));
    EXPECT_EQ(H("a/b"), List->Folder()->GetPathName());
    EXPECT_EQ(H("a/b"), kw::ShellGetPathFromIdList(List->GetCurrentFolderIdList()));
}

// ---- pictures ----

TEST_F(ShellList, TheReportViewDimsHiddenItemsAndMarksLinksAndTheIconViewShowsIcons)
{
    // The overlays come into the system's list as an application's start-up
    // puts them there.
    kw::detail::ReadOsVersion();
    const kw::TKwModuleVersion version = kw::COMCTL32_VER;
    ASSERT_TRUE(kw::GetModuleVersion("comctl32.dll", kw::COMCTL32_VER));
    kw::ShellGetSystemImageList(kw::kwsizSmall);
    kw::COMCTL32_VER = version;
    MakeTree(Home.Home(), {"pic/folder/x"});
    Outside("cd '" + H("pic") + "' && printf abc > note.txt && touch .hidden && ln -s note.txt link.txt");
    List->SetBounds(0, 0, 320, 400);
    Tree->SetVisible(false);
    List->SetViewStyle(vcl::vsReport);
    Show(H("pic"));
    ASSERT_TRUE(ItemNamed(".hidden") && ItemNamed("link.txt"));
    EXPECT_TRUE(ItemNamed(".hidden")->Cut());
    EXPECT_EQ(1, ItemNamed("link.txt")->OverlayIndex());
    List->SetSortColumn(4);
    Pump();
    List->Column(0)->SetWidth(90);
    List->Column(2)->SetWidth(60);
    Pump();
    const QImage report = SavePicture(List->Peer(), "shell-list-report.png");
    ASSERT_FALSE(report.isNull());
    // The link's icon is the file's with the link overlay on it.
    const auto icon = [&](const char* name) {
        const vcl::TRect r = ItemNamed(name)->DisplayRect(vcl::drIcon);
        // Client points lie inside the border.
        const int frame = (List->Peer()->width() - List->ClientWidth()) / 2;
        return report.copy(QRect(r.left + frame, r.top + frame, r.right - r.left, r.bottom - r.top));
    };
    icon("link.txt").scaled(128, 128).save(QString::fromStdString(OutputPath("shell-list-link-icon.png")));
    EXPECT_NE(icon("note.txt"), icon("link.txt"));
    List->SetViewStyle(vcl::vsIcon);
    Pump();
    const QImage icons = SavePicture(List->Peer(), "shell-list-icons.png");
    EXPECT_FALSE(icons.isNull());
    EXPECT_EQ(4, static_cast<int>(Names().size()));
}

} // namespace
