// The open and save dialogs run for real: Execute's modal loop is driven
// from inside (kwtest::Later) with QTest's keys and clicks over a temporary
// folder; boxes are answered by script and the store is the test's own.

#include "FKwOpenDlg.h"

#include "MessageBoxScript.h"
#include "PlatformTestSupport.h"
#include "TestSupport.h"
#include "UKwImageCombo.h"
#include "UKwSplitter.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"
#include "vcl/core/TypInfo.h"
#include "vcl/widgets/Forms.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kw;

void Pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs steps one after another from the event loop, inside the modal loop.
void Later(std::vector<std::function<void()>> steps)
{
    if (steps.empty())
        return;
    QTimer::singleShot(20, [steps]() mutable {
        auto step = steps.front();
        steps.erase(steps.begin());
        step();
        Later(steps);
    });
}

// The units the form's resource needs, as the package starts them.
struct Unit {
    Unit()
    {
        UKwSplitterInitialization();
        FKwOpenDlgInitialization();
    }
};

// A folder with a few files and a subfolder.
struct Folder {
    kwtest::TempDir Dir;
    Folder()
    {
        for (const char* name : {"a.txt", "b.txt", "c.doc"})
            std::ofstream(Dir.Path() + "/" + name) << name;
        std::filesystem::create_directory(Dir.Path() + "/x");
        std::ofstream(Dir.Path() + "/x/a.txt") << "x";
    }
    std::string Path() const { return Dir.Path(); }
};

std::vector<unsigned char> Bytes(TKwDialog& dialog)
{
    vcl::TMemoryStream stream;
    dialog.WriteStateToStream(stream);
    const auto* data = static_cast<const unsigned char*>(stream.Memory());
    return {data, data + stream.Size()};
}

void Load(TKwDialog& dialog, const std::vector<unsigned char>& bytes)
{
    vcl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    dialog.ReadStateFromStream(stream);
}

TEST(FileDialogState, FourteenBytesWithTheTreeAndTheSplitter)
{
    vcl::TOwnedPtr<TKwOpenDlg> dialog(vcl::Create<TKwOpenDlg>(nullptr));
    EXPECT_EQ(Bytes(*dialog), (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,
                                                          0, 0xFF, 0xFF, 0xFF, 0xFF}));
    struct Case {
        const char* What;
        std::vector<unsigned char> Read;
        bool Raises;
        bool ShowTree;
        int Splitter;
    };
    const Case cases[] = {
        {"byte 2 counts as shown", {1, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0xF6, 0xFF, 0xFF, 0xFF}, false, true, -10},
        {"zero hides", {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 200, 0, 0, 0}, false, false, 200},
        {"10 bytes: the tree read, the splitter kept", {1, 0, 0, 0, 2, 0, 0, 0, 0, 1}, true, true, 200},
    };
    for (const Case& c : cases) {
        if (c.Raises)
            EXPECT_THROW(Load(*dialog, c.Read), vcl::EReadError) << c.What;
        else
            Load(*dialog, c.Read);
        EXPECT_EQ(dialog->Options().Contains(kwofShowTree), c.ShowTree) << c.What;
        EXPECT_EQ(dialog->FormSplitterPos(), c.Splitter) << c.What;
    }
    // What it writes, it reads back.
    dialog->SetFormSplitterPos(-7);
    const std::vector<unsigned char> written = Bytes(*dialog);
    vcl::TOwnedPtr<TKwSaveDlg> other(vcl::Create<TKwSaveDlg>(nullptr));
    Load(*other, written);
    EXPECT_EQ(Bytes(*other), written);
}

std::vector<std::string> PublishedNames(vcl::TClass cls)
{
    std::vector<std::string> names;
    for (const vcl::TPropInfo* prop : vcl::GetPropList(cls)) {
        if (prop->Name != "Name" && prop->Name != "Tag")
            names.push_back(prop->Name);
    }
    return names;
}

