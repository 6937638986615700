// The context menu of file-system items: what it puts in a popup under each
// flag, its command strings within the caller's buffer, and each verb acting
// on real files under a private HOME (the trash, the clipboard, links,
// properties).

#include "shell32/ItemContextMenu.h"
#include "shell32/FileUrls.h"
#include "shell32/ItemVerbs.h"
#include "shell32/OleClipboard.h"
#include "shell32/Opening.h"
#include "shell32/PropertiesDialog.h"
#include "shell32/Trash.h"
#include "shell32/UserDirs.h"
#include "win32/Errors.h"
#include "win32/Menus.h"
#include "win32/MessageBox.h"

#include "ClipboardTestHelpers.h"
#include "MessageBoxScript.h"
#include "PlatformTestSupport.h"
#include "ShellTestHelpers.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMimeData>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <variant>

using com::ComPtr;

namespace {

// Menus as one line: "0*" the default command at offset 0, "3~" grayed,
// "-" a separator, "[Text:7~]" a submenu.
std::string Describe(HMENU menu, UINT first)
{
    std::string out;
    for (const win32::MenuItemView& item : win32::MenuItems(menu)) {
        if (!out.empty())
            out += ' ';
        if (item.Type & MFT_SEPARATOR) {
            out += '-';
        } else if (item.SubMenu) {
            out += "[" + item.Text + ":" + Describe(item.SubMenu, first) + "]";
        } else {
            out += std::to_string(item.Id - first);
            if (item.State & MFS_DEFAULT)
                out += '*';
            if (item.State & MF_GRAYED)
                out += '~';
        }
    }
    return out;
}

std::vector<shell32::OpenRequest> g_opened;
BOOL RecordOpen(const shell32::OpenRequest& request)
{
    g_opened.push_back(request);
    return TRUE;
}

// Binary content: no application takes it, so no "Open with" depends on
// the machine's applications.
constexpr char kBinary[] = "\x01\x02\x03\x04";

class ItemContextMenuTest : public testing::Test {
protected:
    shelltest::ShellEnvironment Env;
    cliptest::OleScope Ole;
    shell32::OpenHook BeforeHook = shell32::SetOpenHook(RecordOpen);

    ItemContextMenuTest()
    {
        g_opened.clear();
        std::filesystem::create_directories(Env / "a/sub");
        std::filesystem::create_directories(Env / "b");
        shelltest::WriteFile(Env / "a/x.bin", kBinary);
        shelltest::WriteFile(Env / "a/y.bin", "\x05\x06");
    }
    ~ItemContextMenuTest() override { shell32::SetOpenHook(BeforeHook); }

    static ComPtr<IContextMenu> Menu(std::vector<std::string> paths, bool movable = true)
    {
        ComPtr<IContextMenu> menu;
        EXPECT_EQ(shell32::MakeItemContextMenu(std::move(paths), IID_IContextMenu,
                                               menu.ReleaseAndGetVoidAddress(), movable),
                  S_OK);
        return menu;
    }

    static HRESULT Invoke(IContextMenu* menu, std::variant<UINT, const char*> verb)
    {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = std::holds_alternative<UINT>(verb)
                          ? reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(std::get<UINT>(verb)))
                          : std::get<const char*>(verb);
        info.nShow = 1;
        return menu->InvokeCommand(&info);
    }

    static bool Exists(const std::string& path)
    {
        return std::filesystem::symlink_status(path).type() != std::filesystem::file_type::not_found;
    }
};

