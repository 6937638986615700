// Links against the installed package and starts and ends as an application
// does: the application object makes the QApplication and runs the units'
// start-ups, a form with standard controls is shown and another read from a
// form file, and the end of Run shuts the units down again. scripts/test
// builds it with each compiler against each install, so class records and
// the rest of the API must not depend on which compiler built the library.
#include "KwCorvanePackage.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kFormText = "object Sample: TForm\n"
                              "  Caption = 'Sample'\n"
                              "  object Top: TPanel\n"
                              "    Align = alTop\n"
                              "    Caption = 'Header'\n"
                              "  end\n"
                              "  object Ok: TButton\n"
                              "    Left = 8\n"
                              "    Top = 40\n"
                              "    Caption = 'OK'\n"
                              "  end\n"
                              "end\n";

bool Named(vcl::TClass cls, const char* name)
{
    return cls && cls->Name && std::strcmp(cls->Name, name) == 0;
}

// A form with standard controls, shown; one read from text; the class
// records whole and shared with the library.
std::string TryForms()
{
    using namespace vcl;
    TForm* form = Create<TForm>(Application());
    TButton* button = Create<TButton>(form);
    button->SetParent(form);
    button->SetCaption("OK");
    form->Show();
    QCoreApplication::processEvents();
    if (button->ClassName() != "TButton" || !button->InheritsFrom(TWinControl::StaticClass()))
        return "a button does not know its class";
    // Named by the application only after the library has used it.
    RegisterClasses(
        {TButton::StaticClass(), TLabel::StaticClass(), TEdit::StaticClass(), TPanel::StaticClass()});
    if (!Named(TButton::StaticClass(), "TButton") || !Named(TButton::StaticClass()->Parent, "TCustomControl"))
        return "TButton's class record is not whole";
    if (FindClass("TButton") != TButton::StaticClass())
        return "the registry holds another TButton record";
    TForm* read = Create<TForm>(Application());
    ReadComponentFromText(kFormText, read);
    TComponent* ok = read->FindComponent("Ok");
    if (!ok || !Is<TButton>(ok) || ok->ClassType() != TButton::StaticClass())
        return "the form file's button was not read as a TButton";
    read->Show();
    QCoreApplication::processEvents();
    return {};
}

} // namespace

int main()
{
    kw::RegisterPackageUnits();
    vcl::Application()->Initialize();
    const bool started = vcl::UnitInitialized("UKwShellUtils");
    const bool package = std::strcmp(kw::PackageName(), "KwCorvaneD6") == 0;
    std::string forms;
    try {
        forms = TryForms();
    } catch (const vcl::Exception& e) {
        forms = "raised: " + e.Message();
    }
    // The forms are freed by the application at the end of Run; with no main
    // form the loop ends at once.
    vcl::Application()->Run();
    const bool ended = !vcl::UnitInitialized("UKwShellUtils");
    const bool ok = started && package && ended && forms.empty();
    std::printf("consumer: %s\n", ok         ? "ok"
                                  : !package ? "wrong package"
                                  : !started ? "units not started"
                                  : !ended   ? "units not shut down"
                                             : forms.c_str());
    return ok ? 0 : 1;
}
