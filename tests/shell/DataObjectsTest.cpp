// The data objects of the shell tree and list: the offered formats and their
// enumerator, the id-list array and file-drop blocks, the objects built from
// real tree nodes and list items, and the drop source.

#include "ShellControlsTestSupport.h"

#include "KwCorvanePackage.h"

#include "com/TaskAllocator.h"
#include "shell32/DropFiles.h"
#include "shell32/IdListArray.h"
#include "shell32/ShellApi.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"
#include "vcl/core/UnitRegistry.h"
#include "win32/GlobalMemoryTesting.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace kw;
using kwtest::BytesOf;
using kwtest::FolderListOwner;
using kwtest::ListOfPath;
using kwtest::OwnedList;

namespace {

// Registered when the unit starts.
CLIPFORMAT IdList()
{
    return static_cast<CLIPFORMAT>(CF_IDLIST);
}
const CLIPFORMAT kHDrop = static_cast<CLIPFORMAT>(CF_HDROP);

FORMATETC Request(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT)
{
    return FORMATETC{format, nullptr, aspect, -1, tymed};
}

std::uint32_t LE32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

// The whole block, as a receiver reads it.
std::string BlockBytes(HGLOBAL block)
{
    const void* p = GlobalLock(block);
    std::string bytes(static_cast<const char*>(p), GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

// Takes a block over and frees it with the holder.
class OwnedBlock {
public:
    explicit OwnedBlock(HGLOBAL block = nullptr) : Block_(block) {}
    ~OwnedBlock()
    {
        if (Block_)
            GlobalFree(Block_);
    }
    OwnedBlock(const OwnedBlock&) = delete;
    OwnedBlock& operator=(const OwnedBlock&) = delete;
    HGLOBAL& Ref() { return Block_; }
    std::string Bytes() const { return BlockBytes(Block_); }

private:
    HGLOBAL Block_;
};

// The lists of an id-list array, parent first; each offset and list is
// checked to lie inside the block.
std::vector<std::string> ListsOfArray(const std::string& block)
{
    std::vector<std::string> lists;
    const std::uint32_t count = LE32(block, 0);
    for (std::uint32_t i = 0; i <= count; ++i) {
        std::size_t at = LE32(block, 4 + 4 * i);
        const std::size_t start = at;
        for (std::size_t size; (size = static_cast<unsigned char>(block.at(at)) |
                                       static_cast<unsigned char>(block.at(at + 1)) << 8) != 0;)
            at += size;
        lists.push_back(block.substr(start, at + 2 - start));
    }
    return lists;
}

// The names of a file-drop block as a receiver reads them, checking its
// header.
std::vector<std::string> NamesOfHDrop(const std::string& block)
{
    EXPECT_EQ(20u, LE32(block, 0));
    EXPECT_EQ(std::string(16, '\0'), block.substr(4, 16)) << "point, non-client flag and fWide";
    return shell32::ReadDropFiles(block.data(), block.size());
}

// The lists of an id-list array as a receiver reads them, parent first;
// empty when the reader refuses the block.
std::vector<std::string> ReadLists(const std::string& block)
{
    const std::optional<shell32::IdListArray> read = shell32::ReadIdListArray(block.data(), block.size());
    if (!read)
        return {};
    std::vector<std::string> lists{BytesOf(read->Parent.get())};
    for (const shell32::OwnedIdList& item : read->Items)
        lists.push_back(BytesOf(item.get()));
    return lists;
}

// What GetData hands out for one format; nothing when it fails.
std::optional<std::string> DataOf(IDataObject* data, CLIPFORMAT format)
{
    FORMATETC request = Request(format);
    STGMEDIUM medium{};
    if (data->GetData(&request, &medium) != S_OK)
        return std::nullopt;
    EXPECT_EQ(TYMED_HGLOBAL, medium.tymed);
    EXPECT_EQ(nullptr, medium.pUnkForRelease);
    std::string bytes = BlockBytes(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return bytes;
}

std::vector<CLIPFORMAT> EnumeratedFormats(IDataObject* data)
{
    com::ComPtr<IEnumFORMATETC> formats;
    EXPECT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.ReleaseAndGetAddressOf()));
    std::vector<CLIPFORMAT> found;
    FORMATETC record{};
    while (formats && formats->Next(1, &record, nullptr) == S_OK)
        found.push_back(record.cfFormat);
    return found;
}

class DataObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kw::RegisterPackageUnits();
        vcl::InitializeUnits();
        ASSERT_GE(IdList(), 0xC000) << "the unit registers its format";
        std::filesystem::create_directories(In("a/b"));
    }
    void TearDown() override { vcl::FinalizeUnits(); }
    std::string In(const std::string& name) const { return Home.Home() + "/tree/" + name; }