TEST_F(ItemContextMenuTest, QueryFillsThePopupByTheFlags)
{
    struct Case {
        const char* name;
        std::vector<std::string> items;
        UINT flags;
        UINT last; // from 1000
        bool filesOnClipboard;
        std::string menu;
        HRESULT answer;
        bool movable = true;
    };
    const std::string x = Env / "a/x.bin";
    const std::string sub = Env / "a/sub";
    const std::vector<Case> cases = {
        {"one file", {x}, CMF_EXPLORE, 0x7FFF, false, "0* - [Se&nd To:7~] - 1 2 - 5 4 - 6", 8},
        {"renamable", {x}, CMF_CANRENAME, 0x7FFF, false, "0* - [Se&nd To:7~] - 1 2 - 5 4 18 - 6", 19},
        {"two files are not renamed",
         {x, Env / "a/y.bin"},
         CMF_CANRENAME,
         0x7FFF,
         false,
         "0* - [Se&nd To:7~] - 1 2 - 5 4 - 6",
         8},
        {"a folder with nothing to paste",
         {sub},
         CMF_NORMAL,
         0x7FFF,
         false,
         "0* - [Se&nd To:7~] - 1 2 3~ - 5 4 - 6",
         8},
        {"a folder with files to paste",
         {sub},
         CMF_NORMAL,
         0x7FFF,
         true,
         "0* - [Se&nd To:7~] - 1 2 3 - 5 4 - 6",
         8},
        {"default only", {x}, CMF_DEFAULTONLY | CMF_CANRENAME, 0x7FFF, false, "0*", 1},
        {"verbs only", {x}, CMF_VERBSONLY, 0x7FFF, false, "0* - 1 2 - 5 4 - 6", 7},
        {"no default", {x}, CMF_NODEFAULT, 0x7FFF, false, "0 - [Se&nd To:7~] - 1 2 - 5 4 - 6", 8},
        {"ids end at 1004", {x}, CMF_CANRENAME, 1004, false, "0* - 1 2 - 4", 5},
        {"a folder that stays where it is",
         {sub},
         CMF_CANRENAME,
         0x7FFF,
         false,
         "0* - [Se&nd To:7~] - 2 3~ - 6",
         8,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.filesOnClipboard)
            ASSERT_EQ(Invoke(Menu({x}).Get(), "copy"), S_OK);
        else
            ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
        ComPtr<IContextMenu> menu = Menu(c.items, c.movable);
        HMENU popup = CreatePopupMenu();
        EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1000, c.last, c.flags), c.answer);
        EXPECT_EQ(Describe(popup, 1000), c.menu);
        DestroyMenu(popup);
    }
}

