// Opening items and web pages with the desktop's applications, in a program
// of its own: the XDG folders point into a temporary tree before the first
// use of GIO, which reads them once per process.

#include "shell32/Opening.h"
#include "shell32/ItemContextMenu.h"
#include "win32/Errors.h"
#include "win32/Menus.h"

#include "TestSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644)
{
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

std::string Entry(const std::string& name, const std::string& exec, const std::string& mimeTypes)
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\nMimeType=" + mimeTypes +
           "\n";
}

// The desktop of these tests: a recording program that takes text and is
// its default, a second one that takes text too, a file manager and a
// browser; files of each kind to open.
class Opening : public testing::Test {
protected:
    static inline kwtest::TempDir* Root = nullptr;

    static std::string At(const std::string& name) { return *Root / name; }

    static void SetUpTestSuite()
    {
        Root = new kwtest::TempDir;
        for (const char* dir : {"home", "data", "data/applications", "share", "share/applications", "config",
                                "config-dirs", "system", "files", "files/folder"})
            ASSERT_EQ(mkdir(At(dir).c_str(), 0755), 0) << dir;
        // Written to a side name and renamed, so a reader never sees half.
        WriteFile(At("record.sh"),
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + At("record.tmp") + "' && mv '" + At("record.tmp") +
                      "' '" + At("record.out") + "'\n",
                  0755);
        WriteFile(At("data/applications/corvane-recorder.desktop"),
                  Entry("Recorder", At("record.sh") + " %f", "text/plain;"));
        WriteFile(At("share/applications/corvane-second.desktop"),
                  Entry("Second Viewer", "/bin/true %F", "text/plain;"));
        WriteFile(At("data/applications/corvane-files.desktop"),
                  Entry("Files", "/bin/true %U", "inode/directory;"));
        WriteFile(At("data/applications/corvane-browser.desktop"),
                  Entry("Browser", "/bin/true %u", "x-scheme-handler/http;x-scheme-handler/https;"));
        // The type index of each folder, as installing an application makes it:
        // GIO finds the applications of a type through it.
        ASSERT_EQ(std::system(("update-desktop-database '" + At("data/applications") + "' '" +
                               At("share/applications") + "'")
                                  .c_str()),
                  0)
            << "update-desktop-database (desktop-file-utils) is needed";
        WriteFile(At("config/mimeapps.list"), "[Default Applications]\n"
                                              "text/plain=corvane-recorder.desktop\n"
                                              "inode/directory=corvane-files.desktop\n"
                                              "x-scheme-handler/http=corvane-browser.desktop\n"
                                              "x-scheme-handler/https=corvane-browser.desktop\n");

        WriteFile(At("files/note.txt"), "some text\n");
        WriteFile(At("files/tool.sh"), "#!/bin/sh\ntouch '" + At("ran-tool") + "'\n", 0755);
        const std::string runsEntry =
            "[Desktop Entry]\nType=Application\nName=Runs\nExec=touch " + At("ran-entry") + "\n";
        WriteFile(At("files/plain.desktop"), runsEntry, 0644);
        WriteFile(At("files/runnable.desktop"), runsEntry, 0755);
        WriteFile(At("files/link.desktop"),
                  "[Desktop Entry]\nType=Link\nName=Note\nURL=file://" + At("files/note.txt") + "\n");

        setenv("HOME", At("home").c_str(), 1);
        setenv("XDG_DATA_HOME", At("data").c_str(), 1);
        // The system's MIME database without the system's applications, so
        // that only this desktop's take part.
        ASSERT_EQ(symlink("/usr/share/mime", At("system/mime").c_str()), 0);
        setenv("XDG_DATA_DIRS", (At("share") + ":" + At("system")).c_str(), 1);
        setenv("XDG_CONFIG_HOME", At("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", At("config-dirs").c_str(), 1);
        for (const char* desktop : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                    "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
            unsetenv(desktop);
        // No session bus to tell of launches: fail at once rather than look for one.
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + At("no-bus")).c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete Root;
        Root = nullptr;
    }
};

std::vector<shell32::OpenRequest> g_recorded;
BOOL Record(const shell32::OpenRequest& request)
{
    g_recorded.push_back(request);
    return TRUE;
}

TEST_F(Opening, TheHookTakesEveryRequestUntilTheDefaultIsBack)
{
    g_recorded.clear();
    EXPECT_EQ(shell32::SetOpenHook(Record), nullptr);
    struct Case {
        std::string application;
        std::string target;
    };
    const Case cases[] = {
        {"", At("files/tool.sh")},
        {"", "https://example.org/"},
        {"corvane-second.desktop", At("files/note.txt")},
    };
    for (const Case& c : cases) {
        const BOOL opened = c.application.empty() ? shell32::OpenItem(nullptr, c.target)
                                                  : shell32::OpenItemWith(nullptr, c.application, c.target);
        EXPECT_TRUE(opened) << c.target;
    }
    ASSERT_EQ(g_recorded.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(g_recorded[i].target, cases[i].target);
        EXPECT_EQ(g_recorded[i].application, cases[i].application);
    }
    EXPECT_EQ(shell32::SetOpenHook(nullptr), Record);
    // The default is back: a refused target is refused again, not recorded.
    SetLastError(0);
    EXPECT_FALSE(shell32::OpenItem(nullptr, At("files/tool.sh")));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(g_recorded.size(), std::size(cases));
}

TEST_F(Opening, EachKindOfTargetGoesToItsApplicationOrIsRefused)
{
    struct Case {
        const char* what;
        std::string target;
        std::string application; // empty: none
        DWORD error;
    };
    const Case cases[] = {
        {"a text file", At("files/note.txt"), "corvane-recorder.desktop", 0},
        {"a file URL", "file://" + At("files/note.txt"), "corvane-recorder.desktop", 0},
        {"a folder", At("files/folder"), "corvane-files.desktop", 0},
        {"a link entry opens its target", At("files/link.desktop"), "corvane-recorder.desktop", 0},
        {"an executable application entry runs", At("files/runnable.desktop"), "runnable.desktop", 0},
        {"a web page", "http://example.org/a?b", "corvane-browser.desktop", 0},
        {"a secure web page", "HTTPS://example.org/", "corvane-browser.desktop", 0},
        {"a scheme nothing handles", "mailto:someone@example.org", "", ERROR_NO_ASSOCIATION},
        {"a scheme never handed out", "gopher://example.org/", "", ERROR_NO_ASSOCIATION},
        {"a missing file", At("files/missing.txt"), "", ERROR_FILE_NOT_FOUND},
        {"an application entry that may not run", At("files/plain.desktop"), "", ERROR_ACCESS_DENIED},
        {"a script that may run", At("files/tool.sh"), "", ERROR_ACCESS_DENIED},
        {"a device", "/dev/null", "", ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_EQ(shell32::DefaultApplicationFor(c.target), c.application);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(Opening, TheChoiceIsTheDesktopsOwn)
{
    FILE* query = popen("xdg-mime query default text/plain 2>/dev/null", "r");
    std::string answer;
    if (query) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, query))
            answer += buffer;
        const int status = pclose(query);
        if (status != 0)
            answer.clear();
    }
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == ' '))
        answer.pop_back();
    if (answer.empty())
        GTEST_SKIP()
            << "xdg-mime (xdg-utils) is not installed or gave no answer: the desktop's own choice is "
               "NOT compared";
    EXPECT_EQ(answer, "corvane-recorder.desktop");
    EXPECT_EQ(shell32::DefaultApplicationFor(At("files/note.txt")), answer);
}

