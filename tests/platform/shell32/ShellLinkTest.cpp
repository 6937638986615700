#include "PlatformTestSupport.h"
#include "ShellTestHelpers.h"

#include "com/ClassRegistry.h"
#include "com/Initialization.h"
#include "com/Persist.h"
#include "shell32/DesktopEntry.h"
#include "shell32/FileInfo.h"
#include "shell32/ShellLink.h"
#include "win32/FileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {

using kwtest::ReadFile;
using shelltest::WriteFile;

std::u16string Wide(const std::string& path)
{
    return win32::BytesToWide(path);
}

class ShellLinkTest : public ::testing::Test {
protected:
    com::ComPtr<IShellLinkA> NewLink()
    {
        com::ComPtr<IShellLinkA> link;
        EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   link.ReleaseAndGetVoidAddress()),
                  S_OK);
        return link;
    }
    static com::ComPtr<IPersistFile> Persist(const com::ComPtr<IShellLinkA>& link)
    {
        return link.As<IPersistFile>();
    }
    static std::string Path(IShellLinkA* link)
    {
        char buffer[4096];
        EXPECT_TRUE(SUCCEEDED(link->GetPath(buffer, sizeof buffer, nullptr, 0)));
        return buffer;
    }
    static HRESULT Load(IShellLinkA* link, const std::string& path)
    {
        com::ComPtr<IPersistFile> persist;
        EXPECT_EQ(link->QueryInterface(IID_PPV_ARGS(persist.ReleaseAndGetAddressOf())), S_OK);
        return persist->Load(Wide(path).c_str(), STGM_READ);
    }
    static HRESULT Save(IShellLinkA* link, const std::string& path)
    {
        com::ComPtr<IPersistFile> persist;
        EXPECT_EQ(link->QueryInterface(IID_PPV_ARGS(persist.ReleaseAndGetAddressOf())), S_OK);
        return persist->Save(Wide(path).c_str(), TRUE);
    }

    com::ScopedCoInitialize Com_;
    shelltest::ShellEnvironment Env_;
};

