#pragma once
// Helpers of the shell tree's tests: a shell list that records what the tree
// asks of it and answers as a list does, the tree's events recorded, a home
// with folders of the test's own, a recorded mount table and counted beeps.

#include "ShellControlsTestSupport.h"
#include "ShellViewTestSupport.h"

#include "../platform/vcl/widgets/WidgetTesting.h"

#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "shell32/VirtualFolder.h"
#include "vcl/core/Publish.h"
#include "win32/ListedFoldersTesting.h"
#include "win32/MessageBox.h"
#include "win32/MountTesting.h"
#include "win32/WideText.h"

#include <QAbstractScrollArea>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kwtest {

// A shell list as the tree sees it: every call recorded. Its folder changes
// as a list's do: under a re-entry counter it selects the folder in its tree
// and fills once.
class TTestShellList : public kw::TKwCustomShellList {
    VCL_DECLARE_PUBLISHED_CLASS(TTestShellList, kw::TKwCustomShellList)
public:
    explicit TTestShellList(vcl::TComponent* owner)
        : TKwCustomShellList(owner), Folder_(vcl::Create<kw::TKwShellLocator>())
    {
        Folder_->OnChange = vcl::TNotifyEvent(this, &TTestShellList::OwnFolderChanged);
    }

    std::vector<std::string> Calls;
    // The path (or, for a virtual folder, "?") of each fill.
    std::vector<std::string> Filled;
    kw::TKwShellListOptions ListOptions;
    kw::TKwCustomShellTree* Tree = nullptr;
    kw::TKwCustomShellCombo* Combo = nullptr;
    // Runs inside TreeChanged, after the folder has moved, when set.
    std::function<void()> OnTreeChanged;
    // Where pushes are logged ("push:<caption>") besides Calls, when set.
    std::vector<std::string>* SharedLog = nullptr;

    void SetShellTree(kw::TKwCustomShellTree* value) override
    {
        Calls.push_back(value ? "SetShellTree" : "SetShellTree(null)");
        Tree = value;
        if (value)
            value->FreeNotification(this);
    }
    void SetShellCombo(kw::TKwCustomShellCombo* value) override
    {
        Calls.push_back(value ? "SetShellCombo" : "SetShellCombo(null)");
        Combo = value;
        if (value)
            value->FreeNotification(this);
    }
    void TreeChanged(vcl::TTreeNode* node) override
    {
        Calls.push_back("TreeChanged:" + (node ? node->Text() : std::string("-")));
        if (SharedLog)
            SharedLog->push_back("push:" + (node ? node->Text() : std::string("-")));
        if (kw::TKwShTreeData* data = Tree ? Tree->GetDataFromNode(node) : nullptr)
            Folder_->SetIdList(data->GetAbsPidl());
        if (OnTreeChanged)
            OnTreeChanged();
    }
    kw::TKwShellLocator* Folder() const override { return Folder_; }
    void SetFolder(kw::TKwShellLocator* value) override
    {
        Calls.push_back("SetFolder");
        Folder_->Assign(value);
    }
    void Synchronize(bool) override { Calls.push_back("Synchronize"); }
    kw::TKwShellListOptions Options() const override { return ListOptions; }

    IShellFolder* GetCurrentFolderIShf() override { return nullptr; }
    kw::PItemIDList GetCurrentFolderIdList() override { return nullptr; }
    IShellDetails* GetCurrentFolderIShellDetails() override { return nullptr; }
    int GetItemCount() override { return 0; }
    bool GetItemSelected(int) override { return false; }
    kw::TKwShListData* GetItemData(int) override { return nullptr; }

protected:
    ~TTestShellList() override { vcl::Free(Folder_); }
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override
    {
        TKwCustomShellList::Notification(component, operation);
        if (operation == vcl::opRemove && component == Tree)
            Tree = nullptr;
        if (operation == vcl::opRemove && component == Combo)
            Combo = nullptr;
    }

private:
    void OwnFolderChanged(vcl::TObject*)
    {
        if (Reentry_ > 0)
            return;
        ++Reentry_;
        if (Tree)
            Tree->DoSetSelectedIdList(Folder_->GetIdList());
        else if (Combo)
            Combo->SelectedFolder()->SetIdList(Folder_->GetIdList());
        const std::string path = Folder_->GetPathName();
        Filled.push_back(path.empty() ? "?" : path);
        --Reentry_;
    }

