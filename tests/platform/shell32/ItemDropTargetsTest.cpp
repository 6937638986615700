// Drop targets of items and the factory that answers them with the context
// menus: the effect each key state gives, what a drop does to the files, a
// launchable desktop entry getting the files through the open hook, and the
// interfaces passed on to the factory installed before.

#include "shell32/ItemDropTargets.h"
#include "shell32/FileDataObjects.h"
#include "shell32/Opening.h"
#include "shell32/ShellUIObjects.h"
#include "win32/VirtualKeys.h"

#include "ClipboardTestHelpers.h"
#include "PlatformTestSupport.h"
#include "ShellTestHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using com::ComPtr;

namespace {

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST(DropEffectForKeys, KeysChooseAndTheAllowedEffectsLimit)
{
    struct Case {
        DWORD keys;
        DWORD allowed;
        bool sameFileSystem;
        DWORD effect;
    };
    const Case cases[] = {
        {MK_LBUTTON, kAll, true, DROPEFFECT_MOVE},
        {MK_LBUTTON, kAll, false, DROPEFFECT_COPY},
        {MK_CONTROL, kAll, true, DROPEFFECT_COPY},
        {MK_SHIFT, kAll, false, DROPEFFECT_MOVE},
        {MK_CONTROL | MK_SHIFT, kAll, true, DROPEFFECT_LINK},
        {MK_ALT, kAll, false, DROPEFFECT_LINK},
        {MK_ALT | MK_CONTROL, kAll, false, DROPEFFECT_LINK},
        // A chosen effect that is not allowed is none at all.
        {MK_SHIFT, DROPEFFECT_COPY, true, DROPEFFECT_NONE},
        {MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, true, DROPEFFECT_NONE},
        // Without keys the others stand in: copy or move, then link.
        {0, DROPEFFECT_COPY | DROPEFFECT_LINK, true, DROPEFFECT_COPY},
        {0, DROPEFFECT_MOVE, false, DROPEFFECT_MOVE},
        {0, DROPEFFECT_LINK, false, DROPEFFECT_LINK},
        {0, DROPEFFECT_NONE, true, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shell32::DropEffectForKeys(c.keys, c.allowed, c.sameFileSystem), c.effect)
            << "keys " << c.keys << " allowed " << c.allowed << " same " << c.sameFileSystem;
    }
}

std::vector<shell32::OpenRequest> g_launched;
BOOL RecordLaunch(const shell32::OpenRequest& request)
{
    g_launched.push_back(request);
    return TRUE;
}

class ItemDropTargetsTest : public testing::Test {
protected:
    shelltest::ShellEnvironment Env;
    cliptest::OleScope Ole;
    shell32::OpenHook BeforeHook = shell32::SetOpenHook(RecordLaunch);

    ItemDropTargetsTest()
    {
        g_launched.clear();
        for (const char* dir : {"from", "to", "sendto"})
            std::filesystem::create_directories(Env / dir);
        kwtest::WriteFile(Env / "from/f.bin", "data");
        kwtest::WriteFile(Env / "from/g.bin", "more");
    }
    ~ItemDropTargetsTest() override { shell32::SetOpenHook(BeforeHook); }

    ComPtr<IDataObject> Files(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names)
            paths.push_back(Env / name);
        ComPtr<IDataObject> data;
        EXPECT_EQ(shell32::MakeFilesDataObject(paths, DROPEFFECT_NONE, data.ReleaseAndGetAddressOf()), S_OK);
        return data;
    }

    // The item's UI object as a folder's GetUIObjectOf answers it.
    HRESULT UIObject(const std::string& folder, const std::string& name, REFIID riid, void** out)
    {
        ComPtr<IShellFolder> parent = shelltest::BindPath(Env / folder);
        shelltest::Pidl item = shelltest::ParseOk(parent.Get(), name);
        LPCITEMIDLIST items[] = {item.get()};
        return parent->GetUIObjectOf(nullptr, 1, items, riid, nullptr, out);
    }

    static bool Exists(const std::string& path)
    {
        return std::filesystem::symlink_status(path).type() != std::filesystem::file_type::not_found;
    }
};

