// Lifetime, ownership, names, notifications and the class registry.

#include "FormTestClasses.h"

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Component.h"
#include "vcl/core/Exceptions.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

// Logs what it hears, to show who is told what and when.
class TProbe : public TComponent {
    VCL_DECLARE_CLASS(TProbe, TComponent)
public:
    using TComponent::TComponent;
    std::vector<std::string>* Journal = nullptr;

    void AfterConstruction() override
    {
        TComponent::AfterConstruction();
        // Virtual dispatch reaches this class here, unlike in a constructor.
        Constructed = true;
    }
    bool Constructed = false;

    void BeforeDestruction() override
    {
        if (Journal)
            Journal->push_back(Name() + " destroying, state destroying=" +
                               (ComponentState().Contains(csDestroying) ? "1" : "0"));
        TComponent::BeforeDestruction();
    }

protected:
    ~TProbe() override = default;
    void Notification(TComponent* component, TOperation operation) override
    {
        if (Journal)
            Journal->push_back(Name() + (operation == opInsert ? " +" : " -") + component->Name());
        TComponent::Notification(component, operation);
    }
};

TProbe* MakeProbe(TComponent* owner, const std::string& name, std::vector<std::string>* journal)
{
    TProbe* probe = Create<TProbe>(owner);
    probe->Journal = journal;
    probe->SetName(name);
    return probe;
}

// Lets go of its buddy as it is destroyed, as controls that watch another
// do; the buddy must still exist then, or have told it that it went.
class TUnlinking : public formtest::TTestControl {
    VCL_DECLARE_CLASS(TUnlinking, formtest::TTestControl)
public:
    using TTestControl::TTestControl;
    std::vector<std::string>* Journal = nullptr;

    void BeforeDestruction() override
    {
        if (Journal)
            Journal->push_back(Buddy() ? "buddy still set" : "buddy cleared");
        SetBuddy(nullptr);
        TTestControl::BeforeDestruction();
    }

protected:
    ~TUnlinking() override = default;
};

// A second class of the same name as one of the test classes.
namespace other {
class TTestTimer : public TComponent {
    VCL_DECLARE_CLASS(TTestTimer, TComponent)
public:
    using TComponent::TComponent;
};
} // namespace other

} // namespace

TEST(Component, LifetimeRunsDerivedOverridesOnCreateAndFree)
{
    std::vector<std::string> journal;
    TProbe* owner = MakeProbe(nullptr, "Owner", &journal);
    EXPECT_TRUE(owner->Constructed);
    TProbe* first = MakeProbe(owner, "First", &journal);
    TProbe* second = MakeProbe(owner, "Second", &journal);
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), first);
    EXPECT_EQ(owner->Components(1), second);
    EXPECT_EQ(second->ComponentIndex(), 1);
    EXPECT_THROW(owner->Components(2), EListError);

    journal.clear();
    owner->Free();
    // The owner's override runs first, with the owner in the destroying
    // state; its components go last-made first, each through its own
    // override, while the owner is still whole.
    const std::vector<std::string> expected = {
        "Owner destroying, state destroying=1",
        "Second destroying, state destroying=1",
        "First destroying, state destroying=1",
    };
    EXPECT_EQ(journal, expected);
}

TEST(Component, OwnershipMovesAndNotifiesTheOwnersComponents)
{
    std::vector<std::string> journal;
    TOwnedPtr<TProbe> a(MakeProbe(nullptr, "A", &journal));
    TOwnedPtr<TProbe> b(MakeProbe(nullptr, "B", &journal));
    TProbe* watcher = MakeProbe(a.get(), "Watcher", &journal);
    journal.clear();

    TProbe* moving = MakeProbe(a.get(), "Moving", &journal);
    // The owner hears of the new component once it is whole (before it has
    // a name), and passes it to its components.
    EXPECT_EQ(journal, (std::vector<std::string>{"A +", "Watcher +"}));
    journal.clear();

    b->InsertComponent(moving);
    EXPECT_EQ(moving->Owner(), b.get());
    EXPECT_EQ(a->ComponentCount(), 1);
    EXPECT_EQ(a->FindComponent("moving"), nullptr);
    EXPECT_EQ(b->FindComponent("MOVING"), moving);
    EXPECT_EQ(journal, (std::vector<std::string>{"A -Moving", "Watcher -Moving", "Moving -Moving",
                                                 "B +Moving", "Moving +Moving"}));

    b->RemoveComponent(moving);
    EXPECT_EQ(moving->Owner(), nullptr);
    moving->Free();

    a->DestroyComponents();
    EXPECT_EQ(a->ComponentCount(), 0);
    (void)watcher;
}

TEST(Component, FreeNotificationLinksBothWays)
{
    std::vector<std::string> journal;
    TProbe* left = MakeProbe(nullptr, "Left", &journal);
    TProbe* right = MakeProbe(nullptr, "Right", &journal);
    TProbe* third = MakeProbe(nullptr, "Third", &journal);
    left->FreeNotification(right);
    left->FreeNotification(third);
    left->RemoveFreeNotification(third);
    journal.clear();

    right->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"Right destroying, state destroying=1", "Left -Right"}));
    journal.clear();
    // The link went with Right: freeing Left tells nobody.
    left->Free();
    third->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"Left destroying, state destroying=1",
                                                 "Third destroying, state destroying=1"}));

    // A reference held across owners is cleared when its target goes.
    formtest::TTestControl* a = Create<formtest::TTestControl>(nullptr);
    formtest::TTestControl* b = Create<formtest::TTestControl>(nullptr);
    a->SetBuddy(b);
    b->Free();
    EXPECT_EQ(a->Buddy(), nullptr);
    a->Free();
}

