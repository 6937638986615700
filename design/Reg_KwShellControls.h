#pragma once
// The package's face in the designer: Register puts the components on the
// palette page "Shell" and registers their property editors, component
// editors and property categories.

#include "KwCorvaneExport.h"
#include "UKwFrame.h"
#include "designide/DesignIntf.h"

#include <string>

namespace kw {

// The palette page, the category of the library's properties (its leading
// blank sorts it first) and what the about verb shows.
KWCORVANE_EXPORT extern const char* const KwPalettePage;
KWCORVANE_EXPORT extern const char* const KwCategoryName;
KWCORVANE_EXPORT extern const char* const KwProductName;
KWCORVANE_EXPORT extern const char* const KwCopyrightYears;
inline constexpr int KwAboutVersion = 160;
inline constexpr int KwAboutRelease = -64;

// Runs once per package load.
KWCORVANE_EXPORT void Register();
// The registration of the packages for the C++ hosts: palette, the pane,
// the locator and special-folder editors and the component editors (the
// first six steps of Register, through the same code), no categories and no
// frame-style drawing.
KWCORVANE_EXPORT void RegisterForCppHosts();

// Draws the frame-style samples beside the names, in the drop-down and in
// the inspector.
class KWCORVANE_EXPORT TKwFrameStyleProperty : public designide::TEnumProperty
#if !defined(KW_PREVIOUS_GENERATION)
    ,
                                               public designide::ICustomPropertyDrawing,
                                               public designide::ICustomPropertyListDrawing
#endif
{
public:
    static constexpr const char* ClassName = "TKwFrameStyleProperty";
    using designide::TEnumProperty::TEnumProperty;

    void ListMeasureWidth(const std::string& value, vcl::TCanvas* canvas, int& width) override;
    void ListMeasureHeight(const std::string& value, vcl::TCanvas* canvas, int& height) override;
    void ListDrawValue(const std::string& value, vcl::TCanvas* canvas, const vcl::TRect& rect,
                       bool selected) override;
    void PropDrawName(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected) override;
    void PropDrawValue(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected) override;
};

// A shell location is edited only through its dialog.
class KWCORVANE_EXPORT TKwShellLocatorEditor : public designide::TClassProperty {
public:
    static constexpr const char* ClassName = "TKwShellLocatorEditor";
    using designide::TClassProperty::TClassProperty;
    void Edit() override;
    designide::TPropertyAttributes GetAttributes() override;
};

// The special folders, without the placeholders.
class KWCORVANE_EXPORT TCSIDLEditor : public designide::TEnumProperty {
public:
    static constexpr const char* ClassName = "TCSIDLEditor";
    using designide::TEnumProperty::TEnumProperty;
    void GetValues(const designide::TGetStrProc& proc) override;
};

class KWCORVANE_EXPORT TKwAboutEditor : public designide::TDefaultEditor {
public:
    static constexpr const char* ClassName = "TKwAboutEditor";
    using designide::TDefaultEditor::TDefaultEditor;
    void ExecuteVerb(int index) override;
    std::string GetVerb(int index) override;
    int GetVerbCount() override;
};

class KWCORVANE_EXPORT TKwSplitterEditor : public designide::TDefaultEditor {
public:
    static constexpr const char* ClassName = "TKwSplitterEditor";
    using designide::TDefaultEditor::TDefaultEditor;
    void ExecuteVerb(int index) override;
    std::string GetVerb(int index) override;
    int GetVerbCount() override;
};

// About the dialog, and a test run of it at design time (its result unused).
class KWCORVANE_EXPORT TKwDialogEditor : public designide::TDefaultEditor {
public:
    using designide::TDefaultEditor::TDefaultEditor;
    void ExecuteVerb(int index) override;
    std::string GetVerb(int index) override;
    int GetVerbCount() override;

protected:
    // The form dialogs' Execute.
    virtual void RunDialog();
};

class KWCORVANE_EXPORT TKwSysFolderDlgEditor : public TKwDialogEditor {
public:
    static constexpr const char* ClassName = "TKwSysFolderDlgEditor";
    using TKwDialogEditor::TKwDialogEditor;

protected:
    void RunDialog() override;
};

class KWCORVANE_EXPORT TKwFolderBrowseDlgEditor : public TKwDialogEditor {
public:
    static constexpr const char* ClassName = "TKwFolderBrowseDlgEditor";
    using TKwDialogEditor::TKwDialogEditor;
};

class KWCORVANE_EXPORT TKwOpenDlgEditor : public TKwDialogEditor {
public:
    static constexpr const char* ClassName = "TKwOpenDlgEditor";
    using TKwDialogEditor::TKwDialogEditor;
};

class KWCORVANE_EXPORT TKwSaveDlgEditor : public TKwDialogEditor {
public:
    static constexpr const char* ClassName = "TKwSaveDlgEditor";
    using TKwDialogEditor::TKwDialogEditor;
};

// The framework's file-open dialog: one verb that runs it.
class KWCORVANE_EXPORT TOpenDialogEditor : public designide::TDefaultEditor {
public:
    static constexpr const char* ClassName = "TOpenDialogEditor";
    using designide::TDefaultEditor::TDefaultEditor;
    void ExecuteVerb(int index) override;
    std::string GetVerb(int index) override;
    int GetVerbCount() override;
};

#if defined(KW_PREVIOUS_GENERATION)
// The library's category as a class.
class KWCORVANE_EXPORT TKwillenCategory : public designide::TPropertyCategory {
public:
    static constexpr const char* ClassName = "TKwillenCategory";
    std::string Name() const override;
    std::string Description() const override;
};
#endif

// Shows the about box for component (its class name in the caption).
KWCORVANE_EXPORT void ShowAboutFor(vcl::TComponent* component);

KWCORVANE_EXPORT void Reg_KwShellControlsInitialization();
KWCORVANE_EXPORT void Reg_KwShellControlsFinalization();
// The legacy category's name as the unit's start-up bound it; empty
// outside the unit's life.
KWCORVANE_EXPORT const std::string& LegacyCategoryName();

} // namespace kw

// The entries a design host looks up with dlsym.
extern "C" {
// Lists the package's units, the design units included, in start-up order.
KWCORVANE_EXPORT void KwRegisterPackageUnits();
KWCORVANE_EXPORT void Reg_KwShellControls_Register();
KWCORVANE_EXPORT void Reg_KwShellControls_RegisterForCppHosts();
}
