// What Register and RegisterForCppHosts leave in the designer: the palette,
// the pane without an icon, the property and component editors each class
// resolves to, and the property categories.

#include "DesignTesting.h"

#include "FKwFolderBrowseDlg.h"
#include "FKwOpenDlg.h"
#include "UKwImageCombo.h"
#include "UKwShellControls.h"
#include "UKwSplitter.h"
#include "UKwSysFolderDlg.h"
#include "UKwTreeList.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/widgets/OpenDialog.h"

#include <map>
#include <string_view>

namespace {

using namespace designide;
using namespace kw;
using kw::TKwPane;

std::vector<std::string> Names(const std::vector<vcl::TClass>& classes)
{
    std::vector<std::string> names;
    for (vcl::TClass cls : classes)
        names.emplace_back(cls->Name);
    return names;
}

const std::vector<std::string> kPalette{
    "TKwShellTree",       "TKwShellList", "TKwShellCombo", "TKwOpenDlg",  "TKwSaveDlg",
    "TKwFolderBrowseDlg", "TKwFrame",     "TKwGroup",      "TKwSplitter", "TKwImageCombo",
    "TKwSysFolderDlg",    "TKwCombobox",  "TKwTreeView",   "TKwListView"};

// The editor each special property type resolves to on every class that
// the palette and the pane bring, and how many such properties there are.
std::map<std::string, int> CheckSpecialEditors(TDesignHost& host, const std::string& frameStyleEditor)
{
    const std::map<std::string, std::string> expected{{"TKwShellLocator", "TKwShellLocatorEditor"},
                                                      {"TCSIDL", "TCSIDLEditor"},
                                                      {"TKwFrameStyle", frameStyleEditor}};
    std::vector<vcl::TClass> classes = host.PageClasses("Shell");
    classes.push_back(TKwPane::StaticClass());
    std::map<std::string, int> seen;
    for (vcl::TClass cls : classes)
        for (const vcl::TPropInfo* prop : vcl::GetPropList(cls))
            if (auto it = expected.find(prop->PropType->Name); it != expected.end()) {
                EXPECT_STREQ(FindPropertyEditor(cls, prop).Name, it->second.c_str())
                    << cls->Name << "." << prop->Name;
                ++seen[it->first];
            }
    // No class publishes a special folder yet: a property of its type.
    vcl::TPropInfo folder;
    folder.Name = "Domain";
    folder.PropType = vcl::TypeInfo<TCSIDL>();
    EXPECT_STREQ(FindPropertyEditor(kw::TKwShellTree::StaticClass(), &folder).Name, "TCSIDLEditor");
    return seen;
}

void CheckComponentEditors()
{
    const std::vector<std::pair<vcl::TClass, const char*>> table{
        {kw::TKwShellTree::StaticClass(), "TKwAboutEditor"},
        {kw::TKwShellList::StaticClass(), "TKwAboutEditor"},
        {kw::TKwShellCombo::StaticClass(), "TKwAboutEditor"},
        {kw::TKwOpenDlg::StaticClass(), "TKwOpenDlgEditor"},
        {kw::TKwSaveDlg::StaticClass(), "TKwSaveDlgEditor"},
        {kw::TKwFolderBrowseDlg::StaticClass(), "TKwFolderBrowseDlgEditor"},
        {kw::TKwSysFolderDlg::StaticClass(), "TKwSysFolderDlgEditor"},
        {kw::TKwFrame::StaticClass(), "TKwAboutEditor"},
        {kw::TKwGroup::StaticClass(), "TKwAboutEditor"},
        {kw::TKwSplitter::StaticClass(), "TKwSplitterEditor"},
        {kw::TKwImageCombo::StaticClass(), "TKwAboutEditor"},
        {kw::TKwCombobox::StaticClass(), "TKwAboutEditor"},
        {kw::TKwTreeView::StaticClass(), "TKwAboutEditor"},
        {kw::TKwListView::StaticClass(), "TKwAboutEditor"},
        {vcl::TOpenDialog::StaticClass(), "TOpenDialogEditor"},
        // The pane has none of its own: its group's.
        {TKwPane::StaticClass(), "TKwAboutEditor"},
    };
    for (const auto& [cls, editor] : table)
        EXPECT_STREQ(FindComponentEditor(cls).Name, editor) << cls->Name;
}

class Registration : public kwtest::DesignHostTest {};

TEST_F(Registration, PaletteEditorsAndCategories)
{
    EXPECT_EQ(Host->Pages(), std::vector<std::string>{"Shell"});
    EXPECT_EQ(Names(Host->PageClasses("Shell")), kPalette);
    EXPECT_EQ(Names(NoIconClasses()), std::vector<std::string>{"TKwPane"});
    // Without a palette entry the pane still streams.
    EXPECT_EQ(vcl::GetClass("TKwPane"), TKwPane::StaticClass());
    for (vcl::TClass cls : Host->PageClasses("Shell")) {
        EXPECT_EQ(vcl::GetClass(cls->Name), cls);
        const QImage bitmap = Host->PaletteBitmap(cls);
        EXPECT_EQ(bitmap.size(), QSize(24, 24)) << cls->Name;
    }

    const std::map<std::string, int> seen = CheckSpecialEditors(*Host, "TKwFrameStyleProperty");
    EXPECT_GE(seen.count("TKwShellLocator") ? seen.at("TKwShellLocator") : 0, 1);
    EXPECT_GE(seen.count("TKwFrameStyle") ? seen.at("TKwFrameStyle") : 0, 4);
    CheckComponentEditors();

    const std::vector<std::pair<std::string, std::size_t>> rows{
        {"TKwCustomShellCombo", 4}, {"TKwCustomShellList", 13}, {"TKwCustomShellTree", 15},
        {"TKwFileDlg", 25},         {"TKwFolderBrowseDlg", 13}, {"TKwCustomFrame", 5},
        {"TKwCustomGroup", 5},      {"TKwSplitter", 15},        {"TKwCustomCombobox", 4},
        {"TKwCustomImageCombo", 3}, {"TKwSysFolderDlg", 5},     {"TKwCustomListView", 5},
        {"TKwCustomTreeView", 3}};
    const std::vector<TCategoryRow> categories = CategoryRows();
    ASSERT_EQ(rows.size(), 13u);
    ASSERT_EQ(categories.size(), rows.size() + 1);
#if defined(KW_PREVIOUS_GENERATION)
    // The previous generation registers its categories as classes.
    const std::string kwillenClass = "TKwillenCategory";
    const std::string legacyClass = "TLegacyCategory";
#else
    const std::string kwillenClass;
    const std::string legacyClass;
#endif
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(categories[i].Category, " Kwillen") << i;
        EXPECT_EQ(categories[i].CategoryClass, kwillenClass) << i;
        EXPECT_EQ(categories[i].ComponentClass->Name, rows[i].first) << i;
        EXPECT_EQ(categories[i].Names.size(), rows[i].second) << rows[i].first;
    }
    EXPECT_EQ(categories[2].Names.front(), "SelectedItem");
    EXPECT_EQ(categories[3].Names.back(), "OnTypeChanged");
    EXPECT_EQ(categories[4].Names.front(), "Title");
    EXPECT_EQ(categories[7].Names.back(), "OnSplitterDrop");
    EXPECT_EQ(categories[10].Names.front(), "Domain");
    EXPECT_EQ(categories.back().Category, "Legacy");
    EXPECT_EQ(categories.back().CategoryClass, legacyClass);
    EXPECT_EQ(categories.back().ComponentClass, nullptr);
    EXPECT_EQ(categories.back().Names, (std::vector<std::string>{"OnCustomDrawSh", "OnCustomDrawShEx"}));

