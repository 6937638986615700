// Forms of a class of their own read the form resource named after their
// class while they are made, before OnCreate; other forms read nothing.

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using namespace vcl;

// What OnCreate saw of the form.
struct Seen {
    bool Created = false;
    std::string Caption;
    bool HadButton = false;
};
Seen g_seen;

class TResourceForm : public TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TResourceForm, TForm)
public:
    explicit TResourceForm(TComponent* owner) : TForm(owner) {}
    TButton* OkBtn = nullptr;
    void FormCreate(TObject*) { g_seen = {true, Caption(), OkBtn != nullptr}; }

protected:
    ~TResourceForm() override = default;
};

const TClassRtti& TResourceForm::PublishedTable()
{
    static const TClassRtti table =
        Publish<TResourceForm>().Field<&TResourceForm::OkBtn>("OkBtn").Method<&TResourceForm::FormCreate>(
            "FormCreate");
    return table;
}

// A class of its own that has no resource.
class TBareForm : public TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TBareForm, TForm)
public:
    explicit TBareForm(TComponent* owner) : TForm(owner) {}

protected:
    ~TBareForm() override = default;
};

const TClassRtti& TBareForm::PublishedTable()
{
    static const TClassRtti table = Publish<TBareForm>();
    return table;
}

constexpr std::string_view kResourceForm = R"(object ResourceForm: TResourceForm
  Caption = 'From its resource'
  ClientWidth = 200
  ClientHeight = 100
  OnCreate = FormCreate
  object OkBtn: TButton
    Left = 8
    Top = 8
    Width = 75
    Height = 25
    Caption = 'OK'
  end
end
)";

void RegisterForm(const char* name, std::string_view text)
{
    RegisterClasses({TButton::StaticClass()});
    RegisterResource(HInstance(), RT_RCDATA, name, text.data(), text.size());
}

TEST(FormResources, AClassOfItsOwnReadsItsResourceBeforeOnCreate)
{
    RegisterForm("TResourceForm", kResourceForm);
    g_seen = {};
    TOwnedPtr<TResourceForm> form(Create<TResourceForm>(nullptr));
    EXPECT_TRUE(g_seen.Created);
    EXPECT_EQ(g_seen.Caption, "From its resource");
    EXPECT_TRUE(g_seen.HadButton);
    ASSERT_NE(form->OkBtn, nullptr);
    EXPECT_EQ(form->OkBtn->Parent(), form.get());
    EXPECT_EQ(form->ClientWidth(), 200);
    EXPECT_FALSE(form->FormState().Contains(fsCreating));
    UnregisterResource(HInstance(), RT_RCDATA, "TResourceForm");
}

TEST(FormResources, FormsWithoutOneReadNothing)
{
    // A resource named after the framework's own classes is never theirs.
    RegisterForm("TForm", kResourceForm);
    RegisterForm("TCustomForm", kResourceForm);
    struct Case {
        const char* What;
        TCustomForm* (*Make)();
    };
    const Case cases[] = {
        {"a plain form", [] { return static_cast<TCustomForm*>(Create<TForm>(nullptr)); }},
        {"a custom form", [] { return Create<TCustomForm>(nullptr); }},
        {"a class without a resource", [] { return static_cast<TCustomForm*>(Create<TBareForm>(nullptr)); }},
    };
    for (const Case& c : cases) {
        TOwnedPtr<TCustomForm> form(c.Make());
        EXPECT_EQ(form->ControlCount(), 0) << c.What;
        EXPECT_EQ(form->Caption(), "") << c.What;
    }
    UnregisterResource(HInstance(), RT_RCDATA, "TForm");
    UnregisterResource(HInstance(), RT_RCDATA, "TCustomForm");
}

TEST(FormResources, ABrokenResourceRaisesAndTheFormIsGone)
{
    RegisterForm("TResourceForm", "object ResourceForm: TResourceForm\n  Caption = \n");
    const std::size_t before = AllForms().size();
    g_seen = {};
    EXPECT_THROW(Create<TResourceForm>(nullptr), EReadError);
    EXPECT_FALSE(g_seen.Created);
    EXPECT_EQ(AllForms().size(), before);
    UnregisterResource(HInstance(), RT_RCDATA, "TResourceForm");
}

} // namespace