TEST(FileDialogRtti, PublishedInOrderWithTheirDefaults)
{
    const std::vector<std::string> events = {
        "OnAddListItem",      "OnAddTreeItem",    "OnAddComboItem",     "OnInitialized", "OnLvCustomDrawSh",
        "OnLvCustomDrawShEx", "OnTvCustomDrawSh", "OnTvCustomDrawShEx", "OnHelp",        "OnFormClose",
        "OnFormShow",         "OnFolderChanged",  "OnSelectionChanged", "OnTypeChanged"};
    const std::vector<std::string> common = {
        "Title",           "Options",         "Filter",      "FilterIndex", "FormWidth", "FormHeight",
        "FormWindowState", "FormSplitterPos", "HelpContext", "HistoryList", "InitialDir"};
    std::vector<std::string> open = common;
    open.push_back("DefaultExt");
    open.insert(open.end(), events.begin(), events.end());
    std::vector<std::string> save = {"DefaultExt"};
    save.insert(save.end(), common.begin(), common.end());
    save.insert(save.end(), events.begin(), events.end());
    EXPECT_EQ(PublishedNames(TKwOpenDlg::StaticClass()), open);
    EXPECT_EQ(PublishedNames(TKwSaveDlg::StaticClass()), save);

    vcl::TOwnedPtr<TKwOpenDlg> dialog(vcl::Create<TKwOpenDlg>(nullptr));
    EXPECT_EQ(vcl::GetPropInfo(dialog.get(), "Options")->Default, 3833872);
    EXPECT_EQ(vcl::GetOrdProp(dialog.get(), "Options"), 3833872);
    EXPECT_EQ(vcl::GetSetProp(dialog.get(), "Options", true),
              "[kwofHideReadOnly,kwofAllowTree,kwofShowHints,kwofOleDrag,kwofOleDrop,kwofShowHidden]");
    for (const char* name : {"Options", "FilterIndex", "FormWidth", "FormHeight", "FormWindowState",
                             "FormSplitterPos", "HelpContext"})
        EXPECT_TRUE(vcl::IsDefaultPropValue(dialog.get(), vcl::GetPropInfo(dialog.get(), name))) << name;
}

// ---- runs ----

// Runs dialog with steps from inside its loop; the last step should close it.
bool RunDialog(TKwFileDlg& dialog, std::vector<std::function<void()>> steps)
{
    // Wait until the form is shown before the first step.
    steps.insert(steps.begin(),
                 [&dialog] { PumpUntil([&] { return dialog.Form() && dialog.Form()->IsShown(); }); });
    Later(std::move(steps));
    return dialog.Execute();
}

// A click on an item window as a person makes it: the release comes while
// the window waits to see whether the press starts a drag.
void ClickAt(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    auto released = std::make_shared<bool>(false);
    QTimer::singleShot(10, [=] {
        QTest::mouseRelease(widget, Qt::LeftButton, modifiers, at);
        *released = true;
    });
    QTest::mousePress(widget, Qt::LeftButton, modifiers, at);
    PumpUntil([released] { return *released; }, 2000);
    Pump();
}

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(widget, key, modifiers);
    Pump();
}

struct RunFixture : ::testing::Test {
    Unit unit;
    kwtest::ScopedRegistryHome home;
    Folder folder;
    vcl::TOwnedPtr<TKwOpenDlg> dialog{vcl::Create<TKwOpenDlg>(nullptr)};
    // A run leaves the current directory in the folder shown: it goes back
    // before the folder goes.
    struct Directory {
        std::filesystem::path Was = std::filesystem::current_path();
        ~Directory() { std::filesystem::current_path(Was); }
    } directory;

    std::string InitializedName;
    void Initialized(vcl::TObject*) { InitializedName = dialog->GetFilename(); }

    TKwFrmOpenDlg* Form() { return dialog->Form(); }
    QWidget* Edit() { return Form()->FileNameEdt->Peer(); }
    void Escape() { Key(Edit(), Qt::Key_Escape); }
    // Clicks the list's item of that caption.
    void ClickItem(const std::string& caption, Qt::KeyboardModifiers modifiers = {})
    {
        vcl::TListItem* item = Form()->KwShellList1->FindCaption(0, caption, false, true, false);
        ASSERT_NE(item, nullptr) << caption;
        const vcl::TRect r = item->DisplayRect(vcl::drLabel);
        ClickAt(Form()->KwShellList1->Peer(), QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2),
                modifiers);
    }
    // Waits until the list shows the folder's items.
    void Filled(int atLeast)
    {
        PumpUntil([&] { return Form()->ItemCount() >= atLeast; });
    }
};

