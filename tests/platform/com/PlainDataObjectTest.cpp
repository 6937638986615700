#include "com/PlainDataObject.h"
#include "TestSupport.h"
#include "win32/ClipboardFormats.h"
#include "win32/GlobalMemory.h"
#include "win32/GlobalMemoryTesting.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr CLIPFORMAT kFiles = CF_HDROP;
constexpr CLIPFORMAT kText = CF_TEXT;
constexpr CLIPFORMAT kOther = CF_UNICODETEXT;

FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT,
                 LONG lindex = -1)
{
    return FORMATETC{format, nullptr, aspect, lindex, tymed};
}

STGMEDIUM Medium(HGLOBAL block)
{
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    return medium;
}

com::ComPtr<IDataObject> NewObject()
{
    com::ComPtr<IDataObject> object;
    EXPECT_EQ(com::CreatePlainDataObject(object.ReleaseAndGetAddressOf()), S_OK);
    return object;
}

// Sets format to bytes, handing the block over.
void Set(IDataObject* object, CLIPFORMAT format, const std::string& bytes)
{
    FORMATETC f = Format(format);
    STGMEDIUM medium = Medium(kwtest::GlobalBlockOf(bytes));
    ASSERT_EQ(object->SetData(&f, &medium, TRUE), S_OK);
}

std::string Get(IDataObject* object, CLIPFORMAT format)
{
    FORMATETC f = Format(format);
    STGMEDIUM medium{};
    if (object->GetData(&f, &medium) != S_OK)
        return "<none>";
    EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    std::string bytes = kwtest::GlobalBlockBytes(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return bytes;
}

std::vector<CLIPFORMAT> Formats(IEnumFORMATETC* formats)
{
    std::vector<CLIPFORMAT> found;
    FORMATETC f{};
    ULONG fetched = 0;
    while (formats->Next(1, &f, &fetched) == S_OK) {
        EXPECT_EQ(f.ptd, nullptr);
        found.push_back(f.cfFormat);
    }
    return found;
}

TEST(PlainDataObject, TakesOverOrCopiesAndHandsOutCopies)
{
    const std::size_t live = win32::testing::LiveGlobalAllocations();
    {
        com::ComPtr<IDataObject> object = NewObject();
        Set(object.Get(), kFiles, "taken");

        HGLOBAL mine = kwtest::GlobalBlockOf("copied");
        FORMATETC f = Format(kText);
        STGMEDIUM medium = Medium(mine);
        ASSERT_EQ(object->SetData(&f, &medium, FALSE), S_OK);
        std::memcpy(GlobalLock(mine), "CHANGE", 6); // the object has its own copy
        GlobalUnlock(mine);
        EXPECT_EQ(GlobalFree(mine), nullptr);

        // Each GetData is a copy freed by its receiver; the object keeps its data.
        EXPECT_EQ(Get(object.Get(), kFiles), "taken");
        EXPECT_EQ(Get(object.Get(), kFiles), "taken");
        EXPECT_EQ(Get(object.Get(), kText), "copied");
        EXPECT_EQ(Get(object.Get(), kOther), "<none>");
        EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live + 2);

        Set(object.Get(), kFiles, "again"); // replaces, freeing the one before
        EXPECT_EQ(Get(object.Get(), kFiles), "again");
        EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live + 2);
    }
    EXPECT_EQ(win32::testing::LiveGlobalAllocations(), live); // freed at the last release
}

struct QueryCase {
    const char* Name;
    FORMATETC Request;
    HRESULT Expected;
};

class PlainDataObjectQuery : public testing::TestWithParam<QueryCase> {};