    kwtest::ScopedHome Home;
};

// ---- format records and lists ----

TEST_F(DataObjectsTest, RecordsAreCopiedWithTheirOwnTargetDevice)
{
    alignas(DVTARGETDEVICE) unsigned char device[40] = {40};
    for (int i = 4; i < 40; ++i)
        device[i] = static_cast<unsigned char>(i);
    for (DVTARGETDEVICE* ptd :
         {static_cast<DVTARGETDEVICE*>(nullptr), reinterpret_cast<DVTARGETDEVICE*>(device)}) {
        const FORMATETC source{kHDrop, ptd, DVASPECT_ICON, 7, TYMED_ISTREAM};
        FORMATETC* copy = CopyFormatEtc(source);
        EXPECT_EQ(kHDrop, copy->cfFormat);
        EXPECT_EQ(DVASPECT_ICON, copy->dwAspect);
        EXPECT_EQ(7, copy->lindex);
        EXPECT_EQ(TYMED_ISTREAM, copy->tymed);
        if (ptd) {
            ASSERT_NE(ptd, copy->ptd);
            EXPECT_EQ(0, std::memcmp(device, copy->ptd, sizeof device));
        } else {
            EXPECT_EQ(nullptr, copy->ptd);
        }
        FreeFormatEtc(copy);
    }

    // A receiver of the enumerator's records owns the device it is handed.
    const std::shared_ptr<TKwFormatEtcList> list = TKwFormatEtcList::CreateEmpty();
    list->Add(
        FORMATETC{kHDrop, reinterpret_cast<DVTARGETDEVICE*>(device), DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    FORMATETC fetched{};
    ASSERT_EQ(S_OK, list->CreateEnumerator()->Next(1, &fetched, nullptr));
    ASSERT_NE(nullptr, fetched.ptd);
    EXPECT_NE(&list->Items(0), &fetched);
    EXPECT_NE(list->Items(0).ptd, fetched.ptd);
    EXPECT_EQ(0, std::memcmp(device, fetched.ptd, sizeof device));
    CoTaskMemFree(fetched.ptd);
    EXPECT_THROW(list->Items(1), vcl::EListError);
}

TEST_F(DataObjectsTest, AvailabilityOfTheOfferedFormats)
{
    const CLIPFORMAT formats[] = {IdList(), kHDrop};
    const std::shared_ptr<TKwFormatEtcList> list = TKwFormatEtcList::Create(formats);
    ASSERT_EQ(2, list->Count());
    for (int i = 0; i < 2; ++i) {
        const FORMATETC& record = list->Items(i);
        EXPECT_EQ(formats[i], record.cfFormat);
        EXPECT_EQ(nullptr, record.ptd);
        EXPECT_EQ(DVASPECT_CONTENT, record.dwAspect);
        EXPECT_EQ(-1, record.lindex);
        EXPECT_EQ(TYMED_HGLOBAL, record.tymed);
    }
    struct Case {
        const char* name;
        FORMATETC request;
        HRESULT answer;
    };
    const std::vector<Case> cases = {
        {"file drop in memory", Request(kHDrop), S_OK},
        {"file drop as a stream", Request(kHDrop, TYMED_ISTREAM), DV_E_TYMED},
        {"text", Request(CF_TEXT), DV_E_FORMATETC},
        {"id list in memory or a stream", Request(IdList(), TYMED_HGLOBAL | TYMED_ISTREAM), S_OK},
        {"an icon of the id list", Request(IdList(), TYMED_HGLOBAL, DVASPECT_ICON), DV_E_FORMATETC},
        {"an icon of text", Request(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_FORMATETC},
        {"lindex and device take no part",
         FORMATETC{kHDrop, reinterpret_cast<DVTARGETDEVICE*>(1), DVASPECT_CONTENT, 5, TYMED_HGLOBAL}, S_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, list->QueryGetData(c.request)) << c.name;
    list->Clear();
    EXPECT_EQ(0, list->Count());
    EXPECT_EQ(DV_E_FORMATETC, list->QueryGetData(Request(kHDrop)));
}

TEST_F(DataObjectsTest, TheEnumeratorWalksTheFormats)
{
    const CLIPFORMAT formats[] = {IdList(), kHDrop};
    com::ComPtr<IEnumFORMATETC> walker = TKwFormatEtcList::Create(formats)->CreateEnumerator();
    com::ComPtr<IEnumFORMATETC> clone;
    struct Step {
        const char* name;
        std::function<HRESULT(std::vector<CLIPFORMAT>&)> run;
        HRESULT answer;
        std::vector<CLIPFORMAT> fetched;
    };
    const auto next = [&](ULONG count) {
        return [&, count](std::vector<CLIPFORMAT>& got) {
            FORMATETC records[4]{};
            ULONG fetched = 99;
            const HRESULT hr = walker->Next(count, records, &fetched);
            for (ULONG i = 0; i < fetched; ++i)
                got.push_back(records[i].cfFormat);
            return hr;
        };
    };
    const std::vector<Step> steps = {
        {"Next(3) on a fresh walker", next(3), S_FALSE, {IdList(), kHDrop}},
        {"Next(1) at the end", next(1), S_FALSE, {}},
        {"Reset", [&](auto&) { return walker->Reset(); }, S_OK, {}},
        {"Skip(2)", [&](auto&) { return walker->Skip(2); }, S_OK, {}},
        {"Skip(1) past the end", [&](auto&) { return walker->Skip(1); }, S_FALSE, {}},
        {"Reset, Skip(1)", [&](auto&) { return walker->Reset() | walker->Skip(1); }, S_OK, {}},
        {"Clone", [&](auto&) { return walker->Clone(clone.ReleaseAndGetAddressOf()); }, S_OK, {}},
        {"Next(1) from the position", next(1), S_OK, {kHDrop}},
        {"the clone starts where the walker was",
         [&](std::vector<CLIPFORMAT>& got) {
             FORMATETC record{};
             const HRESULT hr = clone->Next(1, &record, nullptr);
             got.push_back(record.cfFormat);
             return hr;
         },
         S_OK,
         {kHDrop}},
        {"Skip(5) from the start", [&](auto&) { return walker->Reset() | walker->Skip(5); }, S_FALSE, {}},
        {"Next(0)", next(0), S_OK, {}},
    };
    for (const Step& s : steps) {
        std::vector<CLIPFORMAT> got;
        EXPECT_EQ(s.answer, s.run(got)) << s.name;
        EXPECT_EQ(s.fetched, got) << s.name;
    }
}

// ---- blocks ----

TEST_F(DataObjectsTest, IdListArrayBlocks)
{
    const OwnedList parent = kwtest::MakeList({"folder", "sub"});
    const OwnedList one = kwtest::MakeList({"item one"});
    const OwnedList two = kwtest::MakeList({"2"});
    const OwnedList three = kwtest::MakeList({"three", "deep"});
    const OwnedList desktop = kwtest::MakeList({});
    struct Case {
        const char* name;
        const ITEMIDLIST* parent;
        std::vector<LPCITEMIDLIST> items;
        std::vector<std::uint32_t> offsets;
    };
    const std::uint32_t oneLen = static_cast<std::uint32_t>(IdListLen(one.Get()));
    const std::uint32_t parentLen = static_cast<std::uint32_t>(IdListLen(parent.Get()));
    const std::vector<Case> cases = {
        {"one item on the desktop (nil)", nullptr, {one.Get()}, {12, 14}},
        {"one item on the desktop (empty)", desktop.Get(), {one.Get()}, {12, 14}},
        {"three items",
         parent.Get(),
         {one.Get(), two.Get(), three.Get()},
         {20, 20 + parentLen, 20 + parentLen + oneLen, 20 + parentLen + oneLen + 5}},
        {"no items", parent.Get(), {}, {8}},
    };
    for (const Case& c : cases) {
        OwnedBlock block;
        ASSERT_EQ(S_OK, MakeIdListArrayHGlobal(c.parent, c.items, block.Ref())) << c.name;
        const std::string bytes = block.Bytes();
        std::size_t expectedSize = 8 + 4 * c.items.size() + (c.parent ? IdListLen(c.parent) : 2);
        for (LPCITEMIDLIST item : c.items)
            expectedSize += static_cast<std::size_t>(IdListLen(item));
        EXPECT_EQ(expectedSize, bytes.size()) << c.name;
        EXPECT_EQ(c.items.size(), LE32(bytes, 0)) << c.name;
        for (std::size_t i = 0; i < c.offsets.size(); ++i)
            EXPECT_EQ(c.offsets[i], LE32(bytes, 4 + 4 * i)) << c.name << " offset " << i;
        const std::vector<std::string> lists = ListsOfArray(bytes);
        ASSERT_EQ(c.items.size() + 1, lists.size()) << c.name;
        EXPECT_EQ(c.parent ? BytesOf(c.parent) : std::string(2, '\0'), lists[0]) << c.name;
        for (std::size_t i = 0; i < c.items.size(); ++i)
            EXPECT_EQ(BytesOf(c.items[i]), lists[i + 1]) << c.name << " item " << i;
    }
}

TEST_F(DataObjectsTest, FileDropBlocks)
{
    const std::string longPath = "/" + std::string(3999, 'p');
    struct Case {
        const char* name;
        std::vector<std::string> names;
        std::size_t size;
        std::vector<std::string> listed;
    };
    const std::vector<Case> cases = {
        {"two names", {"C:\\a", "C:\\b c"}, 541, {"C:\\a", "C:\\b c"}},
        {"no names", {}, 21, {}},
        {"a 4,000-byte path", {longPath}, 21 + 4001, {longPath}},
        {"a long name among short ones", {"/x", longPath, "/y"}, 21 + 3 + 4001 + 3, {"/x", longPath, "/y"}},
        {"raw bytes and a line break",
         {"/bad\xff\xfe", "/line\nbreak"},
         541,
         {"/bad\xff\xfe", "/line\nbreak"}},
        {"an empty name would end the list", {"/a", "", "/b"}, 801, {"/a", "/b"}},
        {"a zero byte would split a name", {std::string("/a\0/etc/passwd", 14), "/b"}, 541, {"/b"}},
    };
    for (const Case& c : cases) {
        vcl::TStringList names;
        for (const std::string& name : c.names)
            names.Add(name);
        OwnedBlock block;
        ASSERT_EQ(S_OK, MakeHDropHGlobal(names, block.Ref())) << c.name;
        const std::string bytes = block.Bytes();
        EXPECT_EQ(c.size, bytes.size()) << c.name;
        EXPECT_EQ(c.listed, NamesOfHDrop(bytes)) << c.name;
        std::size_t used = 21;
        for (const std::string& name : c.listed)
            used += name.size() + 1;
        EXPECT_EQ(std::string(bytes.size() - used + 1, '\0'), bytes.substr(used - 1)) << c.name;
    }
}

TEST_F(DataObjectsTest, DuplicatesHaveTheSameBytes)
{
    vcl::TStringList names;
    names.Add("/some/file");
    OwnedBlock block;
    ASSERT_EQ(S_OK, MakeHDropHGlobal(names, block.Ref()));
    OwnedBlock copy(DuplicateHGlobal(block.Ref()));
    ASSERT_NE(nullptr, copy.Ref());
    EXPECT_NE(block.Ref(), copy.Ref());
    EXPECT_EQ(block.Bytes(), copy.Bytes());
    EXPECT_EQ(nullptr, DuplicateHGlobal(nullptr));
}

TEST_F(DataObjectsTest, AFailedAllocationGivesNoBlock)
{
    const OwnedList item = kwtest::MakeList({"item"});
    const LPCITEMIDLIST items[] = {item.Get()};
    vcl::TStringList names;
    names.Add("/some/file");
    OwnedBlock source;
    ASSERT_EQ(S_OK, MakeHDropHGlobal(names, source.Ref()));
    const HGLOBAL stale = reinterpret_cast<HGLOBAL>(std::uintptr_t{1});
    struct Case {
        const char* name;
        std::function<HRESULT(HGLOBAL&)> make;
    };
    const std::vector<Case> cases = {
        {"an id-list array", [&](HGLOBAL& h) { return MakeIdListArrayHGlobal(nullptr, items, h); }},
        {"a file-drop list", [&](HGLOBAL& h) { return MakeHDropHGlobal(names, h); }},
        {"a duplicate",
         [&](HGLOBAL& h) {
             h = DuplicateHGlobal(source.Ref());
             return h ? S_OK : E_OUTOFMEMORY;
         }},
    };
    for (const Case& c : cases) {
        HGLOBAL block = stale;
        win32::testing::FailGlobalAllocation();
        EXPECT_EQ(E_OUTOFMEMORY, c.make(block)) << c.name;
        EXPECT_EQ(nullptr, block) << c.name;
        OwnedBlock again;
        EXPECT_EQ(S_OK, c.make(again.Ref())) << c.name << ": the heap is back";
    }
}

// ---- data objects ----

TEST_F(DataObjectsTest, WhatADataObjectAnswers)
{
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    const com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(&top);

    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, data->QueryInterface(IID_IDropSource, &other));
    EXPECT_EQ(nullptr, other);
    for (REFIID iid : {IID_IUnknown, IID_IDataObject}) {
        void* same = nullptr;
        ASSERT_EQ(S_OK, data->QueryInterface(iid, &same));
        EXPECT_EQ(3u, data->AddRef()) << "the query took a reference";
        data->Release();
        static_cast<IUnknown*>(same)->Release();
    }

    FORMATETC request = Request(kHDrop);
    STGMEDIUM medium{};
    EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&request, &medium));
    EXPECT_EQ(E_NOTIMPL, data->SetData(&request, &medium, TRUE));
    FORMATETC canonical{};
    canonical.ptd = reinterpret_cast<DVTARGETDEVICE*>(1);
    EXPECT_EQ(E_NOTIMPL, data->GetCanonicalFormatEtc(&request, &canonical));
    EXPECT_EQ(nullptr, canonical.ptd);
    DWORD connection = 0;
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->DAdvise(&request, 0, nullptr, &connection));
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->DUnadvise(1));
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->EnumDAdvise(nullptr));
    IEnumFORMATETC* setter = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, &setter));
    EXPECT_EQ(nullptr, setter);

    struct Case {
        const char* name;
        FORMATETC request;
        HRESULT answer;
    };
    for (const Case& c : std::vector<Case>{
             {"file drop", Request(kHDrop), S_OK},
             {"id list", Request(IdList()), S_OK},
             {"file drop as a stream", Request(kHDrop, TYMED_ISTREAM), DV_E_TYMED},
             {"text", Request(CF_TEXT), DV_E_FORMATETC},
             {"an icon", Request(IdList(), TYMED_HGLOBAL, DVASPECT_ICON), DV_E_FORMATETC},
         }) {
        FORMATETC asked = c.request;
        EXPECT_EQ(c.answer, data->QueryGetData(&asked)) << c.name;
        STGMEDIUM got{};
        const HRESULT hr = data->GetData(&asked, &got);
        EXPECT_EQ(c.answer, hr) << c.name;
        if (SUCCEEDED(hr))
            ReleaseStgMedium(&got);
        else
            EXPECT_EQ(nullptr, got.hGlobal) << c.name;
    }
}