    kw::TKwShellLocator* Folder_;
    int Reentry_ = 0;
};

inline const vcl::TClassRtti& TTestShellList::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestShellList>();
    return table;
}

// The tree's protected state, for the tests to read.
class TProbeTree : public kw::TKwShellTree {
public:
    using TKwCustomShellTree::AddNewShellNode;
    using TKwCustomShellTree::FillTree;
    using TKwCustomShellTree::PendingAction;
    using TKwCustomShellTree::UpdateLock;
    using TKwShellTree::TKwShellTree;
};

// What the tree's events saw.
struct TreeEvents : QObject {
    int FillStarts = 0;
    int FillCompletes = 0;
    int Deleted = 0;
    bool AllowExpand = true;
    std::set<std::string> Veto;
    std::vector<std::string> Log;
    // Paths of the nodes inserted, in order.
    std::vector<std::string> Inserted;

    void Attach(kw::TKwCustomShellTree* tree)
    {
        tree->OnFillStart = vcl::TNotifyEvent(this, &TreeEvents::FillStart);
        tree->OnFillComplete = vcl::TNotifyEvent(this, &TreeEvents::FillComplete);
        tree->OnAddItem = kw::TKwShAddItemEvent(this, &TreeEvents::AddItem);
        tree->OnInsertItem = kw::TKwShTreeInsertItemEvent(this, &TreeEvents::Insert);
        tree->OnDeleteItem = kw::TKwShTreeDeleteItemEvent(this, &TreeEvents::Delete);
        tree->OnChange = vcl::TTVChangedEvent(this, &TreeEvents::Change);
        tree->OnExpanding = vcl::TTVExpandingEvent(this, &TreeEvents::Expanding);
    }
    void FillStart(vcl::TObject*) { ++FillStarts; }
    void FillComplete(vcl::TObject*) { ++FillCompletes; }
    void AddItem(vcl::TObject*, IShellFolder* folder, kw::PItemIDList, kw::PItemIDList item, int, bool& allow)
    {
        std::string name;
        kw::GetShellDisplayName(folder, item, SHGDN_INFOLDER, name);
        if (Veto.count(name))
            allow = false;
    }
    void Insert(vcl::TObject* sender, vcl::TTreeNode* node)
    {
        auto* tree = static_cast<kw::TKwCustomShellTree*>(sender);
        Inserted.push_back(tree->GetDataFromNode(node)->GetPathName());
    }
    void Delete(vcl::TObject*, vcl::TTreeNode*, kw::TKwShTreeData* data) { Deleted += data != nullptr; }
    // A "turn" follows each change once the event loop has turned.
    void Change(vcl::TObject*, vcl::TTreeNode* node)
    {
        Log.push_back("change:" + (node ? node->Text() : std::string("-")));
        QTimer::singleShot(0, this, [this] { Log.push_back("turn"); });
    }
    void Expanding(vcl::TObject*, vcl::TTreeNode*, bool& allow) { allow = AllowExpand; }
};

// Folders (and files, for names ending in ".txt") below a root, made with
// their parents.
inline void MakeTree(const std::string& root, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const std::string path = root + "/" + name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
            WriteFile(path, "x");
        else
            std::filesystem::create_directories(path);
    }
}

// The list of name parsed in the folder of start, joined to start.
inline OwnedList Via(const ITEMIDLIST* start, const std::string& name)
{
    com::ComPtr<IShellFolder> folder;
    EXPECT_EQ(S_OK, kw::ShellGetFolderFromIdList(start, folder.ReleaseAndGetAddressOf()));
    std::u16string wide = win32::BytesToWide(name);
    OwnedList relative;
    EXPECT_EQ(S_OK, folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, relative.Out(), nullptr))
        << name;
    return OwnedList(kw::ConcatIdLists(nullptr, start, relative.Get()));
}

// A path below the home folder reached through the desktop's Home.
inline OwnedList HomeRoute(const std::string& relative)
{
    std::string bytes;
    shell32::AppendVirtualItem(bytes, shell32::CLSID_Home);
    const OwnedList home(bytes + std::string(2, '\0'));
    return relative.empty() ? OwnedList(kw::CopyIdList(nullptr, home.Get())) : Via(home.Get(), relative);
}