TEST_F(Opening, OpenWithOffersTheDefaultFirst)
{
    const std::vector<shell32::OpenApplication> expected = {
        {"corvane-recorder.desktop", "Recorder"},
        {"corvane-second.desktop", "Second Viewer"},
    };
    EXPECT_EQ(shell32::ApplicationsFor(At("files/note.txt")), expected);

    SetLastError(0);
    EXPECT_TRUE(shell32::ApplicationsFor(At("files/missing.txt")).empty());
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Opening, ALaunchHandsTheFileToTheProgramAndRunsNothingRefused)
{
    for (const char* refused : {"files/plain.desktop", "files/tool.sh"}) {
        SetLastError(0);
        EXPECT_FALSE(shell32::OpenItem(nullptr, At(refused))) << refused;
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << refused;
    }
    SetLastError(0);
    EXPECT_FALSE(shell32::OpenItemWith(nullptr, "corvane-none.desktop", At("files/note.txt")));
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);

    ASSERT_TRUE(shell32::OpenItem(nullptr, At("files/note.txt"))) << GetLastError();
    // The recording program runs on its own; wait for what it writes.
    for (int i = 0; i < 400 && !Exists(At("record.out")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(Exists(At("record.out"))) << "the default application was not started";
    EXPECT_EQ(ReadFile(At("record.out")), At("files/note.txt") + "\n");
    EXPECT_FALSE(Exists(At("ran-entry")));
    EXPECT_FALSE(Exists(At("ran-tool")));
}

// The "Open with" submenu of a file's context menu: the type's applications,
// the default first, each at its own offset; a folder has none.
TEST_F(Opening, TheContextMenuOpensWithEachApplication)
{
    const auto openWith = [](const std::string& path) {
        com::ComPtr<IContextMenu> menu;
        EXPECT_EQ(shell32::MakeItemContextMenu({path}, IID_IContextMenu, menu.ReleaseAndGetVoidAddress()),
                  S_OK);
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, 1000, 0x7FFF, CMF_EXPLORE);
        std::vector<std::string> items;
        for (const win32::MenuItemView& item : win32::MenuItems(popup)) {
            if (item.SubMenu && item.Text == "Open Wit&h") {
                for (const win32::MenuItemView& app : win32::MenuItems(item.SubMenu))
                    items.push_back(std::to_string(app.Id - 1000) + " " + app.Text);
            }
        }
        DestroyMenu(popup);
        return std::make_pair(menu, items);
    };
    const auto [menu, items] = openWith(At("files/note.txt"));
    EXPECT_EQ(items, (std::vector<std::string>{"32 Recorder", "33 Second Viewer"}));
    EXPECT_TRUE(openWith(At("files/folder")).second.empty());

    g_recorded.clear();
    const shell32::OpenHook before = shell32::SetOpenHook(Record);
    for (const LPCSTR verb : {reinterpret_cast<LPCSTR>(33), "corvane-recorder.desktop"}) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = verb;
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    }
    shell32::SetOpenHook(before);
    ASSERT_EQ(g_recorded.size(), 2u);
    EXPECT_EQ(g_recorded[0].application, "corvane-second.desktop");
    EXPECT_EQ(g_recorded[1].application, "corvane-recorder.desktop");
    EXPECT_EQ(g_recorded[1].target, At("files/note.txt"));
}