TEST_F(DataObjectsTest, CopiesAndEnumeratorsOutliveTheObject)
{
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(&top);
    com::ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.ReleaseAndGetAddressOf()));
    FORMATETC request = Request(kHDrop);
    STGMEDIUM first{};
    STGMEDIUM second{};
    ASSERT_EQ(S_OK, data->GetData(&request, &first));
    ASSERT_EQ(S_OK, data->GetData(&request, &second));
    EXPECT_NE(first.hGlobal, second.hGlobal) << "every receiver has a copy of its own";
    ReleaseStgMedium(&first);
    EXPECT_EQ(std::vector<std::string>{In("a")}, NamesOfHDrop(*DataOf(data.Get(), kHDrop)));

    data = nullptr; // the last reference: the object goes
    EXPECT_EQ(std::vector<std::string>{In("a")}, NamesOfHDrop(BlockBytes(second.hGlobal)));
    ReleaseStgMedium(&second);
    com::ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(S_OK, formats->Clone(clone.ReleaseAndGetAddressOf()));
    formats = nullptr;
    FORMATETC records[3]{};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, clone->Next(3, records, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(IdList(), records[0].cfFormat);
    EXPECT_EQ(kHDrop, records[1].cfFormat);
}

TEST_F(DataObjectsTest, AnObjectOffersTheBlocksItCouldBuild)
{
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    struct Case {
        const char* name;
        std::size_t succeeding; // allocations before the one that fails
        std::vector<CLIPFORMAT> offered;
    };
    for (const Case& c :
         std::vector<Case>{{"no id-list array", 0, {kHDrop}}, {"no file-drop list", 1, {IdList()}}}) {
        win32::testing::FailGlobalAllocation(c.succeeding);
        const com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(&top);
        EXPECT_EQ(c.offered, EnumeratedFormats(data.Get())) << c.name;
        for (const CLIPFORMAT format : {IdList(), kHDrop}) {
            const bool offered = c.offered.front() == format;
            EXPECT_EQ(offered, DataOf(data.Get(), format).has_value()) << c.name;
            FORMATETC request = Request(format);
            EXPECT_EQ(offered ? S_OK : DV_E_FORMATETC, data->QueryGetData(&request)) << c.name;
        }
    }

    // A copy that cannot be made: out of memory, and the object goes on.
    const com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(&top);
    FORMATETC request = Request(kHDrop);
    STGMEDIUM medium{};
    win32::testing::FailGlobalAllocation();
    EXPECT_EQ(E_OUTOFMEMORY, data->GetData(&request, &medium));
    EXPECT_EQ(nullptr, medium.hGlobal);
    EXPECT_EQ(std::vector<std::string>{In("a")}, NamesOfHDrop(*DataOf(data.Get(), kHDrop)));
}

