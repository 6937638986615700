// The shell locator: its stored block byte for byte, hostile blocks, when
// OnChange fires and what the handler sees, the lazy special-folder look-up,
// paths of raw bytes, and two locators of a component through a text form.

#include "ShellControlsTestSupport.h"

#include "shell32/ShellTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Strings.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace kw;
using kwtest::BytesOf;
using kwtest::ListOfPath;
using kwtest::OwnedList;
using kwtest::StoredList;
using kwtest::TProbeLocator;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

// What a locator holds, for comparing before and after.
struct Snapshot {
    TKwShellLocator_Which Which;
    TCSIDL CSIDL;
    std::string List;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Take(TProbeLocator& locator)
{
    // Only what is held: a special folder is not looked up for this.
    const std::string stored = locator.Stored();
    return {locator.Which(), locator.GetCSIDL(),
            locator.Which() == usePidl && stored.size() > 5 ? stored.substr(5) : std::string()};
}

class LocatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Home.Home() + "/Documents");
        std::filesystem::create_directories(Home.Home() + "/Music");
        shell32::testing::ClearExtraSpecialFolders();
    }
    void TearDown() override { shell32::testing::ClearExtraSpecialFolders(); }

    std::string Docs() const { return Home.Home() + "/Documents"; }
    std::string Music() const { return Home.Home() + "/Music"; }

    kwtest::ScopedHome Home;
};

// ---- the stored block ----