TEST_F(RunFixture, CaptionsAndTheBottomPanel)
{
    struct Case {
        const char* What;
        bool Save;
        TKwOpenOptions Add;
        std::string Caption;
        std::string Button;
        int Panel;
    };
    const Case cases[] = {
        {"open, defaults", false, {}, "Open", "&Open", 59},
        {"the read-only box shown", false, {}, "Open", "&Open", 81},
        {"the help button shown", false, {kwofShowHelp}, "Open", "&Open", 87},
        {"save", true, {}, "Save As", "&Save", 59},
    };
    for (const Case& c : cases) {
        vcl::TOwnedPtr<TKwFileDlg> d(c.Save ? static_cast<TKwFileDlg*>(vcl::Create<TKwSaveDlg>(nullptr))
                                            : static_cast<TKwFileDlg*>(vcl::Create<TKwOpenDlg>(nullptr)));
        d->SetInitialDir(folder.Path());
        TKwOpenOptions options = d->Options() + c.Add;
        if (std::string(c.What) == "the read-only box shown")
            options -= kwofHideReadOnly;
        d->SetOptions(options);
        std::string caption, button;
        int panel = 0;
        RunDialog(*d, {[&] {
                           caption = d->Form()->Caption();
                           button = d->Form()->OpenBtn->Caption();
                           panel = d->Form()->Panel1->Height();
                       },
                       [&] { Key(d->Form()->FileNameEdt->Peer(), Qt::Key_Escape); }});
        EXPECT_EQ(caption, c.Caption) << c.What;
        EXPECT_EQ(button, c.Button) << c.What;
        EXPECT_EQ(panel, c.Panel) << c.What;
    }
}

TEST_F(RunFixture, TheFormFileLayout)
{
    vcl::TOwnedPtr<TKwFrmOpenDlg> form(vcl::Create<TKwFrmOpenDlg>(nullptr));
    ASSERT_NE(form->KwShellList1, nullptr);
    struct Place {
        vcl::TControl* Control;
        int Left, Top, Width, Height;
    };
    const Place places[] = {
        {form->UpOneLevelBtn, 272, 4, 23, 22},
        {form->ShowDesktopBtn, 304, 4, 23, 22},
        {form->CreateNewFolderBtn, 336, 4, 23, 22},
        {form->ShowTreeBtn, 368, 4, 23, 23},
        {form->ListBtn, 400, 4, 23, 22},
        {form->DetailsBtn, 423, 4, 23, 22},
        {form->ReadOnlyChk, 88, 60, 233, 17},
    };
    for (const Place& p : places) {
        EXPECT_EQ(p.Control->Left(), p.Left) << p.Control->Name();
        EXPECT_EQ(p.Control->Top(), p.Top) << p.Control->Name();
        EXPECT_EQ(p.Control->Width(), p.Width) << p.Control->Name();
        EXPECT_EQ(p.Control->Height(), p.Height) << p.Control->Name();
    }
    // The buttons are laid out by FormResize 16 pixels from the right edge
    // and the boxes 8 pixels from them.
    form->FormResize(form.get());
    for (vcl::TControl* button :
         {static_cast<vcl::TControl*>(form->OpenBtn), static_cast<vcl::TControl*>(form->CancelBtn),
          static_cast<vcl::TControl*>(form->HelpBtn)})
        EXPECT_EQ(button->Left(), form->ClientWidth() - 75 - 16) << button->Name();
    EXPECT_EQ(form->FileNameEdt->Left() + form->FileNameEdt->Width(), form->OpenBtn->Left() - 8);
    EXPECT_EQ(form->OpenBtn->Top(), 4);
    EXPECT_EQ(form->CancelBtn->Top(), 32);
    EXPECT_TRUE(form->ListBtn->Down());
    EXPECT_EQ(form->ListBtn->NumGlyphs(), 2);
    EXPECT_EQ(form->ListBtn->Glyph()->Width(), 32);
    EXPECT_EQ(form->UpOneLevelBtn->Glyph()->Width(), 16);
    vcl::MINMAXINFO info{};
    form->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 459);
    EXPECT_EQ(info.ptMinTrackSize.y, 274);

    // The six view senders keep the buttons and the menu's items with the
    // list; a sender that is no component is refused.
    vcl::TComponent* senders[] = {form->LargeIcons1Mitm, form->Smallicons1MItm, form->List1Mitm,
                                  form->Details1Mitm,    form->ListBtn,         form->DetailsBtn};
    for (vcl::TComponent* sender : senders) {
        form->ViewBtnClick(sender);
        const auto tag = sender->Tag();
        EXPECT_EQ(form->KwShellList1->ViewStyle(), static_cast<vcl::TViewStyle>(tag)) << sender->Name();
        // One button of the group stays down (no AllowAllUp): the icon
        // views, whose items are disabled, leave the buttons alone.
        if (tag >= 2) {
            EXPECT_EQ(form->ListBtn->Down(), tag == 2) << sender->Name();
            EXPECT_EQ(form->DetailsBtn->Down(), tag == 3) << sender->Name();
        }
        EXPECT_EQ(form->List1Mitm->Checked(), tag == 2) << sender->Name();
        EXPECT_EQ(form->Details1Mitm->Checked(), tag == 3) << sender->Name();
        EXPECT_EQ(form->LargeIcons1Mitm->Checked(), tag == 0) << sender->Name();
    }
    vcl::TOwnedPtr<vcl::TStringList> notAComponent(vcl::Create<vcl::TStringList>());
    EXPECT_THROW(form->ViewBtnClick(notAComponent.get()), vcl::EInvalidCast);
}