TEST_F(ItemContextMenuTest, OnlyTheFirstInterfaceIsOffered)
{
    ComPtr<IContextMenu> menu = Menu({Env / "a/x.bin"});
    ComPtr<IUnknown> other;
    EXPECT_EQ(menu->QueryInterface(IID_IContextMenu2, other.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(menu->QueryInterface(IID_IContextMenu, other.ReleaseAndGetVoidAddress()), S_OK);
}

TEST_F(ItemContextMenuTest, CommandStringsStayInTheBuffer)
{
    struct Case {
        UINT_PTR offset;
        UINT type;
        UINT size;
        HRESULT answer;
        std::string text; // what the buffer holds before its terminator
    };
    const std::vector<Case> cases = {
        {0, GCS_VERBA, 32, S_OK, "open"},      {4, GCS_VERBA, 4, S_OK, "del"},
        {6, GCS_VERBA, 1, S_OK, ""},           {4, GCS_HELPTEXTA, 10, S_OK, "Moves the"},
        {18, GCS_VERBA, 32, S_OK, "rename"},   {2, GCS_VERBW, 3, S_OK, "co"},
        {7, GCS_VERBA, 32, E_INVALIDARG, ""},  // the placeholder runs nothing
        {3, GCS_VERBA, 32, E_INVALIDARG, ""},  // no paste into a file
        {40, GCS_VERBA, 32, E_INVALIDARG, ""}, // past every command
        {0, GCS_VERBA, 0, E_INVALIDARG, ""},   {4, GCS_VALIDATEA, 0, S_OK, ""},
        {40, GCS_VALIDATEA, 0, S_FALSE, ""},
    };
    ComPtr<IContextMenu> menu = Menu({Env / "a/x.bin"});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + " type " + std::to_string(c.type) + " size " +
                     std::to_string(c.size));
        char16_t buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), u'Z');
        auto* bytes = reinterpret_cast<char*>(buffer);
        EXPECT_EQ(menu->GetCommandString(c.offset, c.type, nullptr, bytes, c.size), c.answer);
        const bool wide = c.type & GCS_UNICODE;
        // Nothing written past the size the caller gave.
        const std::size_t unit = wide ? 2 : 1;
        for (std::size_t i = c.size * unit; i < sizeof buffer; ++i)
            EXPECT_EQ(bytes[i], i % 2 ? '\0' : 'Z') << "byte " << i;
        if (c.answer == S_OK && c.size > 0) {
            std::string text;
            for (std::size_t i = 0; wide ? buffer[i] != 0 : bytes[i] != 0; ++i)
                text += wide ? static_cast<char>(buffer[i]) : bytes[i];
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST_F(ItemContextMenuTest, VerbsRunByOffsetOrTextAndNothingUnknownRuns)
{
    const std::string x = Env / "a/x.bin";
    struct Case {
        const char* name;
        std::variant<UINT, const char*> verb;
        HRESULT answer;
        std::vector<std::string> opened;
        std::vector<std::string> made; // in folder a
    };
    const std::vector<Case> cases = {
        {"open by offset", 0u, S_OK, {x}, {}},
        {"open by text in any case", "OPEN", S_OK, {x}, {}},
        {"link by offset", 5u, S_OK, {}, {"Link to x.bin"}},
        {"link again takes a free name", "link", S_OK, {}, {"Link to x.bin (2)"}},
        {"a verb it does not have", "explore", E_INVALIDARG, {}, {}},
        {"an empty verb", "", E_INVALIDARG, {}, {}},
        {"paste into a file", 3u, E_INVALIDARG, {}, {}},
        {"the placeholder", 7u, E_INVALIDARG, {}, {}},
        {"past every command", 40u, E_INVALIDARG, {}, {}},
        {"rename is the caller's", 18u, E_NOTIMPL, {}, {}},
    };
    ComPtr<IContextMenu> menu = Menu({x});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_opened.clear();
        std::set<std::string> before;
        for (const auto& entry : std::filesystem::directory_iterator(Env / "a"))
            before.insert(entry.path().filename().string());
        EXPECT_EQ(Invoke(menu.Get(), c.verb), c.answer);
        std::vector<std::string> opened;
        for (const shell32::OpenRequest& request : g_opened)
            opened.push_back(request.target);
        EXPECT_EQ(opened, c.opened);
        std::vector<std::string> made;
        for (const auto& entry : std::filesystem::directory_iterator(Env / "a")) {
            if (!before.count(entry.path().filename().string()))
                made.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(made, c.made);
        for (const std::string& name : made)
            EXPECT_EQ(std::filesystem::read_symlink(Env / "a/" + name), x);
    }
}

TEST_F(ItemContextMenuTest, ALinkOpensWhatItLeadsTo)
{
    std::filesystem::create_symlink(Env / "a/sub", Env / "a/to-sub");
    ASSERT_EQ(Invoke(Menu({Env / "a/to-sub"}).Get(), 0u), S_OK);
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_opened[0].target, Env / "a/sub");
}

