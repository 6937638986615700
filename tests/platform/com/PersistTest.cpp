#include "TestInterfaces.h"

#include "com/ComObject.h"
#include "com/Persist.h"
#include "com/TaskAllocator.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr CLSID CLSID_TestDocument = com::MakeGuid("{3E9C1B27-55A0-4F1D-B2C4-9E8D7A6B5C01}");

// A document as the shell's file-backed objects are: it remembers the file it
// was loaded from and hands its name out in a task-allocator block.
class Document : public com::ComObject<IPersistFile, comtest::IScoped> {
public:
    HRESULT GetClassID(CLSID* clsid) override
    {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_TestDocument;
        return S_OK;
    }
    HRESULT IsDirty() override { return Dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(LPCOLESTR name, DWORD mode) override
    {
        if (!name)
            return E_INVALIDARG;
        File_ = name;
        Mode_ = mode;
        return S_OK;
    }
    HRESULT Save(LPCOLESTR name, BOOL remember) override
    {
        if (name && remember)
            File_ = name;
        Dirty_ = false;
        return S_OK;
    }
    HRESULT SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT GetCurFile(LPOLESTR* name) override
    {
        if (!name)
            return E_POINTER;
        const std::size_t bytes = (File_.size() + 1) * sizeof(OLECHAR);
        *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!*name)
            return E_OUTOFMEMORY;
        std::memcpy(*name, File_.c_str(), bytes);
        return S_OK;
    }
    int Depth() override { return 3; }

    DWORD Mode_ = 0;

private:
    std::u16string File_;
    bool Dirty_ = true;
};

TEST(Persist, FileObjectsAnswerTheWholeChain)
{
    com::ComPtr<Document> document = com::MakeComObject<Document>();

    // IPersist is reached through IPersistFile's declared base.
    com::ComPtr<IPersist> persist = document.As<IPersist>();
    ASSERT_TRUE(persist);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestDocument);

    com::ComPtr<IPersistFile> file = persist.As<IPersistFile>();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Load(u"/home/user/notes.desktop", STGM_READ | STGM_SHARE_DENY_WRITE), S_OK);
    EXPECT_EQ(com::StgmAccess(document->Mode_), STGM_READ);
    EXPECT_EQ(com::StgmSharing(document->Mode_), STGM_SHARE_DENY_WRITE);
    EXPECT_EQ(com::StgmAccess(STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE), STGM_READWRITE);

    EXPECT_EQ(file->IsDirty(), S_OK);
    EXPECT_EQ(file->Save(u"/tmp/copy.desktop", TRUE), S_OK);
    EXPECT_EQ(file->IsDirty(), S_FALSE);

    LPOLESTR name = nullptr;
    ASSERT_EQ(file->GetCurFile(&name), S_OK);
    EXPECT_EQ(std::u16string(name), u"/tmp/copy.desktop");
    CoTaskMemFree(name);

    // An interface declared in a namespace works like any other.
    com::ComPtr<comtest::IScoped> scoped = file.As<comtest::IScoped>();
    ASSERT_TRUE(scoped);
    EXPECT_EQ(scoped->Depth(), 3);
}

} // namespace