TEST_F(ItemDropTargetsTest, ADropOnAFolderCopiesMovesOrLinksByTheKeys)
{
    struct Case {
        const char* name;
        DWORD keys;
        DWORD effect;
        bool sourceStays;
        bool linked;
    };
    const Case cases[] = {
        {"plain: a move on one file system", MK_LBUTTON, DROPEFFECT_MOVE, false, false},
        {"Ctrl copies", MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY, true, false},
        {"Ctrl+Shift links", MK_LBUTTON | MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK, true, true},
    };
    shell32::InstallShellUIObjects();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kwtest::WriteFile(Env / "from/f.bin", "data");
        std::filesystem::remove(Env / "to/f.bin");
        ComPtr<IDropTarget> target;
        ASSERT_EQ(UIObject(".", "to", IID_IDropTarget, target.ReleaseAndGetVoidAddress()), S_OK);
        ComPtr<IDataObject> data = Files({"from/f.bin"});
        DWORD effect = kAll;
        ASSERT_EQ(target->DragEnter(data.Get(), c.keys, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect);
        effect = kAll;
        ASSERT_EQ(target->Drop(data.Get(), c.keys, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(kwtest::ReadFile(Env / "to/f.bin"), "data");
        EXPECT_EQ(Exists(Env / "from/f.bin"), c.sourceStays);
        EXPECT_EQ(std::filesystem::is_symlink(Env / "to/f.bin"), c.linked);
    }
    shell32::UninstallShellUIObjects();
}

TEST_F(ItemDropTargetsTest, LeavingForgetsAndNothingWithoutFilesIsTaken)
{
    ComPtr<IDropTarget> target;
    ASSERT_EQ(shell32::MakeFolderDropTarget(nullptr, Env / "to", target.ReleaseAndGetAddressOf()), S_OK);
    DWORD effect = kAll;
    ASSERT_EQ(target->DragEnter(Files({"from/f.bin"}).Get(), MK_CONTROL, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    ASSERT_EQ(target->DragLeave(), S_OK);
    effect = kAll;
    ASSERT_EQ(target->DragOver(MK_CONTROL, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE) << "the data left with the drag";

    ComPtr<IDataObject> empty;
    ASSERT_EQ(com::CreatePlainDataObject(empty.ReleaseAndGetAddressOf()), S_OK);
    effect = kAll;
    ASSERT_EQ(target->Drop(empty.Get(), MK_CONTROL, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    // A drop whose allowed effects leave nothing does nothing.
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(target->Drop(Files({"from/f.bin"}).Get(), MK_SHIFT, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_FALSE(Exists(Env / "to/f.bin"));
}

TEST_F(ItemDropTargetsTest, SendToEntriesLaunchOrCopyAndTheRestAreNotTargets)
{
    const std::string app = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/true %F\n";
    kwtest::WriteFile(Env / "sendto/viewer.desktop", app);
    chmod((Env / "sendto/viewer.desktop").c_str(), 0755);
    kwtest::WriteFile(Env / "sendto/plain.desktop", app);
    kwtest::WriteFile(Env / "sendto/folder.desktop",
                      "[Desktop Entry]\nType=Link\nName=To\nURL=file://" + (Env / "to") + "\n");
    kwtest::WriteFile(Env / "sendto/note.bin", "x");
    std::filesystem::create_symlink(Env / "to", Env / "sendto/to-link");
    struct Case {
        const char* entry;
        HRESULT answer;
        std::vector<std::string> launchedWith; // empty: no launch
        bool copied;
    };
    const Case cases[] = {
        {"viewer.desktop", S_OK, {Env / "from/f.bin", Env / "from/g.bin"}, false},
        {"plain.desktop", E_NOINTERFACE, {}, false}, // may not be run
        {"note.bin", E_NOINTERFACE, {}, false},
        {"folder.desktop", S_OK, {}, true},
        {"to-link", S_OK, {}, true},
    };
    shell32::InstallShellUIObjects();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        g_launched.clear();
        std::filesystem::remove(Env / "to/f.bin");
        std::filesystem::remove(Env / "to/g.bin");
        ComPtr<IDropTarget> target;
        ASSERT_EQ(UIObject("sendto", c.entry, IID_IDropTarget, target.ReleaseAndGetVoidAddress()), c.answer);
        if (!target)
            continue;
        // As Send To plays it: a copy allowed, the left button held.
        ComPtr<IDataObject> data = Files({"from/f.bin", "from/g.bin"});
        DWORD effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{}, &effect), S_OK);
        ASSERT_EQ(target->Drop(data.Get(), MK_LBUTTON, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, DROPEFFECT_COPY);
        if (c.launchedWith.empty()) {
            EXPECT_TRUE(g_launched.empty());
        } else {
            ASSERT_EQ(g_launched.size(), 1u);
            EXPECT_EQ(g_launched[0].target, Env / ("sendto/" + std::string(c.entry)));
            EXPECT_EQ(g_launched[0].files, c.launchedWith);
        }
        EXPECT_EQ(Exists(Env / "to/f.bin"), c.copied);
        EXPECT_TRUE(Exists(Env / "from/f.bin"));
    }
    shell32::UninstallShellUIObjects();
}

TEST_F(ItemDropTargetsTest, TheFactoryPassesOnWhatItDoesNotAnswer)
{
    std::vector<std::string> passed;
    shell32::UIObjectFactory before = shell32::SetUIObjectFactory(
        [&passed](const shell32::UIObjectRequest& request, REFIID riid, void** out) {
            passed.push_back(request.items.empty() ? std::string() : std::string(request.items[0].text));
            *out = nullptr;
            return IsEqualIID(riid, IID_IExtractIcon) ? E_FAIL : E_NOINTERFACE;
        });
    shell32::InstallShellUIObjects();
    shell32::InstallShellUIObjects(); // once: a second install does not chain itself

    ComPtr<IUnknown> object;
    EXPECT_EQ(UIObject("from", "f.bin", IID_IContextMenu, object.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(UIObject("from", "f.bin", IID_IContextMenu2, object.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(UIObject("from", "f.bin", IID_IExtractIcon, object.ReleaseAndGetVoidAddress()), E_FAIL);
    EXPECT_EQ(UIObject("from", "f.bin", IID_IDropTarget, object.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(passed, (std::vector<std::string>{"f.bin", "f.bin", "f.bin"}));

    shell32::UninstallShellUIObjects();
    passed.clear();
    EXPECT_EQ(UIObject("from", "f.bin", IID_IContextMenu, object.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(passed, std::vector<std::string>{"f.bin"}) << "the one before is back";
    shell32::SetUIObjectFactory(std::move(before));
}

} // namespace
