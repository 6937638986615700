#include "FKwAbout.h"

#include "FKwAbout_p.h"
#include "shell32/ShellExecute.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Format.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Resources.h"
#include "vcl/widgets/Application.h"

namespace kw {

using namespace vcl;

const char* const KwWebSiteAddress = "https://corvane.org/";

const TClassRtti& TKwFrmAbout::PublishedTable()
{
    static const TClassRtti table = Publish<TKwFrmAbout>()
                                        .Field<&TKwFrmAbout::Panel1>("Panel1")
                                        .Field<&TKwFrmAbout::Image1>("Image1")
                                        .Field<&TKwFrmAbout::Bevel1>("Bevel1")
                                        .Field<&TKwFrmAbout::ProductTxt>("ProductTxt")
                                        .Field<&TKwFrmAbout::VersionTxt>("VersionTxt")
                                        .Field<&TKwFrmAbout::CopyrightTxt>("CopyrightTxt")
                                        .Field<&TKwFrmAbout::Button1>("Button1")
                                        .Field<&TKwFrmAbout::CloseBtn>("CloseBtn")
                                        .Method<&TKwFrmAbout::Button1Click>("Button1Click");
    return table;
}

TKwFrmAbout::TKwFrmAbout(TComponent* owner) : TForm(owner) {}

std::string TKwFrmAbout::VersionText(const std::string& format, int version, int release)
{
    std::string text;
    if (version % 100 != 0) {
        text = Format(format, {Format("%.02f", {version / 100.0})});
        // 1.60 reads 1.6; 1.05 stays.
        if (text.ends_with('0'))
            text.pop_back();
    } else {
        text = Format(format, {std::to_string(version / 100)});
    }
    if (release > 0)
        text += static_cast<char>(96 + release);
    return text;
}

void TKwFrmAbout::Run(const std::string& productName, const std::string& years, const std::string* className,
                      int version, int release)
{
    TOwnedPtr<TKwFrmAbout> form(Create<TKwFrmAbout>(Application()));
    form->ProductTxt->SetCaption(Format(form->ProductTxt->Caption(), {productName}));
    form->VersionTxt->SetCaption(VersionText(form->VersionTxt->Caption(), version, release));
    // The copyright sign, code 169 of the system's code page, is U+00A9.
    form->CopyrightTxt->SetCaption(Format(form->CopyrightTxt->Caption(), {"\xC2\xA9", years}));
    if (className)
        form->SetCaption(form->Caption() + " " + *className);
    form->ShowModal();
}

void TKwFrmAbout::Execute(const std::string& productName, const std::string& years, int version, int release)
{
    Run(productName, years, nullptr, version, release);
}

void TKwFrmAbout::ExecuteCtl(const std::string& productName, const std::string& years,
                             const std::string& componentClassName, int version, int release)
{
    Run(productName, years, &componentClassName, version, release);
}

void TKwFrmAbout::Button1Click(TObject*)
{
    ShellExecuteA(Handle(), nullptr, KwWebSiteAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

void FKwAboutInitialization()
{
    RegisterClasses({TPanel::StaticClass(), TImage::StaticClass(), TBevel::StaticClass(),
                     TLabel::StaticClass(), TButton::StaticClass()});
    RegisterResource(HInstance(), RT_RCDATA, "TKWFRMABOUT", kAboutFormText.data(), kAboutFormText.size());
}

void FKwAboutFinalization()
{
    UnregisterResource(HInstance(), RT_RCDATA, "TKWFRMABOUT");
}

} // namespace kw
