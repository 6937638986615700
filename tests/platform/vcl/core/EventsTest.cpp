#include "vcl/core/Events.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Object.h"

#include <gtest/gtest.h>
#include <string>

using namespace vcl;

namespace {

// Handlers live in classes with several bases, virtual members and a virtual
// base, so that the object pointer needs adjusting and member-function
// pointers take their wide forms.
struct TLogBase {
    virtual ~TLogBase() = default;
    std::string Log;
};

struct TOtherBase {
    virtual ~TOtherBase() = default;
    int Padding = 7;
    virtual void Changing(TObject*, bool& aAllow) { aAllow = false; }
};

class THandler : public TObject, public virtual TLogBase, public TOtherBase {
    VCL_DECLARE_CLASS(THandler, TObject)
public:
    explicit THandler(std::string name) : Name(std::move(name)) {}
    std::string Name;

    void Click(TObject* aSender) { Log += Name + " click " + aSender->ClassName() + ";"; }
    void DoubleClick(TObject*) { Log += Name + " double;"; }
    void Changing(TObject*, bool& aAllow) override
    {
        Log += Name + " changing;";
        aAllow = !aAllow;
    }
    int Measure(const std::string& text, int& aWidth) const
    {
        aWidth = static_cast<int>(text.size()) * 10;
        return aWidth + 1;
    }
};

class TButton : public TObject {
    VCL_DECLARE_CLASS(TButton, TObject)
public:
    TNotifyEvent OnClick;
    TEvent<void(TObject* aSender, bool& aAllow)> OnChanging;

    void Click()
    {
        if (OnClick)
            OnClick(this);
    }
};

// Unhooks itself while it runs.
class TOneShot : public TObject {
    VCL_DECLARE_CLASS(TOneShot, TObject)
public:
    TButton* Button = nullptr;
    int Calls = 0;
    void Fire(TObject*)
    {
        ++Calls;
        Button->OnClick = nullptr;
    }
};

} // namespace

TEST(TEventTest, EqualWhenObjectAndMethodMatch)
{
    THandler first("first");
    THandler second("second");

    const TNotifyEvent click1{&first, &THandler::Click};
    EXPECT_TRUE(click1 == TNotifyEvent(&first, &THandler::Click));
    EXPECT_FALSE(click1 == TNotifyEvent(&second, &THandler::Click));
    EXPECT_FALSE(click1 == TNotifyEvent(&first, &THandler::DoubleClick));
    EXPECT_FALSE(click1 == nullptr);

    // Every nil event is equal to every other; null halves make nil.
    TNotifyEvent nil;
    EXPECT_TRUE(nil == nullptr);
    EXPECT_TRUE(nil == TNotifyEvent(nullptr));
    EXPECT_TRUE(nil == TNotifyEvent(static_cast<THandler*>(nullptr), &THandler::Click));
    EXPECT_TRUE(nil == TNotifyEvent(&first, static_cast<void (THandler::*)(TObject*)>(nullptr)));
    EXPECT_FALSE(nil);
    EXPECT_FALSE(Assigned(nil));
    EXPECT_TRUE(Assigned(click1));

    // A virtual member through a base that sits at an offset: the same
    // object reached two ways is the same closure, another object is not.
    using TChanging = TEvent<void(TObject*, bool&)>;
    TOtherBase* asOther = &first;
    const TChanging viaOther{asOther, &TOtherBase::Changing};
    EXPECT_TRUE(viaOther == TChanging(&first, &TOtherBase::Changing));
    EXPECT_FALSE(viaOther == TChanging(&second, &TOtherBase::Changing));

    // Assignment and unhooking by comparison, as a control does.
    TButton button;
    button.OnClick = {&first, &THandler::Click};
    EXPECT_TRUE(button.OnClick == click1);
    if (button.OnClick == click1)
        button.OnClick = nullptr;
    EXPECT_FALSE(button.OnClick);

    // The untyped form carries the closure over and back, for its own type
    // only.
    const TMethod untyped = click1.Method();
    EXPECT_EQ(untyped.Data, static_cast<void*>(static_cast<THandler*>(&first)));
    EXPECT_TRUE(TNotifyEvent::FromMethod(untyped) == click1);
    EXPECT_THROW(TChanging::FromMethod(untyped), EInvalidCast);
    EXPECT_TRUE(TChanging::FromMethod(TMethod{}) == nullptr);
}

TEST(TEventTest, CallsReachTheRightObjectWithReferenceParameters)
{
    THandler handler("h");
    TButton button;
    button.OnClick = {&handler, &THandler::Click};
    button.Click();
    EXPECT_EQ(handler.Log, "h click TButton;");

    // A virtual member called through its base's pointer reaches the
    // override, and a var parameter comes back changed.
    button.OnChanging = {static_cast<TOtherBase*>(&handler), &TOtherBase::Changing};
    bool allow = true;
    button.OnChanging(&button, allow);
    EXPECT_FALSE(allow);
    button.OnChanging(&button, allow);
    EXPECT_TRUE(allow);
    EXPECT_EQ(handler.Log, "h click TButton;h changing;h changing;");

    // Results and const members.
    const TEvent<int(const std::string&, int& aWidth)> measure{&handler, &THandler::Measure};
    int width = 0;
    EXPECT_EQ(measure("abcd", width), 41);
    EXPECT_EQ(width, 40);

    // A handler may unhook the event it was called through.
    TOneShot shot;
    shot.Button = &button;
    button.OnClick = {&shot, &TOneShot::Fire};
    button.Click();
    button.Click();
    EXPECT_EQ(shot.Calls, 1);

    // Calling a nil event raises instead of crashing.
    TNotifyEvent nil;
    EXPECT_THROW(nil(&button), Exception);
}
