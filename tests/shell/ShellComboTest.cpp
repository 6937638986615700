// The shell combo: what a fill lists for a place, going up, the late
// captions and icons, the entries' data freed, and choosing by mouse and keys.

#include "ShellComboTestSupport.h"

#include <gtest/gtest.h>

#include "vcl/widgets/ControlMessages.h"
#include "win32/SystemSettings.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using namespace kwtest;

using Lines = std::vector<std::string>;

class ShellCombo : public ShellComboFixture {
public:
    void SetUp() override
    {
        ShellComboFixture::SetUp();
        MakeTree(Home.Home(), {"a/b/c/d/e", "a/b/other", "a/sibling", "z"});
    }
    void Go(const std::string& path) { Set(ListOfPath(path)); }
    void Set(const OwnedList& list) { Combo->SelectedFolder()->SetIdList(list.Get()); }
};

// The levels every fill lists, with the chain's entries put below Home or
// below File System and the current entry marked; virtual: the folders that
// are neither file-system items nor their ancestors.
Lines Levels(const Lines& belowHome, const Lines& belowFileSystem, const std::string& current,
             bool virtual_ = true)
{
    Lines shape = {"0 Desktop", "1 Home"};
    shape.insert(shape.end(), belowHome.begin(), belowHome.end());
    shape.insert(shape.end(), {"1 Computer", "2 File System"});
    shape.insert(shape.end(), belowFileSystem.begin(), belowFileSystem.end());
    shape.insert(shape.end(), {"2 disc", "2 USB STICK", "2 nas", "2 scratch"});
    if (virtual_)
        shape.insert(shape.end(), {"2 Control Panel", "2 Printers"});
    shape.push_back("1 Network");
    if (virtual_)
        shape.push_back("1 Trash");
    shape.push_back("1 desk");
    for (std::string& line : shape)
        if (line == current)
            line += " *";
    return shape;
}

