// The shell tree following the world: folders made, removed and renamed by
// other processes, drives that come and go, what it watches, and the
// refresh that keeps what stays.

#include "ShellTreeTestSupport.h"

#include "UKwShellControls_ChangeHandler_p.h"

#include "win32/ChangeNotificationsTesting.h"
#include "win32/DeviceChange.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <utility>

namespace {

using namespace kwtest;
using kw::TChangeHandlerThread;
using vcl::TTreeNode;
namespace fs = std::filesystem;

constexpr int kFast = 50;
constexpr int kSlow = 300;

class TRefreshTree : public TProbeTree {
public:
    using TKwCustomShellTree::BeginBusy;
    using TKwCustomShellTree::EndBusy;
    using TKwCustomShellTree::IgnoreNextChange;
    using TProbeTree::TProbeTree;
};

// Runs a shell command line in a child process; the change is another
// program's, carried by the real inotify reader.
void Outside(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The captions the tree pushed to the list, in order.
std::vector<std::string> Pushes(const TTestShellList& list)
{
    std::vector<std::string> pushes;
    for (const std::string& call : list.Calls)
        if (call.rfind("TreeChanged:", 0) == 0)
            pushes.push_back(call.substr(12));
    return pushes;
}

std::string Q(const std::string& path)
{
    return "'" + path + "'";
}

// Turns the loop for about ms, with the reader's events handed over.
void Turn(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        win32::testing::DrainChangeEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// The table of the watch tests: a root with /home and /tmp of their own,
// /proc, a read-only image, a removable stick and an NFS share.
const std::string kDesk = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                          "20 1 0:20 / /proc rw - proc proc rw\n"
                          "30 1 8:3 / /home rw - ext4 /dev/sda3 rw\n"
                          "31 1 0:30 / /tmp rw - tmpfs tmpfs rw\n"
                          "32 1 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                          "34 1 0:40 / /mnt/nas rw - nfs4 server:/export rw\n";
const std::string kStick = "33 1 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n";
// The same without /tmp of its own, whose watch other programs' temporary
// files would wake.
const std::string kPlain = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                           "20 1 0:20 / /proc rw - proc proc rw\n"
                           "34 1 0:40 / /mnt/nas rw - nfs4 server:/export rw\n";

class ShellTreeRefresh : public ShellTreeFixture {
public:
    std::shared_ptr<win32::testing::TextMountSource> Source =
        std::make_shared<win32::testing::TextMountSource>(kPlain);
    std::unique_ptr<win32::testing::ScopedMountSource> UseSource;
    const int BeforeFast = std::exchange(kw::KWSH_CHANGE_NOTIFY_FASTDELAY, kFast);
    const int BeforeSlow = std::exchange(kw::KWSH_CHANGE_NOTIFY_DELAY, kSlow);
    TRefreshTree* View = nullptr;
    TTestShellList* List = nullptr;
    std::vector<TChangeHandlerThread::AddRecord> Adds;
    std::string Root;

    void SetUp() override
    {
        Source->SetDevice("/media/me/STICK", {true, true, false});
        UseSource = std::make_unique<win32::testing::ScopedMountSource>(Source);
        TChangeHandlerThread::TestHooks hooks;
        hooks.Added = [this](const TChangeHandlerThread::AddRecord& r) { Adds.push_back(r); };
        TChangeHandlerThread::SetNewWorkerTestHooks(hooks);
        View = vcl::Create<TRefreshTree>(Form.Get());
        Tree = View;
        Tree->SetParent(Form.Get());
        Tree->SetBounds(0, 0, 320, 400);
        Pump();
        Events.Attach(Tree);
        List = vcl::Create<TTestShellList>(Form.Get());
        Root = H("r");
        MakeTree(Root, {"a/b/c/d", "a/x", "leaf", "z"});
    }
    void TearDown() override
    {
        ShellTreeFixture::TearDown();
        kw::KWSH_CHANGE_NOTIFY_FASTDELAY = BeforeFast;
        kw::KWSH_CHANGE_NOTIFY_DELAY = BeforeSlow;
        TChangeHandlerThread::SetNewWorkerTestHooks({});
        UseSource.reset();
        Pump();
    }
    // The tree on Root with a/ and a/b/ open.
    void Open()
    {
        Base(Root);
        Tree->FillItems();
        for (const char* open : {"a", "a/b"}) {
            TTreeNode* node = NodeOf(Root + "/" + open);
            ASSERT_TRUE(node) << open;
            node->Expand(false);
        }
        Turn(2 * kSlow); // whatever the fill's own watches told
        Events.FillStarts = 0;
    }
    // Waits for the next refresh, then for the delay again; the refreshes
    // that came.
    int Refreshes(int from)
    {
        PumpUntil(
            [&] {
                win32::testing::DrainChangeEvents();
                return Events.FillStarts > from;
            },
            15000);
        Turn(3 * kSlow);
        return Events.FillStarts - from;
    }
};

struct OutsideCase {
    const char* Name;
    kw::TKwShellTreeOptions Options;
    std::function<std::string(const std::string&)> Command; // of the root
    std::vector<std::string> Appear;
    std::vector<std::string> Go;
};

TEST_F(ShellTreeRefresh, AnotherProgramsChangesShowOnceTheDelayHasPassedAndNotBeforeHalfOfIt)
{
    const kw::TKwShellTreeOptions withFiles = kw::KwShellTreeDefaultOptions + kw::kwstoIncludeNonFolders;
    const OutsideCase cases[] = {
        {"a folder made in the open folder",
         kw::KwShellTreeDefaultOptions,
         [](const std::string& r) { return "mkdir " + Q(r + "/a/new"); },
         {"a/new"},
         {}},
        {"a folder removed",
         kw::KwShellTreeDefaultOptions,
         [](const std::string& r) { return "rmdir " + Q(r + "/a/x"); },
         {},
         {"a/x"}},
        {"a folder renamed two levels down",
         kw::KwShellTreeDefaultOptions,
         [](const std::string& r) { return "mv " + Q(r + "/a/b/c") + " " + Q(r + "/a/b/c2"); },
         {"a/b/c2"},
         {"a/b/c"}},
        {"a burst: two made and one removed",
         kw::KwShellTreeDefaultOptions,
         [](const std::string& r) {
             return "mkdir " + Q(r + "/a/p") + " " + Q(r + "/a/q") + " && rmdir " + Q(r + "/a/x");
         },
         {"a/p", "a/q"},
         {"a/x"}},
        {"a folder below a node without a button",
         kw::KwShellTreeDefaultOptions,
         [](const std::string& r) { return "mkdir " + Q(r + "/leaf/inner"); },
         {"leaf/inner"},
         {}},
        {"a file, with non-folders shown",
         withFiles,
         [](const std::string& r) { return "touch " + Q(r + "/a/file.txt"); },
         {"a/file.txt"},
         {}},
    };
    for (const OutsideCase& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Root);
        MakeTree(Root, {"a/b/c/d", "a/x", "leaf", "z"});
        Tree->SetOptions(c.Options);
        Open();
        Outside(c.Command(Root));
        // Not before half the delay (the tree has no focus: the slow one).
        Turn(kSlow / 2 - 20);
        EXPECT_EQ(Events.FillStarts, 0) << "refreshed before half the delay";
        EXPECT_EQ(Refreshes(0), 1) << "one refresh for the burst";
        for (const std::string& name : c.Appear)
            EXPECT_TRUE(NodeOf(Root + "/" + name)) << name << " did not appear";
        for (const std::string& name : c.Go)
            EXPECT_FALSE(NodeOf(Root + "/" + name)) << name << " did not go";
    }
}

TEST_F(ShellTreeRefresh, RefreshKeepsTheNodesThatStayTheirExpansionAndTheSelectionWithOnePush)
{
    struct Case {
        const char* Name;
        const char* Selected;
        std::vector<std::string> Remove; // below the root
        std::vector<std::string> Add;
        const char* SelectedAfter;
    };
    const Case cases[] = {
        {"one went, one came", "a/b/c", {"a/x"}, {"a/b/new"}, "a/b/c"},
        {"nothing changed", "a/b", {}, {}, "a/b"},
        {"the selected folder deleted outside", "a/b/c", {"a/b/c"}, {}, "a/b"},
        {"the selected folder's parent deleted outside", "a/b/c", {"a/b"}, {}, "a"},
    };
    Tree->SetShellList(List);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Root);
        MakeTree(Root, {"a/b/c/d", "a/x", "leaf", "z"});
        Open();
        Select(Root + "/" + c.Selected);
        Tree->Synchronize(false);
        std::map<std::string, TTreeNode*> before;
        for (TTreeNode* n = Tree->Items()->GetFirstNode(); n; n = n->GetNext())
            before[Tree->GetDataFromNode(n)->GetPathName()] = n;
        for (const std::string& gone : c.Remove)
            fs::remove_all(Root + "/" + gone);
        for (const std::string& made : c.Add)
            fs::create_directory(Root + "/" + made);
        const std::size_t pushes = Pushes(*List).size();
        Events.Deleted = 0;
        Events.Inserted.clear();

        Tree->RefreshNodes();

        for (const auto& entry : before) {
            const std::string& path = entry.first;
            const bool removed = std::any_of(c.Remove.begin(), c.Remove.end(), [&](const std::string& g) {
                const std::string p = Root + "/" + g;
                return path == p || path.rfind(p + "/", 0) == 0;
            });
            if (!removed) {
                EXPECT_EQ(NodeOf(path), entry.second) << path << " is not the same node";
            }
        }
        EXPECT_EQ(Events.Inserted.size(), c.Add.size());
        for (const std::string& made : c.Add)
            EXPECT_TRUE(NodeOf(Root + "/" + made)) << made;
        if (TTreeNode* b = NodeOf(Root + "/a/b")) {
            EXPECT_TRUE(b->Expanded());
        }
        EXPECT_TRUE(NodeOf(Root + "/a")->Expanded());
        EXPECT_EQ(SelectedPath(), Root + "/" + c.SelectedAfter);
        EXPECT_EQ(Pushes(*List).size(), pushes + 1) << "one push";
        EXPECT_EQ(Tree->PendingAction(), 0);
    }
}