TEST_P(PlainDataObjectQuery, AnswersAvailability)
{
    com::ComPtr<IDataObject> object = NewObject();
    Set(object.Get(), kFiles, "x");
    FORMATETC request = GetParam().Request;
    EXPECT_EQ(object->QueryGetData(&request), GetParam().Expected);
    STGMEDIUM medium{};
    const HRESULT got = object->GetData(&request, &medium);
    EXPECT_EQ(got, GetParam().Expected);
    if (got == S_OK)
        ReleaseStgMedium(&medium);
    else
        EXPECT_EQ(medium.hGlobal, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, PlainDataObjectQuery,
    testing::Values(QueryCase{"Offered", Format(kFiles), S_OK},
                    QueryCase{"AnyOfSeveralMedia", Format(kFiles, TYMED_HGLOBAL | TYMED_ISTREAM), S_OK},
                    QueryCase{"OtherMedium", Format(kFiles, TYMED_ISTREAM), DV_E_TYMED},
                    QueryCase{"OtherFormat", Format(kText), DV_E_FORMATETC},
                    QueryCase{"OtherAspect", Format(kFiles, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_FORMATETC},
                    QueryCase{"PartOfContent", Format(kFiles, TYMED_HGLOBAL, DVASPECT_CONTENT, 0),
                              DV_E_LINDEX}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PlainDataObject, RefusedSetDataLeavesTheMediumWithTheCaller)
{
    com::ComPtr<IDataObject> object = NewObject();
    HGLOBAL block = kwtest::GlobalBlockOf("kept");
    FORMATETC f = Format(kFiles);
    STGMEDIUM stream = Medium(block);
    stream.tymed = TYMED_ISTREAM;
    EXPECT_EQ(object->SetData(&f, &stream, TRUE), DV_E_TYMED);
    FORMATETC inStream = Format(kFiles, TYMED_ISTREAM);
    STGMEDIUM medium = Medium(block);
    EXPECT_EQ(object->SetData(&inStream, &medium, TRUE), DV_E_TYMED);
    FORMATETC part = Format(kFiles, TYMED_HGLOBAL, DVASPECT_CONTENT, 2);
    EXPECT_EQ(object->SetData(&part, &medium, TRUE), DV_E_LINDEX);
    EXPECT_EQ(object->SetData(nullptr, &medium, TRUE), E_INVALIDARG);

    win32::testing::FailGlobalAllocation();
    EXPECT_EQ(object->SetData(&f, &medium, FALSE), E_OUTOFMEMORY);
    EXPECT_EQ(kwtest::GlobalBlockBytes(block), "kept");
    ASSERT_EQ(GlobalFree(block), nullptr);

    STGMEDIUM freed = Medium(block);
    EXPECT_EQ(object->SetData(&f, &freed, TRUE), E_INVALIDARG);
    com::ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(object->EnumFormatEtc(DATADIR_GET, formats.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_TRUE(Formats(formats.Get()).empty());
}

TEST(PlainDataObject, FailedCopyAnswersOutOfMemoryAndStaysUsable)
{
    com::ComPtr<IDataObject> object = NewObject();
    Set(object.Get(), kFiles, "data");
    FORMATETC f = Format(kFiles);
    STGMEDIUM medium{};
    win32::testing::FailGlobalAllocation();
    EXPECT_EQ(object->GetData(&f, &medium), E_OUTOFMEMORY);
    EXPECT_EQ(medium.hGlobal, nullptr);
    EXPECT_EQ(Get(object.Get(), kFiles), "data");
}

TEST(PlainDataObject, EnumeratorWalksAndOutlivesItsObject)
{
    com::ComPtr<IDataObject> object = NewObject();
    Set(object.Get(), kFiles, "a");
    Set(object.Get(), kText, "b");
    Set(object.Get(), kFiles, "c"); // replaced in place: the order stays

    com::ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(object->EnumFormatEtc(DATADIR_GET, formats.ReleaseAndGetAddressOf()), S_OK);
    FORMATETC got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(formats->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, kFiles);
    EXPECT_EQ(got[1].cfFormat, kText);
    EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Next(2, got, nullptr), E_INVALIDARG);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(1), S_OK);

    com::ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(formats->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
    Set(object.Get(), kOther, "later"); // not in lists made before
    object.Reset();                     // the last reference to the object
    EXPECT_EQ(Formats(clone.Get()), std::vector<CLIPFORMAT>{kText});
    EXPECT_EQ(formats->Skip(2), S_FALSE);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(2), S_OK);
    EXPECT_EQ(formats->Skip(1), S_FALSE);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(Formats(formats.Get()), (std::vector<CLIPFORMAT>{kFiles, kText}));
}

TEST(PlainDataObject, OtherDirectionsAndAdviseAreRefused)
{
    com::ComPtr<IDataObject> object = NewObject();
    IEnumFORMATETC* formats = reinterpret_cast<IEnumFORMATETC*>(&object);
    EXPECT_EQ(object->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(formats, nullptr);
    FORMATETC f = Format(kFiles);
    DWORD connection = 7;
    EXPECT_EQ(object->DAdvise(&f, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(connection, 0u);
    EXPECT_EQ(object->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
    IEnumSTATDATA* advises = reinterpret_cast<IEnumSTATDATA*>(&object);
    EXPECT_EQ(object->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(advises, nullptr);

    DVTARGETDEVICE device{};
    FORMATETC onDevice = f;
    onDevice.ptd = &device;
    FORMATETC canonical{};
    EXPECT_EQ(object->GetCanonicalFormatEtc(&onDevice, &canonical), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(canonical.cfFormat, kFiles);
    EXPECT_EQ(canonical.ptd, nullptr);
}

TEST(PlainDataObject, GetDataHereFillsTheCallersBlockWhenItFits)
{
    com::ComPtr<IDataObject> object = NewObject();
    Set(object.Get(), kFiles, "four");
    FORMATETC f = Format(kFiles);
    STGMEDIUM roomy = Medium(kwtest::GlobalBlockOf("........"));
    EXPECT_EQ(object->GetDataHere(&f, &roomy), S_OK);
    EXPECT_EQ(kwtest::GlobalBlockBytes(roomy.hGlobal), "four....");
    STGMEDIUM small = Medium(kwtest::GlobalBlockOf("..."));
    EXPECT_EQ(object->GetDataHere(&f, &small), STG_E_MEDIUMFULL);
    EXPECT_EQ(kwtest::GlobalBlockBytes(small.hGlobal), "...");
    ReleaseStgMedium(&roomy);
    ReleaseStgMedium(&small);
}

} // namespace
