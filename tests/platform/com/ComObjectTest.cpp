#include "TestInterfaces.h"

#include "com/ComObject.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

int LiveWidgets = 0;

class Widget : public com::ComObject<IDerivedCounter, INamed> {
protected:
    explicit Widget(int value) : Value_(value) { ++LiveWidgets; }
    ~Widget() override { --LiveWidgets; }

public:
    int Value() override { return Value_; }
    int Twice() override { return 2 * Value_; }
    const char* Name() override { return "widget"; }

private:
    int Value_;
};

// Only MakeComObject can complete a class of ours.
static_assert(std::is_abstract_v<Widget>);
static_assert(!std::is_constructible_v<Widget, int>);

class Throwing : public com::ComObject<ICounter> {
protected:
    Throwing() { throw std::runtime_error("refused"); }

public:
    int Value() override { return 0; }
};

// Answers INamed only while it is switched on.
class Switchable : public com::ComObject<ICounter, INamed> {
public:
    bool NamedOn = false;
    int Value() override { return 1; }
    const char* Name() override { return "switchable"; }

protected:
    void* FindOtherInterface(REFIID riid) override
    {
        return NamedOn && IsEqualIID(riid, IID_INeverImplemented) ? static_cast<INamed*>(this) : nullptr;
    }
};

TEST(ComObject, StartsWithTheCreatorsReferenceAndDiesAtZero)
{
    ASSERT_EQ(LiveWidgets, 0);
    com::ComPtr<Widget> widget = com::MakeComObject<Widget>(21);
    EXPECT_EQ(LiveWidgets, 1);
    // AddRef and Release answer the new count: 1 before, so 2 and then 1.
    EXPECT_EQ(widget->AddRef(), 2u);
    EXPECT_EQ(widget->Release(), 1u);

    com::ComPtr<IUnknown> unknown = widget.As<IUnknown>();
    widget.Reset();
    EXPECT_EQ(LiveWidgets, 1); // still held through IUnknown
    unknown.Reset();
    EXPECT_EQ(LiveWidgets, 0);

    // A constructor that throws leaves nothing behind.
    EXPECT_THROW(com::MakeComObject<Throwing>(), std::runtime_error);
}

TEST(ComObject, AnswersEveryInterfaceOfItsChainsWithOneIdentity)
{
    {
        com::ComPtr<Widget> widget = com::MakeComObject<Widget>(5);

        com::ComPtr<ICounter> counter = widget.As<ICounter>(); // a base of IDerivedCounter
        com::ComPtr<IDerivedCounter> derived = widget.As<IDerivedCounter>();
        com::ComPtr<INamed> named = widget.As<INamed>();
        ASSERT_TRUE(counter && derived && named);
        // Calls through each pointer reach the right slots of the right subobject.
        EXPECT_EQ(counter->Value(), 5);
        EXPECT_EQ(derived->Twice(), 10);
        EXPECT_STREQ(named->Name(), "widget");

        // IUnknown is the same pointer whichever interface is asked.
        com::ComPtr<IUnknown> viaCounter = counter.As<IUnknown>();
        com::ComPtr<IUnknown> viaNamed = named.As<IUnknown>();
        EXPECT_EQ(viaCounter, viaNamed);
        EXPECT_NE(static_cast<void*>(named.Get()), static_cast<void*>(counter.Get()));

        // AddRef through any interface counts on the one object.
        EXPECT_EQ(named->AddRef(), 7u);
        EXPECT_EQ(counter->Release(), 6u);

        void* out = &out;
        EXPECT_EQ(widget->QueryInterface(IID_INeverImplemented, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(widget->QueryInterface(IID_ICounter, nullptr), E_POINTER);
        EXPECT_EQ(widget->AddRef(), 7u); // failures took no reference
        widget->Release();
    }
    EXPECT_EQ(LiveWidgets, 0);

    com::ComPtr<Switchable> switchable = com::MakeComObject<Switchable>();
    EXPECT_FALSE(switchable.As<INeverImplemented>());
    switchable->NamedOn = true;
    void* other = nullptr;
    ASSERT_EQ(switchable->QueryInterface(IID_INeverImplemented, &other), S_OK);
    EXPECT_EQ(other, static_cast<INamed*>(switchable.Get()));
    EXPECT_EQ(switchable->Release(), 1u); // the hook's answer was counted
}

class SharedWidget : public com::InterlockedComObject<ICounter> {
public:
    ~SharedWidget() override { ++Destroyed; }
    int Value() override { return 3; }
    static inline std::atomic<int> Destroyed{0};
};

TEST(ComObject, InterlockedCountSurvivesManyThreads)
{
    com::ComPtr<SharedWidget> shared = com::MakeComObject<SharedWidget>();
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([raw = shared.Get()] {
                for (int i = 0; i < 20000; ++i) {
                    com::ComPtr<ICounter> copy(raw);
                    com::ComPtr<ICounter> second = copy;
                }
            });
        for (auto& thread : threads)
            thread.join();
    }
    EXPECT_EQ(SharedWidget::Destroyed.load(), 0);
    EXPECT_EQ(shared->AddRef(), 2u);
    shared->Release();
    shared.Reset();
    EXPECT_EQ(SharedWidget::Destroyed.load(), 1);
}

} // namespace
