// Where the drop targets of tree nodes and of absolute lists are asked for,
// seen through a UI-object factory that records every request.

#include "ShellControlsTestSupport.h"

#include "com/ComObject.h"
#include "shell32/Folders.h"
#include "shell32/ShellApi.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace kw;
using kwtest::FolderListOwner;
using kwtest::ListOfPath;
using kwtest::OwnedList;

namespace {

class TRecordedDropTarget : public com::ComObject<IDropTarget> {
public:
    TRecordedDropTarget() { ++Live; }
    ~TRecordedDropTarget() override { --Live; }
    HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT DragLeave() override { return S_OK; }
    HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }

    static inline int Live = 0;
};

struct Request {
    std::string Folder; // the asked folder's own path
    std::vector<std::string> Items;
    HWND Owner = nullptr;
    bool DropTarget = false;
};

// Installs a factory that records what it is asked and answers drop targets.
class RecordingFactory {
public:
    RecordingFactory()
    {
        Before_ = shell32::SetUIObjectFactory(
            [this](const shell32::UIObjectRequest& request, REFIID riid, void** out) {
                Request seen;
                seen.Folder = request.context && request.context->ownPath ? *request.context->ownPath : "?";
                for (const shell32::ItemView& item : request.items)
                    seen.Items.emplace_back(item.text);
                seen.Owner = request.owner;
                seen.DropTarget = IsEqualIID(riid, IID_IDropTarget);
                Requests.push_back(seen);
                if (!seen.DropTarget)
                    return E_NOINTERFACE;
                return com::MakeComObject<TRecordedDropTarget>().QueryInterface(riid, out);
            });
    }
    ~RecordingFactory() { shell32::SetUIObjectFactory(std::move(Before_)); }
    RecordingFactory(const RecordingFactory&) = delete;
    RecordingFactory& operator=(const RecordingFactory&) = delete;

    std::vector<Request> Requests;

private:
    shell32::UIObjectFactory Before_;
};

HWND SomeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1230));
}

class UIObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Installed = shell32::SetUIObjectFactory(nullptr);
        std::filesystem::create_directories(In("a/b"));
        Base = ListOfPath(In("a"));
        Top.SetData(nullptr, Base.Get());
        FolderListOwner inA(In("a"));
        Child.SetData(&Top, inA.ItemNamed("b").Get());
        DesktopTop.SetData(nullptr, nullptr);
        Deep = ListOfPath(In("a/b"));
    }
    // The factory the shell's start-up installed comes back for later tests.
    void TearDown() override { shell32::SetUIObjectFactory(std::move(Installed)); }
    shell32::UIObjectFactory Installed;

    std::string In(const std::string& name) const { return Home.Home() + "/tree/" + name; }

    struct Route {
        const char* name;
        std::function<HRESULT(IDropTarget**)> ask;
        std::string folder;
        std::vector<std::string> items;
        HWND owner;
    };
    std::vector<Route> Routes()
    {
        return {
            {"a node: one item on its parent's folder",
             [this](IDropTarget** t) { return Child.GetIDropTarget(SomeWindow(), t); },
             In("a"),
             {"b"},
             SomeWindow()},
            {"the top node: through its list's parent folder",
             [this](IDropTarget** t) { return Top.GetIDropTarget(SomeWindow(), t); },
             Home.Home() + "/tree",
             {"a"},
             nullptr},
            {"the top node at the desktop: the desktop directory",
             [this](IDropTarget** t) { return DesktopTop.GetIDropTarget(SomeWindow(), t); },
             Home.Home(),
             {"Desktop"},
             nullptr},
            {"the desktop's drop target",
             [](IDropTarget** t) { return GetDesktopDropTarget(t); },
             Home.Home(),
             {"Desktop"},
             nullptr},
            {"an absolute list",
             [this](IDropTarget** t) {
                 return GetUIObjectOfIdList(Deep.Get(), IID_IDropTarget, reinterpret_cast<void**>(t));
             },
             In("a"),
             {"b"},
             nullptr},
        };
    }

    kwtest::ScopedHome Home;
    OwnedList Base;
    OwnedList Deep;
    TKwShTreeData Top{nullptr};
    TKwShTreeData Child{nullptr};
    TKwShTreeData DesktopTop{nullptr};
};

TEST_F(UIObjectsTest, DropTargetsAreAskedOfTheFolderHoldingTheItem)
{
    for (const Route& route : Routes()) {
        RecordingFactory factory;
        IDropTarget* target = nullptr;
        ASSERT_EQ(S_OK, route.ask(&target)) << route.name;
        ASSERT_NE(nullptr, target) << route.name;
        EXPECT_EQ(1, TRecordedDropTarget::Live) << route.name;
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, POINTL{0, 0}, &effect)) << route.name;
        target->Release();
        EXPECT_EQ(0, TRecordedDropTarget::Live) << route.name << ": a reference was kept";
        ASSERT_EQ(1u, factory.Requests.size()) << route.name;
        const Request& request = factory.Requests.front();
        EXPECT_TRUE(request.DropTarget) << route.name;
        EXPECT_EQ(route.folder, request.Folder) << route.name;
        EXPECT_EQ(route.items, request.Items) << route.name;
        EXPECT_EQ(route.owner, request.Owner) << route.name;
    }
}

