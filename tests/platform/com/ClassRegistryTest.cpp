#include "TestInterfaces.h"

#include "com/ClassRegistry.h"
#include "com/Initialization.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <thread>

namespace {

constexpr CLSID CLSID_TestCounter = com::MakeGuid("{B7D0E5A2-1C3F-4E69-8A0B-7F6E5D4C3B01}");
constexpr CLSID CLSID_Unregistered = com::MakeGuid("{B7D0E5A2-1C3F-4E69-8A0B-7F6E5D4C3B02}");
constexpr CLSID CLSID_Misbehaving = com::MakeGuid("{B7D0E5A2-1C3F-4E69-8A0B-7F6E5D4C3B03}");

int LiveCounters = 0;

class TestCounter : public com::ComObject<ICounter> {
protected:
    TestCounter() { ++LiveCounters; }
    ~TestCounter() override { --LiveCounters; }

public:
    int Value() override { return 42; }
};

TEST(CoInitialize, CountsPerThread)
{
    // A fresh thread, so whatever this one did before does not matter.
    std::thread([] {
        EXPECT_FALSE(com::IsInitializedOnThisThread());
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_FALSE);
        // The other model is refused and not counted.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(CoInitializeEx(reinterpret_cast<LPVOID>(1), COINIT_APARTMENTTHREADED), E_INVALIDARG);
        EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);

        // Another thread has a count of its own.
        std::thread([] {
            EXPECT_FALSE(com::IsInitializedOnThisThread());
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
            CoUninitialize();
            EXPECT_FALSE(com::IsInitializedOnThisThread());
        }).join();

        CoUninitialize();
        CoUninitialize();
        EXPECT_TRUE(com::IsInitializedOnThisThread()); // three successes, two undone
        CoUninitialize();
        EXPECT_FALSE(com::IsInitializedOnThisThread());
        CoUninitialize();                                               // one too many: ignored
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); // a new start, any model
        {
            com::ScopedCoInitialize nested(COINIT_MULTITHREADED);
            EXPECT_EQ(nested.Result(), S_FALSE);
        }
        EXPECT_TRUE(com::IsInitializedOnThisThread());
        CoUninitialize();
        EXPECT_FALSE(com::IsInitializedOnThisThread());
    }).join();
}

TEST(CoCreateInstance, CreatesRegisteredClasses)
{
    com::ScopedCoInitialize init;
    ASSERT_EQ(init.Result(), S_OK);
    ASSERT_TRUE(com::RegisterComObjectClass<TestCounter>(CLSID_TestCounter));
    EXPECT_FALSE(com::RegisterClass(CLSID_TestCounter, &com::CreateComObjectAs<TestCounter>)); // taken
    EXPECT_FALSE(com::RegisterClass(CLSID_Unregistered, {}));                                  // no function

    {
        com::ComPtr<ICounter> counter;
        ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                                   counter.ReleaseAndGetVoidAddress()),
                  S_OK);
        EXPECT_EQ(counter->Value(), 42);
        EXPECT_EQ(counter->AddRef(), 2u); // the caller holds the only reference
        counter->Release();

        com::ComPtr<IUnknown> unknown;
        EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown,
                                   unknown.ReleaseAndGetVoidAddress()),
                  S_OK);
        EXPECT_EQ(LiveCounters, 2);

        // Through the class factory.
        com::ComPtr<IClassFactory> factory;
        ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   factory.ReleaseAndGetVoidAddress()),
                  S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        com::ComPtr<ICounter> fromFactory;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(fromFactory.ReleaseAndGetAddressOf())), S_OK);
        EXPECT_EQ(fromFactory->Value(), 42);
        EXPECT_EQ(factory->LockServer(FALSE), S_OK);
        void* out = &out;
        EXPECT_EQ(factory->CreateInstance(unknown.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_INamed, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(LiveCounters, 3);
    }
    EXPECT_EQ(LiveCounters, 0);

    EXPECT_TRUE(com::UnregisterClass(CLSID_TestCounter));
    EXPECT_FALSE(com::UnregisterClass(CLSID_TestCounter));
    EXPECT_FALSE(com::IsClassRegistered(CLSID_TestCounter));
}

TEST(CoCreateInstance, EveryFailureLeavesTheOutPointerNull)
{
    com::ScopedClassRegistration registration(CLSID_TestCounter, &com::CreateComObjectAs<TestCounter>);
    ASSERT_TRUE(registration.Registered());
    const CLSID clsid = CLSID_TestCounter;

    auto create = [](REFCLSID which, IUnknown* outer, DWORD clsctx, REFIID riid) {
        void* out = &out; // something to be overwritten
        const HRESULT hr = CoCreateInstance(which, outer, clsctx, riid, &out);
        EXPECT_EQ(out, nullptr) << std::hex << hr;
        return hr;
    };

    // Not initialised on this thread (a fresh one, to be sure).
    std::thread([&] {
        EXPECT_EQ(create(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter), CO_E_NOTINITIALIZED);
    }).join();
    {
        void* out = &out;
        EXPECT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &out),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(out, nullptr);
    }

    com::ScopedCoInitialize init;
    EXPECT_EQ(create(CLSID_Unregistered, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(create(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_ICounter), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(create(clsid, nullptr, 0, IID_ICounter), E_INVALIDARG);
    EXPECT_EQ(create(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_INamed), E_NOINTERFACE);

    com::ComPtr<ICounter> outer;
    ASSERT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(outer.ReleaseAndGetAddressOf())),
        S_OK);
    EXPECT_EQ(create(clsid, outer.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, nullptr), E_POINTER);

    void* out = &out;
    EXPECT_EQ(CoGetClassObject(CLSID_Unregistered, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &out),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_ICounter, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    // A class whose code throws or breaks the rules is held to them.
    int calls = 0;
    com::ScopedClassRegistration misbehaving(CLSID_Misbehaving, [&calls](REFIID, void** ppv) -> HRESULT {
        switch (calls++) {
        case 0:
            throw std::bad_alloc();
        case 1:
            throw std::runtime_error("boom");
        default:
            *ppv = nullptr;
            return S_OK; // success without an object
        }
    });
    EXPECT_EQ(create(CLSID_Misbehaving, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown), E_OUTOFMEMORY);
    EXPECT_EQ(create(CLSID_Misbehaving, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown), E_UNEXPECTED);
    EXPECT_EQ(create(CLSID_Misbehaving, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown), E_UNEXPECTED);
    EXPECT_EQ(calls, 3);

    outer.Reset();
    EXPECT_EQ(LiveCounters, 0);
}

} // namespace