TEST_F(DataObjectsTest, TreeNodesGiveTheirItem)
{
    const OwnedList base = ListOfPath(In("a"));
    TKwShTreeData top(nullptr);
    top.SetData(nullptr, base.Get());
    FolderListOwner inA(In("a"));
    FolderListOwner inB(In("a/b"));
    std::filesystem::create_directories(In("a/b/c"));
    TKwShTreeData b(nullptr);
    TKwShTreeData c(nullptr);
    b.SetData(&top, inA.ItemNamed("b").Get());
    c.SetData(&b, inB.ItemNamed("c").Get());
    TKwShTreeData bare(nullptr);

    struct Case {
        const char* name;
        TKwShTreeData* node;
        std::string parent; // the parent's list bytes
        std::string item;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"a node two levels down", &c, BytesOf(b.GetAbsPidl()), BytesOf(c.GetRelPidl()), {In("a/b/c")}},
        {"the top node: its whole list on the desktop",
         &top,
         std::string(2, '\0'),
         BytesOf(base.Get()),
         {In("a")}},
    };
    for (const Case& k : cases) {
        const com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(k.node);
        EXPECT_EQ((std::vector<CLIPFORMAT>{IdList(), kHDrop}), EnumeratedFormats(data.Get())) << k.name;
        EXPECT_EQ((std::vector<std::string>{k.parent, k.item}), ReadLists(*DataOf(data.Get(), IdList())))
            << k.name;
        EXPECT_EQ(k.names, NamesOfHDrop(*DataOf(data.Get(), kHDrop))) << k.name;
    }

    for (TKwShTreeData* none : {static_cast<TKwShTreeData*>(nullptr), &bare}) {
        const com::ComPtr<TDataObject_shtv> data = com::MakeComObject<TDataObject_shtv>(none);
        EXPECT_TRUE(EnumeratedFormats(data.Get()).empty()) << "a node without shell data gives nothing";
        FORMATETC request = Request(IdList());
        STGMEDIUM medium{};
        EXPECT_EQ(DV_E_FORMATETC, data->GetData(&request, &medium));
    }
}

