// The folder-browse dialog and its form: the stored layout and how options
// change it, the tree's first fill, the buttons at each selection, creating
// and deleting folders, Escape, and whole runs through the real ShowModal
// with what they leave in the component.

#include "FKwFolderBrowseDlg.h"

#include "KwCorvanePackage.h"
#include "vcl/core/UnitRegistry.h"

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "MessageBoxScript.h"
#include "ShellControlsTestSupport.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/Forms.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kw;
using kwtest::Later;
using kwtest::OwnedList;
using vcl::TTreeNode;

// A dialog that lets a test reach its form and counts the tree's whole
// fills (each makes the top node anew).
class TProbeDlg : public TKwFolderBrowseDlg {
public:
    using TKwFolderBrowseDlg::TKwFolderBrowseDlg;
    TKwFrmFolderBrowseDlg* Form = nullptr;
    int Fills = 0;
    bool BaseSetAtFill = false;
    std::vector<std::function<void(TKwFrmFolderBrowseDlg*)>> Steps;

protected:
    void InitForm(TKwFrmFolderBrowseDlg* aForm) override
    {
        TKwFolderBrowseDlg::InitForm(aForm);
        Form = aForm;
        aForm->KwShellTree1->OnInsertItem = TKwShTreeInsertItemEvent(this, &TProbeDlg::Inserted);
        std::vector<std::function<void()>> steps{
            [this] { kwtest::PumpUntil([this] { return Form && Form->Visible(); }); }};
        for (auto& step : Steps)
            steps.push_back([this, step] { step(Form); });
        Later(steps);
    }

private:
    void Inserted(vcl::TObject*, TTreeNode* node)
    {
        if (node->Level() != 0)
            return;
        ++Fills;
        BaseSetAtFill = Form->KwShellTree1->BaseFolder()->GetPathName() == BaseFolder()->GetPathName();
    }
};

QWidget* Viewport(TKwFrmFolderBrowseDlg* form)
{
    return static_cast<QAbstractScrollArea*>(form->KwShellTree1->Peer())->viewport();
}
QPoint Label(const TTreeNode* node)
{
    const vcl::TRect r = node->DisplayRect(true);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
TTreeNode* Child(TTreeNode* parent, const std::string& text)
{
    for (TTreeNode* node = parent->GetFirstChild(); node; node = node->GetNextSibling())
        if (node->Text() == text)
            return node;
    ADD_FAILURE() << "no node " << text;
    return nullptr;
}
void ClickNode(TKwFrmFolderBrowseDlg* form, TTreeNode* node)
{
    kwtest::ClickAwaited(Viewport(form), Label(node));
}
void KeyTo(vcl::TWinControl* control, Qt::Key key)
{
    QTest::keyClick(control->Peer(), key);
}

class FolderBrowseDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        vcl::Application();
        kw::RegisterPackageUnits();
        vcl::InitializeUnits();
        std::filesystem::create_directories(Home.Home() + "/a/b");
        Dlg = vcl::Create<TProbeDlg>(nullptr);
        Dlg->BaseFolder()->SetPathName(Home.Home());
    }
    void TearDown() override { Dlg->Free(); }

    kwtest::ScopedHome Home;
    TProbeDlg* Dlg = nullptr;
};

TEST_F(FolderBrowseDlg, TheStoredLayoutMovesButtonsByTheOptions)
{
    struct Case {
        TKwFolderBrowseDlgOptions Options;
        int OkLeft, CancelLeft;
        bool CreateVisible, CreateIconVisible;
        int DeleteIconLeft, CreateIconLeft, StatusRight;
    };
    const std::vector<Case> cases{
        {KwFolderBrowseDlgDefaultOptions, 188, 267, false, true, 319, 288, 284},
        {KwFolderBrowseDlgDefaultOptions + TKwFolderBrowseDlgOptions{kwfbCreateDeleteButtons}, 8, 87, true,
         true, 319, 288, 284},
        {TKwFolderBrowseDlgOptions{kwfbDeleteFolderIcon}, 188, 267, false, false, 319, -1, 311},
        {TKwFolderBrowseDlgOptions{}, 188, 267, false, false, -1, -1, 342},
    };
    for (const Case& c : cases) {
        Dlg->SetOptions(c.Options);
        Case seen{};
        int clientWidth = 0;
        Dlg->Steps = {[&](TKwFrmFolderBrowseDlg* f) {
            clientWidth = f->ClientWidth();
            seen = {c.Options,
                    f->OkBtn->Left(),
                    f->CancelBtn->Left(),
                    f->CreateBtn->Visible() && f->DeleteBtn->Visible(),
                    f->CreateNewFolderBtn->Visible(),
                    f->DeleteFolderBtn->Visible() ? f->DeleteFolderBtn->Left() : -1,
                    f->CreateNewFolderBtn->Visible() ? f->CreateNewFolderBtn->Left() : -1,
                    f->StatusTxt->Left() + f->StatusTxt->Width()};
            KeyTo(f->KwShellTree1, Qt::Key_Escape);
        }};
        EXPECT_FALSE(Dlg->Execute());
        EXPECT_EQ(358, clientWidth);
        EXPECT_EQ(c.OkLeft, seen.OkLeft);
        EXPECT_EQ(c.CancelLeft, seen.CancelLeft);
        EXPECT_EQ(c.CreateVisible, seen.CreateVisible);
        EXPECT_EQ(c.CreateIconVisible, seen.CreateIconVisible);
        EXPECT_EQ(c.DeleteIconLeft, seen.DeleteIconLeft);
        EXPECT_EQ(c.CreateIconLeft, seen.CreateIconLeft);
        EXPECT_EQ(c.StatusRight, seen.StatusRight);
        Dlg->SetFormWidth(-1);
        Dlg->SetFormHeight(-1);
    }
}

