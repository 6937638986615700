#pragma once
// TOpenDialog: the framework's file-open dialog component. Execute asks for
// one file (or several with ofAllowMultiSelect) through a replaceable hook;
// by default Qt's own (non-native) file dialog asks, modal on the active
// window.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Sets.h"
#include "vcl/core/Strings.h"
#include "vcl/core/TypInfo.h"

#include <memory>
#include <string>
#include <vector>

namespace vcl {

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
VCL_ENUM_TYPE(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp,
              ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist,
              ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton,
              ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing)
using TOpenOptions = TSet<TOpenOption>;

class CORVANE_VCL_EXPORT TOpenDialog : public TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TOpenDialog, TComponent)
public:
    explicit TOpenDialog(TComponent* owner);

    // Files is cleared, then filled with the files chosen; FileName becomes
    // the first. False when the person cancels.
    virtual bool Execute();

    const std::string& DefaultExt() const { return DefaultExt_; }
    void SetDefaultExt(const std::string& value) { DefaultExt_ = value; }
    const std::string& FileName() const { return FileName_; }
    void SetFileName(const std::string& value) { FileName_ = value; }
    TStrings* Files() const { return Files_.get(); }
    // "Text files (*.txt)|*.txt|All files|*": descriptions and masks
    // (separated by ';') in turns.
    const std::string& Filter() const { return Filter_; }
    void SetFilter(const std::string& value) { Filter_ = value; }
    // 1-based.
    int FilterIndex() const { return FilterIndex_; }
    void SetFilterIndex(int value) { FilterIndex_ = value; }
    const std::string& InitialDir() const { return InitialDir_; }
    void SetInitialDir(const std::string& value) { InitialDir_ = value; }
    TOpenOptions Options() const { return Options_; }
    void SetOptions(TOpenOptions value) { Options_ = value; }
    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& value) { Title_ = value; }
    int HelpContext() const { return HelpContext_; }
    void SetHelpContext(int value) { HelpContext_ = value; }

protected:
    ~TOpenDialog() override;

private:
    std::string DefaultExt_;
    std::string FileName_;
    std::unique_ptr<TStringList> Files_;
    std::string Filter_;
    int FilterIndex_ = 1;
    std::string InitialDir_;
    TOpenOptions Options_{ofHideReadOnly, ofEnableSizing};
    std::string Title_;
    int HelpContext_ = 0;
};

// What a file dialog is asked and answers.
struct CORVANE_VCL_EXPORT TOpenDialogRequest {
    std::string Title;
    std::string InitialDir;
    std::string FileName;
    // Qt's name filters made of the dialog's Filter.
    std::vector<std::string> NameFilters;
    int FilterIndex = 0; // 0-based
    bool MultiSelect = false;
    bool FileMustExist = false;
    // Answers.
    std::vector<std::string> Files;
    int ChosenFilter = 0;
};

// Asks instead of Qt's dialog (tests, hosts); returns the hook it replaces,
// null puts Qt's dialog back.
using TOpenDialogHook = bool (*)(TOpenDialogRequest& request);
CORVANE_VCL_EXPORT TOpenDialogHook SetOpenDialogHook(TOpenDialogHook hook);

// "Text (*.txt)|*.txt;*.text" gives "Text (*.txt) (*.txt *.text)".
CORVANE_VCL_EXPORT std::vector<std::string> FilterToNameFilters(const std::string& filter);

} // namespace vcl
