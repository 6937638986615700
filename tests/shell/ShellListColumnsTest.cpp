// The shell list's columns seen from outside: widths carried by a drag on
// the header divider, sorting by header clicks with the header's glyph, and
// the texts and icons the window asks for when it draws.

#include "KwCorvanePackage.h"
#include "ShellListDetailsSupport.h"
#include "ShellTreeTestSupport.h"
#include "UKwShellControls_Startup_p.h"

#include "shell32/FileInfo.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"
#include "vcl/core/UnitRegistry.h"
#include "win32/ListViews.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace kwtest;
using vcl::TListItem;

class TColumnsList : public kw::TKwShellList {
public:
    using TKwCustomShellList::FillList;
    using TKwShellList::TKwShellList;
};

void Outside(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Int32s(const std::vector<std::int32_t>& values)
{
    std::string bytes;
    for (std::int32_t v : values)
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return bytes;
}

std::string StreamBytes()
{
    vcl::TMemoryStream* stream = kw::detail::ColumnWidthStream();
    return {static_cast<const char*>(stream->Memory()), static_cast<size_t>(stream->Size())};
}

void WriteDirectoryCols(const std::vector<std::uint16_t>& words)
{
    vcl::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true));
    registry.WriteBinaryData("DirectoryCols", words.data(), static_cast<int>(words.size() * 2));
}

// A place of no path: its columns neither keep nor take widths.
OwnedList VirtualPlace()
{
    return OwnedList(ListBytes({"virtual place"}));
}

// A real folder's folder object behind one that counts, by item, the calls
// that ask for names, detail texts and the order.
class CountingFolder : public com::ComObject<IShellFolder2> {
public:
    explicit CountingFolder(IShellFolder* inner) : Inner(inner)
    {
        inner->QueryInterface(IID_IShellFolder2, Inner2.ReleaseAndGetVoidAddress());
    }
    com::ComPtr<IShellFolder> Inner;
    com::ComPtr<IShellFolder2> Inner2;
    int NameCalls = 0;
    int CompareCalls = 0;
    // By the item's bytes: the columns asked, once each time.
    std::map<std::string, std::vector<UINT>> DetailCalls;

    HRESULT ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, LPITEMIDLIST* o, ULONG* a) override
    {
        return Inner->ParseDisplayName(w, c, n, e, o, a);
    }
    HRESULT EnumObjects(HWND w, DWORD f, IEnumIDList** o) override { return Inner->EnumObjects(w, f, o); }
    HRESULT BindToObject(LPCITEMIDLIST p, IBindCtx* c, REFIID r, void** o) override
    {
        return Inner->BindToObject(p, c, r, o);
    }
    HRESULT BindToStorage(LPCITEMIDLIST p, IBindCtx* c, REFIID r, void** o) override
    {
        return Inner->BindToStorage(p, c, r, o);
    }
    HRESULT CompareIDs(LPARAM l, LPCITEMIDLIST a, LPCITEMIDLIST b) override
    {
        ++CompareCalls;
        return Inner->CompareIDs(l, a, b);
    }
    HRESULT CreateViewObject(HWND w, REFIID r, void** o) override { return Inner->CreateViewObject(w, r, o); }
    HRESULT GetAttributesOf(UINT n, LPCITEMIDLIST* p, ULONG* a) override
    {
        return Inner->GetAttributesOf(n, p, a);
    }
    HRESULT GetUIObjectOf(HWND w, UINT n, LPCITEMIDLIST* p, REFIID r, UINT* x, void** o) override
    {
        return Inner->GetUIObjectOf(w, n, p, r, x, o);
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST p, DWORD f, STRRET* n) override
    {
        ++NameCalls;
        return Inner->GetDisplayNameOf(p, f, n);
    }
    HRESULT SetNameOf(HWND w, LPCITEMIDLIST p, LPCWSTR n, DWORD f, LPITEMIDLIST* o) override
    {
        return Inner->SetNameOf(w, p, n, f, o);
    }
    HRESULT GetDefaultSearchGUID(GUID* g) override { return Inner2->GetDefaultSearchGUID(g); }
    HRESULT EnumSearches(IEnumExtraSearch** e) override { return Inner2->EnumSearches(e); }
    HRESULT GetDefaultColumn(DWORD r, ULONG* s, ULONG* d) override
    {
        return Inner2->GetDefaultColumn(r, s, d);
    }
    HRESULT GetDefaultColumnState(UINT c, DWORD* f) override { return Inner2->GetDefaultColumnState(c, f); }
    HRESULT GetDetailsEx(LPCITEMIDLIST p, const SHCOLUMNID* c, void* v) override
    {
        return Inner2->GetDetailsEx(p, c, v);
    }
    HRESULT GetDetailsOf(LPCITEMIDLIST p, UINT c, SHELLDETAILS* d) override
    {
        if (p)
            DetailCalls[BytesOf(p)].push_back(c);
        return Inner2->GetDetailsOf(p, c, d);
    }
    HRESULT MapColumnToSCID(UINT c, SHCOLUMNID* s) override { return Inner2->MapColumnToSCID(c, s); }

    static std::string BytesOf(LPCITEMIDLIST p)
    {
        return {reinterpret_cast<const char*>(p), static_cast<std::size_t>(kw::IdListLen(p))};
    }
};