TEST_F(DataObjectsTest, AListGivesItsSelectedShellItemsInIndexOrder)
{
    for (const char* name : {"one.txt", "two.txt", "three.txt", "four.txt"})
        std::ofstream(In(std::string("a/") + name)) << name;
    FolderListOwner list(In("a"));
    const auto item = [&](const char* name) {
        auto data = std::make_unique<TKwShListData>(&list);
        data->SetData(list.ItemNamed(name).Release());
        return data;
    };
    const auto one = item("one.txt"), two = item("two.txt"), three = item("three.txt"),
               four = item("four.txt");
    const auto sub = item("b");

    // None selected, or only items without shell data: the silent abort.
    list.AddListItem(one.get(), false);
    list.AddListItem(nullptr, true);
    EXPECT_THROW(com::MakeComObject<TDataObject_shlv>(&list), vcl::EAbort);

    list.AddListItem(three.get(), true);
    list.AddListItem(two.get(), false);
    list.AddListItem(sub.get(), true);
    list.AddListItem(four.get(), true);
    const com::ComPtr<TDataObject_shlv> data = com::MakeComObject<TDataObject_shlv>(&list);
    EXPECT_EQ((std::vector<CLIPFORMAT>{IdList(), kHDrop}), EnumeratedFormats(data.Get()));
    EXPECT_EQ((std::vector<std::string>{BytesOf(list.GetCurrentFolderIdList()), BytesOf(three->GetRelPidl()),
                                        BytesOf(sub->GetRelPidl()), BytesOf(four->GetRelPidl())}),
              ReadLists(*DataOf(data.Get(), IdList())));
    EXPECT_EQ((std::vector<std::string>{In("a/three.txt"), In("a/b"), In("a/four.txt")}),
              NamesOfHDrop(*DataOf(data.Get(), kHDrop)));
    // Each receiver's copy is the whole block the builder makes of those
    // names, its zeroed room included, however often it is asked for.
    vcl::TStringList names;
    for (const char* name : {"a/three.txt", "a/b", "a/four.txt"})
        names.Add(In(name));
    OwnedBlock built;
    ASSERT_EQ(S_OK, MakeHDropHGlobal(names, built.Ref()));
    EXPECT_EQ(built.Bytes(), *DataOf(data.Get(), kHDrop));
    EXPECT_EQ(built.Bytes(), *DataOf(data.Get(), kHDrop));

    // Virtual items are no files to drop: only their id lists go.
    OwnedList desktopList = kwtest::MakeList({});
    FolderListOwner desktop(desktopList.Get());
    OwnedList computer;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Out()));
    TKwShListData computerItem(&desktop);
    computerItem.SetData(computer.Release());
    desktop.AddListItem(&computerItem, true);
    const com::ComPtr<TDataObject_shlv> virtualData = com::MakeComObject<TDataObject_shlv>(&desktop);
    EXPECT_EQ(std::vector<CLIPFORMAT>{IdList()}, EnumeratedFormats(virtualData.Get()));
}

