#include "com/Guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

TEST(Guard, NoExceptionLeavesAndEachBecomesItsHResult)
{
    struct Case {
        const char* what;
        std::function<HRESULT()> body;
        HRESULT expected;
    };
    const Case cases[] = {
        {"an answer passes through", [] { return S_FALSE; }, S_FALSE},
        {"a failure passes through", [] { return E_NOINTERFACE; }, E_NOINTERFACE},
        {"memory running out", []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"a longer array than memory holds", []() -> HRESULT { throw std::bad_array_new_length(); },
         E_OUTOFMEMORY},
        {"a standard exception", []() -> HRESULT { throw std::runtime_error("broken"); }, E_UNEXPECTED},
        {"anything thrown", []() -> HRESULT { throw 42; }, E_UNEXPECTED},
    };
    for (const Case& c : cases)
        EXPECT_EQ(com::Guard(c.body), c.expected) << c.what;
}

TEST(Guard, OtherAnswersFallBackWhenTheBodyThrows)
{
    EXPECT_EQ(com::GuardOr(7, [] { return 3; }), 3);
    EXPECT_EQ(com::GuardOr(7, []() -> int { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(com::GuardOr<void*>(nullptr, []() -> void* { throw std::string("x"); }), nullptr);
    int ran = 0;
    com::GuardVoid([&] {
        ++ran;
        throw std::logic_error("dropped");
    });
    EXPECT_EQ(ran, 1);
}

} // namespace
