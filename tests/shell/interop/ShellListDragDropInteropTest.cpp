// The shell list's drags into another program, on an X server with
// the xcb platform and the X server's own drag protocol (scripts/
// clipboard-interop runs this under xvfb-run). The other program is
// test_shell_dragdrop_peer, which takes text/uri-list as file managers do; xdotool moves the pointer and
// holds the keys as a person would.

#include "ShellTreeTestSupport.h"

#include "com/Initialization.h"
#include "shell32/FileUrls.h"
#include "shell32/ShellUIObjects.h"
#include "win32/MessageBox.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TListItem;

constexpr int kTimeoutMs = 15000;
constexpr int kPeerX = 400; // the peer's window, right of the form
constexpr int kPeerY = 40;

std::string Bytes(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Turns the event loop until the process has ended, or the time is up.
void Await(QProcess& process, int ms = kTimeoutMs)
{
    if (process.state() == QProcess::NotRunning)
        return;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The other program, started with its window shown.
class PeerProgram {
public:
    explicit PeerProgram(const QStringList& arguments)
    {
        Process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Process_.start(QCoreApplication::applicationDirPath() + "/test_shell_dragdrop_peer",
                       QStringList{QString::number(kPeerX), QString::number(kPeerY)} + arguments);
        QEventLoop loop;
        QObject::connect(&Process_, &QProcess::readyReadStandardOutput, &loop, [&] {
            Out_ += Process_.readAllStandardOutput();
            if (Out_.startsWith("ready\n"))
                loop.quit();
        });
        QObject::connect(&Process_, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_TRUE(Out_.startsWith("ready\n")) << "the peer did not show its window";
    }
    ~PeerProgram()
    {
        if (Process_.state() != QProcess::NotRunning) {
            Process_.kill();
            Process_.waitForFinished();
        }
    }
    PeerProgram(const PeerProgram&) = delete;
    PeerProgram& operator=(const PeerProgram&) = delete;

    // Whether it has said a line yet.
    bool HasSaid(const QByteArray& line)
    {
        Out_ += Process_.readAllStandardOutput();
        return Out_.contains("\n" + line + "\n");
    }

    // What it said after "ready", once it has ended (or at once, when it
    // has not ended within ms).
    std::string Said(int ms = kTimeoutMs)
    {
        Await(Process_, ms);
        Out_ += Process_.readAllStandardOutput();
        return Bytes(Out_.mid(6));
    }

private:
    QProcess Process_;
    QByteArray Out_;
};

// Runs xdotool with the event loop turning, as this process must answer the
// other side of the drag meanwhile.
void Xdo(const QStringList& arguments)
{
    QProcess xdotool;
    xdotool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    xdotool.start("xdotool", arguments);
    Await(xdotool);
    ASSERT_EQ(xdotool.state(), QProcess::NotRunning) << "xdotool hangs";
    EXPECT_EQ(xdotool.exitCode(), 0) << arguments.join(' ').toStdString();
}

// A path as the peer takes it on its command line: percent-encoded, as a
// command line carries no byte that is not text.
QString Escaped(const std::string& path)
{
    return QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/"));
}

QStringList At(POINT p)
{
    return {"mousemove", QString::number(p.x), QString::number(p.y), "sleep", "0.2"};
}

// A drag from one screen point to another in small moves, with a key held
// from the drag's start to the release, and Escape pressed over the goal
// when asked.
void Drag(POINT from, POINT to, const QString& key, bool escape)
{
    QStringList script = At(from);
    script += {"mousedown", "1"};
    for (int step = 1; step <= 6; ++step)
        script += At({from.x + (to.x - from.x) * step / 6, from.y + (to.y - from.y) * step / 6});
    if (!key.isEmpty())
        script += {"keydown", key, "sleep", "0.2"};
    script += At({to.x + 3, to.y});
    script += At(to);
    if (escape)
        script += {"key", "Escape", "sleep", "0.2"};
    script += {"mouseup", "1", "sleep", "0.3"};
    if (!key.isEmpty())
        script += {"keyup", key};
    Xdo(script);
}

class ShellListDragDropInterop : public ShellTreeFixture {
public:
    kw::TKwShellList* List = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb")
            << "the drag protocol of other programs needs an X server: run through scripts/clipboard-interop";
        ShellTreeFixture::SetUp();
        shell32::InstallShellUIObjects();
        Ole_ = SUCCEEDED(OleInitialize(nullptr));
        Tree->SetBounds(0, 0, 100, 400);
        List = vcl::Create<kw::TKwShellList>(Form.Get());
        List->SetParent(Form.Get());
        List->SetBounds(100, 0, 220, 400);
        List->SetOptions(List->Options() - kw::kwsloDynamicRefresh);
        // Set once the window exists: the drags follow the view shown.
        List->SetViewStyle(vcl::vsReport);
        List->SetMultiSelect(true);
        MakeTree(H("docs"), {"a"});
        List->Folder()->SetIdList(ListOfPath(H("docs")).Get());
        Pump();
    }
    void TearDown() override
    {
        vcl::Free(List);
        Pump();
        if (Ole_)
            OleUninitialize();
        shell32::UninstallShellUIObjects();
        ShellTreeFixture::TearDown();
    }
    TListItem* ItemNamed(const std::string& name) const { return kwtest::ItemNamed(List, name); }
    POINT Screen(const TListItem* item) const { return ItemScreenPoint(List, item); }
    static POINT PeerPoint() { return {kPeerX + 100, kPeerY + 100}; }

private:
    bool Ole_ = false;
};

// Names as files are found on disk: a space, a per cent sign, a newline, a
// byte that is no UTF-8.
const std::string kOdd1 = std::string("one %20\nline\xfe.bin");
const std::string kOdd2 = "two.bin";
const std::string kBody1 = std::string("\0\x01\xff body\r\n", 10);
const std::string kBody2 = "second";

TEST_F(ShellListDragDropInterop, ItemsGiveAnotherProgramTheirFileUrlsAndDeleteNothing)
{
    WriteFile(H("docs/") + kOdd1, kBody1);
    WriteFile(H("docs/") + kOdd2, kBody2);
    List->RefreshItems();
    Pump();
    struct Case {
        const char* Name;
        QString Key; // pressed once the drag has started
        bool Escape;
        int Action; // what the peer took; 0: no drop
    };
    const Case cases[] = {
        {"plain: a move", "", false, Qt::MoveAction},
        {"Ctrl: a copy", "ctrl", false, Qt::CopyAction},
        {"Escape", "", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->ClearSelection();
        ItemNamed(kOdd1)->SetSelected(true);
        ItemNamed(kOdd2)->SetSelected(true);
        Pump();
        // The selection in index order, as the peer must read it.
        std::string expected;
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (TListItem* item = List->Items()->Item(i); item->Selected())
                expected +=
                    shell32::FileUrlFromPath(H("docs/") + List->GetDataFromItem(item)->GetFilename()) +
                    "\r\n";
        PeerProgram peer({"accept"});
        Drag(Screen(ItemNamed(kOdd1)), PeerPoint(), c.Key, c.Escape);
        const std::string said = peer.Said(c.Action ? kTimeoutMs : 1000);
        Pump();
        if (c.Action) {
            EXPECT_EQ(said, "drop " + std::to_string(c.Action) + "\n" + expected);
        } else {
            EXPECT_EQ(said, "");
        }
        EXPECT_EQ(ReadFile(H("docs/") + kOdd1), kBody1);
        EXPECT_EQ(ReadFile(H("docs/") + kOdd2), kBody2);
    }
}

// The question of a name taken, answered "Yes to All" once the other
// program has been told the drop finished (or a while has passed).
PeerProgram* gAskingPeer = nullptr;
int gAsked = 0;
bool gPeerFinishedWhenAsked = false;

int AnswerReplaceAll(const win32::MessageBoxRequest&)
{
    ++gAsked;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (gAskingPeer && gAskingPeer->HasSaid("finished"))
            loop.quit();
    });
    poll.start(50);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    gPeerFinishedWhenAsked = gAskingPeer && gAskingPeer->HasSaid("finished");
    return 0x100; // Yes to All
}

TEST_F(ShellListDragDropInterop, AnotherProgramsFilesLandInTheFolderUnderThePointer)
{
    std::filesystem::create_directories(H("src"));
    WriteFile(H("src/") + kOdd1, kBody1);
    WriteFile(H("src/") + kOdd2, kBody2);
    List->RefreshItems();
    Base(H("docs"));
    Tree->FillItems();
    Tree->Items()->GetFirstNode()->Expand(false);
    Pump();
    struct Case {
        const char* Name;
        const char* Item;   // dropped on; null: the list's empty area
        const char* Folder; // where the files land
        bool Escape;
        bool Taken;  // the folder holds the names already: a question
        bool OnTree; // Item names the tree's node rather than the list's item
    };
    const Case cases[] = {
        {"Ctrl onto the empty area: copied into the shown folder", nullptr, "docs/", false, false, false},
        {"Ctrl onto a folder item: copied into it", "a", "docs/a/", false, false, false},
        {"Ctrl onto a tree node: copied into its folder", "a", "docs/a/", false, false, true},
        {"Escape over the empty area: nothing", nullptr, "docs/", true, false, false},
        {"names taken: asked once the other program's drop has ended", "a", "docs/a/", false, true, false},
    };
    const win32::MessageBoxHook before = win32::SetMessageBoxHook(&AnswerReplaceAll);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(H(c.Folder) + kOdd1);
        std::filesystem::remove(H(c.Folder) + kOdd2);
        if (c.Taken) {
            WriteFile(H(c.Folder) + kOdd1, "old");
            WriteFile(H(c.Folder) + kOdd2, "old");
        }
        POINT goal{};
        if (c.OnTree) {
            vcl::TTreeNode* node = NodeOf(H("docs/") + c.Item);
            ASSERT_TRUE(node);
            const QPoint at = Viewport()->mapToGlobal(Label(node));
            goal = {at.x(), at.y()};
        } else {
            TListItem* item = c.Item ? ItemNamed(c.Item) : nullptr;
            ASSERT_TRUE(!c.Item || item);
            goal = Screen(item);
        }
        PeerProgram peer({"offer", Escaped(H("src/") + kOdd1), Escaped(H("src/") + kOdd2)});
        gAskingPeer = &peer;
        gAsked = 0;
        gPeerFinishedWhenAsked = false;
        Drag(PeerPoint(), goal, "ctrl", c.Escape);
        std::string said = peer.Said();
        Pump();
        gAskingPeer = nullptr;
        said = said.substr(0, said.find('\n') + 1);
        EXPECT_EQ(said, c.Escape ? "result 0\n" : "result " + std::to_string(Qt::CopyAction) + "\n");
        EXPECT_EQ(gAsked, c.Taken ? 1 : 0);
        EXPECT_EQ(gPeerFinishedWhenAsked, c.Taken);
        // Copied: the sources stay as they were.
        EXPECT_EQ(ReadFile(H("src/") + kOdd1), kBody1);
        EXPECT_EQ(ReadFile(H("src/") + kOdd2), kBody2);
        if (c.Escape) {
            EXPECT_FALSE(std::filesystem::exists(H(c.Folder) + kOdd1));
            EXPECT_FALSE(std::filesystem::exists(H(c.Folder) + kOdd2));
        } else {
            EXPECT_EQ(ReadFile(H(c.Folder) + kOdd1), kBody1);
            EXPECT_EQ(ReadFile(H(c.Folder) + kOdd2), kBody2);
        }
    }
    win32::SetMessageBoxHook(before);
}

} // namespace