// A list that shows every folder through a counting one.
class TCountingList : public kw::TKwShellList {
public:
    using kw::TKwShellList::TKwShellList;
    com::ComPtr<CountingFolder> Proxy;

protected:
    void FillList(IShellFolder* folder, kw::PItemIDList abs) override
    {
        Proxy = com::MakeComObject<CountingFolder>(folder);
        kw::TKwShellList::FillList(Proxy.Get(), abs);
    }
};

class ShellListColumns : public ShellTreeFixture {
public:
    ScopedRegistryHome Registry;
    TColumnsList* List = nullptr;

    void SetUp() override
    {
        // The width stream lives from the unit's start-up to its shut-down.
        kw::RegisterPackageUnits();
        vcl::InitializeUnits();
        ShellTreeFixture::SetUp();
        Tree->SetVisible(false);
        List = vcl::Create<TColumnsList>(Form.Get());
        List->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloAutoFill);
        List->SetParent(Form.Get());
        List->SetBounds(0, 0, 320, 400);
        List->SetViewStyle(vcl::vsReport);
        Pump();
        // Every test starts as the process did: nothing stored.
        kw::detail::ColumnWidthStream()->Clear();
        kw::detail::LastDirectoryCols() = {};
    }
    void TearDown() override
    {
        vcl::Free(List);
        Pump();
        kw::detail::ColumnWidthStream()->Clear();
        kw::detail::LastDirectoryCols() = {};
        ShellTreeFixture::TearDown();
        vcl::FinalizeUnits();
    }
    QHeaderView* Header() const { return List->Peer()->findChild<QHeaderView*>(); }
    void Show(const std::string& path)
    {
        List->Folder()->SetIdList(ListOfPath(path).Get());
        Pump();
    }
    // A folder of the fake kind shown as if it lay at the home.
    void ShowFake(DetailsFolder* folder, ITEMIDLIST* place = nullptr)
    {
        List->Items()->Clear();
        List->FillList(folder, place ? place : ListOfPath(Home.Home()).Get());
        Pump();
    }
    com::ComPtr<DetailsFolder> FixedFolder(std::vector<std::string> names = {})
    {
        auto folder = com::MakeComObject<DetailsFolder>();
        folder->Column0Fails = true; // no details source: the fixed four
        folder->Names = std::move(names);
        return folder;
    }
    std::vector<int> Widths() const
    {
        std::vector<int> widths;
        for (int i = 0; i < List->Columns()->Count(); ++i)
            widths.push_back(List->Columns()->Items(i)->Width());
        return widths;
    }
    // A person drags the right edge of column's header by dx.
    void DragDivider(int column, int dx)
    {
        QHeaderView* header = Header();
        QWidget* port = header->viewport();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
        const int y = header->height() / 2;
        QTest::mouseMove(port, {x, y});
        QTest::mousePress(port, Qt::LeftButton, {}, {x, y});
        for (int step = 1; step <= 4; ++step) {
            const QPoint at(x + dx * step / 4, y);
            QMouseEvent move(QEvent::MouseMove, at, port->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(port, &move);
        }
        QTest::mouseRelease(port, Qt::LeftButton, {}, {x + dx, y});
        Pump();
    }
    void ClickHeader(int column)
    {
        QHeaderView* header = Header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
        Pump();
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < List->Items()->Count(); ++i)
            if (kw::TKwShListData* data = List->GetDataFromItem(List->Items()->Item(i)))
                names.push_back(data->GetFilename().empty() ? DetailsFolder::NameOf(data->GetRelPidl())
                                                            : data->GetFilename());
        return names;
    }
};

