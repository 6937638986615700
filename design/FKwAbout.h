#pragma once
// The about box the "&About..." verb of every component editor shows:
// product name, version, copyright and a button to the maker's web page.

#include "KwCorvaneExport.h"
#include "vcl/widgets/Bevel.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/StdCtrls.h"

#include <string>

namespace kw {

// The maker's web page the about box opens.
KWCORVANE_EXPORT extern const char* const KwWebSiteAddress;

class KWCORVANE_EXPORT TKwFrmAbout : public vcl::TForm {
    VCL_DECLARE_PUBLISHED_CLASS(TKwFrmAbout, vcl::TForm)
public:
    explicit TKwFrmAbout(vcl::TComponent* owner);

    // Version is the version times 100 (160 is 1.6); a release of 1, 2, ...
    // adds the letter a, b, ...; 0 or less adds none.
    static void Execute(const std::string& productName, const std::string& years, int version, int release);
    // The same, captioned "About <class name>".
    static void ExecuteCtl(const std::string& productName, const std::string& years,
                           const std::string& componentClassName, int version, int release);
    // The version text of the caption format ("Version %s"): what Execute
    // shows.
    static std::string VersionText(const std::string& format, int version, int release);

    vcl::TPanel* Panel1 = nullptr;
    vcl::TImage* Image1 = nullptr;
    vcl::TBevel* Bevel1 = nullptr;
    vcl::TLabel* ProductTxt = nullptr;
    vcl::TLabel* VersionTxt = nullptr;
    vcl::TLabel* CopyrightTxt = nullptr;
    vcl::TButton* Button1 = nullptr;
    vcl::TButton* CloseBtn = nullptr;

    void Button1Click(vcl::TObject* sender);

protected:
    ~TKwFrmAbout() override = default;

private:
    static void Run(const std::string& productName, const std::string& years, const std::string* className,
                    int version, int release);
};

KWCORVANE_EXPORT void FKwAboutInitialization();
KWCORVANE_EXPORT void FKwAboutFinalization();

} // namespace kw