TEST_F(ItemContextMenuTest, DeleteAsksOnceAndMovesToTheTrashWhatCanGo)
{
    const std::vector<std::string> names = {"plain.bin", "new\nline", "bad\xff\xfe name", "folder"};
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        paths.push_back(Env / "a/" + name);
        if (name == "folder")
            std::filesystem::create_directories(paths.back() + "/inside");
        else
            shelltest::WriteFile(paths.back(), name);
    }
    {
        kwtest::MessageBoxScript person;
        person.Queue(IDNO);
        EXPECT_EQ(Invoke(Menu(paths).Get(), "delete"), S_FALSE);
        EXPECT_EQ(person.Count(), 1u);
        for (const std::string& path : paths)
            EXPECT_TRUE(Exists(path)) << path;
    }
    // One item gone before the menu runs: reported, and the rest still go.
    std::vector<std::string> withMissing = paths;
    withMissing.push_back(Env / "a/gone.bin");
    kwtest::MessageBoxScript person;
    person.Queue(IDYES);
    EXPECT_EQ(Invoke(Menu(withMissing).Get(), 4u), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(person.Count(), 2u);
    EXPECT_NE(person.Last().Text.find(Env / "a/gone.bin"), std::string::npos) << person.Last().Text;

    std::vector<shell32::TrashEntry> entries;
    ASSERT_TRUE(shell32::ListTrash(shell32::TrashDirectory(), entries));
    std::set<std::string> trashed;
    for (const shell32::TrashEntry& entry : entries) {
        ASSERT_TRUE(entry.Info);
        trashed.insert(entry.Info->OriginalPath);
    }
    EXPECT_EQ(trashed, std::set<std::string>(paths.begin(), paths.end()));
    for (const std::string& path : paths)
        EXPECT_FALSE(Exists(path)) << path;

    // The desktop's own reader of the trash sees the same places.
    if (std::system("command -v trash-list > /dev/null") == 0) {
        const std::string listed =
            kwtest::RunAndRead("XDG_DATA_HOME='" + Env.Home() + "/.local/share' trash-list 2>/dev/null");
        // It shows each byte that is not UTF-8 as U+FFFD.
        for (const std::string& path : paths)
            EXPECT_NE(listed.find(
                          QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())).toStdString()),
                      std::string::npos)
                << listed;
    } else {
        ADD_FAILURE() << "trash-list (trash-cli) is needed to compare with the desktop's reader";
    }
}

TEST_F(ItemContextMenuTest, PasteMovesACutAndCopiesTheRest)
{
    const std::string x = Env / "a/x.bin";
    // A copy pasted into its own folder is a copy beside it; the clipboard keeps it.
    ASSERT_EQ(Invoke(Menu({x}).Get(), "copy"), S_OK);
    EXPECT_EQ(Invoke(Menu({Env / "a"}).Get(), "paste"), S_OK);
    EXPECT_EQ(kwtest::ReadFile(Env / "a/Copy of x.bin"), kBinary);
    EXPECT_TRUE(shell32::ClipboardHasFiles());

    // A cut is moved, and leaves the clipboard.
    ASSERT_EQ(Invoke(Menu({x}).Get(), 1u), S_OK);
    EXPECT_EQ(Invoke(Menu({Env / "b"}).Get(), 3u), S_OK);
    EXPECT_FALSE(Exists(x));
    EXPECT_EQ(kwtest::ReadFile(Env / "b/x.bin"), kBinary);
    EXPECT_FALSE(shell32::ClipboardHasFiles());
    EXPECT_EQ(Invoke(Menu({Env / "b"}).Get(), 3u), S_FALSE) << "nothing left to paste";
}

