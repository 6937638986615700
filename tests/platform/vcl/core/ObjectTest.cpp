#include "vcl/core/Object.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Lists.h"
#include "vcl/core/Streams.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

class TAnimal : public TObject {
    VCL_DECLARE_CLASS(TAnimal, TObject)
};
class TDog : public TAnimal {
    VCL_DECLARE_CLASS(TDog, TAnimal)
};
// Forgot its class declaration: its record says TAnimal, yet it is no TDog.
class TCat : public TAnimal {};

} // namespace

TEST(CheckedCastTest, AsAndIsFollowTheClassTree)
{
    TDog dog;
    TCat cat;
    TObject* asObject = &dog;

    EXPECT_EQ(As<TDog>(asObject), &dog);
    EXPECT_EQ(As<TAnimal>(asObject), &dog);
    EXPECT_EQ(As<TObject>(asObject), &dog);
    EXPECT_TRUE(Is<TDog>(asObject));
    EXPECT_TRUE(Is<TAnimal>(asObject));
    EXPECT_FALSE(Is<TList>(asObject));
    EXPECT_FALSE(Is<TDog>(static_cast<TObject*>(&cat)));
    EXPECT_TRUE(Is<TAnimal>(static_cast<TObject*>(&cat)));

    // Null is no T, but stays null when cast.
    TObject* none = nullptr;
    EXPECT_FALSE(Is<TObject>(none));
    EXPECT_EQ(As<TDog>(none), nullptr);

    // The wrong class raises the framework's error.
    try {
        As<TDog>(static_cast<TAnimal*>(&cat));
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidCast& e) {
        EXPECT_EQ(e.Message(), "Invalid class typecast");
    }
    TMemoryStream stream;
    TObject* streamObject = &stream;
    EXPECT_THROW(As<TList>(streamObject), EInvalidCast);
    EXPECT_EQ(As<TStream>(streamObject), &stream);

    // Constness carries over.
    const TObject* constDog = &dog;
    const TDog* backAgain = As<TDog>(constDog);
    EXPECT_EQ(backAgain, &dog);
    EXPECT_TRUE(Is<TDog>(constDog));
    EXPECT_EQ(As<TDog>(constDog)->ClassName(), "TDog");
}

// Class records are constant data: no binary initializes them at start-up, so
// an application built with another compiler than the library sees them whole.
static_assert(std::string_view(vcl::TObject::ClassRecord_.Name) == "TObject");
static_assert(vcl::TObject::ClassRecord_.Parent == nullptr);
static_assert(std::string_view(vcl::Exception::ClassRecord_.Name) == "Exception");
static_assert(vcl::Exception::ClassRecord_.Parent == &vcl::TObject::ClassRecord_);