TEST_F(LocatorTest, WritesItsPlaceAsTheStoredBlock)
{
    const OwnedList docs = ListOfPath(Docs());
    struct Case {
        const char* name;
        std::function<void(TProbeLocator&)> arrange;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"a new locator: the desktop, 0 and N = 0", [](TProbeLocator&) {}, Bytes({0, 0, 0, 0, 0})},
        {"a special folder: 1 and its number", [](TProbeLocator& l) { l.SetCSIDL(csidlSendTo); },
         Bytes({1, 9})},
        {"a resolved special folder still writes two bytes",
         [](TProbeLocator& l) {
             l.SetCSIDL(csidlPersonal);
             ASSERT_NE(nullptr, l.GetIdList());
         },
         Bytes({1, 5})},
        {"a list: 0, N little-endian, the list", [&](TProbeLocator& l) { l.SetIdList(docs.Get()); },
         StoredList(BytesOf(docs.Get()))},
        {"the terminator alone is the desktop",
         [&](TProbeLocator& l) { l.SetIdList(kwtest::MakeList({}).Get()); }, Bytes({0, 0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        TProbeLocator locator;
        c.arrange(locator);
        EXPECT_EQ(c.expected, locator.Stored()) << c.name;
    }
}

TEST_F(LocatorTest, ReadsTheStoredBlocks)
{
    const OwnedList docs = ListOfPath(Docs());
    const std::string docsBlock = StoredList(BytesOf(docs.Get()));
    struct Case {
        const char* name;
        std::string block;
        TKwShellLocator_Which which;
        TCSIDL csidl;
        std::string writtenBack;
    };
    const std::vector<Case> cases = {
        {"1, 9: Send To", Bytes({1, 9}), useCSIDL, csidlSendTo, Bytes({1, 9})},
        {"mode 0 with N = 0: the desktop special folder", Bytes({0, 0, 0, 0, 0}), useCSIDL, csidlDesktop,
         Bytes({1, 0})},
        {"any mode but 0 is a special folder", Bytes({2, 17}), useCSIDL, csidlDrives, Bytes({1, 17})},
        {"the number csidlNone itself", Bytes({1, 28}), useCSIDL, csidlNone, Bytes({1, 28})},
        {"a list", docsBlock, usePidl, csidlNone, docsBlock},
        {"the terminator alone: the desktop", StoredList(std::string(2, '\0')), usePidl, csidlNone,
         Bytes({0, 0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        TProbeLocator locator;
        locator.SetCSIDL(csidlFonts);
        locator.Load(c.block);
        EXPECT_EQ(c.which, locator.Which()) << c.name;
        EXPECT_EQ(c.which == useCSIDL ? c.csidl : csidlNone, locator.GetCSIDL()) << c.name;
        EXPECT_EQ(c.writtenBack, locator.Stored()) << c.name;
    }
    TProbeLocator fromList;
    fromList.Load(docsBlock);
    EXPECT_EQ(Docs(), fromList.GetPathName());
}

TEST_F(LocatorTest, ReadingDoesNotCallTheChangeHandler)
{
    struct Counter {
        int Calls = 0;
        void Changed(vcl::TObject*) { ++Calls; }
    } counter;
    TProbeLocator locator;
    locator.OnChange = {&counter, &Counter::Changed};
    locator.Load(Bytes({1, 9}));
    locator.Load(StoredList(BytesOf(ListOfPath(Docs()).Get())));
    EXPECT_EQ(0, counter.Calls);
}

TEST_F(LocatorTest, RefusesHostileBlocksAndStaysAsItWas)
{
    const std::string item = Bytes({4, 0, 0xAA, 0xBB});
    struct Case {
        const char* name;
        std::string block;
    };
    const std::vector<Case> cases = {
        {"nothing at all", ""},
        {"a list mode without its length", Bytes({0, 4, 0})},
        {"a special folder without its number", Bytes({1})},
        {"N = 1", Bytes({0, 1, 0, 0, 0, 0})},
        {"N beyond the stream", Bytes({0, 10, 0, 0, 0}) + item + Bytes({0, 0})},
        {"N above the list cap", Bytes({0, 1, 0, 0x10, 0}) + item + Bytes({0, 0})},
        {"N of 4 GiB", Bytes({0, 0xFF, 0xFF, 0xFF, 0xFF}) + item + Bytes({0, 0})},
        {"N of 2 GiB", Bytes({0, 0, 0, 0, 0x80}) + item + Bytes({0, 0})},
        {"an item count that leaves the block", StoredList(Bytes({9, 0, 1, 2, 3, 0, 0}))},
        {"no terminator", StoredList(item)},
        {"the terminator before the end", StoredList(Bytes({0, 0}) + item)},
        {"bytes after the terminator", StoredList(item + Bytes({0, 0, 7}))},
        {"an item count of 1", StoredList(Bytes({1, 0, 0, 0}))},
        {"a special folder above csidlNone", Bytes({1, 29})},
        {"a special folder of 255", Bytes({1, 255})},
        {"a special folder with bytes after its number", Bytes({1, 9, 0})},
        {"the desktop by N = 0 with bytes after it", Bytes({0, 0, 0, 0, 0, 7})},
        {"a list with bytes after its block", StoredList(item + Bytes({0, 0})) + Bytes({0})},
    };
    const OwnedList music = ListOfPath(Music());
    for (const Case& c : cases) {
        for (bool special : {false, true}) {
            TProbeLocator locator;
            if (special)
                locator.SetCSIDL(csidlTemplates);
            else
                locator.SetIdList(music.Get());
            const Snapshot before = Take(locator);
            const long long live = com::testing::LiveTaskAllocations();
            EXPECT_THROW(locator.Load(c.block), vcl::EReadError) << c.name;
            EXPECT_EQ(live, com::testing::LiveTaskAllocations()) << c.name << ": a shell block was left";
            EXPECT_TRUE(before == Take(locator)) << c.name;
        }
    }
}

TEST_F(LocatorTest, TakesAListRightAtTheCap)
{
    // One item of a foreign kind filling the whole cap: accepted as bytes.
    const std::uint32_t n = TKwShellLocator::MaxStoredListBytes;
    std::string list;
    std::uint32_t left = n - 2;
    while (left > 0) {
        const std::uint32_t count = std::min<std::uint32_t>(left, 0xFFFF);
        ASSERT_GE(count, 2u);
        list += static_cast<char>(count & 0xFF);
        list += static_cast<char>(count >> 8);
        list += std::string(count - 2, 'x');
        left -= count;
    }
    list += std::string(2, '\0');
    ASSERT_EQ(n, list.size());
    TProbeLocator locator;
    locator.Load(StoredList(list));
    EXPECT_EQ(static_cast<int>(n), IdListLen(locator.GetIdList()));
}

// ---- OnChange ----

// Records each call and what the locator held at that moment.
struct ChangeRecorder {
    TProbeLocator* Locator = nullptr;
    std::vector<Snapshot> Seen;
    void Changed(vcl::TObject* sender)
    {
        EXPECT_EQ(Locator, sender);
        Seen.push_back(Take(*Locator));
    }
};

TEST_F(LocatorTest, FiresOnChangeForRealChangesWithTheNewStateInPlace)
{
    const OwnedList docs = ListOfPath(Docs());
    const OwnedList music = ListOfPath(Music());
    const OwnedList empty = kwtest::MakeList({});
    const OwnedList garbage = kwtest::MakeList({"not an item of ours"});
    struct Case {
        const char* name;
        std::function<void(TProbeLocator&)> arrange;
        std::function<void(TProbeLocator&)> act;
        int fired;
    };
    auto none = [](TProbeLocator&) {};
    auto atDocs = [&](TProbeLocator& l) { l.SetIdList(docs.Get()); };
    auto atSendTo = [](TProbeLocator& l) { l.SetCSIDL(csidlSendTo); };
    auto atResolvedSendTo = [](TProbeLocator& l) {
        l.SetCSIDL(csidlSendTo);
        ASSERT_NE(nullptr, l.GetIdList());
    };
    auto at = [](TCSIDL folder) { return [folder](TProbeLocator& l) { l.SetCSIDL(folder); }; };
    const std::vector<Case> cases = {
        {"new: the empty list (not nil)", none, [&](TProbeLocator& l) { l.SetIdList(empty.Get()); }, 1},
        {"new: nil", none, [](TProbeLocator& l) { l.SetIdList(nullptr); }, 0},
        {"new: a folder", none, atDocs, 1},
        {"the same folder again", atDocs, [&](TProbeLocator& l) { l.SetIdList(ListOfPath(Docs()).Get()); },
         0},
        {"its own list", atDocs, [](TProbeLocator& l) { l.SetIdList(l.GetIdList()); }, 0},
        {"another folder", atDocs, [&](TProbeLocator& l) { l.SetIdList(music.Get()); }, 1},
        {"a list back to the desktop", atDocs, [](TProbeLocator& l) { l.SetIdList(nullptr); }, 1},
        {"a comparison that fails counts as a change", [&](TProbeLocator& l) { l.SetIdList(garbage.Get()); },
         [&](TProbeLocator& l) { l.SetIdList(kwtest::MakeList({"another foreign item"}).Get()); }, 1},
        {"a list to a special folder", atDocs, atSendTo, 1},
        {"the same special folder", atResolvedSendTo, atSendTo, 0},
        {"another special folder", atSendTo, at(csidlTemplates), 1},
        {"a special folder to nil", atSendTo, [](TProbeLocator& l) { l.SetIdList(nullptr); }, 1},
        {"Clear on the desktop", none, [](TProbeLocator& l) { l.Clear(); }, 0},
        {"Clear on a folder", atDocs, [](TProbeLocator& l) { l.Clear(); }, 1},
        {"SetPathName of a folder", none, [&](TProbeLocator& l) { l.SetPathName(Music()); }, 1},
        {"SetPathName of nothing there", atDocs,
         [&](TProbeLocator& l) { l.SetPathName(Docs() + "/not/there"); }, 1},
        {"Assign(nil) on the desktop", none, [](TProbeLocator& l) { l.Assign(nullptr); }, 0},
        {"Assign(nil) on a folder", atDocs, [](TProbeLocator& l) { l.Assign(nullptr); }, 1},
        {"Assign(nil) on a resolved special folder", atResolvedSendTo,
         [](TProbeLocator& l) { l.Assign(nullptr); }, 1},
        {"Assign(nil) on an unresolved special folder", atSendTo, [](TProbeLocator& l) { l.Assign(nullptr); },
         1},
        {"Assign of an equal special folder", atSendTo,
         [](TProbeLocator& l) {
             TProbeLocator other;
             other.SetCSIDL(csidlSendTo);
             l.Assign(&other);
         },
         0},
        {"Assign of another special folder", atSendTo,
         [](TProbeLocator& l) {
             TProbeLocator other;
             other.SetCSIDL(csidlStartup);
             l.Assign(&other);
         },
         1},
        {"Assign of an equal list", atDocs,
         [&](TProbeLocator& l) {
             TProbeLocator other;
             other.SetIdList(docs.Get());
             l.Assign(&other);
         },
         0},
        {"Assign of another list", atDocs,
         [&](TProbeLocator& l) {
             TProbeLocator other;
             other.SetIdList(music.Get());
             l.Assign(&other);
         },
         1},
        {"Assign of the desktop to a special folder", atSendTo,
         [](TProbeLocator& l) {
             TProbeLocator other;
             l.Assign(&other);
         },
         1},
    };
    for (const Case& c : cases) {
        TProbeLocator locator;
        c.arrange(locator);
        ChangeRecorder recorder;
        recorder.Locator = &locator;
        locator.OnChange = {&recorder, &ChangeRecorder::Changed};
        c.act(locator);
        ASSERT_EQ(static_cast<size_t>(c.fired), recorder.Seen.size()) << c.name;
        if (c.fired) {
            EXPECT_TRUE(recorder.Seen.back() == Take(locator)) << c.name << ": the handler saw an old state";
        }
    }
}

TEST_F(LocatorTest, AssignKeepsItsOwnHandlerAndRefusesOtherClasses)
{
    struct Counter {
        int Calls = 0;
        void Changed(vcl::TObject*) { ++Calls; }
    } mine, theirs;
    TProbeLocator locator;
    TProbeLocator source;
    locator.OnChange = {&mine, &Counter::Changed};
    source.OnChange = {&theirs, &Counter::Changed};
    source.SetCSIDL(csidlFonts);
    locator.Assign(&source);
    EXPECT_EQ(csidlFonts, locator.GetCSIDL());
    EXPECT_EQ(1, mine.Calls);
    EXPECT_EQ(1, theirs.Calls);
    EXPECT_TRUE(locator.IsEqual(&source));
    EXPECT_TRUE(source.IsEqual(&locator));
    EXPECT_TRUE(locator.IsEqual(&locator));
    EXPECT_FALSE(locator.IsEqual(nullptr));

    vcl::TStringList notALocator;
    EXPECT_THROW(locator.Assign(&notALocator), vcl::EConvertError);
    EXPECT_EQ(csidlFonts, locator.GetCSIDL());
}

TEST_F(LocatorTest, EqualityByModeAndPlace)
{
    // Without user-dirs.dirs the documents folder is HOME, reached here by
    // its path and as the special folder (through the home folder's item).
    const OwnedList home = ListOfPath(Home.Home());
    OwnedList viaHome;
    {
        TProbeLocator home;
        home.SetCSIDL(csidlPersonal);
        viaHome = OwnedList(CopyIdList(nullptr, home.GetIdList()));
    }
    struct Case {
        const char* name;
        std::function<void(TProbeLocator&)> a;
        std::function<void(TProbeLocator&)> b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"two desktops", [](TProbeLocator&) {}, [](TProbeLocator&) {}, true},
        {"one folder by two routes", [&](TProbeLocator& l) { l.SetIdList(home.Get()); },
         [&](TProbeLocator& l) { l.SetIdList(viaHome.Get()); }, true},
        {"a folder and the special folder naming it", [&](TProbeLocator& l) { l.SetIdList(home.Get()); },
         [](TProbeLocator& l) { l.SetCSIDL(csidlPersonal); }, false},
        {"two equal special folders", [](TProbeLocator& l) { l.SetCSIDL(csidlSendTo); },
         [](TProbeLocator& l) { l.SetCSIDL(csidlSendTo); }, true},
        {"two special folders", [](TProbeLocator& l) { l.SetCSIDL(csidlSendTo); },
         [](TProbeLocator& l) { l.SetCSIDL(csidlFonts); }, false},
        {"lists that cannot be compared",
         [](TProbeLocator& l) { l.SetIdList(kwtest::MakeList({"foreign"}).Get()); },
         [](TProbeLocator& l) { l.SetIdList(kwtest::MakeList({"foreign"}).Get()); }, false},
    };
    for (const Case& c : cases) {
        TProbeLocator a;
        TProbeLocator b;
        c.a(a);
        c.b(b);
        EXPECT_EQ(c.equal, a.IsEqual(&b)) << c.name;
        EXPECT_EQ(c.equal, b.IsEqual(&a)) << c.name;
    }
}

// ---- the special folder, looked up lazily ----

TEST_F(LocatorTest, LooksUpASpecialFolderOncePerSetting)
{
    auto requests = [] { return shell32::testing::SpecialFolderRequests(csidlPersonal); };
    TProbeLocator locator;
    locator.SetCSIDL(csidlPersonal);
    EXPECT_EQ(0u, requests()) << "looked up before anybody asked";
    const PItemIDList first = locator.GetIdList();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(Home.Home(), locator.GetPathName());
    locator.GetIdList();
    EXPECT_EQ(1u, requests());
    locator.SetCSIDL(csidlPersonal);
    EXPECT_EQ(1u, requests());
    locator.GetIdList();
    EXPECT_EQ(2u, requests()) << "SetCSIDL drops the looked-up list";
    // Storing or comparing looks nothing up.
    TProbeLocator other;
    other.SetCSIDL(csidlPersonal);
    locator.Stored();
    locator.IsEqual(&other);
    EXPECT_EQ(2u, requests());
}

TEST_F(LocatorTest, AFailedLookUpIsTriedAgain)
{
    // Favorites has no place on this system until a test gives it one.
    TProbeLocator locator;
    locator.SetCSIDL(csidlFavorites);
    EXPECT_EQ(nullptr, locator.GetIdList());
    EXPECT_EQ(nullptr, locator.GetIdList());
    EXPECT_EQ(2u, shell32::testing::SpecialFolderRequests(csidlFavorites));
    const OwnedList music = ListOfPath(Music());
    shell32::testing::SetExtraSpecialFolder(csidlFavorites, music.Get());
    ASSERT_NE(nullptr, locator.GetIdList());
    EXPECT_EQ(Music(), locator.GetPathName());
    EXPECT_EQ(3u, shell32::testing::SpecialFolderRequests(csidlFavorites));
    locator.GetIdList();
    EXPECT_EQ(3u, shell32::testing::SpecialFolderRequests(csidlFavorites));
}

// ---- paths ----

TEST_F(LocatorTest, PathsKeepTheirBytes)
{
    const std::vector<std::string> names = {"line\nbreak", std::string("bad\xff\xfe utf8"), "plain"};
    for (const std::string& name : names) {
        const std::string path = Home.Home() + "/" + name;
        std::filesystem::create_directories(path);
        TProbeLocator locator;
        locator.SetPathName(path);
        EXPECT_EQ(usePidl, locator.Which());
        EXPECT_EQ(path, locator.GetPathName());
        TProbeLocator again;
        again.Load(locator.Stored());
        EXPECT_EQ(path, again.GetPathName());
    }
}

TEST_F(LocatorTest, APathThatDoesNotParseIsTheDesktop)
{
    std::string tooLong = Home.Home();
    while (tooLong.size() <= 4096)
        tooLong += "/" + std::string(200, 'd');
    const std::vector<std::string> paths = {tooLong, Docs() + "/missing", std::string("with\0zero", 9), ""};
    for (const std::string& path : paths) {
        TProbeLocator locator;
        locator.SetPathName(Docs());
        EXPECT_NO_THROW(locator.SetPathName(path));
        EXPECT_EQ(usePidl, locator.Which());
        EXPECT_EQ(nullptr, locator.GetIdList());
    }
}

// ---- through a text form ----

class TLocatorHolder : public vcl::TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TLocatorHolder, vcl::TComponent)
public:
    using TComponent::TComponent;
    TKwShellLocator* BaseFolder() const { return Base_.get(); }
    TKwShellLocator* SelectedFolder() const { return Selected_.get(); }
    int Loads = 0;

protected:
    ~TLocatorHolder() override = default;
    void Loaded() override
    {
        TComponent::Loaded();
        ++Loads;
    }

private:
    std::unique_ptr<TKwShellLocator> Base_ = std::make_unique<TKwShellLocator>();
    std::unique_ptr<TKwShellLocator> Selected_ = std::make_unique<TKwShellLocator>();
};

const vcl::TClassRtti& TLocatorHolder::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TLocatorHolder>()
                                             .Property<&TLocatorHolder::BaseFolder>("BaseFolder")
                                             .Property<&TLocatorHolder::SelectedFolder>("SelectedFolder");
    return table;
}

// The text without blanks and line breaks, as binary data is wrapped.
std::string Squeezed(const std::string& text)
{
    std::string squeezed;
    for (char ch : text)
        if (ch != ' ' && ch != '\n')
            squeezed += ch;
    return squeezed;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

TEST_F(LocatorTest, TwoLocatorsOfAComponentGoThroughATextForm)
{
    vcl::RegisterClasses({TLocatorHolder::StaticClass()});
    const OwnedList docs = ListOfPath(Docs());
    struct Case {
        const char* name;
        std::function<void(TLocatorHolder&)> arrange;
    };
    const std::vector<Case> cases = {
        {"a special folder and a list",
         [&](TLocatorHolder& h) {
             h.BaseFolder()->SetCSIDL(csidlSendTo);
             h.SelectedFolder()->SetIdList(docs.Get());
         }},
        {"the desktop and a resolved special folder",
         [&](TLocatorHolder& h) {
             h.SelectedFolder()->SetCSIDL(csidlDrives);
             h.SelectedFolder()->GetIdList();
         }},
        {"two desktops", [](TLocatorHolder&) {}},
    };
    for (const Case& c : cases) {
        vcl::TOwnedPtr<TLocatorHolder> holder(vcl::Create<TLocatorHolder>(nullptr));
        holder->SetName("Holder");
        c.arrange(*holder);
        const std::string text = vcl::WriteComponentToText(holder.get());
        for (TKwShellLocator* locator : {holder->BaseFolder(), holder->SelectedFolder()}) {
            const std::string prefix = locator == holder->BaseFolder() ? "BaseFolder" : "SelectedFolder";
            TProbeLocator probe;
            probe.Assign(locator);
            const bool desktop = locator->Which() == usePidl && !locator->GetIdList();
            const std::string line = prefix + ".Pidl={" + Hex(probe.Stored()) + "}";
            if (desktop) {
                EXPECT_EQ(std::string::npos, text.find(prefix + ".Pidl")) << c.name << "\n" << text;
            } else {
                EXPECT_NE(std::string::npos, Squeezed(text).find(line)) << c.name << "\n" << text;
            }
        }

        vcl::TOwnedPtr<TLocatorHolder> read(vcl::Create<TLocatorHolder>(nullptr));
        read->BaseFolder()->SetCSIDL(csidlFonts);
        read->SelectedFolder()->SetCSIDL(csidlFonts);
        vcl::ReadComponentFromText(text, read.get());
        EXPECT_EQ(1, read->Loads) << c.name;
        for (auto [a, b] : {std::pair{holder->BaseFolder(), read->BaseFolder()},
                            std::pair{holder->SelectedFolder(), read->SelectedFolder()}}) {
            if (a->Which() == usePidl && !a->GetIdList())
                // Nothing stored: the reader leaves what the component had.
                EXPECT_EQ(csidlFonts, b->GetCSIDL()) << c.name;
            else {
                EXPECT_TRUE(a->IsEqual(b)) << c.name;
            }
        }
        EXPECT_EQ(text, vcl::WriteComponentToText(holder.get())) << c.name;
    }
    vcl::UnRegisterClass(TLocatorHolder::StaticClass());
}

TEST_F(LocatorTest, AFormWithAHostileBlockFailsAndFreesWhatItRead)
{
    vcl::RegisterClasses({TLocatorHolder::StaticClass()});
    const long long live = com::testing::LiveTaskAllocations();
    const std::string text = "object Holder: TLocatorHolder\n"
                             "  BaseFolder.Pidl = {0001000000}\n"
                             "end\n";
    EXPECT_THROW(vcl::ReadComponentFromText(text, nullptr), vcl::EReadError);
    EXPECT_EQ(live, com::testing::LiveTaskAllocations());
    vcl::UnRegisterClass(TLocatorHolder::StaticClass());
}

} // namespace
