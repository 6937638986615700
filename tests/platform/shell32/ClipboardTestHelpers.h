#pragma once
// A data object of the test's own for the clipboard's tests: formats set as
// bytes, GetData counted, enumeration that may fail and GetData that may
// throw (a broken object the clipboard must survive); readers of the blocks
// the clipboard hands back.

#include "com/ComObject.h"
#include "com/DataObject.h"
#include "com/Initialization.h"
#include "com/PlainDataObject.h"
#include "shell32/ClipboardMime.h"
#include "shell32/DropFiles.h"
#include "shell32/OleClipboard.h"
#include "shell32/TransferBlocks.h"
#include "win32/GlobalMemory.h"

#include "TransferBlockReaders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cliptest {

class TestDataObject : public com::ComObject<IDataObject> {
public:
    static inline int Live = 0;

    TestDataObject() { ++Live; }
    ~TestDataObject() override { --Live; }

    void Set(CLIPFORMAT format, std::string bytes) { Data_[format] = std::move(bytes); }
    int GetDataCalls = 0;
    HRESULT EnumFailure = S_OK;
    bool ThrowFromGetData = false;

    HRESULT GetData(FORMATETC* in, STGMEDIUM* medium) override
    {
        ++GetDataCalls;
        if (ThrowFromGetData)
            throw std::runtime_error("broken data object");
        const auto found = Data_.find(in->cfFormat);
        if (found == Data_.end() || !(in->tymed & TYMED_HGLOBAL))
            return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, found->second.size());
        if (!block)
            return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(block), found->second.data(), found->second.size());
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* in) override { return Data_.count(in->cfFormat) ? S_OK : DV_E_FORMATETC; }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override
    {
        *out = nullptr;
        if (FAILED(EnumFailure))
            return EnumFailure;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        auto formats = std::make_shared<com::FormatList>();
        for (const auto& [format, bytes] : Data_)
            formats->push_back(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return com::CreateFormatEnumerator(std::move(formats), 0, out);
    }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::map<CLIPFORMAT, std::string> Data_;
};

// The bytes an object gives in a format (HGLOBAL), nothing when it has none.
inline std::optional<std::string> Get(IDataObject* object, CLIPFORMAT format)
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (object->GetData(&request, &medium) != S_OK)
        return std::nullopt;
    EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
    std::string bytes = blocktest::BlockBytes(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return bytes;
}

// The formats an object lists.
inline std::vector<CLIPFORMAT> Formats(IDataObject* object)
{
    std::vector<CLIPFORMAT> formats;
    com::ComPtr<IEnumFORMATETC> list;
    if (object->EnumFormatEtc(DATADIR_GET, list.ReleaseAndGetAddressOf()) != S_OK)
        return formats;
    FORMATETC format{};
    while (list->Next(1, &format, nullptr) == S_OK)
        formats.push_back(format.cfFormat);
    return formats;
}

inline std::string DropEffectBytes(DWORD effect)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &effect, 4);
    return bytes;
}

// A file-drop block's bytes for names.
inline std::string FileDropBytes(const std::vector<std::string>& names)
{
    return blocktest::TakeBlock(shell32::MakeFileDropBlock(names));
}

// OLE for the test's thread, and an empty clipboard when the test ends.
class OleScope {
public:
    OleScope() { EXPECT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    ~OleScope()
    {
        EXPECT_EQ(OleSetClipboard(nullptr), S_OK);
        OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
};

} // namespace cliptest