// The absolute list of the child of a special folder that the folder names
// so (with the given display-name flags).
inline OwnedList SpecialFolderChild(int csidl, const std::string& named, DWORD flags)
{
    OwnedList parent;
    EXPECT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, csidl, parent.Out()));
    com::ComPtr<IShellFolder> folder;
    EXPECT_EQ(S_OK, kw::ShellGetFolderFromIdList(parent.Get(), folder.ReleaseAndGetAddressOf()));
    com::ComPtr<IEnumIDList> items;
    EXPECT_EQ(S_OK, folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.ReleaseAndGetAddressOf()));
    OwnedList item;
    while (items->Next(1, item.Out(), nullptr) == S_OK) {
        std::string name;
        kw::GetShellDisplayName(folder.Get(), item.Get(), flags, name);
        if (name == named)
            break;
    }
    return OwnedList(kw::ConcatIdLists(nullptr, parent.Get(), item.Get()));
}

// An absolute path reached through Computer and its root file system.
inline OwnedList ComputerRoute(const std::string& path)
{
    const OwnedList root = SpecialFolderChild(17, "/", SHGDN_FORPARSING | SHGDN_INFOLDER);
    return Via(root.Get(), path.substr(1));
}

// A shell tree on a shown form, in a home of its own with a stick and a
// network share mounted, beeps counted and the push delay at 100 ms.
class ShellTreeFixture : public ::testing::Test {
public:
    ScopedHome Home;
    win32::testing::ScopedMountSource Mounts{SampleMountSource()};
    const win32::MessageBeepHook BeforeBeep = win32::SetMessageBeepHook([](UINT) {
        ++Beeps();
        return TRUE;
    });
    const int BeforeDelay = std::exchange(kw::KWSH_TREE_KEY_UPDATE_DELAY, 100);
    TestForm Form{320, 400};
    TProbeTree* Tree = nullptr;
    TreeEvents Events;

    void SetUp() override
    {
        Tree = vcl::Create<TProbeTree>(Form.Get());
        Tree->SetParent(Form.Get());
        Tree->SetBounds(0, 0, 320, 400);
        Pump();
        Events.Attach(Tree);
    }
    void TearDown() override
    {
        vcl::Free(Tree);
        Pump();
        win32::SetMessageBeepHook(BeforeBeep);
        kw::KWSH_TREE_KEY_UPDATE_DELAY = BeforeDelay;
        // The folders listed here, gone with the home, are no one's to watch:
        // a later test's subtree watches must not depend on them.
        win32::testing::ResetListedFolders();
    }
    static int& Beeps()
    {
        static int beeps = 0;
        return beeps;
    }

    std::string H(const std::string& name) const { return Home.Home() + "/" + name; }
    void Base(const std::string& path) { Tree->BaseFolder()->SetIdList(ListOfPath(path).Get()); }
    void Select(const std::string& path) { Tree->DoSetSelectedIdList(ListOfPath(path).Get()); }
    std::string SelectedPath() const { return Tree->GetSelectedPathName(); }
    // The node of a path among the nodes there are; null when none is.
    vcl::TTreeNode* NodeOf(const std::string& path) const
    {
        for (vcl::TTreeNode* node = Tree->Items()->GetFirstNode(); node; node = node->GetNext())
            if (kw::TKwShTreeData* data = Tree->GetDataFromNode(node); data && data->GetPathName() == path)
                return node;
        return nullptr;
    }
    static std::vector<std::string> Captions(const vcl::TTreeNode* parent)
    {
        std::vector<std::string> captions;
        for (vcl::TTreeNode* child = parent ? parent->GetFirstChild() : nullptr; child;
             child = child->GetNextSibling())
            captions.push_back(child->Text());
        return captions;
    }
    QWidget* Viewport() const { return static_cast<QAbstractScrollArea*>(Tree->Peer())->viewport(); }
    static QPoint Label(const vcl::TTreeNode* node)
    {
        const vcl::TRect r = node->DisplayRect(true);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // The node's expand button, found by the tree's own hit test.
    QPoint Button(const vcl::TTreeNode* node) const
    {
        const vcl::TRect r = node->DisplayRect(true);
        const int y = (r.top + r.bottom) / 2;
        for (int x = r.left; x >= 0; --x)
            if (Tree->GetHitTestInfoAt(x, y).Contains(vcl::htOnButton))
                return {x, y};
        ADD_FAILURE() << "no button at " << node->Text();
        return {0, y};
    }
    void Click(QPoint at) { ClickAwaited(Viewport(), at); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Tree->Peer(), key, modifiers);
    }
};

} // namespace kwtest