TEST_F(RunFixture, WithoutTheTreeOptionTheViewButtonsMoveLeftAndF12IsInert)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetOptions(dialog->Options() - kwofAllowTree);
    int list = 0, details = 0;
    bool treeAfterF12 = true;
    RunDialog(*dialog, {[&] {
                            list = Form()->ListBtn->Left();
                            details = Form()->DetailsBtn->Left();
                            Key(Edit(), Qt::Key_F12);
                            treeAfterF12 = Form()->ShowTreeBtn->Down();
                        },
                        [&] { Escape(); }});
    EXPECT_EQ(list, 368);
    EXPECT_EQ(details, 391);
    EXPECT_FALSE(treeAfterF12);
    EXPECT_FALSE(dialog->Options().Contains(kwofShowTree));
}

TEST_F(RunFixture, ATypedNameAndEnterReturnsItsPath)
{
    dialog->SetInitialDir(folder.Path());
    const bool accepted = RunDialog(*dialog, {[&] { Filled(4); },
                                              [&] {
                                                  QTest::keyClicks(Edit(), "a.txt");
                                                  Key(Edit(), Qt::Key_Return);
                                              }});
    EXPECT_TRUE(accepted);
    EXPECT_EQ(dialog->GetFilename(), folder.Path() + "/a.txt");
    ASSERT_EQ(dialog->Files()->Count(), 1);
}

// The folder, the options and the file type are all set before the form
// shows; the list is filled once, with all of them.
TEST_F(RunFixture, TheFolderIsFilledOnceWhenTheDialogOpens)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFilter("All|*");
    struct Offers {
        std::string Folder;
        int Count = 0;
        void Add(vcl::TObject*, IShellFolder*, PItemIDList parent, PItemIDList, int, bool&)
        {
            if (ShellGetPathFromIdList(parent) == Folder)
                ++Count;
        }
    } offers{folder.Path()};
    dialog->OnAddListItem = {&offers, &Offers::Add};
    int shown = -1;
    int offeredWhenShown = -1;
    RunDialog(*dialog, {[&] { Filled(4); },
                        [&] {
                            shown = Form()->ItemCount();
                            offeredWhenShown = offers.Count;
                        },
                        [&] { Escape(); }});
    EXPECT_EQ(shown, 4);
    EXPECT_EQ(offeredWhenShown, shown);
}

TEST_F(RunFixture, APatternFiltersAndStaysOpenEscapeCancelsAndStoresTheGeometry)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFilter("Text|*.txt|All|*.*");
    bool open = false;
    std::string filter;
    const bool accepted = RunDialog(*dialog, {[&] { Filled(4); },
                                              [&] {
                                                  QTest::keyClicks(Edit(), "*.doc");
                                                  Key(Edit(), Qt::Key_Return);
                                              },
                                              [&] {
                                                  open = Form()->IsShown();
                                                  filter = Form()->KwShellList1->FileFilter();
                                                  Form()->SetBounds(Form()->Left(), Form()->Top(), 520, 330);
                                              },
                                              [&] { Escape(); }});
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(open);
    EXPECT_EQ(filter, "*.doc");
    EXPECT_EQ(dialog->Files()->Count(), 0);
    EXPECT_EQ(dialog->GetFilename(), "");
    EXPECT_EQ(dialog->FormWidth(), 520);
    EXPECT_EQ(dialog->FormHeight(), 330);
    EXPECT_EQ(dialog->FilterIndex(), 1);
}

TEST_F(RunFixture, AFileNameWithItsFolderOpensThereWithTheNameInTheEdit)
{
    dialog->SetFilename(folder.Path() + "/x/a.txt");
    std::string edit, base;
    dialog->OnInitialized = {this, &RunFixture::Initialized};
    RunDialog(*dialog, {[&] {
                            edit = Form()->FileNameEdt->Text();
                            base = Form()->Base();
                        },
                        [&] { Escape(); }});
    EXPECT_EQ(edit, "a.txt");
    EXPECT_EQ(base, folder.Path() + "/x");
    EXPECT_EQ(InitializedName, folder.Path() + "/x/a.txt");
}

TEST_F(RunFixture, AnEmptyFilterEndsWithFilterIndexZero)
{
    dialog->SetInitialDir(folder.Path());
    RunDialog(*dialog, {[&] { Escape(); }});
    EXPECT_EQ(dialog->FilterIndex(), 0);
}