TEST_F(ShellLinkTest, EveryFieldSurvivesSaveAndLoad)
{
    ASSERT_TRUE(com::IsClassRegistered(CLSID_ShellLink));
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_TRUE(link);
    com::ComPtr<IPersistFile> persist = Persist(link);
    ASSERT_TRUE(persist);
    CLSID classId{};
    EXPECT_EQ(persist->GetClassID(&classId), S_OK);
    EXPECT_EQ(classId, CLSID_ShellLink);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    const std::string target = Env_ / "Documents/report 100%.txt";
    std::filesystem::create_directories(Env_ / "Documents");
    WriteFile(target, "text");
    EXPECT_EQ(link->SetPath(target.c_str()), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    EXPECT_EQ(link->SetDescription("The \"monthly\" report\nsecond line"), S_OK);
    EXPECT_EQ(link->SetArguments("--page 3 \"two words\""), S_OK);
    EXPECT_EQ(link->SetIconLocation("/usr/share/icons/report.png", 7), S_OK);
    EXPECT_EQ(link->SetWorkingDirectory((Env_ / "Documents").c_str()), S_OK);
    EXPECT_EQ(link->SetHotkey(static_cast<WORD>((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'R')), S_OK);
    EXPECT_EQ(link->SetShowCmd(3), S_OK);

    // Exactly the name given: no extension is added.
    const std::string file = Env_ / "Report link";
    ASSERT_EQ(persist->Save(Wide(file).c_str(), TRUE), S_OK);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".desktop"));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    LPOLESTR current = nullptr;
    ASSERT_EQ(persist->GetCurFile(&current), S_OK);
    EXPECT_EQ(win32::WideToBytes(current), file);
    CoTaskMemFree(current);
    // Written as asked, but only a ".desktop" name is taken for a shortcut.
    EXPECT_FALSE(shell32::IsShortcut(file));
    std::filesystem::copy_file(file, file + ".desktop");
    EXPECT_TRUE(shell32::IsShortcut(file + ".desktop"));

    com::ComPtr<IShellLinkA> loaded = NewLink();
    ASSERT_EQ(Load(loaded.Get(), file), S_OK);
    char text[512];
    WIN32_FIND_DATAA found{};
    ASSERT_EQ(loaded->GetPath(text, sizeof text, &found, SLGP_RAWPATH), S_OK);
    EXPECT_EQ(std::string(text), target);
    EXPECT_STREQ(found.cFileName, "report 100%.txt");
    EXPECT_EQ(found.nFileSizeLow, 4u);
    ASSERT_EQ(loaded->GetDescription(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "The \"monthly\" report\nsecond line");
    ASSERT_EQ(loaded->GetArguments(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "--page 3 \"two words\"");
    int index = 0;
    ASSERT_EQ(loaded->GetIconLocation(text, sizeof text, &index), S_OK);
    EXPECT_STREQ(text, "/usr/share/icons/report.png");
    EXPECT_EQ(index, 7);
    ASSERT_EQ(loaded->GetWorkingDirectory(text, sizeof text), S_OK);
    EXPECT_EQ(std::string(text), Env_ / "Documents");
    WORD hotKey = 0;
    EXPECT_EQ(loaded->GetHotkey(&hotKey), S_OK);
    EXPECT_EQ(hotKey, static_cast<WORD>((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'R'));
    int show = 0;
    EXPECT_EQ(loaded->GetShowCmd(&show), S_OK);
    EXPECT_EQ(show, 3);
    EXPECT_EQ(Persist(loaded)->IsDirty(), S_FALSE);

    // Saving again through the current name replaces the file whole.
    EXPECT_EQ(loaded->SetDescription(""), S_OK);
    EXPECT_EQ(Persist(loaded)->Save(nullptr, FALSE), S_OK);
    EXPECT_EQ(ReadFile(file).find("Comment="), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(Env_.Home()))
        EXPECT_EQ(entry.path().filename().string().find(".Report link."), std::string::npos)
            << "temporary left";
}

TEST_F(ShellLinkTest, ProgramsWithAwkwardNamesAreQuotedForExec)
{
    const std::string program = Env_ / "my app %1 $HOME \"q\" `x` \\.sh";
    WriteFile(program, "#!/bin/sh\n");
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetPath(program.c_str()), S_OK);
    ASSERT_EQ(link->SetArguments("--name \"two words\" 100% $PATH"), S_OK);
    const std::string file = Env_ / "app.desktop";
    ASSERT_EQ(Save(link.Get(), file), S_OK);

    // What a launcher runs: Exec unquoted, then "%%" made '%'.
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos) << text;
    std::optional<shell32::ShortcutData> parsed = shell32::ParseDesktopEntry(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(parsed->target, program);
    EXPECT_EQ(parsed->arguments, "--name \"two words\" 100% $PATH");
    const std::size_t execAt = text.find("\nExec=");
    ASSERT_NE(execAt, std::string::npos);
    const std::string execLine = text.substr(execAt + 6, text.find('\n', execAt + 1) - execAt - 6);
    EXPECT_NE(execLine.find("%%1"), std::string::npos) << execLine;
    if (const auto verdict = kwtest::ValidateDesktopFile(file)) {
        EXPECT_EQ(verdict->first, 0) << verdict->second << text;
    } else {
        GTEST_LOG_(INFO) << "desktop-file-validate is not installed: the entry was not validated";
    }

    com::ComPtr<IShellLinkA> loaded = NewLink();
    ASSERT_EQ(Load(loaded.Get(), file), S_OK);
    EXPECT_EQ(Path(loaded.Get()), program);
    EXPECT_EQ(loaded->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH), S_OK);
}

TEST_F(ShellLinkTest, DocumentsAndUrlsBecomeLinksWhateverTheirBytes)
{
    const std::string document = Env_ / std::string("caf\xE9 # ?.odt"); // not UTF-8
    WriteFile(document, "x");
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetPath(document.c_str()), S_OK);
    const std::string file = Env_ / "doc.desktop";
    ASSERT_EQ(Save(link.Get(), file), S_OK);
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("Type=Link\n"), std::string::npos);
    EXPECT_NE(text.find("URL=file://"), std::string::npos);
    EXPECT_NE(text.find("%E9"), std::string::npos) << "the byte travels percent-encoded";
    if (const auto verdict = kwtest::ValidateDesktopFile(file)) {
        EXPECT_EQ(verdict->first, 0) << verdict->second << text;
    }
    com::ComPtr<IShellLinkA> loaded = NewLink();
    ASSERT_EQ(Load(loaded.Get(), file), S_OK);
    EXPECT_EQ(Path(loaded.Get()), document);

    ASSERT_EQ(link->SetPath("https://example.org/a b"), S_OK);
    ASSERT_EQ(Save(link.Get(), file), S_OK);
    ASSERT_EQ(Load(loaded.Get(), file), S_OK);
    EXPECT_EQ(Path(loaded.Get()), "https://example.org/a b");
    LPITEMIDLIST pidl = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(loaded->GetIDList(&pidl), S_FALSE) << "a URL is no item of the namespace";
    EXPECT_EQ(pidl, nullptr);

    // Text the format must carry as UTF-8 is refused, never written mangled.
    ASSERT_EQ(link->SetArguments("\xFF"), S_OK);
    EXPECT_EQ(Save(link.Get(), Env_ / "bad.desktop"), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_FALSE(std::filesystem::exists(Env_ / "bad.desktop"));
    com::ComPtr<IShellLinkA> empty = NewLink();
    EXPECT_EQ(Save(empty.Get(), Env_ / "none.desktop"), E_INVALIDARG);
    EXPECT_EQ(Save(loaded.Get(), Env_ / "missing folder/x.desktop"),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

TEST_F(ShellLinkTest, BuffersAreNeverOverrunNorPathsCut)
{
    com::ComPtr<IShellLinkA> link = NewLink();
    const std::string target = "/opt/" + std::string(300, 'p');
    ASSERT_EQ(link->SetPath(target.c_str()), S_OK);
    ASSERT_EQ(link->SetDescription("twelve chars"), S_OK);

    char buffer[400];
    std::memset(buffer, 'Z', sizeof buffer);
    const int exact = static_cast<int>(target.size() + 1);
    EXPECT_EQ(link->GetPath(buffer, exact - 1, nullptr, 0), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], '\0') << "no cut path is handed out";
    EXPECT_EQ(buffer[exact - 1], 'Z');
    EXPECT_EQ(link->GetPath(buffer, 261, nullptr, 0), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(link->GetPath(buffer, exact, nullptr, 0), S_OK);
    EXPECT_EQ(std::string(buffer), target);
    EXPECT_EQ(buffer[exact], 'Z');

    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(link->GetDescription(buffer, 12), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[12], 'Z');
    EXPECT_EQ(link->GetDescription(buffer, 13), S_OK);
    EXPECT_EQ(link->GetDescription(buffer, 0), E_INVALIDARG);
    EXPECT_EQ(link->GetDescription(nullptr, 10), E_INVALIDARG);
    EXPECT_EQ(link->GetArguments(buffer, 1), S_OK);
    EXPECT_STREQ(buffer, "");
    int index = -1;
    EXPECT_EQ(link->GetIconLocation(buffer, 5, nullptr), E_POINTER);
    EXPECT_EQ(link->GetIconLocation(buffer, 5, &index), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(link->GetHotkey(nullptr), E_POINTER);

    com::ComPtr<IShellLinkA> empty = NewLink();
    WIN32_FIND_DATAA found;
    std::memset(&found, 0x55, sizeof found);
    EXPECT_EQ(empty->GetPath(buffer, sizeof buffer, &found, 0), S_FALSE);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(found.dwFileAttributes, 0u);
}

TEST_F(ShellLinkTest, OnlyShortcutsLoadAndFailuresChangeNothing)
{
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetPath("/bin/sh"), S_OK);
    ASSERT_EQ(link->SetDescription("kept"), S_OK);

    WriteFile(Env_ / "plain.txt", "just text\n");
    WriteFile(Env_ / "folder.desktop", "[Desktop Entry]\nType=Directory\nName=x\n");
    WriteFile(Env_ / "nourl.desktop", "[Desktop Entry]\nType=Link\nName=x\n");
    WriteFile(Env_ / "noexec.desktop", "[Desktop Entry]\nType=Application\nName=x\nExec=\"open\n");
    WriteFile(Env_ / "second.desktop", "[Other]\nA=b\n[Desktop Entry]\nType=Link\nURL=file:///x\nName=x\n");
    std::filesystem::create_directories(Env_ / "dir.desktop");
    ASSERT_EQ(mkfifo((Env_ / "pipe.desktop").c_str(), 0600), 0);
    for (const char* name : {"plain.txt", "folder.desktop", "nourl.desktop", "noexec.desktop",
                             "second.desktop", "dir.desktop", "pipe.desktop"}) {
        EXPECT_EQ(Load(link.Get(), Env_ / name), E_FAIL) << name;
        EXPECT_FALSE(shell32::IsShortcut(Env_ / name)) << name;
    }
    EXPECT_EQ(Load(link.Get(), Env_ / "missing.desktop"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Path(link.Get()), "/bin/sh");
    char text[64];
    ASSERT_EQ(link->GetDescription(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(Persist(link)->IsDirty(), S_OK) << "still the unsaved object it was";

    // Other programs' entries: field codes go, the rest are arguments.
    WriteFile(Env_ / "Browser.desktop",
              "# made elsewhere\n\n[Desktop Entry]\nType=Application\nName=Browser\n"
              "Exec=firefox --new-window %u \"a b\"\nComment=Browse\n");
    ASSERT_TRUE(shell32::IsShortcut(Env_ / "Browser.desktop"));
    ASSERT_EQ(Load(link.Get(), Env_ / "Browser.desktop"), S_OK);
    EXPECT_EQ(Path(link.Get()), "firefox");
    ASSERT_EQ(link->GetArguments(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "--new-window \"a b\"");
}

TEST_F(ShellLinkTest, SymbolicLinksResolveToTheirTarget)
{
    std::filesystem::create_directories(Env_ / "data");
    WriteFile(Env_ / "data/file.txt", "x");
    std::filesystem::create_symlink("data/file.txt", Env_ / "relative link");
    std::filesystem::create_symlink(Env_ / "gone", Env_ / "dangling");
    EXPECT_TRUE(shell32::IsShortcut(Env_ / "relative link"));
    EXPECT_TRUE(shell32::IsShortcut(Env_ / "dangling"));

    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(Load(link.Get(), Env_ / "relative link"), S_OK);
    const std::string target = Path(link.Get());
    EXPECT_EQ(std::filesystem::canonical(target), std::filesystem::canonical(Env_ / "data/file.txt"));
    EXPECT_EQ(link->Resolve(nullptr, SLR_NO_UI), S_OK);

    // A link named from the current directory still gives an absolute target.
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(Env_ / "data");
    com::ComPtr<IShellLinkA> local = NewLink();
    const HRESULT loadedLocally = Load(local.Get(), "../relative link");
    const std::string localTarget = SUCCEEDED(loadedLocally) ? Path(local.Get()) : std::string();
    std::filesystem::current_path(saved);
    ASSERT_EQ(loadedLocally, S_OK);
    ASSERT_FALSE(localTarget.empty());
    EXPECT_EQ(localTarget.front(), '/') << localTarget;
    EXPECT_EQ(std::filesystem::canonical(localTarget), std::filesystem::canonical(Env_ / "data/file.txt"));

    // The target's item id list leads back to its path.
    LPITEMIDLIST pidl = nullptr;
    ASSERT_EQ(link->GetIDList(&pidl), S_OK);
    shelltest::Pidl owned(pidl);
    char path[4096];
    ASSERT_TRUE(SHGetPathFromIDListA(pidl, path, sizeof path));
    EXPECT_EQ(std::filesystem::canonical(path), std::filesystem::canonical(target));
    com::ComPtr<IShellLinkA> other = NewLink();
    ASSERT_EQ(other->SetIDList(pidl), S_OK);
    EXPECT_EQ(Path(other.Get()), std::string(path));
    EXPECT_EQ(other->SetIDList(nullptr), E_INVALIDARG);

    ASSERT_EQ(Load(link.Get(), Env_ / "dangling"), S_OK);
    EXPECT_EQ(Path(link.Get()), Env_ / "gone");
    EXPECT_EQ(link->Resolve(nullptr, SLR_NO_UI), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(ShellLinkTest, ResolveFollowsAMovedTreeThroughTheRelativePath)
{
    std::filesystem::create_directories(Env_ / "project/bin");
    WriteFile(Env_ / "project/bin/tool", "x");
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetPath((Env_ / "project/bin/tool").c_str()), S_OK);
    ASSERT_EQ(link->SetRelativePath((Env_ / "project/links/tool.desktop").c_str(), 0), S_OK);
    std::filesystem::create_directories(Env_ / "project/links");
    ASSERT_EQ(Save(link.Get(), Env_ / "project/links/tool.desktop"), S_OK);
    EXPECT_NE(ReadFile(Env_ / "project/links/tool.desktop").find("X-Corvane-RelativePath=../bin/tool"),
              std::string::npos);

    std::filesystem::rename(Env_ / "project", Env_ / "moved");
    com::ComPtr<IShellLinkA> loaded = NewLink();
    ASSERT_EQ(Load(loaded.Get(), Env_ / "moved/links/tool.desktop"), S_OK);
    EXPECT_EQ(Path(loaded.Get()), Env_ / "project/bin/tool");
    EXPECT_EQ(loaded->Resolve(nullptr, SLR_NO_UI | SLR_UPDATE), S_OK);
    EXPECT_EQ(Path(loaded.Get()), Env_ / "moved/bin/tool");
    EXPECT_EQ(Persist(loaded)->IsDirty(), S_FALSE) << "SLR_UPDATE saved the found target";
    EXPECT_EQ(shell32::ParseDesktopEntry(ReadFile(Env_ / "moved/links/tool.desktop"))->target,
              Env_ / "moved/bin/tool");
    std::filesystem::remove_all(Env_ / "moved/bin");
    EXPECT_EQ(loaded->Resolve(nullptr, SLR_NO_UI), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(ShellLinkTest, NothingIsGuessedFromARemovedCurrentDirectory)
{
    WriteFile(Env_ / "doc.txt", "x");
    com::ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetPath((Env_ / "doc.txt").c_str()), S_OK);
    const kwtest::RemovedCurrentDirectory removed;
    const HRESULT pathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    const struct {
        const char* what;
        std::function<bool()> refused;
    } cases[] = {
        {"a relative target", [&] { return link->SetPath("doc.txt") == pathNotFound; }},
        {"a dotted target", [&] { return link->SetPath("./doc.txt") == pathNotFound; }},
        {"a relative shortcut name",
         [&] { return link->SetRelativePath("link.desktop", 0) == pathNotFound; }},
        {"a relative item path",
         [&] {
             SHFILEINFOA info{};
             return SHGetFileInfoA("doc.txt", 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0;
         }},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.refused()) << c.what;
        EXPECT_EQ(Path(link.Get()), Env_ / "doc.txt") << c.what << ": the link is left as it was";
    }
}

TEST(DesktopEntryText, ExecQuotingRoundTrips)
{
    const std::vector<std::string> arguments = {"plain", "",           "two words",  "100%",
                                                "%f",    "\"quoted\"", "a\\b",       "$HOME",
                                                "`cmd`", "tab\there",  "semi;colon", "~user"};
    std::string exec;
    for (const std::string& argument : arguments)
        exec += (exec.empty() ? "" : " ") + shell32::QuoteExecArgument(argument);
    const std::optional<std::vector<std::string>> words = shell32::SplitExecLine(exec);
    ASSERT_TRUE(words) << exec;
    ASSERT_EQ(words->size(), arguments.size()) << exec;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string unescaped; // the launcher's "%%" -> '%'
        for (std::size_t j = 0; j < (*words)[i].size(); ++j) {
            unescaped.push_back((*words)[i][j]);
            if ((*words)[i][j] == '%')
                ++j;
        }
        EXPECT_EQ(unescaped, arguments[i]) << exec;
    }
    EXPECT_EQ(shell32::QuoteExecArgument("plain"), "plain");
    EXPECT_FALSE(shell32::SplitExecLine("prog \"open"));

    // A target that starts with a control byte is quoted, or the key-file
    // reader would take the byte off as leading white space.
    shell32::ShortcutData data;
    data.target = "\fopt%1";
    data.arguments = "--name d=3";
    std::string written;
    ASSERT_EQ(shell32::FormatDesktopEntry(data, shell32::EntryKind::Application, "x", written), S_OK);
    const auto again = shell32::ParseDesktopEntry(written);
    ASSERT_TRUE(again) << written;
    EXPECT_EQ(again->target, data.target) << written;

    // A program named by a file URL is its local path, as a link's URL is,
    // so that it reads the same written either way; another host's is none.
    struct Exec {
        const char* Line;
        std::optional<std::string> Target;
    };
    const Exec execs[] = {{"file:///opt/notes%20100%25.txt", "/opt/notes 100%.txt"},
                          {"file://localhost/opt/app", "/opt/app"},
                          {"file://elsewhere/opt/app", std::nullopt}};
    for (const Exec& e : execs) {
        SCOPED_TRACE(e.Line);
        const auto read = shell32::ParseDesktopEntry(
            std::string("[Desktop Entry]\nType=Application\nName=x\nExec=") + e.Line + "\n");
        ASSERT_EQ(read.has_value(), e.Target.has_value());
        if (!read)
            continue;
        EXPECT_EQ(read->target, *e.Target);
        for (const auto kind : {shell32::EntryKind::Link, shell32::EntryKind::Application}) {
            std::string again;
            ASSERT_EQ(shell32::FormatDesktopEntry(*read, kind, "x", again), S_OK);
            EXPECT_EQ(shell32::ParseDesktopEntry(again), read) << again;
        }
    }

    EXPECT_EQ(shell32::SplitArguments("  a  \"b c\" \"\" d\"e f\"g"),
              (std::vector<std::string>{"a", "b c", "", "de fg"}));
    EXPECT_EQ(shell32::JoinArguments({"a", "b c", ""}), "a \"b c\" \"\"");
    EXPECT_TRUE(shell32::IsUrl("https://x"));
    EXPECT_FALSE(shell32::IsUrl("/path/with://inside"));
    EXPECT_FALSE(shell32::IsUrl("://x"));
}

} // namespace