TEST(Component, NamesAreIdentifiersUniquePerOwner)
{
    TOwnedPtr<formtest::TTestForm> form(Create<formtest::TTestForm>(nullptr));
    auto* panel = Create<formtest::TTestControl>(form.get());
    auto* button = Create<formtest::TTestButton>(form.get());
    panel->SetName("Panel1");
    try {
        button->SetName("1Button");
        FAIL() << "an invalid name was accepted";
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "'1Button' is not a valid component name");
    }
    EXPECT_THROW(button->SetName("Ok Btn"), EComponentError);
    try {
        button->SetName("PANEL1");
        FAIL() << "a duplicate name was accepted";
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named PANEL1 already exists");
    }
    EXPECT_EQ(button->Name(), "");
    // Components without names do not clash, and a case change of one's own
    // name is allowed.
    auto* another = Create<formtest::TTestButton>(form.get());
    EXPECT_EQ(another->Name(), "");
    panel->SetName("panel1");
    EXPECT_EQ(panel->Name(), "panel1");

    // The owner's published field follows the name, and only for its class.
    EXPECT_EQ(form->Panel1, panel);
    button->SetName("OkBtn");
    EXPECT_EQ(form->OkBtn, button);
    another->SetName("Panel1x");
    panel->SetName("Other");
    EXPECT_EQ(form->Panel1, nullptr);
    auto* wrongClass = Create<formtest::TTestControl>(form.get());
    wrongClass->SetName("Timer1"); // the field Timer1 holds a TTestTimer
    EXPECT_EQ(form->Timer1, nullptr);
    button->Free();
    EXPECT_EQ(form->OkBtn, nullptr);

    // Inserting a component whose name is taken is refused.
    auto* stray = Create<formtest::TTestControl>(nullptr);
    stray->SetName("Other");
    EXPECT_THROW(form->InsertComponent(stray), EComponentError);
    EXPECT_EQ(stray->Owner(), nullptr);
    stray->Free();
}

TEST(Component, ConstructorFailureLeavesNoDanglingComponent)
{
    struct TFailing : public TComponent {
        explicit TFailing(TComponent* owner) : TComponent(owner) { throw EComponentError("no"); }
    };
    TOwnedPtr<formtest::TTestForm> form(Create<formtest::TTestForm>(nullptr));
    EXPECT_THROW(Create<TFailing>(form.get()), EComponentError);
    EXPECT_EQ(form->ComponentCount(), 0);
}

TEST(Component, AChildThatRaisesWhileItsFailedOwnerIsUnmadeGoesToTheHandler)
{
    // The owner's constructor raises after making a child; unmaking the owner
    // frees the child, whose own exception cannot leave a destructor.
    struct TRefusing : public TComponent {
        using TComponent::TComponent;
        void BeforeDestruction() override
        {
            TComponent::BeforeDestruction();
            throw EComponentError("child refuses");
        }
    };
    struct TFailing : public TComponent {
        explicit TFailing(TComponent* owner) : TComponent(owner)
        {
            Create<TRefusing>(this);
            throw EComponentError("owner fails");
        }
    };
    static std::vector<std::string> seen;
    seen.clear();
    const win32::ExceptionHandler previous = win32::SetExceptionHandler([] {
        try {
            throw;
        } catch (const Exception& e) {
            seen.push_back(e.Message());
        }
    });
    TOwnedPtr<formtest::TTestForm> form(Create<formtest::TTestForm>(nullptr));
    EXPECT_THROW(Create<TFailing>(form.get()), EComponentError);
    win32::SetExceptionHandler(previous);
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_EQ(seen, std::vector<std::string>{"child refuses"});
}

TEST(ClassRegistry, RegistersFindsAndNeverReplaces)
{
    EXPECT_EQ(GetClass("TTestTimer"), nullptr);
    EXPECT_TRUE(RegisterClass(formtest::TTestTimer::StaticClass()));
    EXPECT_FALSE(RegisterClass(formtest::TTestTimer::StaticClass()));
    EXPECT_EQ(GetClass("ttesttimer"), formtest::TTestTimer::StaticClass());

    // Another class of the same name is refused, and the first stays.
    EXPECT_FALSE(RegisterClass(other::TTestTimer::StaticClass()));
    EXPECT_EQ(FindClass("TTestTimer"), formtest::TTestTimer::StaticClass());
    UnRegisterClass(other::TTestTimer::StaticClass());
    EXPECT_EQ(GetClass("TTestTimer"), formtest::TTestTimer::StaticClass());

    UnRegisterClass(formtest::TTestTimer::StaticClass());
    EXPECT_EQ(GetClass("TTestTimer"), nullptr);
    try {
        FindClass("TTestTimer");
        FAIL() << "an unregistered class was found";
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TTestTimer not found");
    }
    EXPECT_FALSE(RegisterClass(nullptr));
}

TEST(Component, OwnerDestructionTellsSiblingsOfAFreeNotifyingComponent)
{
    // Watcher asks Watched (both the form's) to tell it when it goes. The
    // form frees Watched first, the last made; Watcher must hear of it, and
    // never reach it once it is gone.
    std::vector<std::string> journal;
    auto* form = Create<formtest::TTestForm>(nullptr);
    auto* watcher = Create<TUnlinking>(form);
    watcher->Journal = &journal;
    auto* watched = Create<formtest::TTestControl>(form);
    watcher->SetBuddy(watched);
    form->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"buddy cleared"}));

    // Made the other way round, the watcher goes first and lets go itself.
    journal.clear();
    form = Create<formtest::TTestForm>(nullptr);
    watched = Create<formtest::TTestControl>(form);
    watcher = Create<TUnlinking>(form);
    watcher->Journal = &journal;
    watcher->SetBuddy(watched);
    form->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"buddy still set"}));
}