TEST_F(FolderBrowseDlg, TheOptionsReachTheTreeWhichIsFilledOnceAtTheShow)
{
    struct Case {
        TKwFolderBrowseDlgOptions Options;
        TKwShellTreeOptions Tree;
        bool ReadOnly;
    };
    const std::vector<Case> cases{
        // The stored form's virtual folders go; auto-fill is back after the show.
        {KwFolderBrowseDlgDefaultOptions,
         {kwstoAutoFill, kwstoDesignInteractive, kwstoContextMenus, kwstoDynamicRefresh, kwstoShowHidden},
         false},
        {{kwfbReadOnly, kwfbVirtualFolders, kwfbOleDrag, kwfbOleDrop, kwfbIncludeNonFolders},
         {kwstoAutoFill, kwstoVirtualFolders, kwstoDesignInteractive, kwstoDynamicRefresh,
          kwstoIncludeNonFolders, kwstoOleDrag, kwstoOleDrop},
         true},
    };
    const OwnedList selected = kwtest::ListOfPath(Home.Home() + "/a/b");
    Dlg->SelectedFolder()->SetIdList(selected.Get());
    for (const Case& c : cases) {
        Dlg->SetOptions(c.Options);
        Dlg->Fills = 0;
        TKwShellTreeOptions seen;
        bool readOnly = !c.ReadOnly, showRoot = false;
        std::string selectedText;
        POINT minimum{};
        Dlg->Steps = {[&](TKwFrmFolderBrowseDlg* f) {
            seen = f->KwShellTree1->Options();
            readOnly = f->KwShellTree1->ReadOnly();
            showRoot = f->KwShellTree1->ShowRoot();
            selectedText = f->KwShellTree1->Selected() ? f->KwShellTree1->Selected()->Text() : "";
            vcl::MINMAXINFO info{};
            SendMessageA(f->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            minimum = info.ptMinTrackSize;
            KeyTo(f->KwShellTree1, Qt::Key_Escape);
        }};
        EXPECT_FALSE(Dlg->Execute());
        EXPECT_EQ(c.Tree, seen);
        EXPECT_EQ(c.ReadOnly, readOnly);
        EXPECT_TRUE(showRoot);
        EXPECT_EQ(1, Dlg->Fills);
        EXPECT_TRUE(Dlg->BaseSetAtFill);
        EXPECT_EQ("b", selectedText);
        // 366 x 340 with the frame and caption the layout assumes.
        EXPECT_EQ(358, minimum.x);
        EXPECT_EQ(313, minimum.y);
    }
}

TEST_F(FolderBrowseDlg, TheButtonsFollowTheSelectionAndOnSelChangeGetsItsList)
{
    struct Seen {
        bool Create, CreateIcon, Delete, DeleteIcon;
    };
    struct Handler {
        std::vector<std::string> Lists;
        void SelChange(vcl::TObject*, PItemIDList list)
        {
            Lists.push_back(std::string(reinterpret_cast<const char*>(list), shell32::IdListSize(list)));
        }
    } handler;
    Dlg->BaseFolder()->Clear();
    Dlg->SetOptions(KwFolderBrowseDlgDefaultOptions +
                    TKwFolderBrowseDlgOptions{kwfbCreateDeleteButtons, kwfbVirtualFolders});
    Dlg->OnSelChange = TKwFolderBrowseSelChangeEvent(&handler, &Handler::SelChange);
    std::vector<Seen> seen;
    const auto look = [&](TKwFrmFolderBrowseDlg* f) {
        seen.push_back({f->CreateBtn->Enabled(), f->CreateNewFolderBtn->Enabled(), f->DeleteBtn->Enabled(),
                        f->DeleteFolderBtn->Enabled()});
    };
    Dlg->Steps = {
        [&](TKwFrmFolderBrowseDlg* f) { ClickNode(f, f->KwShellTree1->GetFirstRootLevelShellNode()); },
        look,
        [&](TKwFrmFolderBrowseDlg* f) {
            ClickNode(f, Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "Trash"));
        },
        look,
        [&](TKwFrmFolderBrowseDlg* f) {
            TTreeNode* home = Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "Home");
            home->Expand(false);
            ClickNode(f, Child(home, "a"));
        },
        look,
        [&](TKwFrmFolderBrowseDlg* f) { KeyTo(f->KwShellTree1, Qt::Key_Escape); },
    };
    EXPECT_FALSE(Dlg->Execute());
    ASSERT_EQ(3u, seen.size());
    // The desktop has a path here: create, but never delete the top.
    EXPECT_TRUE(seen[0].Create && seen[0].CreateIcon);
    EXPECT_FALSE(seen[0].Delete || seen[0].DeleteIcon);
    EXPECT_FALSE(seen[1].Create || seen[1].CreateIcon || seen[1].Delete || seen[1].DeleteIcon);
    EXPECT_TRUE(seen[2].Create && seen[2].CreateIcon && seen[2].Delete && seen[2].DeleteIcon);
    OwnedList trash;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, trash.Out()));
    EXPECT_NE(handler.Lists.end(), std::find(handler.Lists.begin(), handler.Lists.end(),
                                             std::string(reinterpret_cast<const char*>(trash.Get()),
                                                         shell32::IdListSize(trash.Get()))));
}