TEST_F(ShellCombo, AFillListsTheDesktopItsFoldersComputersAndTheChainDownToThePlace)
{
    // The desktop directory's folders, not its files nor its hidden folders.
    MakeTree(Home.Desktop(), {"desk/inner", ".hidden", "note.txt"});
    const std::string root = std::filesystem::path(Home.Home()).parent_path().filename();
    struct Case {
        const char* Name;
        std::function<void(ShellCombo&)> Act;
        Lines Shape;
    };
    const Lines deep = {"2 a", "3 b", "4 c", "5 d"};
    const Lines fileSystem = {"3 tmp", "4 " + root};
    const auto below = [&fileSystem](Lines more) {
        Lines all = fileSystem;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const std::vector<Case> cases = {
        {"the desktop", [](ShellCombo& f) { f.Combo->SelectedFolder()->Clear(); },
         Levels({}, {}, "0 Desktop")},
        {"four levels down in HOME", [](ShellCombo& f) { f.Set(HomeRoute("a/b/c/d")); },
         Levels(deep, {}, "5 d")},
        {"the same by its path", [](ShellCombo& f) { f.Go(f.H("a/b/c/d")); },
         Levels({}, below({"5 home", "6 a", "7 b", "8 c", "9 d"}), "9 d")},
        {"outside HOME", [](ShellCombo& f) { f.Go(f.Home.Home() + "/../config"); },
         Levels({}, below({"5 config"}), "5 config")},
        {"the stick", [](ShellCombo& f) { f.Go("/media/me/USB STICK"); }, Levels({}, {}, "2 USB STICK")},
        {"Home itself", [](ShellCombo& f) { f.Set(HomeRoute("")); }, Levels({}, {}, "1 Home")},
        {"File System itself",
         [](ShellCombo& f) {
             const OwnedList tmp = ComputerRoute("/tmp");
             kw::TKwIdListArray items(tmp.Get());
             f.Set(OwnedList(kw::CopyIdList(nullptr, items.GoUp(1))));
         },
         Levels({}, {}, "2 File System")},
        {"without virtual folders",
         [](ShellCombo& f) {
             f.Combo->SetOptions(f.Combo->Options() - kw::kwscoNonFilesystemAncestors);
             f.Set(HomeRoute("a/b/c/d"));
         },
         Levels(deep, {}, "5 d", false)},
        {"items refused, none on the chain",
         [](ShellCombo& f) {
             f.Combo->Refuse = {"Trash", "Printers", "b", "desk"};
             f.Set(HomeRoute("a/b"));
         },
         [] {
             Lines shape = Levels({"2 a", "3 b"}, {}, "3 b");
             std::erase_if(shape, [](const std::string& line) {
                 return line == "1 Trash" || line == "2 Printers" || line == "1 desk";
             });
             return shape;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Combo->SetOptions(kw::KwShellComboDefaultOptions);
        Combo->Refuse.clear();
        Combo->SelectedFolder()->Clear();
        c.Act(*this);
        Combo->FillItems();
        EXPECT_EQ(c.Shape, Shape(Combo));
    }
}

// The desktop's Network, which lists the network share Computer also lists.
OwnedList NetworkShare()
{
    return SpecialFolderChild(18, "nas", SHGDN_INFOLDER);
}

TEST_F(ShellCombo, EmptyFoldersUnreadableItemsAndChainsNotThroughComputer)
{
    const auto only = [](int level, HRESULT listing, const char* unreadable = "") {
        return [=](int at, DelegatingFolder& folder) {
            if (at != level)
                return;
            folder.Listing = listing;
            folder.Unreadable = unreadable;
        };
    };
    struct Case {
        const char* Name;
        std::function<void(int, DelegatingFolder&)> Alter;
        std::function<OwnedList()> Place;
        Lines Shape;
        bool Raises;
    };
    const std::vector<Case> cases = {
        {"a Computer with nothing to show",
         only(2, S_FALSE),
         [] { return OwnedList(); },
         {"0 Desktop *", "1 Home", "1 Computer", "1 Network", "1 Trash"},
         false},
        {"an empty desktop", only(-1, S_FALSE), [] { return OwnedList(); }, {"0 Desktop *"}, false},
        {"a listing that fails",
         only(2, E_ACCESSDENIED),
         [] { return OwnedList(); },
         {"0 Desktop", "1 Home", "1 Computer"},
         true},
        {"an item without attributes",
         only(-1, S_OK, "Network"),
         [] { return OwnedList(); },
         {"0 Desktop *", "1 Home", "1 Computer", "2 File System", "2 disc", "2 USB STICK", "2 nas",
          "2 scratch", "2 Control Panel", "2 Printers", "1 Trash"},
         false},
        {"the same item on the chain",
         only(-1, S_OK, "Home"),
         [] { return HomeRoute("a"); },
         {"0 Desktop", "1 Home", "2 a *", "1 Computer", "2 File System", "2 disc", "2 USB STICK", "2 nas",
          "2 scratch", "2 Control Panel", "2 Printers", "1 Network", "1 Trash"},
         false},
        {"a chain through Home, in a Computer that calls everything equal",
         [](int at, DelegatingFolder& folder) { folder.AllEqual = at == 2; },
         [] { return HomeRoute("a"); },
         // Computer's drives in no order: none goes before another.
         {"0 Desktop", "1 Home", "2 a *", "1 Computer", "2 File System", "2 USB STICK", "2 disc", "2 nas",
          "2 scratch", "2 Control Panel", "2 Printers", "1 Network", "1 Trash"},
         false},
        {"a chain through Network to a share Computer lists too",
         nullptr,
         NetworkShare,
         {"0 Desktop", "1 Home", "1 Computer", "2 File System", "2 disc", "2 USB STICK", "2 nas", "2 scratch",
          "2 Control Panel", "2 Printers", "1 Network", "2 nas *", "1 Trash"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Combo->Alter = nullptr;
        Set(c.Place());
        Combo->Alter = c.Alter;
        if (c.Raises) {
            try {
                Combo->FillItems();
                ADD_FAILURE() << "no exception";
            } catch (const vcl::Exception& e) {
                EXPECT_NE(std::string::npos, e.Message().find("denied")) << e.Message();
            }
            Combo->SetItemIndex(-1);
        } else {
            Combo->FillItems();
        }
        Lines shape = Shape(Combo);
        Lines expected = c.Shape;
        if (c.Alter && std::string(c.Name).find("equal") != std::string::npos) {
            std::sort(shape.begin(), shape.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(expected, shape);
    }
    Combo->Alter = nullptr;
}

TEST_F(ShellCombo, GoingUpSelectsTheAncestorListed)
{
    struct Case {
        const char* Name;
        std::function<void(ShellCombo&)> Start;
        int Levels;
        std::string Current;
    };
    const std::vector<Case> cases = {
        {"one up from deep in HOME", [](ShellCombo& f) { f.Set(HomeRoute("a/b/c")); }, 1, "b"},
        {"three up from deep in HOME", [](ShellCombo& f) { f.Set(HomeRoute("a/b/c")); }, 3, "Home"},
        {"from the stick", [](ShellCombo& f) { f.Go("/media/me/USB STICK"); }, 1, "Computer"},
        {"from the desktop", [](ShellCombo& f) { f.Combo->SelectedFolder()->Clear(); }, 1, "Desktop"},
        {"no levels", [](ShellCombo& f) { f.Set(HomeRoute("a/b/c")); }, 0, "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Start(*this);
        const int rebuilds = Combo->Rebuilds;
        Combo->GoUp(c.Levels);
        const std::string current = Shape(Combo)[Combo->ItemIndex()];
        EXPECT_EQ(c.Current + " *", current.substr(current.find(' ') + 1));
        EXPECT_EQ(c.Levels > 0 && c.Current != "Desktop" ? 1 : 0, Combo->Rebuilds - rebuilds);
    }
}

TEST_F(ShellCombo, OnlyTheCurrentEntryIsFetchedByAFillAndEveryEntryIsFreedOnce)
{
    int deleted = 0;
    struct Heard : QObject {
        int* Deleted;
        void Delete(vcl::TObject*, kw::TKwImageComboItem* item) { *Deleted += item && item->Data; }
    } heard;
    heard.Deleted = &deleted;
    Combo->OnDeleteItem = kw::TKwDeleteImageComboItemEvent(&heard, &Heard::Delete);
    Set(HomeRoute("a/b/c"));
    deleted = 0;
    const int count = Combo->Items()->Count();
    for (int i = 0; i < count; ++i) {
        kw::TKwImageComboItem* item = Combo->GetImageComboItem(i);
        // The desktop's entry is made whole.
        const bool current = i == Combo->ItemIndex() || i == 0;
        EXPECT_EQ(current, !item->Caption().empty()) << i;
        EXPECT_EQ(current, item->ImageIndex() != -1) << i;
    }
    // Dropped down and painted, the rows shown have theirs.
    Open();
    ASSERT_TRUE(View()->isVisible());
    View()->viewport()->repaint();
    Pump();
    const int shown = std::min(count, Combo->DropDownCount());
    int fetched = 0;
    for (int i = 0; i < count; ++i)
        fetched +=
            !Combo->GetImageComboItem(i)->Caption().empty() && Combo->GetImageComboItem(i)->ImageIndex() > 0;
    EXPECT_GE(fetched, shown);
    QTest::keyClick(View(), Qt::Key_Escape);
    Pump();
    // A window made again frees every entry and fills again on the same place.
    Combo->RecreateWnd();
    Pump();
    EXPECT_EQ(count, deleted);
    EXPECT_EQ(count, Combo->Items()->Count());
    EXPECT_EQ("4 c *", Shape(Combo)[Combo->ItemIndex()]);
    deleted = 0;
    Combo->FillItems();
    EXPECT_EQ(count, deleted);
    Combo->OnDeleteItem = {};
}

TEST_F(ShellCombo, AnEntryChosenByMouseOrKeyMovesTheLinkedListOnce)
{
    auto* list = vcl::Create<TTestShellList>(Form.Get());
    Combo->SetShellList(list);
    Go(H("a/b/c"));
    struct Case {
        const char* Name;
        std::string Entry;
        bool ByKey;
        std::string Path;
    };
    const std::vector<Case> cases = {
        {"by mouse", "a", false, H("a")},
        {"by Enter", "Home", true, Home.Home()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const int rebuilds = Combo->Rebuilds;
        const std::size_t fills = list->Filled.size();
        const int target = IndexOf(c.Entry);
        Open();
        ASSERT_TRUE(View()->isVisible());
        if (c.ByKey) {
            for (int i = Combo->ItemIndex(); i > target; --i)
                QTest::keyClick(View(), Qt::Key_Up);
            QTest::keyClick(View(), Qt::Key_Return);
        } else {
            const QRect row = View()->visualRect(View()->model()->index(target, 0));
            ClickAwaited(View()->viewport(), row.center());
        }
        Pump();
        EXPECT_EQ(c.Path, Combo->SelectedFolder()->GetPathName());
        EXPECT_EQ(fills + 1, list->Filled.size());
        EXPECT_EQ(c.Path, list->Filled.back());
        EXPECT_EQ(rebuilds + 1, Combo->Rebuilds);
        EXPECT_EQ(0, Combo->Reentry());
    }
    vcl::Free(list);
    EXPECT_EQ(nullptr, Combo->ShellList());
}

TEST_F(ShellCombo, APictureOfTheListOpenOnAFolderDeepInHome)
{
    Combo->SetBounds(0, 0, 300, 24);
    Combo->SetDropDownCount(20);
    Set(HomeRoute("a/b/c/d"));
    Open();
    ASSERT_TRUE(View()->isVisible());
    const QImage picture = SavePicture(View()->window(), "shell-combo-open.png");
    EXPECT_GT(picture.height(), 15 * 16);
    // Every row shown has its caption and an icon of the system's list.
    for (int i = 0; i < Combo->Items()->Count(); ++i) {
        EXPECT_FALSE(Combo->GetImageComboItem(i)->Caption().empty()) << i;
        EXPECT_GT(Combo->GetImageComboItem(i)->ImageIndex(), 0) << i;
    }
    QTest::keyClick(View(), Qt::Key_Escape);
    Pump();
}

TEST_F(ShellCombo, AnEntryOfAnotherKindIsNoShellEntry)
{
    Combo->FillItems();
    const int count = Combo->Items()->Count();
    // The desktop's entry names the desktop.
    EXPECT_LE(kw::IdListLen(Combo->GetShComboData(0)->GetAbsPidl()), 2);
    kw::TKwImageComboItem* item = Combo->AddItem("other", 0, 1);
    item->Data = vcl::Create<kw::TKwShellLocator>();
    EXPECT_THROW(Combo->GetShComboData(item->Index()), vcl::EInvalidCast);
    // The entry's object goes with it when the combo fills again.
    Combo->FillItems();
    EXPECT_EQ(count, Combo->Items()->Count());
}

TEST_F(ShellCombo, TheDesignerHandsTheDropDownButtonToTheCombo)
{
    const int width = Combo->ClientWidth();
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const int cases[][2] = {{0, 0}, {width - bar, 0}, {width - bar + 1, 1}, {width - 1, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], Combo->Perform(vcl::CM_DESIGNHITTEST, 0, c[0] | (5 << 16))) << c[0];
}

} // namespace