TEST_F(RunFixture, AHugeStoredSizeOpensAtMostScreenSizedAndMaximised)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFormWidth(INT_MAX);
    dialog->SetFormHeight(INT_MAX);
    dialog->SetFormWindowState(vcl::wsMaximized);
    int width = 0;
    RunDialog(*dialog, {[&] { width = Form()->Width(); }, [&] { Escape(); }});
    EXPECT_LE(width, vcl::Screen()->Width());
    EXPECT_GT(width, 0);
    EXPECT_EQ(dialog->FormWindowState(), vcl::wsMaximized);
    EXPECT_LE(dialog->FormWidth(), vcl::Screen()->Width());
}

TEST_F(RunFixture, TheReadOnlyBoxHandsBackWhatThePersonSaw)
{
    struct Case {
        const char* What;
        bool Hidden;
        bool Preset;
        bool Click;
        bool Result;
    };
    const Case cases[] = {
        {"shown, untouched, preset: cleared", false, true, false, false},
        {"shown, clicked: set", false, false, true, true},
        {"hidden, preset: kept", true, true, false, true},
        {"hidden, not preset: kept clear", true, false, false, false},
    };
    for (const Case& c : cases) {
        dialog->SetInitialDir(folder.Path());
        TKwOpenOptions options = KwOpenDlgDefaultOptions;
        if (!c.Hidden)
            options -= kwofHideReadOnly;
        if (c.Preset)
            options += kwofReadOnly;
        dialog->SetOptions(options);
        bool checkedAtStart = true;
        RunDialog(*dialog, {[&] {
                                checkedAtStart = Form()->ReadOnlyChk->Checked();
                                if (c.Click)
                                    QTest::mouseClick(Form()->ReadOnlyChk->Peer(), Qt::LeftButton, {},
                                                      QPoint(5, 8));
                                Pump();
                            },
                            [&] { Escape(); }});
        EXPECT_FALSE(checkedAtStart) << c.What;
        EXPECT_EQ(dialog->Options().Contains(kwofReadOnly), c.Result) << c.What;
    }
}

TEST_F(RunFixture, TheListsSelectionReachesTheEditOncePerRun)
{
    for (int i = 0; i < 40; ++i)
        std::ofstream(folder.Path() + "/many" + std::to_string(100 + i) + ".txt") << i;
    dialog->SetInitialDir(folder.Path());
    dialog->SetOptions(dialog->Options() + kwofAllowMultiselect);
    struct Step {
        const char* What;
        std::function<void()> Act;
        std::string Edit;
    };
    std::vector<std::string> edits;
    int selectionEvents = 0;
    struct Count {
        int* Events;
        void Changed(vcl::TObject*) { ++*Events; }
    } count{&selectionEvents};
    dialog->OnSelectionChanged = {&count, &Count::Changed};
    std::vector<std::pair<std::string, std::string>> seen; // what, edit
    int changesBySelectAll = -1;
    int eventsBySelectAll = 0;
    RunDialog(*dialog, {[&] { Filled(44); },
                        [&] {
                            ClickItem("a.txt");
                            seen.push_back({"one file: its display name", Form()->FileNameEdt->Text()});
                            ClickItem("b.txt", Qt::ControlModifier);
                            ClickItem("c.doc", Qt::ControlModifier);
                            seen.push_back({"three files: quoted", Form()->FileNameEdt->Text()});
                            ClickItem("x");
                            seen.push_back({"a folder leaves the edit", Form()->FileNameEdt->Text()});
                        },
                        [&] {
                            // A range selection of all files: the edit changes once.
                            int changes = 0;
                            struct Counter {
                                int* N;
                                TKwFrmOpenDlg* Form;
                                void Changed(vcl::TObject* sender)
                                {
                                    ++*N;
                                    Form->FileNameEdtChange(sender);
                                }
                            } counter{&changes, Form()};
                            Form()->FileNameEdt->OnChange = {&counter, &Counter::Changed};
                            const int before = selectionEvents;
                            Form()->KwShellList1->SetFocus();
                            Key(Form()->KwShellList1->Peer(), Qt::Key_Home);
                            Key(Form()->KwShellList1->Peer(), Qt::Key_End, Qt::ShiftModifier);
                            Pump();
                            changesBySelectAll = changes;
                            eventsBySelectAll = selectionEvents - before;
                            Form()->FileNameEdt->OnChange = {Form(), &TKwFrmOpenDlg::FileNameEdtChange};
                        },
                        [&] { Escape(); }});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].second, "a.txt") << seen[0].first;
    EXPECT_EQ(seen[1].second, "\"a.txt\" \"b.txt\" \"c.doc\"") << seen[1].first;
    EXPECT_EQ(seen[2].second, seen[1].second) << seen[2].first;
    EXPECT_EQ(changesBySelectAll, 1);
    EXPECT_GE(eventsBySelectAll, 40);
}