TEST_F(FolderBrowseDlg, CreateMakesAFolderToRenameAndDeleteMovesItToTheTrash)
{
    kwtest::MessageBoxScript boxes;
    Dlg->SetOptions(KwFolderBrowseDlgDefaultOptions + TKwFolderBrowseDlgOptions{kwfbCreateDeleteButtons});
    const std::string home = Home.Home();
    std::vector<std::string> afterCreate;
    bool editing = false;
    std::vector<std::string> afterDelete;
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(home))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    Dlg->Steps = {
        [&](TKwFrmFolderBrowseDlg* f) { ClickNode(f, f->KwShellTree1->GetFirstRootLevelShellNode()); },
        [&](TKwFrmFolderBrowseDlg* f) { QTest::mouseClick(f->CreateBtn->Peer(), Qt::LeftButton); },
        [&](TKwFrmFolderBrowseDlg* f) {
            afterCreate = names();
            editing = f->KwShellTree1->IsEditing();
            QWidget* editor = QApplication::focusWidget();
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor, "Made");
            QTest::keyClick(editor, Qt::Key_Return);
        },
        [&](TKwFrmFolderBrowseDlg* f) {
            kwtest::Pump();
            TTreeNode* made = Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "Made");
            if (made)
                ClickNode(f, made);
        },
        [&](TKwFrmFolderBrowseDlg* f) {
            kwtest::SavePicture(f->Peer(), "folder-browse-dlg-buttons.png");
            QTest::mouseClick(f->DeleteBtn->Peer(), Qt::LeftButton);
        },
        [&](TKwFrmFolderBrowseDlg* f) {
            afterDelete = names();
            KeyTo(f->KwShellTree1, Qt::Key_Escape);
        },
    };
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_EQ((std::vector<std::string>{"Desktop", "New Folder", "a"}), afterCreate);
    EXPECT_TRUE(editing);
    EXPECT_EQ((std::vector<std::string>{"Desktop", "a"}), afterDelete);
    const std::string listed =
        kwtest::RunAndRead("XDG_DATA_HOME='" + Home.Home() + "/../data' trash-list 2>/dev/null");
    EXPECT_NE(std::string::npos, listed.find(home + "/Made")) << listed;
}

