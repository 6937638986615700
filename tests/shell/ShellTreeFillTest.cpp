// The shell tree's filling: what one level shows for each kind of item and
// option, that folders are listed only when opened and then once, and that
// icons are fetched only for nodes that are painted.

#include "ShellTreeTestSupport.h"

#include "shell32/VirtualFolder.h"
#include "vcl/core/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using namespace kwtest;
using kw::TKwShellTreeOptions;
using vcl::TTreeNode;

constexpr const char* kNewline = "new\nline";
constexpr const char* kInvalid = "bad\xff";

class ShellTreeFill : public ShellTreeFixture {
public:
    std::string Root;
    void SetUp() override
    {
        ShellTreeFixture::SetUp();
        Root = H("fill");
        MakeTree(Root, {"with/sub", "without", "filesonly/a.txt", ".dot/sub", "Foo", "foo",
                        std::string(kNewline) + "/sub", kInvalid, "file.txt"});
        std::filesystem::create_directory_symlink(Root + "/with", Root + "/link");
    }
    // The base's children in order, each "caption", then " +" for a button,
    // " cut" when dimmed, " o<n>" for an overlay.
    std::vector<std::string> Fill(TKwShellTreeOptions options)
    {
        Tree->SetOptions(options);
        Base(Root);
        Tree->FillItems();
        std::vector<std::string> shown;
        for (TTreeNode* child = Tree->GetFirstRootLevelShellNode()->GetFirstChild(); child;
             child = child->GetNextSibling()) {
            shown.push_back(child->Text() + (child->HasChildren() ? " +" : "") +
                            (child->Cut() ? " cut" : "") +
                            (child->OverlayIndex() >= 0 ? " o" + std::to_string(child->OverlayIndex()) : ""));
            // Names that are no text keep their bytes in the paths.
            const std::string path = Tree->GetDataFromNode(child)->GetPathName();
            EXPECT_TRUE(path == Root + "/" + child->Text() || path == Root + "/" + kInvalid) << path;
        }
        return shown;
    }
};