TEST_F(DataObjectsTest, TheDropSourceFollowsItsButton)
{
    struct Case {
        vcl::TMouseButton button;
        BOOL escape;
        DWORD keys;
        HRESULT answer;
    };
    const std::vector<Case> cases = {
        {vcl::mbRight, FALSE, MK_RBUTTON, S_OK},
        {vcl::mbRight, FALSE, MK_RBUTTON | MK_LBUTTON, DRAGDROP_S_CANCEL},
        {vcl::mbRight, FALSE, 0, DRAGDROP_S_DROP},
        {vcl::mbRight, TRUE, MK_RBUTTON, DRAGDROP_S_CANCEL},
        {vcl::mbRight, TRUE, 0, DRAGDROP_S_CANCEL},
        {vcl::mbRight, FALSE, MK_RBUTTON | MK_SHIFT | MK_CONTROL, S_OK},
        {vcl::mbLeft, FALSE, MK_LBUTTON, S_OK},
        {vcl::mbLeft, FALSE, MK_LBUTTON | MK_MBUTTON, DRAGDROP_S_CANCEL},
        {vcl::mbLeft, FALSE, MK_CONTROL, DRAGDROP_S_DROP},
        {vcl::mbMiddle, FALSE, MK_MBUTTON, S_OK},
        {vcl::mbMiddle, FALSE, MK_MBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {vcl::mbMiddle, FALSE, 0, DRAGDROP_S_DROP},
    };
    for (const Case& c : cases) {
        const com::ComPtr<TDropSource_shlvtv> source = com::MakeComObject<TDropSource_shlvtv>(c.button);
        EXPECT_EQ(c.answer, source->QueryContinueDrag(c.escape, c.keys))
            << "button " << c.button << " escape " << c.escape << " keys " << c.keys;
        EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source->GiveFeedback(DROPEFFECT_MOVE));
        com::ComPtr<IDropSource> asSource;
        EXPECT_EQ(S_OK, source->QueryInterface(IID_PPV_ARGS(asSource.ReleaseAndGetAddressOf())));
    }
}

} // namespace