// ---- widths ----

TEST_F(ShellListColumns, ADraggedNameColumnCarriesIntoTheNextFolderUntilDirectoryColsChanges)
{
    MakeTree(Home.Home(), {"one/x", "two/y"});
    // File-system folders with details: the stream takes the widths as they
    // are, byte for byte, and the next such folder reads them back.
    Show(H("one"));
    const int columns = List->Columns()->Count();
    ASSERT_GE(columns, 2);
    const int name = List->Columns()->Items(0)->Width();
    DragDivider(0, 60);
    ASSERT_NEAR(name + 60, List->Columns()->Items(0)->Width(), 2) << "the drag widened the column";
    const std::vector<int> dragged = Widths();
    Show(H("two"));
    std::vector<std::int32_t> expected{columns};
    expected.insert(expected.end(), dragged.begin(), dragged.end());
    EXPECT_EQ(Int32s(expected), StreamBytes());
    EXPECT_EQ(dragged, Widths());

    // Folders with the fixed four start from "DirectoryCols" and keep a
    // dragged width only while it stays as it was.
    struct Case {
        const char* Name;
        std::vector<std::uint16_t> Value; // empty: as the previous case left it
        std::vector<int> Expected;        // after the drag and a move; empty: dragged
    };
    const Case cases[] = {
        {"8 bytes: taken, then the drag carries", {210, 61, 101, 121}, {}},
        {"unchanged: still carried", {}, {}},
        {"22 bytes: a change takes the registry's",
         {220, 62, 102, 122, 1, 2, 3, 4, 5, 6, 7},
         {220, 62, 102, 122}},
        {"24 bytes: ignored, the defaults", {230, 63, 103, 123, 1, 2, 3, 4, 5, 6, 7, 8}, {200, 60, 100, 120}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (!c.Value.empty())
            WriteDirectoryCols(c.Value);
        const auto folder = FixedFolder({"a"});
        ShowFake(folder.Get());
        ASSERT_EQ(4, List->Columns()->Count());
        if (!c.Expected.empty()) {
            EXPECT_EQ(c.Expected, Widths());
        }
        DragDivider(0, 30);
        const std::vector<int> widened = Widths();
        std::vector<std::int32_t> bytes{4};
        bytes.insert(bytes.end(), widened.begin(), widened.end());
        const auto next = FixedFolder({"b"});
        ShowFake(next.Get());
        EXPECT_EQ(Int32s(bytes), StreamBytes());
        EXPECT_EQ(widened, Widths());
    }
}

TEST_F(ShellListColumns, DetailColumnsFollowTheSourceAndAVirtualFoldersWidthsAreNotKept)
{
    struct Case {
        const char* Name;
        std::vector<DetailColumn> Columns;
        std::vector<std::string> Captions;
        std::vector<vcl::TAlignment> Alignments;
        int SubItems;
    };
    const Case cases[] = {
        {"three, the third right and the fourth hidden",
         {{"N", 0, 20}, {"S", 1, 8}, {"C", 2, 5}, {"H", 0, 5, 0}},
         {"N", "S", "C"},
         {vcl::taLeftJustify, vcl::taRightJustify, vcl::taCenter},
         2},
        {"an unknown format is left", {{"N", 7, 20}}, {"N"}, {vcl::taLeftJustify}, 0},
        {"a source without columns: none, no sub-items", {{"N", 0, 20, 0}}, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto folder = com::MakeComObject<DetailsFolder>();
        folder->Columns = c.Columns;
        folder->Names = {"a", "b"};
        // A virtual place: widths neither read nor written.
        ShowFake(folder.Get(), VirtualPlace().Get());
        std::vector<std::string> captions;
        std::vector<vcl::TAlignment> alignments;
        for (int i = 0; i < List->Columns()->Count(); ++i) {
            captions.push_back(List->Columns()->Items(i)->Caption());
            alignments.push_back(List->Columns()->Items(i)->Alignment());
        }
        EXPECT_EQ(c.Captions, captions);
        EXPECT_EQ(c.Alignments, alignments);
        if (!c.Captions.empty()) {
            EXPECT_EQ(c.Columns[0].CxChar * 7, List->Columns()->Items(0)->Width());
        }
        ASSERT_EQ(2, List->Items()->Count());
        EXPECT_EQ(c.SubItems,
                  List->Items()->Item(0)->HasSubItems() ? List->Items()->Item(0)->SubItems()->Count() : 0);
        EXPECT_EQ(0, kw::detail::ColumnWidthStream()->Size());
    }
}

// ---- sorting ----

// The glyph's pixels in the header: those that differ from the header drawn
// without one. Returns how many lie in the glyph's upper and lower half.
std::pair<int, int> GlyphHalves(kw::TKwCustomShellList* list, QHeaderView* header)
{
    Pump();
    const QImage with = header->grab().toImage();
    const int column = list->HeaderSortColumn();
    list->SetHeaderSortColumn(-1);
    Pump();
    const QImage without = header->grab().toImage();
    list->SetHeaderSortColumn(column);
    Pump();
    int top = with.height(), bottom = -1;
    std::vector<int> rows(static_cast<size_t>(with.height()));
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                ++rows[static_cast<size_t>(y)];
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    int upper = 0, lower = 0;
    for (int y = top; y <= bottom; ++y)
        (y * 2 < top + bottom ? upper : lower) += rows[static_cast<size_t>(y)];
    return {upper, lower};
}

TEST_F(ShellListColumns, HeaderClicksSortByTheFoldersOrderAndTheGlyphShowsIt)
{
    MakeTree(Home.Home(), {"s/dir/x"});
    Outside("cd '" + H("s") + "' && printf 1234567890 > a.txt && printf 123 > b.txt && printf 1 > c.txt" +
            " && touch -d 2020-01-01 c.txt && touch -d 2021-01-01 a.txt && touch -d 2022-01-01 b.txt");
    Show(H("s"));
    int modified = -1;
    for (int i = 0; i < List->Columns()->Count(); ++i)
        if (List->Columns()->Items(i)->Caption().find("odified") != std::string::npos)
            modified = i;
    ASSERT_GE(modified, 0);
    ASSERT_EQ(1, List->SortColumn());
    const auto [upFirst, upSecond] = GlyphHalves(List, Header());
    EXPECT_LT(upFirst, upSecond) << "a positive column shows the up glyph";
    EXPECT_EQ((std::vector<std::string>{"dir", "a.txt", "b.txt", "c.txt"}), Names());

    struct Case {
        int Column;
        int Sort;
        std::vector<std::string> Order;
    };
    const Case cases[] = {
        {0, -1, {"c.txt", "b.txt", "a.txt", "dir"}},
        {0, 1, {"dir", "a.txt", "b.txt", "c.txt"}},
        {1, 2, {"dir", "c.txt", "b.txt", "a.txt"}},
        {1, -2, {"a.txt", "b.txt", "c.txt", "dir"}},
        {modified, modified + 1, {"dir", "c.txt", "a.txt", "b.txt"}},
        {modified, -(modified + 1), {"b.txt", "a.txt", "c.txt", "dir"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sort);
        ClickHeader(c.Column);
        EXPECT_EQ(c.Sort, List->SortColumn());
        EXPECT_EQ(c.Order, Names());
        EXPECT_EQ(c.Column, List->HeaderSortColumn());
    }
    // One click on Name sorts it in the folder's order, a second reverses
    // it: the down glyph, folders last.
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ(-1, List->SortColumn());
    EXPECT_EQ((std::vector<std::string>{"c.txt", "b.txt", "a.txt", "dir"}), Names());
    const auto [downFirst, downSecond] = GlyphHalves(List, Header());
    EXPECT_GT(downFirst, downSecond) << "a negative column shows the down glyph";

    // A handler that sets SortColumn decides alone.
    struct Chooser {
        kw::TKwCustomShellList* List;
        void Click(vcl::TObject*, vcl::TListColumn*) { List->SetSortColumn(3); }
    } chooser{List};
    List->OnColumnClick = vcl::TLVColumnClickEvent(&chooser, &Chooser::Click);
    ClickHeader(0);
    EXPECT_EQ(3, List->SortColumn());
    ClickHeader(0);
    EXPECT_EQ(3, List->SortColumn());
    List->OnColumnClick = {};
}

TEST_F(ShellListColumns, AColumnBeyondTheNewColumnsResetsAndAFailingComparisonKeepsTheOrder)
{
    std::vector<DetailColumn> six;
    for (const char* caption : {"1", "2", "3", "4", "5", "6"})
        six.push_back({caption});
    for (const int sort : {6, -6}) {
        SCOPED_TRACE(sort);
        auto folder = com::MakeComObject<DetailsFolder>();
        folder->Columns = six;
        folder->Names = {"a"};
        ShowFake(folder.Get());
        List->SetSortColumn(sort);
        EXPECT_EQ(5, List->HeaderSortColumn());
        const auto fixed = FixedFolder({"a"});
        ShowFake(fixed.Get());
        EXPECT_EQ(1, List->SortColumn());
        EXPECT_EQ(0, List->HeaderSortColumn());
    }
    // A comparison that fails leaves the listing's order; one that answers
    // sorts, and the column asked is |SortColumn| - 1.
    auto folder = FixedFolder({"c", "a", "b"});
    std::vector<LPARAM> asked;
    folder->Compare = [&](LPARAM column, LPCITEMIDLIST x, LPCITEMIDLIST y) {
        asked.push_back(column);
        return E_FAIL + 0 * (x == y);
    };
    ShowFake(folder.Get());
    List->SetSortColumn(-3);
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), Names());
    EXPECT_TRUE(std::all_of(asked.begin(), asked.end(), [](LPARAM c) { return c == 0 || c == 2; }));
    folder->Compare = [](LPARAM, LPCITEMIDLIST x, LPCITEMIDLIST y) {
        return OrderResult(DetailsFolder::NameOf(x).compare(DetailsFolder::NameOf(y)));
    };
    List->SetSortColumn(2);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Names());
    List->SetSortColumn(-2);
    EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), Names());
    // A fill gives the order the sort column asks for, reversed when negative;
    // a comparison failing for one pair leaves those two as listed.
    struct Fill {
        int Sort;
        std::vector<std::string> Listed;
        std::vector<std::string> Shown;
    };
    const std::vector<Fill> fills = {{-2, {"b", "d", "a", "c"}, {"d", "c", "b", "a"}},
                                     {2, {"b", "d", "a", "c"}, {"a", "b", "c", "d"}},
                                     {2, {"y", "x"}, {"y", "x"}}};
    for (const Fill& fill : fills) {
        auto listed = FixedFolder(fill.Listed);
        listed->Compare = [](LPARAM, LPCITEMIDLIST x, LPCITEMIDLIST y) {
            const std::string a = DetailsFolder::NameOf(x), b = DetailsFolder::NameOf(y);
            return a + b == "xy" || a + b == "yx" ? E_FAIL : OrderResult(a.compare(b));
        };
        List->SetSortColumn(fill.Sort);
        ShowFake(listed.Get());
        EXPECT_EQ(fill.Shown, Names()) << fill.Sort;
    }
}