TEST_F(RunFixture, TheEditNamesTheSelectedFilesButNoFolder)
{
    std::ofstream(folder.Path() + "/my file.txt") << "blank";
    std::filesystem::create_directory(folder.Path() + "/y z");
    dialog->SetInitialDir(folder.Path());
    dialog->SetOptions(dialog->Options() + kwofAllowMultiselect);
    struct Case {
        const char* What;
        std::vector<const char*> Clicked; // the first plain, the others with Ctrl
        bool ShiftEnd;                    // then Home and Shift+End
        std::string Edit;
    };
    const std::vector<Case> cases = {
        {"a folder and a file: the file's display name", {"x", "a.txt"}, false, "a.txt"},
        {"folders among files are left out", {"x", "a.txt", "y z", "c.doc"}, false, "\"a.txt\" \"c.doc\""},
        {"a blank stays inside the quotes", {"my file.txt", "b.txt"}, false, "\"b.txt\" \"my file.txt\""},
        {"a range over everything: every file in the list's order",
         {},
         true,
         "\"a.txt\" \"b.txt\" \"c.doc\" \"my file.txt\""},
    };
    std::vector<std::string> edits;
    std::vector<std::function<void()>> steps = {[&] { Filled(6); }};
    for (const Case& c : cases)
        steps.push_back([&] {
            Form()->FileNameEdt->SetText("kept");
            for (std::size_t i = 0; i < c.Clicked.size(); ++i)
                ClickItem(c.Clicked[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
            if (c.ShiftEnd) {
                Form()->KwShellList1->SetFocus();
                Key(Form()->KwShellList1->Peer(), Qt::Key_Home);
                Key(Form()->KwShellList1->Peer(), Qt::Key_End, Qt::ShiftModifier);
            }
            Pump();
            edits.push_back(Form()->FileNameEdt->Text());
        });
    steps.push_back([&] { Escape(); });
    RunDialog(*dialog, steps);
    ASSERT_EQ(edits.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(edits[i], cases[i].Edit) << cases[i].What;
}

TEST_F(RunFixture, PicturesOfTheOpenDialogWithTreeAndDetailsAndOfTheSaveDialog)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetOptions(dialog->Options() + kwofShowTree);
    dialog->SetFormSplitterPos(160);
    // The details view is chosen before the list's first fill.
    struct Details {
        TKwOpenDlg* Dialog;
        void Initialized(vcl::TObject*) { Dialog->Form()->ViewBtnClick(Dialog->Form()->DetailsBtn); }
    } details{dialog.get()};
    dialog->OnInitialized = {&details, &Details::Initialized};
    dialog->SetFilter("Text files (*.txt)|*.txt|All files|*.*");
    QImage open;
    int hidden = 0, reopened = 0;
    bool listFocused = false;
    RunDialog(*dialog, {[&] { Filled(3); },
                        [&] {
                            PumpUntil([] { return false; }, 300);
                            open = Form()->Peer()->grab().toImage();
                        },
                        [&] {
                            // F12 from the focused tree hides it, the list takes the
                            // focus; F12 again opens the pane at 200.
                            Form()->KwShellTree1->SetFocus();
                            Key(Form()->KwShellTree1->Peer(), Qt::Key_F12);
                            hidden = Form()->KwSplitter1->Position();
                            listFocused = Form()->KwShellList1->Focused();
                            Key(Form()->KwShellList1->Peer(), Qt::Key_F12);
                            reopened = Form()->KwSplitter1->Position();
                        },
                        [&] { Escape(); }});
    ASSERT_FALSE(open.isNull());
    open.save(QString::fromStdString(kwtest::OutputPath("open-dialog-tree-details.png")));
    EXPECT_LT(hidden, 0);
    EXPECT_TRUE(listFocused);
    EXPECT_EQ(reopened, 200);
    EXPECT_TRUE(dialog->Options().Contains(kwofShowTree));
    EXPECT_EQ(dialog->FormSplitterPos(), 200);

    vcl::TOwnedPtr<TKwSaveDlg> save(vcl::Create<TKwSaveDlg>(nullptr));
    save->SetInitialDir(folder.Path());
    save->SetFilter("Text files (*.txt)|*.txt");
    save->SetFilename("new.txt");
    QImage saved;
    RunDialog(*save, {[&] { PumpUntil([&] { return save->Form()->ItemCount() >= 3; }); },
                      [&] { saved = save->Form()->Peer()->grab().toImage(); },
                      [&] { Key(save->Form()->FileNameEdt->Peer(), Qt::Key_Escape); }});
    ASSERT_FALSE(saved.isNull());
    saved.save(QString::fromStdString(kwtest::OutputPath("save-dialog.png")));
    EXPECT_FALSE(save->Options().Contains(kwofShowTree));
    EXPECT_LT(save->FormSplitterPos(), 0);
}

TEST_F(RunFixture, AMaximisedCloseStoresTheRestoredSizeAndTheNextRunOpensAtIt)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFormWidth(500);
    dialog->SetFormHeight(320);
    bool maximised = false;
    RunDialog(*dialog, {[&] {
                            Form()->SetWindowState(vcl::wsMaximized);
                            PumpUntil([&] { return Form()->Peer()->isMaximized(); }, 2000);
                            maximised = Form()->Peer()->isMaximized();
                        },
                        [&] { Escape(); }});
    EXPECT_TRUE(maximised);
    EXPECT_EQ(dialog->FormWindowState(), vcl::wsMaximized);
    EXPECT_EQ(dialog->FormWidth(), 500);
    EXPECT_EQ(dialog->FormHeight(), 320);
    dialog->SetFormWindowState(vcl::wsNormal);
    int width = 0, height = 0;
    RunDialog(*dialog, {[&] {
                            width = Form()->Width();
                            height = Form()->Height();
                        },
                        [&] { Escape(); }});
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 320);
}