TEST_F(ItemContextMenuTest, PasteAsksAboutConflictsAndReportsWhatCannotBeDone)
{
    struct Case {
        const char* name;
        bool cut;
        std::string source;       // in a: a file "x.bin" ("new"), or the folder "a" itself
        std::string into;         // already holding x.bin ("old") when it is b
        std::vector<int> answers; // of the boxes shown, in turn
        HRESULT answer;
        std::size_t boxes;
        bool sourceStays;
        std::string inB; // x.bin in b afterwards
        bool crossesDevices = false;
    };
    const std::string x = Env / "a/x.bin";
    const std::vector<Case> cases = {
        {"replace", false, x, Env / "b", {IDYES}, S_OK, 1, true, "new"},
        {"skip", false, x, Env / "b", {IDNO}, S_OK, 1, true, "old"},
        {"cancel is a refusal", true, x, Env / "b", {IDCANCEL}, S_FALSE, 1, true, "old"},
        {"a folder into its own subfolder is reported",
         true,
         Env / "a",
         Env / "a/sub",
         {IDOK},
         HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER),
         1,
         true,
         "old"},
        {"a cut across file systems moves", true, x, Env / "b", {IDYES}, S_OK, 1, false, "new", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shelltest::WriteFile(x, "new");
        shelltest::WriteFile(Env / "b/x.bin", "old");
        ASSERT_EQ(Invoke(Menu({c.source}).Get(), c.cut ? "cut" : "copy"), S_OK);
        kwtest::MessageBoxScript person;
        for (int answer : c.answers)
            person.Queue(answer);
        shell32::testing::SetRenameCrossesDevices(c.crossesDevices);
        const HRESULT hr = Invoke(Menu({c.into}).Get(), "paste");
        shell32::testing::SetRenameCrossesDevices(false);
        if (FAILED(c.answer))
            EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        else
            EXPECT_EQ(hr, c.answer);
        EXPECT_EQ(person.Count(), c.boxes);
        EXPECT_EQ(Exists(c.source), c.sourceStays);
        EXPECT_EQ(kwtest::ReadFile(Env / "b/x.bin"), c.inB);
        // The clipboard lets a cut go only once it has moved.
        EXPECT_EQ(shell32::ClipboardHasFiles(), !(c.cut && hr == S_OK));
    }
}

TEST_F(ItemContextMenuTest, AnotherProgramsFilesArePastedWhole)
{
    const std::string odd = Env / "a/odd \xff name.bin";
    std::string data(256, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    shelltest::WriteFile(odd, data);
    auto* mime = new QMimeData;
    const std::string url = shell32::FileUrlFromPath(odd) + "\r\n";
    mime->setData("text/uri-list", QByteArray(url.data(), static_cast<qsizetype>(url.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
    EXPECT_EQ(Invoke(Menu({Env / "b"}).Get(), "paste"), S_OK);
    EXPECT_EQ(kwtest::ReadFile(Env / "b/odd \xff name.bin"), data);
    EXPECT_TRUE(Exists(odd)) << "another program's files are copied, not moved";
}

TEST_F(ItemContextMenuTest, PropertiesOfOneAndOfSeveralItems)
{
    std::filesystem::create_directories(Env / "a/sub/deeper");
    shelltest::WriteFile(Env / "a/sub/deeper/z.bin", std::string(1000, 'z'));
    struct Case {
        const char* picture;
        std::vector<std::string> paths;
        std::string name;
        std::string location;
        std::uint64_t size;
        std::size_t files;
        std::size_t folders;
    };
    const std::vector<Case> cases = {
        {"properties-one.png", {Env / "a/x.bin"}, "x.bin", Env / "a", 4, 1, 0},
        {"properties-two.png", {Env / "a/x.bin", Env / "a/y.bin"}, "2 items", Env / "a", 6, 2, 0},
        {"properties-folder.png", {Env / "a/sub", Env / "a/x.bin"}, "2 items", Env / "a", 1004, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        const shell32::ItemProperties properties = shell32::ReadItemProperties(c.paths);
        EXPECT_EQ(properties.Name, c.name);
        EXPECT_EQ(properties.Location, c.location);
        EXPECT_EQ(properties.Size, c.size);
        EXPECT_EQ(properties.Files, c.files);
        EXPECT_EQ(properties.Folders, c.folders);
        EXPECT_FALSE(properties.Type.empty());
        EXPECT_EQ(properties.Modified.empty(), c.paths.size() > 1);

        ASSERT_EQ(Invoke(Menu(c.paths).Get(), "properties"), S_OK);
        QDialog* shown = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                shown = dialog;
        }
        ASSERT_NE(shown, nullptr) << "the window stays up without a modal loop";
        EXPECT_EQ(shown->findChild<QLabel*>("name")->text().toStdString(), c.name);
        shown->adjustSize();
        EXPECT_TRUE(shown->grab().save(QString::fromStdString(kwtest::OutputPath(c.picture))));
        shown->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