TEST_F(ShellTreeRefresh, AFolderThatCannotBeListedKeepsItsChildren)
{
    struct Case {
        const char* Name;
        std::function<bool(std::function<void()>)> Around; // false: cannot run here
    };
    const auto unreadable = [this](const std::function<void()>& refresh) {
        fs::permissions(Root + "/a", fs::perms::none);
        // Root reads anything: the thread gives up the capabilities that
        // let it, for the refresh.
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        const bool root = ::geteuid() == 0;
        if (root) {
            if (::syscall(SYS_capget, &header, caps) != 0)
                return false;
            __user_cap_data_struct dropped[2] = {caps[0], caps[1]};
            dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            if (::syscall(SYS_capset, &header, dropped) != 0)
                return false;
        }
        refresh();
        if (root)
            ::syscall(SYS_capset, &header, caps);
        fs::permissions(Root + "/a", fs::perms::owner_all);
        return true;
    };
    const auto noDescriptors = [](const std::function<void()>& refresh) {
        rlimit before{};
        ::getrlimit(RLIMIT_NOFILE, &before);
        int open = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
            ++open;
        rlimit tight = before;
        tight.rlim_cur = static_cast<rlim_t>(open);
        ::setrlimit(RLIMIT_NOFILE, &tight);
        refresh();
        ::setrlimit(RLIMIT_NOFILE, &before);
        return true;
    };
    const Case cases[] = {{"no permission (EACCES)", unreadable},
                          {"no descriptor left (EMFILE)", noDescriptors}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        Select(Root + "/a/b");
        Events.Deleted = 0;
        if (!c.Around([this] { Tree->RefreshNodes(); })) {
            GTEST_SKIP() << "capabilities cannot be dropped here";
        }
        EXPECT_EQ(Events.Deleted, 0);
        EXPECT_EQ(Captions(NodeOf(Root + "/a")), (std::vector<std::string>{"b", "x"}));
        EXPECT_EQ(SelectedPath(), Root + "/a/b");
    }
}