// ---- display info ----

TEST_F(ShellListColumns, DisplayInfoKeepsAnApplicationsIconAndStoredTexts)
{
    auto folder = com::MakeComObject<DetailsFolder>();
    folder->Columns = {{"Name"}, {"Two"}};
    folder->Names = {"a", "b"};
    ShowFake(folder.Get(), VirtualPlace().Get());
    TListItem* own = List->Items()->Add();
    own->SetCaption("own");
    Pump();
    ASSERT_EQ(3, List->Items()->Count());
    const auto ask = [this](int row, int sub, UINT mask, int image = -77) {
        static char buffer[64];
        NMLVDISPINFOA info{};
        info.hdr = {List->Handle(), 0, LVN_GETDISPINFOA};
        info.item.mask = mask;
        info.item.iItem = row;
        info.item.iSubItem = sub;
        info.item.iImage = image;
        info.item.pszText = buffer;
        info.item.cchTextMax = sizeof buffer;
        buffer[0] = 'X';
        buffer[1] = 0;
        List->Perform(vcl::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return std::make_pair(std::string(buffer), info.item.iImage);
    };
    const int rowA = List->Items()->IndexOf(List->Items()->Item(0));
    List->Items()->Item(0)->SetCaption("");
    folder->NameCalls.clear();
    struct Case {
        const char* Name;
        int Row;
        int Sub;
        std::string Text;
    };
    const Case texts[] = {
        {"detail text", rowA, 1, "a:1"},
        {"past the sub-items: empty", rowA, 2, ""},
        {"an application's item", 2, 0, "own"},
        {"an application's item has no details", 2, 1, ""},
    };
    for (const Case& c : texts)
        EXPECT_EQ(c.Text, ask(c.Row, c.Sub, LVIF_TEXT).first) << c.Name;
    // A stored sub-item text stands.
    List->Items()->Item(0)->SubItems()->SetStrings(0, "mine");
    EXPECT_EQ("mine", ask(rowA, 1, LVIF_TEXT).first);

    // Icons: 1 and above kept, 0 replaced by the shell's, none for an item
    // without shell data.
    kw::TKwShListData* dataA = List->GetDataFromItem(List->Items()->Item(0));
    kw::TKwShListData* dataB = List->GetDataFromItem(List->Items()->Item(1));
    List->Items()->Item(0)->SetImageIndex(1);
    List->Items()->Item(1)->SetImageIndex(0);
    EXPECT_EQ(1, ask(0, 0, LVIF_IMAGE).second);
    EXPECT_EQ(kw::ShellGetIconIndex(dataB->GetAbsoluteIdList(), SHGFI_SMALLICON),
              ask(1, 0, LVIF_IMAGE).second);
    EXPECT_EQ(-77, ask(2, 0, LVIF_IMAGE).second);
    int heard = 0;
    struct Listener {
        int* Heard;
        void Get(vcl::TObject*, TListItem* item) { ++*Heard, item->SetImageIndex(5); }
    } listener{&heard};
    List->OnGetImageIndex = vcl::TLVNotifyEvent(&listener, &Listener::Get);
    EXPECT_EQ(5, ask(1, 0, LVIF_IMAGE).second);
    EXPECT_EQ(1, heard);
    List->OnGetImageIndex = {};
    (void)dataA;
}

// ---- what is asked when drawn ----

TEST_F(ShellListColumns, AtAHundredThousandItemsOnlyTheDrawnRowsAreAskedAndTheSortAsksNoName)
{
    constexpr int kItems = 100000;
    const std::string dir = Home.Home() + "/many";
    std::filesystem::create_directory(dir);
    for (int i = 0; i < kItems; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%06d", i);
        const int fd = ::open((dir + name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    auto* list = vcl::Create<TCountingList>(Form.Get());
    list->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloAutoFill - kw::kwsloDynamicRefresh);
    list->SetParent(Form.Get());
    list->SetBounds(0, 0, 320, 400);
    list->SetViewStyle(vcl::vsReport);
    Pump();
    std::map<const TListItem*, int> icons;
    struct Listener {
        std::map<const TListItem*, int>* Icons;
        void Get(vcl::TObject*, TListItem* item) { ++(*Icons)[item]; }
    } listener{&icons};
    list->OnGetImageIndex = vcl::TLVNotifyEvent(&listener, &Listener::Get);
    const auto drawn = [list] {
        std::set<std::string> rows;
        const int top = list->TopItem() ? list->TopItem()->Index() : 0;
        for (int i = top; i <= top + list->VisibleRowCount() && i < list->Items()->Count(); ++i)
            rows.insert(CountingFolder::BytesOf(list->GetShListData(i)->GetRelPidl()));
        return rows;
    };
    const auto named = [list] {
        int n = 0;
        for (int i = 0; i < list->Items()->Count(); ++i)
            n += !list->Items()->Item(i)->Caption().empty();
        return n;
    };
    struct Phase {
        const char* Name;
        std::function<void()> Act;
    };
    const Phase phases[] = {
        {"fill and first paint",
         [&] {
             list->Folder()->SetIdList(ListOfPath(dir).Get());
             Pump();
         }},
        {"two clicks on Modified",
         [&] {
             int modified = -1;
             for (int i = 0; i < list->Columns()->Count(); ++i)
                 if (list->Columns()->Items(i)->Caption() == "Modified")
                     modified = i;
             ASSERT_GE(modified, 0);
             // The files were made in name order: the second click turns
             // the rows over.
             QHeaderView* header = list->Peer()->findChild<QHeaderView*>();
             const int x = header->sectionViewportPosition(modified) + header->sectionSize(modified) / 2;
             for (int click = 0; click < 2; ++click) {
                 QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
                 Pump();
             }
         }},
    };
    int namedBefore = 0;
    std::set<std::string> drawnBefore;
    for (const Phase& phase : phases) {
        SCOPED_TRACE(phase.Name);
        icons.clear();
        if (list->Proxy) {
            list->Proxy->DetailCalls.clear();
            list->Proxy->NameCalls = 0;
            list->Proxy->CompareCalls = 0;
        }
        phase.Act();
        ASSERT_EQ(kItems, list->Items()->Count());
        ASSERT_TRUE(list->Proxy);
        const std::set<std::string> shown = drawn();
        ASSERT_GT(shown.size(), 5u);
        // The order comes from the folder's comparison alone: no name.
        EXPECT_EQ(0, list->Proxy->NameCalls);
        EXPECT_GT(list->Proxy->CompareCalls, kItems);
        // The rows drawn: now, and those the first repaint of a click drew.
        std::set<std::string> both = shown;
        both.insert(drawnBefore.begin(), drawnBefore.end());
        // Detail texts: the drawn rows only, each cell at most twice.
        for (const auto& [item, columns] : list->Proxy->DetailCalls) {
            EXPECT_TRUE(both.contains(item)) << "a row not drawn";
            for (UINT column : columns)
                EXPECT_LE(std::count(columns.begin(), columns.end(), column), 2);
        }
        EXPECT_GE(list->Proxy->DetailCalls.size(), shown.size() - 1);
        // Icons: the drawn rows only, at most twice each.
        EXPECT_LE(icons.size(), both.size());
        EXPECT_GE(icons.size(), shown.size() - 1);
        for (const auto& [item, calls] : icons) {
            EXPECT_LE(calls, 2);
            EXPECT_TRUE(both.contains(CountingFolder::BytesOf(list->GetDataFromItem(item)->GetRelPidl())));
        }
        // Names, kept as the captions: the drawn rows' only.
        EXPECT_LE(named(), static_cast<int>(both.size()));
        EXPECT_GT(named(), namedBefore);
        namedBefore = named();
        drawnBefore = shown;
    }

    // The name is asked once, into the caption: drawn again, the row shows
    // what the caption holds.
    TListItem* first = list->TopItem();
    ASSERT_FALSE(first->Caption().empty());
    first->SetCaption("kept");
    first->Update();
    Pump();
    EXPECT_EQ("kept", first->Caption());
    list->OnGetImageIndex = {};
    vcl::Free(list);
    Pump();
}

} // namespace