TEST_F(ShellTreeFill, OneLevelShowsEachKindOfItemAsTheOptionsSay)
{
    const TKwShellTreeOptions defaults = kw::KwShellTreeDefaultOptions;
    const std::string invalid = "bad\xEF\xBF\xBD";
    const std::string newline = std::string(kNewline) + " +";
    struct Case {
        const char* Name;
        TKwShellTreeOptions Options;
        std::set<std::string> Veto;
        std::vector<std::string> Shown;
    };
    const std::vector<Case> cases = {
        {"defaults: folders in the shell's order, buttons for subfolders only",
         defaults,
         {},
         {".dot + cut", invalid, "filesonly", "Foo", "foo", "link + o1", newline, "with +", "without"}},
        {"non-folders too, and a button for every folder",
         defaults + kw::kwstoIncludeNonFolders,
         {},
         {".dot + cut", invalid + " +", "filesonly +", "Foo +", "foo +", "link + o1", newline, "with +",
          "without +", "file.txt"}},
        {"hidden items left out",
         defaults - kw::kwstoShowHidden,
         {},
         {invalid, "filesonly", "Foo", "foo", "link + o1", newline, "with +", "without"}},
        {"the handler refuses one of two names that differ in case",
         defaults,
         {"Foo"},
         {".dot + cut", invalid, "filesonly", "foo", "link + o1", newline, "with +", "without"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Events.Veto = c.Veto;
        EXPECT_EQ(c.Shown, Fill(c.Options));
    }
}

TEST_F(ShellTreeFill, ANodeAddedAtTheEndIsSortedIntoItsPlace)
{
    Base(Root);
    TTreeNode* top = Tree->GetFirstRootLevelShellNode();
    MakeTree(Root, {"middle"});
    kw::TKwShTreeData* data = Tree->GetDataFromNode(top);
    const com::ComPtr<IShellFolder> folder = data->GetThisIShf();
    FolderListOwner owner(Root);
    TTreeNode* added = nullptr;
    ASSERT_EQ(S_OK, Tree->AddNewShellNode(folder.Get(), data->GetAbsPidl(), owner.ItemNamed("middle").Get(),
                                          top, &added));
    ASSERT_EQ(added, top->GetLastChild());
    Tree->SortNode(top);
    const auto captions = Captions(top);
    EXPECT_EQ("middle", captions[std::find(captions.begin(), captions.end(), "link") - captions.begin() + 1]);
    Tree->SortNode(nullptr);
    EXPECT_EQ(captions, Captions(top));
}

// ---- a virtual folder whose items misbehave ----

constexpr GUID kFlakyFolder = com::MakeGuid("{7C1E4B2A-5D3F-4E6A-9B8C-0D1E2F3A4B5C}");

// Three entries; the middle one is gone by the time its attributes are asked.
class FlakyFolder : public shell32::VirtualFolderProvider {
public:
    std::string DisplayName() const override { return "Flaky"; }
    HRESULT Enumerate(DWORD, std::string& items) override
    {
        for (const char* key : {"first", "gone", "last"})
            shell32::AppendVirtualEntry(items, key);
        return S_OK;
    }
    HRESULT ChildDisplayName(const shell32::ItemView& child, DWORD, std::string& text) override
    {
        text = std::string(child.text);
        return S_OK;
    }
    HRESULT ChildAttributes(const shell32::ItemView& child, ULONG& attributes) override
    {
        if (child.text == "gone")
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        attributes = SFGAO_FOLDER;
        return S_OK;
    }
};

// A folder that has nothing to list and says so without an enumerator.
class EmptyFolder : public ComparingFolder {
public:
    EmptyFolder() : ComparingFolder([](LPCITEMIDLIST, LPCITEMIDLIST) { return E_NOTIMPL; }) {}
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList** items) override
    {
        *items = nullptr;
        return S_FALSE;
    }
};

TEST_F(ShellTreeFill, AnItemGoneBeforeItsAttributesOrAFolderWithoutEnumeratorEndsTheFillInOrder)
{
    shell32::RegisterVirtualFolder(kFlakyFolder, std::make_shared<FlakyFolder>());
    struct Reset {
        ~Reset() { shell32::ResetVirtualFolders(); }
    } reset;
    std::string bytes;
    shell32::AppendVirtualItem(bytes, kFlakyFolder);
    const OwnedList flaky(bytes + std::string(2, '\0'));
    Tree->BaseFolder()->SetIdList(flaky.Get());
    EXPECT_EQ((std::vector<std::string>{"first", "last"}), Captions(Tree->GetFirstRootLevelShellNode()));
    EXPECT_EQ(Events.FillStarts, Events.FillCompletes);

    // No enumerator: an empty folder, nothing asked of it.
    TTreeNode* first = Tree->GetFirstRootLevelShellNode()->GetFirstChild();
    first->SetHasChildren(true);
    const int completes = Events.FillCompletes;
    const auto empty = com::MakeComObject<EmptyFolder>();
    Tree->FillTree(empty.Get(), first);
    EXPECT_EQ(0, first->Count());
    EXPECT_FALSE(first->HasChildren());
    EXPECT_EQ(completes + 1, Events.FillCompletes);
}

TEST_F(ShellTreeFill, WithoutVirtualFoldersComputerShowsItsDrivesButNotControlPanelOrPrinters)
{
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, 17, computer.Out()));
    struct Case {
        bool Virtual;
        bool ControlPanel;
    };
    for (const Case c : {Case{true, true}, Case{false, false}}) {
        SCOPED_TRACE(c.Virtual);
        TKwShellTreeOptions options = kw::KwShellTreeDefaultOptions;
        if (!c.Virtual)
            options -= kw::kwstoVirtualFolders;
        Tree->SetOptions(options);
        // Computer itself, a file-system ancestor, stays on the desktop.
        Tree->BaseFolder()->Clear();
        Tree->FillItems();
        const auto desktop = Captions(Tree->GetFirstRootLevelShellNode());
        EXPECT_NE(desktop.end(), std::find(desktop.begin(), desktop.end(), "Computer"));
        Tree->BaseFolder()->SetIdList(computer.Get());
        const auto drives = Captions(Tree->GetFirstRootLevelShellNode());
        EXPECT_NE(drives.end(), std::find(drives.begin(), drives.end(), "File System"));
        EXPECT_EQ(c.ControlPanel, drives.end() != std::find(drives.begin(), drives.end(), "Control Panel"));
        EXPECT_EQ(c.ControlPanel, drives.end() != std::find(drives.begin(), drives.end(), "Printers"));
    }
}