TEST_F(UIObjectsTest, WithoutAFactoryThereIsNoDropTargetAndNothingIsHeld)
{
    // The nodes' absolute lists are theirs to keep: built before counting.
    for (TKwShTreeData* node : {&Top, &Child, &DesktopTop})
        node->GetAbsPidl();
    for (const Route& route : Routes()) {
        const long long live = com::testing::LiveTaskAllocations();
        IDropTarget* target = reinterpret_cast<IDropTarget*>(static_cast<std::uintptr_t>(0x10));
        EXPECT_EQ(E_NOINTERFACE, route.ask(&target)) << route.name;
        EXPECT_EQ(nullptr, target) << route.name;
        EXPECT_EQ(0, TRecordedDropTarget::Live) << route.name;
        EXPECT_EQ(live, com::testing::LiveTaskAllocations()) << route.name;
    }
}

TEST_F(UIObjectsTest, SplitsAnAbsoluteListIntoParentFolderAndLastItem)
{
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Out()));
    const OwnedList empty = kwtest::MakeList({});
    struct Case {
        const char* name;
        const ITEMIDLIST* abs;
        std::string parentPath; // "" for a parent without a path
        bool parentList;
        std::string lastPath; // the last item's path through the parent list
    };
    const std::vector<Case> cases = {
        {"a list of many items", Deep.Get(), In("a"), true, In("a/b")},
        {"one item: in the desktop", computer.Get(), "", false, ""},
        {"the desktop: its directory", empty.Get(), Home.Home(), true, Home.Desktop()},
        {"nil: the desktop's directory", nullptr, Home.Home(), true, Home.Desktop()},
    };
    for (const Case& c : cases) {
        IShellFolder* folder = nullptr;
        PItemIDList parent = nullptr;
        PItemIDList last = nullptr;
        ASSERT_EQ(S_OK, GetParentFolderAndItem(c.abs, &folder, &parent, &last)) << c.name;
        ASSERT_NE(nullptr, folder) << c.name;
        ASSERT_NE(nullptr, last) << c.name;
        EXPECT_EQ(1, TKwIdListArray(last).GetCount()) << c.name;
        EXPECT_EQ(c.parentList, parent != nullptr) << c.name;
        if (parent) {
            EXPECT_EQ(c.parentPath, ShellGetPathFromIdList(parent)) << c.name;
            const OwnedList whole(ConcatIdLists(nullptr, parent, last));
            EXPECT_EQ(c.lastPath, ShellGetPathFromIdList(whole.Get())) << c.name;
        } else {
            EXPECT_EQ(0, CompareAbsIdLists(c.abs, last)) << c.name;
        }
        folder->Release();
        ShellMemFree(parent);
        ShellMemFree(last);
    }
}

TEST_F(UIObjectsTest, AListThatLeadsNowhereLeavesEveryOutputNull)
{
    const OwnedList gone = ListOfPath(In("a/b"));
    std::filesystem::remove_all(In("a"));
    IShellFolder* folder = nullptr;
    PItemIDList parent = nullptr;
    PItemIDList last = nullptr;
    EXPECT_TRUE(FAILED(GetParentFolderAndItem(gone.Get(), &folder, &parent, &last)));
    EXPECT_EQ(nullptr, folder);
    EXPECT_EQ(nullptr, parent);
    EXPECT_EQ(nullptr, last);
    RecordingFactory factory;
    IDropTarget* target = nullptr;
    EXPECT_TRUE(FAILED(GetUIObjectOfIdList(gone.Get(), IID_IDropTarget, reinterpret_cast<void**>(&target))));
    EXPECT_EQ(nullptr, target);
    EXPECT_TRUE(factory.Requests.empty());
    EXPECT_EQ(E_POINTER, GetParentFolderAndItem(gone.Get(), nullptr, &parent, &last));
    EXPECT_EQ(E_POINTER, GetDesktopDropTarget(nullptr));
}

} // namespace

TEST(TopFormHandleTest, IsTheWindowOfTheFormAtTheTopOfTheParentChain)
{
    vcl::TOwnedPtr<vcl::TForm> form(vcl::Create<vcl::TForm>(nullptr));
    auto* panel = vcl::Create<vcl::TPanel>(form.get());
    panel->SetParent(form.get());
    auto* inner = vcl::Create<vcl::TPanel>(form.get());
    inner->SetParent(panel);
    vcl::TOwnedPtr<vcl::TPanel> loose(vcl::Create<vcl::TPanel>(nullptr));
    auto* looseChild = vcl::Create<vcl::TPanel>(loose.get());
    looseChild->SetParent(loose.get());

    const struct {
        const char* name;
        vcl::TWinControl* control;
        bool formWindow;
    } cases[] = {
        {"the form itself", form.get(), true},
        {"two panels down", inner, true},
        {"a panel on no form", looseChild, false},
        {"no control", nullptr, false},
    };
    for (const auto& c : cases) {
        const HWND owner = GetTopFormHandle(c.control);
        if (c.formWindow) {
            EXPECT_TRUE(form->HandleAllocated()) << c.name;
            EXPECT_EQ(form->Handle(), owner) << c.name;
        } else {
            EXPECT_EQ(nullptr, owner) << c.name;
        }
    }
}
