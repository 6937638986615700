#include "Reg_KwShellControls.h"

#include "FKwAbout.h"
#include "FKwFolderBrowseDlg.h"
#include "FKwOpenDlg.h"
#include "FKwShellLocatorEditor.h"
#include "KwCorvanePackage.h"
#include "Reg_KwShellControls_p.h"
#include "UKwImageCombo.h"
#include "UKwShellControls.h"
#include "UKwSplitter.h"
#include "UKwSysFolderDlg.h"
#include "UKwTreeList.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/OpenDialog.h"

namespace kw {

using namespace vcl;
using namespace designide;

const char* const KwPalettePage = "Shell";
const char* const KwCategoryName = " Kwillen";
const char* const KwProductName = "Corvane";
const char* const KwCopyrightYears = "2026 the Corvane developers\n";

namespace {

std::string g_legacyCategoryName;

// Steps 1 to 6, which every package runs.
void RegisterComponentsAndEditors()
{
    RegisterComponents(KwPalettePage,
                       {TKwShellTree::StaticClass(), TKwShellList::StaticClass(),
                        TKwShellCombo::StaticClass(), TKwOpenDlg::StaticClass(), TKwSaveDlg::StaticClass(),
                        TKwFolderBrowseDlg::StaticClass(), TKwFrame::StaticClass(), TKwGroup::StaticClass(),
                        TKwSplitter::StaticClass(), TKwImageCombo::StaticClass(),
                        TKwSysFolderDlg::StaticClass(), TKwCombobox::StaticClass(),
                        TKwTreeView::StaticClass(), TKwListView::StaticClass()});
    RegisterNoIcon({TKwPane::StaticClass()});

    RegisterPropertyEditor(TypeInfo<TKwShellLocator*>(), nullptr, std::string(),
                           EditorClass<TKwShellLocatorEditor>());
    RegisterPropertyEditor(TypeInfo<TCSIDL>(), nullptr, std::string(), EditorClass<TCSIDLEditor>());

    RegisterComponentEditor(TKwSysFolderDlg::StaticClass(), EditorClass<TKwSysFolderDlgEditor>());
    RegisterComponentEditor(TKwFolderBrowseDlg::StaticClass(), EditorClass<TKwFolderBrowseDlgEditor>());
    RegisterComponentEditor(TKwOpenDlg::StaticClass(), EditorClass<TKwOpenDlgEditor>());
    RegisterComponentEditor(TKwSaveDlg::StaticClass(), EditorClass<TKwSaveDlgEditor>());
    RegisterComponentEditor(TKwSplitter::StaticClass(), EditorClass<TKwSplitterEditor>());

    for (TClass cls : {TKwShellTree::StaticClass(), TKwShellList::StaticClass(), TKwShellCombo::StaticClass(),
                       TKwFrame::StaticClass(), TKwGroup::StaticClass(), TKwImageCombo::StaticClass(),
                       TKwCombobox::StaticClass(), TKwTreeView::StaticClass(), TKwListView::StaticClass()})
        RegisterComponentEditor(cls, EditorClass<TKwAboutEditor>());

    RegisterComponentEditor(TOpenDialog::StaticClass(), EditorClass<TOpenDialogEditor>());
}

// Files names of cls under the library's category: by name, or (the
// previous generation) as its category class.
void Categorize(TClass cls, std::initializer_list<const char*> names)
{
#if defined(KW_PREVIOUS_GENERATION)
    RegisterPropertiesInCategory(CategoryClass<TKwillenCategory>(), cls, names);
#else
    RegisterPropertiesInCategory(KwCategoryName, cls, names);
#endif
}

} // namespace

void Register()
{
    RegisterComponentsAndEditors();

    RegisterPropertyEditor(TypeInfo<TKwFrameStyle>(), nullptr, std::string(),
                           EditorClass<TKwFrameStyleProperty>());
#if defined(KW_PREVIOUS_GENERATION)
    for (TClass cls : {TKwFileDlg::StaticClass(), TKwShellList::StaticClass()})
        RegisterPropertyEditor(TypeInfo<std::string>(), cls, "Filter", EditorClass<TFilterProperty>());
#endif

    Categorize(TKwCustomShellCombo::StaticClass(), {"ShellTree", "ShellList", "IndentPixels", "Options"});
    Categorize(TKwCustomShellList::StaticClass(),
               {"Options", "Folder", "FileFilter", "HeaderSortIconOption", "OnAddItem", "OnDeleteItem",
                "OnPopupHint", "OnDblClickOpen", "OnCustomDrawSh", "OnCustomDrawShEx", "OnFillComplete",
                "OnFillStart", "OnFolderChanged"});
    Categorize(TKwCustomShellTree::StaticClass(),
               {"SelectedItem", "SelectedFolder", "SelectedPathName", "ShTreeData", "BaseFolder", "ShellList",
                "Options", "OnAddItem", "OnDeleteItem", "OnInsertItem", "OnPopupHint", "OnCustomDrawSh",
                "OnCustomDrawShEx", "OnFillComplete", "OnFillStart"});
    Categorize(TKwFileDlg::StaticClass(), {"DefaultExt",       "Title",
                                           "Options",          "Filter",
                                           "FilterIndex",      "FormWidth",
                                           "FormHeight",       "FormWindowState",
                                           "FormSplitterPos",  "HelpContext",
                                           "HistoryList",      "InitialDir",
                                           "OnAddListItem",    "OnAddTreeItem",
                                           "OnAddComboItem",   "OnInitialized",
                                           "OnLvCustomDrawSh", "OnLvCustomDrawShEx",
                                           "OnTvCustomDrawSh", "OnTvCustomDrawShEx",
                                           "OnFormClose",      "OnFormShow",
                                           "OnFolderChanged",  "OnSelectionChanged",
                                           "OnTypeChanged"});
    Categorize(TKwFolderBrowseDlg::StaticClass(),
               {"Title", "FormWidth", "FormHeight", "FormWindowState", "BaseFolder", "Options", "OnAddItem",
                "OnFormClose", "OnFormShow", "OnSelChange", "OnInitialized", "OnTvCustomDrawSh",
                "OnTvCustomDrawShEx"});
    Categorize(TKwCustomFrame::StaticClass(),
               {"Alignment", "DefaultDrawing", "FrameSpace", "FrameStyle", "OnPaint"});
    Categorize(TKwCustomGroup::StaticClass(),
               {"Alignment", "DefaultDrawing", "FrameSpace", "FrameStyle", "OnPaint"});
    Categorize(TKwSplitter::StaticClass(),
               {"FullDragMode", "Proportional", "Position", "Style", "SplitterWidth", "Pane1Color",
                "Pane1FrameStyle", "Pane1MinSize", "Pane2Color", "Pane2FrameStyle", "Pane2MinSize",
                "OnChange", "OnResize", "OnSplitterDrag", "OnSplitterDrop"});
    Categorize(TKwCustomCombobox::StaticClass(),
               {"OnDeleteItem", "OnCloseUp", "OnSelEndCancel", "OnSelEndOk"});
    Categorize(TKwCustomImageCombo::StaticClass(), {"AutoSizeHeight", "IndentPixels", "ImageList"});
    Categorize(TKwSysFolderDlg::StaticClass(),
               {"Domain", "Options", "Title", "OnInitialized", "OnSelChanged"});
    Categorize(TKwCustomListView::StaticClass(), {"HeaderSortDisplayMode", "HeaderDefaultDrawing",
                                                  "OnKwCustomDraw", "OnKwCustomDrawEx", "OnItemContextMenu"});
    Categorize(TKwCustomTreeView::StaticClass(), {"OnKwCustomDraw", "OnKwCustomDrawEx", "OnNodeContextMenu"});

#if defined(KW_PREVIOUS_GENERATION)
    RegisterPropertiesInCategory(CategoryClass<TLegacyCategory>(), nullptr,
                                 {"OnCustomDrawSh", "OnCustomDrawShEx"});
#else
    RegisterPropertiesInCategory(g_legacyCategoryName, nullptr, {"OnCustomDrawSh", "OnCustomDrawShEx"});
#endif
}

void RegisterForCppHosts()
{
    RegisterComponentsAndEditors();
}

const std::string& LegacyCategoryName()
{
    return g_legacyCategoryName;
}

void Reg_KwShellControlsInitialization()
{
    g_legacyCategoryName = sLegacyCategoryName();
    RegisterPaletteBitmaps();
}

void Reg_KwShellControlsFinalization()
{
    UnregisterPaletteBitmaps();
    g_legacyCategoryName.clear();
}

} // namespace kw

void KwRegisterPackageUnits()
{
    kw::RegisterPackageUnits();
    vcl::RegisterUnit({"FKwAbout", &kw::FKwAboutInitialization, &kw::FKwAboutFinalization});
    vcl::RegisterUnit({"FKwShellLocatorEditor", &kw::FKwShellLocatorEditorInitialization,
                       &kw::FKwShellLocatorEditorFinalization});
    vcl::RegisterUnit({"Reg_KwShellControls", &kw::Reg_KwShellControlsInitialization,
                       &kw::Reg_KwShellControlsFinalization});
}

void Reg_KwShellControls_Register()
{
    kw::Register();
}

void Reg_KwShellControls_RegisterForCppHosts()
{
    kw::RegisterForCppHosts();
}