// ---- laziness ----

TEST_F(ShellTreeFill, AFolderIsListedWhenFirstOpenedAndThenNeverAgain)
{
    MakeTree(H("lazy"), {"a/a1/a11", "a/a2", "b"});
    struct Case {
        const char* Name;
        std::function<void(ShellTreeFill&, TTreeNode*)> Open;
        int Fills;
    };
    const std::vector<Case> cases = {
        {"its button", [](ShellTreeFill& f, TTreeNode* a) { f.Click(f.Button(a)); }, 1},
        {"Right", [](ShellTreeFill& f, TTreeNode* a) { a->SetSelected(true), f.Key(Qt::Key_Right); }, 1},
        {"+",
         [](ShellTreeFill& f, TTreeNode* a) {
             a->SetSelected(true), f.Key(Qt::Key_Plus, Qt::KeypadModifier);
         },
         1},
        {"a double click",
         [](ShellTreeFill& f, TTreeNode* a) {
             QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, Label(a));
         },
         1},
        // Every folder below that shows a button: a and a1 (a2 has none).
        {"*",
         [](ShellTreeFill& f, TTreeNode* a) {
             a->SetSelected(true), f.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
         },
         2},
        {"its button, refused by OnExpanding",
         [](ShellTreeFill& f, TTreeNode* a) {
             f.Events.AllowExpand = false;
             f.Click(f.Button(a));
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Events.AllowExpand = true;
        Base(H("lazy"));
        // The fill lists the base folder alone.
        EXPECT_EQ(1, Events.FillStarts);
        EXPECT_EQ((std::vector<std::string>{"a", "b"}), Captions(Tree->GetFirstRootLevelShellNode()));
        TTreeNode* a = NodeOf(H("lazy/a"));
        ASSERT_TRUE(a);
        EXPECT_EQ(0, a->Count());
        Tree->SetFocus();
        Pump();
        c.Open(*this, a);
        Pump();
        a = NodeOf(H("lazy/a"));
        ASSERT_TRUE(a);
        EXPECT_EQ(c.Fills > 0, a->Expanded());
        EXPECT_EQ(1 + c.Fills, Events.FillStarts);
        const std::vector<std::string> listed =
            c.Fills > 0 ? std::vector<std::string>{"a1", "a2"} : std::vector<std::string>{};
        EXPECT_EQ(listed, Captions(a));
        a->Collapse(false);
        a->Expand(false);
        EXPECT_EQ(1 + c.Fills, Events.FillStarts) << "listed again";
        std::vector<std::string> inserted = Events.Inserted;
        std::sort(inserted.begin(), inserted.end());
        EXPECT_EQ(inserted.end(), std::adjacent_find(inserted.begin(), inserted.end()))
            << "a node made twice";
        Tree->BaseFolder()->Clear();
        Events.FillStarts = 0;
        Events.Inserted.clear();
    }
}

TEST_F(ShellTreeFill, OfTenThousandSubfoldersOnlyThePaintedOnesFetchTheirIcons)
{
    const std::string big = H("big");
    std::filesystem::create_directories(big);
    for (int i = 0; i < 10000; ++i)
        std::filesystem::create_directory(big + "/folder" + std::to_string(i));
    Base(big);
    TTreeNode* top = Tree->GetFirstRootLevelShellNode();
    ASSERT_EQ(10000, top->Count());
    EXPECT_TRUE(top->Expanded());
    Tree->Peer()->repaint();
    Pump();
    int fetched = 0;
    for (TTreeNode* child = top->GetFirstChild(); child; child = child->GetNextSibling())
        fetched += child->ImageIndex() != 0;
    // The rows the 400-pixel window shows, no more.
    EXPECT_GT(fetched, 5);
    EXPECT_LT(fetched, 40);
    EXPECT_NE(0, top->GetFirstChild()->ImageIndex());
    EXPECT_EQ(0, top->GetLastChild()->ImageIndex());
}

} // namespace