TEST_F(ShellTreeRefresh, ANotificationWhileBusyRunsOneRefreshWhenItEndsAndTheTreesOwnIsDropped)
{
    struct Case {
        const char* Name;
        std::function<void()> Before; // then two notifications
        std::function<void()> After;
        int Refreshes; // after Before and the notifications
    };
    const Case cases[] = {
        {"a menu or drag up: kept for its end", [this] { View->BeginBusy(); }, [this] { View->EndBusy(); },
         0},
        {"the tree's own rename: its notification dropped, the next one heard",
         [this] { View->IgnoreNextChange(); }, [] {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        c.Before();
        PostMessageA(Tree->Handle(), kw::AM_ChangeNotify, 0, 0);
        PostMessageA(Tree->Handle(), kw::AM_ChangeNotify, 0, 0);
        Turn(2 * kSlow);
        EXPECT_EQ(Events.FillStarts, c.Refreshes);
        c.After();
        Turn(2 * kSlow);
        EXPECT_EQ(Events.FillStarts, 1) << "one refresh in all";
    }
}

TEST_F(ShellTreeRefresh, APendingPushAndADueRefreshBothRunTheRefreshFirst)
{
    Tree->SetShellList(List);
    struct Case {
        const char* Name;
        bool NotifyFirst;
        bool Synchronize; // else the timer
    };
    const Case cases[] = {{"a key run after the notification", true, false},
                          {"a notification after the key run", false, false},
                          {"Synchronize with both pending", false, true}};
    Tree->OnFillStart = vcl::TNotifyEvent(&Events, &TreeEvents::FillStart);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        Select(Root + "/a");
        Tree->Synchronize(false);
        Tree->SetFocus();
        List->Calls.clear();
        Events.Log.clear();
        const auto notify = [&] { PostMessageA(Tree->Handle(), kw::AM_ChangeNotify, 0, 0); };
        if (c.NotifyFirst) {
            notify();
            Pump();
        }
        Key(Qt::Key_Down); // to a/b, pushed after the delay
        ASSERT_EQ(SelectedPath(), Root + "/a/b");
        if (!c.NotifyFirst) {
            notify();
            Pump();
        }
        if (c.Synchronize)
            Tree->Synchronize(false);
        else
            PumpUntil([&] { return Events.FillStarts > 0 && !Pushes(*List).empty(); });
        EXPECT_EQ(Events.FillStarts, 1) << "the refresh ran";
        EXPECT_EQ(Pushes(*List), std::vector<std::string>{"b"}) << "the push ran once";
        Turn(2 * kSlow);
        EXPECT_EQ(Events.FillStarts, 1);
        EXPECT_EQ(Pushes(*List).size(), 1u);
    }
}

TEST_F(ShellTreeRefresh, WatchesTheRootAndItsMountsAndTheShareEachWithItsSubtree)
{
    Source->SetText(kDesk);
    Open();
    // Switched off live: no watch is left and a change goes unheard.
    Tree->SetOptions(kw::KwShellTreeDefaultOptions - kw::kwstoDynamicRefresh);
    Adds.clear();
    Turn(2 * kSlow); // a refresh other programs' files in /tmp made due before
    Events.FillStarts = 0;
    Outside("mkdir " + Q(Root + "/a/unheard"));
    Turn(3 * kSlow);
    EXPECT_EQ(Events.FillStarts, 0);
    // And on again: the drives watched afresh, and a change is heard.
    Tree->SetOptions(kw::KwShellTreeDefaultOptions);
    std::map<std::string, int> asked;
    for (const auto& r : Adds) {
        EXPECT_TRUE(r.Subtree) << r.Path;
        EXPECT_EQ(r.Filter, FILE_NOTIFY_CHANGE_DIR_NAME) << r.Path;
        ++asked[r.Path];
    }
    const std::map<std::string, int> expected = {{"/", 1}, {"/home", 1}, {"/mnt/nas", 1}, {"/tmp", 1}};
    EXPECT_EQ(asked, expected);
    Outside("mkdir " + Q(Root + "/a/heard"));
    // Other programs' files in /tmp may wake it too: at least this one.
    EXPECT_GE(Refreshes(0), 1);
    EXPECT_TRUE(NodeOf(Root + "/a/heard"));
    EXPECT_TRUE(NodeOf(Root + "/a/unheard"));
}

TEST_F(ShellTreeRefresh, WatchesPastTheirLimitOrAnOverflowRefreshOnceNotAtEveryDelay)
{
    struct Case {
        const char* Name;
        std::function<void()> Cause;
    };
    const Case cases[] = {
        {"the subtree's watch limit",
         [this] {
             win32::testing::SetSubtreeWatchLimit(1);
             Tree->FillItems(); // watches again, past the limit
         }},
        {"the reader paused into an overflow",
         [this] {
             win32::testing::PauseChangeReader(true);
             // More events than the kernel queues (16384 by default).
             Outside("cd " + Q(Root + "/a") + " && mkdir $(seq -f t%g 9000) && rmdir t*");
             win32::testing::PauseChangeReader(false);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        c.Cause();
        Events.FillStarts = 0;
        const int refreshes = Refreshes(0);
        Turn(4 * kSlow);
        EXPECT_EQ(Events.FillStarts, refreshes);
        EXPECT_EQ(refreshes, 1);
        win32::testing::SetSubtreeWatchLimit(win32::kSubtreeWatchLimit);
    }
}

TEST_F(ShellTreeRefresh, ANotificationAfterTheTreeIsGoneIsDropped)
{
    Open();
    const HWND window = Tree->Handle();
    PostMessageA(window, kw::AM_ChangeNotify, 0, 0);
    vcl::Free(Tree);
    Tree = nullptr;
    Turn(2 * kSlow); // ASan tells of any touch of the freed tree
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ShellTreeRefresh, AStickComesAndGoesUnderAnOpenComputerWithTheDrivesReadOnce)
{
    Tree->SetShellList(List);
    Tree->BaseFolder()->Clear();
    Tree->FillItems();
    TTreeNode* computer = nullptr;
    for (TTreeNode* n = Tree->GetFirstRootLevelShellNode()->GetFirstChild(); n; n = n->GetNextSibling()) {
        n->Expand(false);
        for (TTreeNode* d = n->GetFirstChild(); d; d = d->GetNextSibling())
            if (Tree->GetDataFromNode(d)->GetPathName() == "/")
                computer = n;
        if (!computer)
            n->Collapse(false);
        else
            break;
    }
    ASSERT_TRUE(computer);
    std::vector<int> locks;
    Tree->OnFillStart = vcl::TNotifyEvent(&Events, &TreeEvents::FillStart);
    struct LockProbe : QObject {
        std::vector<int>* Seen;
        win32::testing::TextMountSource* Src;
        int Start = 0;
        std::vector<int> Probes; // during each refresh
        void FillStart(vcl::TObject*)
        {
            Seen->push_back(kw::gFlushDriveInfoSem);
            Start = Src->DeviceProbes();
        }
        void FillComplete(vcl::TObject*) { Probes.push_back(Src->DeviceProbes() - Start); }
    } probe;
    probe.Seen = &locks;
    probe.Src = Source.get();
    Tree->OnFillStart = vcl::TNotifyEvent(&probe, &LockProbe::FillStart);
    Tree->OnFillComplete = vcl::TNotifyEvent(&probe, &LockProbe::FillComplete);

    Source->SetText(kPlain + kStick);
    PumpUntil([&] { return NodeOf("/media/me/STICK") != nullptr; });
    ASSERT_TRUE(NodeOf("/media/me/STICK")) << "the stick did not appear";
    // The drives read afresh once during the refresh: one probe a drive.
    std::vector<win32::MountEntry> mounts;
    Source->ReadMounts(mounts);
    const auto drives = win32::UserVisibleDrives(mounts, *Source);
    EXPECT_EQ(probe.Probes, std::vector<int>{static_cast<int>(drives.size())});
    EXPECT_EQ(locks, std::vector<int>{1}) << "the refresh ran with the flush locked";
    EXPECT_EQ(kw::gFlushDriveInfoSem, 0);

    Tree->SetSelected(NodeOf("/media/me/STICK"));
    Tree->Synchronize(false);
    Source->SetText(kPlain);
    PumpUntil([&] { return NodeOf("/media/me/STICK") == nullptr; });
    EXPECT_FALSE(NodeOf("/media/me/STICK")) << "the stick did not go";
    EXPECT_EQ(Tree->Selected(), computer);
    EXPECT_EQ(Pushes(*List).back(), computer->Text());
}

} // namespace

namespace {

TEST_F(ShellTreeRefresh, PictureAfterARenameTwoLevelsDownAndAStickArriving)
{
    Tree->BaseFolder()->Clear();
    Tree->FillItems();
    MakeTree(Root, {"a/b/m", "a/b/n"});
    // Home, r, a and b open, and Computer with its file system closed.
    const auto child = [](TTreeNode* parent, const std::string& text) -> TTreeNode* {
        for (TTreeNode* n = parent ? parent->GetFirstChild() : nullptr; n; n = n->GetNextSibling())
            if (n->Text() == text)
                return n;
        return nullptr;
    };
    TTreeNode* desktop = Tree->GetFirstRootLevelShellNode();
    TTreeNode* b = desktop;
    for (const char* level : {"Home", "r", "a", "b"}) {
        b = child(b, level);
        ASSERT_TRUE(b) << level;
        b->Expand(false);
    }
    TTreeNode* computer = child(desktop, "Computer");
    ASSERT_TRUE(computer);
    computer->Expand(false);
    Turn(2 * kSlow);

    const int before = Events.FillStarts;
    Outside("mv " + Q(Root + "/a/b/n") + " " + Q(Root + "/a/b/a renamed"));
    EXPECT_GE(Refreshes(before), 1);
    Source->SetText(kPlain + kStick);
    PumpUntil([&] { return child(computer, "STICK") != nullptr; });

    EXPECT_TRUE(b->Expanded());
    EXPECT_EQ(Captions(b), (std::vector<std::string>{"a renamed", "c", "m"}));
    EXPECT_TRUE(child(computer, "STICK")) << "the stick under Computer";
    Tree->SetSelected(child(b, "a renamed"));
    desktop->MakeVisible();
    Pump();
    SavePicture(Form.Get()->Peer(), "shell-tree-refresh.png");
}

} // namespace