TEST_F(FolderBrowseDlg, EscapeOnTheCreateAndDeleteButtonsClosesWithoutTouchingTheDisk)
{
    Dlg->SetOptions(KwFolderBrowseDlgDefaultOptions + TKwFolderBrowseDlgOptions{kwfbCreateDeleteButtons});
    for (const bool onCreate : {true, false}) {
        Dlg->Steps = {
            [&](TKwFrmFolderBrowseDlg* f) {
                ClickNode(f, Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "a"));
            },
            [&](TKwFrmFolderBrowseDlg* f) {
                vcl::TButton* button = onCreate ? f->CreateBtn : f->DeleteBtn;
                button->SetFocus();
                KeyTo(button, Qt::Key_Escape);
            },
        };
        EXPECT_FALSE(Dlg->Execute());
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(Home.Home()))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        EXPECT_EQ((std::vector<std::string>{"Desktop", "a"}), found) << onCreate;
    }
}

TEST_F(FolderBrowseDlg, RunsGiveTheFolderOnOkKeepItOnEscapeAndStoreTheGeometry)
{
    const std::string a = Home.Home() + "/a";
    // A double click opens a folder and leaves the form up; Enter chooses.
    bool expanded = false, visibleAfterDoubleClick = false;
    std::string caption;
    int width = 0;
    Dlg->SetFormWidth(500);
    Dlg->SetFormHeight(0);
    Dlg->Steps = {
        [&](TKwFrmFolderBrowseDlg* f) {
            caption = f->Caption();
            width = f->Width();
            TTreeNode* node = Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "a");
            ClickNode(f, node);
            QTest::mouseDClick(Viewport(f), Qt::LeftButton, {}, Label(node));
        },
        [&](TKwFrmFolderBrowseDlg* f) {
            expanded = Child(f->KwShellTree1->GetFirstRootLevelShellNode(), "a")->Expanded();
            visibleAfterDoubleClick = f->Visible();
            KeyTo(f->KwShellTree1, Qt::Key_Return);
        },
    };
    EXPECT_TRUE(Dlg->Execute());
    EXPECT_EQ("Browse for Folder", caption);
    EXPECT_EQ(500, width);
    EXPECT_TRUE(expanded);
    EXPECT_TRUE(visibleAfterDoubleClick);
    EXPECT_EQ(a, Dlg->GetSelectedPathName());
    EXPECT_EQ(500, Dlg->FormWidth());
    EXPECT_GT(Dlg->FormHeight(), 0);

    // Escape keeps the folder; a maximised close stores the restored size.
    const int height = Dlg->FormHeight();
    Dlg->SetTitle("Choose");
    Dlg->Steps = {
        [&](TKwFrmFolderBrowseDlg* f) {
            caption = f->Caption();
            ClickNode(f, f->KwShellTree1->GetFirstRootLevelShellNode());
            f->SetWindowState(vcl::wsMaximized);
        },
        [&](TKwFrmFolderBrowseDlg* f) { KeyTo(f->KwShellTree1, Qt::Key_Escape); },
    };
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_EQ("Choose", caption);
    EXPECT_EQ(a, Dlg->GetSelectedPathName());
    EXPECT_EQ(vcl::wsMaximized, Dlg->FormWindowState());
    EXPECT_EQ(500, Dlg->FormWidth());
    EXPECT_EQ(height, Dlg->FormHeight());
}

TEST_F(FolderBrowseDlg, OkEnabledAndStatusWorkOnlyWithTheFormAndTheBaseValueHasNineBytes)
{
    try {
        (void)Dlg->GetOkEnabled();
        ADD_FAILURE() << "no raise";
    } catch (const vcl::Exception& e) {
        EXPECT_EQ("TKwFolderBrowseDlg form not active", e.Message());
    }
    EXPECT_THROW(Dlg->SetOkEnabled(true), vcl::Exception);
    bool okBefore = false, okAfter = true;
    std::string status;
    Dlg->SetStatus("Before");
    Dlg->Steps = {[&](TKwFrmFolderBrowseDlg* f) {
        okBefore = Dlg->GetOkEnabled();
        Dlg->SetOkEnabled(false);
        okAfter = f->OkBtn->Enabled();
        Dlg->SetStatus("During");
        status = f->StatusTxt->Caption();
        KeyTo(f->KwShellTree1, Qt::Key_Escape);
    }};
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_TRUE(okBefore);
    EXPECT_FALSE(okAfter);
    EXPECT_EQ("During", status);
    EXPECT_EQ("During", Dlg->Status());

    TProbeDlg* fresh = vcl::Create<TProbeDlg>(nullptr);
    vcl::TMemoryStream stream;
    fresh->WriteStateToStream(stream);
    EXPECT_EQ(std::string("\xff\xff\xff\xff\xff\xff\xff\xff\x00", 9),
              std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())));
    EXPECT_EQ(KwFolderBrowseDlgDefaultOptions, fresh->Options());
    EXPECT_EQ("", fresh->Title());
    fresh->Free();
}

} // namespace