    // The inspector files a property under every category that names it.
    const std::vector<std::tuple<vcl::TClass, const char*, std::vector<std::string>>> filed{
        {kw::TKwShellTree::StaticClass(), "OnCustomDrawSh", {" Kwillen", "Legacy"}},
        {kw::TKwSplitter::StaticClass(), "Position", {" Kwillen"}},
        {kw::TKwSplitter::StaticClass(), "Align", {}},
        {kw::TKwGroup::StaticClass(), "FrameStyle", {" Kwillen"}},
        {kw::TKwFrame::StaticClass(), "OnCustomDrawSh", {"Legacy"}},
        {kw::TKwOpenDlg::StaticClass(), "InitialDir", {" Kwillen"}},
        {kw::TKwSysFolderDlg::StaticClass(), "Title", {" Kwillen"}},
        {kw::TKwFolderBrowseDlg::StaticClass(), "OnTvCustomDrawShEx", {" Kwillen"}},
    };

    // The previous generation edits a file dialog's filter with the
    // designer's filter editor; this one with the plain string editor.
    const vcl::TPropInfo* filter = vcl::GetPropInfo(kw::TKwSaveDlg::StaticClass(), "Filter");
    ASSERT_NE(filter, nullptr);
#if defined(KW_PREVIOUS_GENERATION)
    EXPECT_STREQ(FindPropertyEditor(kw::TKwSaveDlg::StaticClass(), filter).Name, "TFilterProperty");
#else
    EXPECT_STREQ(FindPropertyEditor(kw::TKwSaveDlg::StaticClass(), filter).Name, "TStringProperty");
#endif
    const vcl::TPropInfo* title = vcl::GetPropInfo(kw::TKwSaveDlg::StaticClass(), "Title");
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(FindPropertyEditor(kw::TKwSaveDlg::StaticClass(), title).Name, "TStringProperty");
    for (const auto& [cls, name, expected] : filed)
        EXPECT_EQ(PropertyCategories(cls, name), expected) << cls->Name << "." << name;
}

