#include "TestInterfaces.h"

#include "com/Unknown.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

// What happened to a CountingObject, kept outside it so it can be read after
// the object is gone.
struct Probe {
    int addRefs = 0;
    int releases = 0;
    int deletions = 0;
    ULONG count = 0;
};

// Written by hand (not with com::ComObject) so ComPtr is tested on its own.
// It is born with the creator's reference.
class CountingObject final : public ICounter {
public:
    explicit CountingObject(Probe& probe, int value = 7) : Probe_(probe), Value_(value) { Probe_.count = 1; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ICounter)) {
            *ppv = static_cast<ICounter*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override
    {
        ++Probe_.addRefs;
        return ++Probe_.count;
    }
    ULONG Release() override
    {
        ++Probe_.releases;
        const ULONG count = --Probe_.count;
        if (count == 0) {
            ++Probe_.deletions;
            delete this;
        }
        return count;
    }
    int Value() override { return Value_; }

private:
    Probe& Probe_;
    int Value_;
};

com::ComPtr<ICounter> MakeCounting(Probe& probe, int value = 7)
{
    return com::ComPtr<ICounter>::Adopt(new CountingObject(probe, value));
}

// Stands for an API that returns a new reference through an out-parameter.
HRESULT GetCounter(Probe& probe, int value, ICounter** out)
{
    *out = new CountingObject(probe, value);
    return S_OK;
}

TEST(ComPtr, CopiesAndMovesHoldOneReferenceEach)
{
    Probe probe;
    {
        com::ComPtr<ICounter> first = MakeCounting(probe);
        EXPECT_EQ(probe.count, 1u);

        com::ComPtr<ICounter> copy = first;
        EXPECT_EQ(probe.count, 2u);
        EXPECT_EQ(copy, first);

        com::ComPtr<ICounter> moved = std::move(copy);
        EXPECT_EQ(probe.count, 2u);
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved.Get(), first.Get());

        moved = first; // same object: the count must not move
        EXPECT_EQ(probe.count, 2u);
        auto& self = first;
        first = self;
        EXPECT_EQ(probe.count, 2u);
        first = std::move(self);
        EXPECT_EQ(probe.count, 2u);
        ASSERT_TRUE(first);

        com::ComPtr<IUnknown> widened = first; // converting copy
        EXPECT_EQ(probe.count, 3u);
        com::ComPtr<IUnknown> widenedMove = std::move(moved);
        EXPECT_EQ(probe.count, 3u);
        EXPECT_FALSE(moved);

        widened = nullptr;
        widenedMove.Reset();
        EXPECT_EQ(probe.count, 1u);
        EXPECT_EQ(first->Value(), 7);

        com::ComPtr<ICounter> explicitAddRef(first.Get());
        EXPECT_EQ(probe.count, 2u);
    }
    EXPECT_EQ(probe.deletions, 1);
    EXPECT_EQ(probe.count, 0u);
    EXPECT_EQ(probe.addRefs + 1, probe.releases); // +1: the creator's reference
}

TEST(ComPtr, AttachDetachResetAndOutParameters)
{
    Probe a, b;
    {
        com::ComPtr<ICounter> p = MakeCounting(a, 1);

        // An out-parameter replaces what was held, releasing it.
        ASSERT_EQ(GetCounter(b, 2, p.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(a.deletions, 1);
        EXPECT_EQ(p->Value(), 2);
        EXPECT_EQ(b.count, 1u);

        ICounter* raw = p.Detach();
        EXPECT_FALSE(p);
        EXPECT_EQ(b.count, 1u); // the reference went with the pointer
        p.Attach(raw);
        EXPECT_EQ(b.count, 1u);

        // Attaching what is held already gives one reference back: the count drops.
        p->AddRef();
        EXPECT_EQ(b.count, 2u);
        p.Attach(p.Get());
        EXPECT_EQ(b.count, 1u);
        EXPECT_EQ(b.deletions, 0);

        ICounter* copied = nullptr;
        EXPECT_EQ(p.CopyTo(&copied), S_OK);
        EXPECT_EQ(copied, p.Get());
        EXPECT_EQ(b.count, 2u);
        copied->Release();
        EXPECT_EQ(p.CopyTo(nullptr), E_POINTER);

        p.Reset(p.Get()); // reset to the same object keeps it alive
        EXPECT_EQ(b.count, 1u);
        EXPECT_EQ(b.deletions, 0);

        com::ComPtr<ICounter> other;
        swap(p, other);
        EXPECT_FALSE(p);
        EXPECT_EQ(other->Value(), 2);
    }
    EXPECT_EQ(b.deletions, 1);
    EXPECT_EQ(b.addRefs + 1, b.releases);
}

TEST(ComPtr, QueryInterfaceFailureLeavesNull)
{
    Probe probe;
    {
        com::ComPtr<ICounter> p = MakeCounting(probe);

        com::ComPtr<INamed> named = p.As<INamed>();
        EXPECT_FALSE(named);
        EXPECT_EQ(probe.count, 1u);

        // A failed As also clears what the target held before.
        com::ComPtr<ICounter> target = p;
        EXPECT_EQ(probe.count, 2u);
        com::ComPtr<INamed> namedTarget;
        EXPECT_EQ(p.As(&namedTarget), E_NOINTERFACE);
        EXPECT_FALSE(namedTarget);

        com::ComPtr<IUnknown> unknown;
        EXPECT_EQ(p.As(&unknown), S_OK);
        EXPECT_EQ(probe.count, 3u);
        EXPECT_EQ(unknown.As(&unknown), S_OK); // into itself: still held, still counted once
        ASSERT_TRUE(unknown);
        EXPECT_EQ(probe.count, 3u);
        com::ComPtr<ICounter> back = unknown.As<ICounter>();
        ASSERT_TRUE(back);
        EXPECT_EQ(back->Value(), 7);
        EXPECT_EQ(probe.count, 4u);

        void* raw = &probe; // not null beforehand
        EXPECT_EQ(p.QueryInterface(IID_INeverImplemented, &raw), E_NOINTERFACE);
        EXPECT_EQ(raw, nullptr);

        INamed* typed = reinterpret_cast<INamed*>(&probe);
        EXPECT_EQ(p->QueryInterface(IID_PPV_ARGS(&typed)), E_NOINTERFACE);
        EXPECT_EQ(typed, nullptr);

        com::ComPtr<ICounter> empty;
        EXPECT_FALSE(empty.As<IUnknown>());
        EXPECT_EQ(empty.As(&unknown), E_POINTER);
        EXPECT_FALSE(unknown); // released and cleared
        EXPECT_EQ(probe.count, 3u);
    }
    EXPECT_EQ(probe.deletions, 1);
    EXPECT_EQ(probe.addRefs + 1, probe.releases);
}

} // namespace