// What OnInitialized does to the running dialog.
struct Initializing {
    TKwOpenDlg* Dialog;
    std::string Raised;
    void AddFilter(vcl::TObject*) { Dialog->SetFilter("Docs|*.doc"); }
    void ExecuteAgain(vcl::TObject*)
    {
        try {
            Dialog->Execute();
        } catch (const vcl::Exception& e) {
            Raised = e.Message();
        }
    }
};

TEST_F(RunFixture, TheTreeWithoutItsButtonAFilterAddedWhileLiveAndOneRunAtATime)
{
    dialog->SetName("OpenDialog1");
    dialog->SetInitialDir(folder.Path());
    dialog->SetOptions(dialog->Options() - kwofAllowTree + kwofShowTree);
    dialog->SetFilter("Text|*.txt");
    Initializing initializing{dialog.get(), {}};
    dialog->OnInitialized = {&initializing, &Initializing::AddFilter};
    bool treeShown = false, buttonVisible = true;
    int types = 0;
    RunDialog(*dialog, {[&] {
                            treeShown = Form()->KwShellCombo1->ShellTree() != nullptr;
                            buttonVisible = Form()->ShowTreeBtn->Visible();
                            types = Form()->FileTypesCbx->Items()->Count();
                        },
                        [&] { Escape(); }});
    EXPECT_TRUE(treeShown);
    EXPECT_FALSE(buttonVisible);
    EXPECT_EQ(types, 2);

    dialog->OnInitialized = {&initializing, &Initializing::ExecuteAgain};
    RunDialog(*dialog, {[&] { Escape(); }});
    EXPECT_EQ(initializing.Raised, "TKwOpenDlg already executing");
}

TEST_F(RunFixture, ADoubleClickOnAFileAcceptsAndAPickedTypeClearsATypedPattern)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFilter("Text|*.txt|Docs|*.doc");
    std::string editAfterType;
    const bool accepted =
        RunDialog(*dialog, {[&] { Filled(3); },
                            [&] {
                                QTest::keyClicks(Edit(), "*.t*");
                                Key(Edit(), Qt::Key_Return);
                            },
                            [&] {
                                // The modal loop has asked the form to close
                                // and the pattern kept it open.
                                Form()->FileTypesCbx->SetItemIndex(1);
                                Form()->FileTypesCbxSelEndOk(Form()->FileTypesCbx);
                                editAfterType = Form()->FileNameEdt->Text();
                            },
                            [&] { Filled(2); },
                            [&] {
                                vcl::TListItem* item =
                                    Form()->KwShellList1->FindCaption(0, "c.doc", false, true, false);
                                ASSERT_NE(item, nullptr);
                                const vcl::TRect r = item->DisplayRect(vcl::drLabel);
                                QTest::mouseDClick(Form()->KwShellList1->Peer(), Qt::LeftButton, {},
                                                   QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
                                Pump();
                            }});
    EXPECT_EQ(editAfterType, "");
    EXPECT_TRUE(accepted);
    EXPECT_EQ(dialog->GetFilename(), folder.Path() + "/c.doc");
    EXPECT_EQ(dialog->FilterIndex(), 2);
}