TEST_F(Registration, CppHostsRunTheFirstSixSteps)
{
    ClearRegistrations();
    Host->RunRegistration(&kw::RegisterForCppHosts);
    EXPECT_EQ(Names(Host->PageClasses("Shell")), kPalette);
    EXPECT_EQ(Names(NoIconClasses()), std::vector<std::string>{"TKwPane"});
    const std::map<std::string, int> seen = CheckSpecialEditors(*Host, "TEnumProperty");
    EXPECT_GE(seen.at("TKwFrameStyle"), 4);
    CheckComponentEditors();
    EXPECT_TRUE(CategoryRows().empty());
    const vcl::TPropInfo* filter = vcl::GetPropInfo(kw::TKwOpenDlg::StaticClass(), "Filter");
    ASSERT_NE(filter, nullptr);
    EXPECT_STREQ(FindPropertyEditor(kw::TKwOpenDlg::StaticClass(), filter).Name, "TStringProperty");
}

TEST_F(Registration, FilterEditorRowsAndWhereTheyApply)
{
    std::vector<std::string> rows;
    for (const TPropertyEditorRow& row : PropertyEditorRows())
        if (std::string_view(row.Editor.Name) == "TFilterProperty") {
            EXPECT_EQ(row.Type, vcl::TypeInfo<std::string>());
            rows.push_back(std::string(row.ComponentClass->Name) + "." + row.PropertyName);
        }
#if defined(KW_PREVIOUS_GENERATION)
    EXPECT_EQ(rows, (std::vector<std::string>{"TKwFileDlg.Filter", "TKwShellList.Filter"}));
#else
    EXPECT_TRUE(rows.empty());
#endif
    // The shell list publishes no "Filter" (its masks are FileFilter), so
    // its row never meets a property: FileFilter keeps the string editor.
    EXPECT_EQ(vcl::GetPropInfo(kw::TKwShellList::StaticClass(), "Filter"), nullptr);
    const vcl::TPropInfo* masks = vcl::GetPropInfo(kw::TKwShellList::StaticClass(), "FileFilter");
    ASSERT_NE(masks, nullptr);
    EXPECT_STREQ(FindPropertyEditor(kw::TKwShellList::StaticClass(), masks).Name, "TStringProperty");
}

TEST_F(Registration, LegacyNameBoundByTheUnit)
{
    EXPECT_EQ(kw::LegacyCategoryName(), sLegacyCategoryName());
}

} // namespace