// A Send To entry launched with files: GIO expands its field codes; an
// entry that may not run gets nothing.
TEST_F(Opening, AnEntryLaunchedWithFilesGetsThemThroughItsFieldCodes)
{
    WriteFile(At("record-all.sh"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + At("all.tmp") + "' && mv '" + At("all.tmp") + "' '" +
                  At("all.out") + "'\n",
              0755);
    const std::string entry =
        "[Desktop Entry]\nType=Application\nName=All\nExec=" + At("record-all.sh") + " --files %F\n";
    WriteFile(At("files/all.desktop"), entry, 0755);
    WriteFile(At("files/all-plain.desktop"), entry, 0644);
    const std::vector<std::string> files = {At("files/note.txt"), At("files/folder")};

    SetLastError(0);
    EXPECT_FALSE(shell32::LaunchEntryWith(nullptr, At("files/all-plain.desktop"), files));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(shell32::LaunchEntryWith(nullptr, At("files/note.txt"), files)) << "not an entry";

    ASSERT_TRUE(shell32::LaunchEntryWith(nullptr, At("files/all.desktop"), files)) << GetLastError();
    for (int i = 0; i < 400 && !Exists(At("all.out")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(Exists(At("all.out"))) << "the entry was not launched";
    EXPECT_EQ(ReadFile(At("all.out")), "--files\n" + files[0] + "\n" + files[1] + "\n");
}

} // namespace