TEST_F(RunFixture, AnOutOfRangeFileTypeShowsTheFirstUnapplied)
{
    dialog->SetInitialDir(folder.Path());
    dialog->SetFilter("Text|*.txt|Docs|*.doc");
    struct Case {
        int Index;
        int Shown;
        const char* Filter;
    };
    const Case cases[] = {{5, 1, ""}, {0, 1, ""}, {2, 2, "*.doc"}};
    for (const Case& c : cases) {
        dialog->SetFilterIndex(c.Index);
        int shown = -1;
        std::string filter = "?";
        RunDialog(*dialog, {[&] {
                                shown = Form()->GetFilterIndex();
                                filter = Form()->KwShellList1->FileFilter();
                            },
                            [&] { Escape(); }});
        EXPECT_EQ(shown, c.Shown) << c.Index;
        EXPECT_EQ(filter, c.Filter) << c.Index;
    }
}

// F4 drops the look-in combo down and, again or with Enter, closes it taking
// the highlighted folder, the list focused.
TEST_F(RunFixture, F4DropsTheLookInComboAndClosesItTakingTheHighlightedFolder)
{
    const Qt::Key closers[] = {Qt::Key_F4, Qt::Key_Return};
    for (const Qt::Key closer : closers) {
        dialog->SetInitialDir(folder.Path() + "/x");
        bool dropped = false, comboFocused = false, closed = false, listFocused = false;
        std::string base;
        RunDialog(*dialog, {[&] { Filled(1); },
                            [&] {
                                Key(Edit(), Qt::Key_F4);
                                dropped = Form()->KwShellCombo1->DroppedDown();
                                comboFocused = Form()->KwShellCombo1->Focused();
                            },
                            [&] {
                                // The open list has the keyboard: keys reach
                                // the combo through it.
                                QWidget* view =
                                    static_cast<QComboBox*>(Form()->KwShellCombo1->Peer())->view();
                                Key(view, Qt::Key_Up);
                                Key(view, closer);
                                closed = !Form()->KwShellCombo1->DroppedDown();
                                listFocused = Form()->KwShellList1->Focused();
                            },
                            [&] {
                                PumpUntil([&] { return Form()->Base() == folder.Path(); });
                                base = Form()->Base();
                            },
                            [&] {
                                Form()->KwShellCombo1->SetDroppedDown(false);
                                Escape();
                            }});
        EXPECT_TRUE(dropped) << closer;
        EXPECT_TRUE(comboFocused) << closer;
        EXPECT_TRUE(closed) << closer;
        EXPECT_EQ(listFocused, closer == Qt::Key_F4) << closer;
        EXPECT_EQ(base, folder.Path()) << closer;
    }
}

// F5 refills every control but a focused combo; a focused list refills
// itself.
TEST_F(RunFixture, F5RefreshesTheControlsButAFocusedCombo)
{
    enum Focus { OnEdit, OnCombo, OnList };
    struct Case {
        Focus On;
        bool ComboRefilled;
    };
    const Case cases[] = {{OnEdit, true}, {OnCombo, false}, {OnList, true}};
    // The combo lists the desktop's folders: a desktop of the test's own.
    kwtest::TempDir home;
    kwtest::ScopedEnv homeEnv("HOME", home.Path());
    const std::string desktop = home.Path() + "/Desktop";
    std::filesystem::create_directory(desktop);
    for (const Case& c : cases) {
        std::filesystem::remove_all(desktop + "/y");
        std::filesystem::remove(folder.Path() + "/x/new.txt");
        dialog->SetInitialDir(folder.Path() + "/x");
        bool comboHasY = false, listHasNew = false;
        int folders = 0;
        RunDialog(*dialog, {[&] { Filled(1); },
                            [&] {
                                folders = Form()->KwShellCombo1->Items()->Count();
                                std::filesystem::create_directory(desktop + "/y");
                                std::ofstream(folder.Path() + "/x/new.txt") << "n";
                                vcl::TWinControl* target = Form()->FileNameEdt;
                                if (c.On == OnCombo)
                                    target = Form()->KwShellCombo1;
                                else if (c.On == OnList)
                                    target = Form()->KwShellList1;
                                target->SetFocus();
                                Pump();
                                Key(target->Peer(), Qt::Key_F5);
                                // A refilled combo shows the desktop's new folder.
                                comboHasY = Form()->KwShellCombo1->Items()->Count() == folders + 1;
                                listHasNew = Form()->KwShellList1->FindCaption(0, "new.txt", false, true,
                                                                               false) != nullptr;
                            },
                            [&] { Escape(); }});
        EXPECT_EQ(comboHasY, c.ComboRefilled) << c.On;
        EXPECT_TRUE(listHasNew) << c.On;
    }
}

} // namespace
