// The library's table of texts: complete, addressable by name, numbered in
// table order, and passed through KwLoadStr unchanged.

#include "UKwShConsts.h"
#include "UKwShellUtils.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(UKwShConsts, TableHasEveryTextOnceNumberedInOrder)
{
    const auto table = kw::ShConstsTable();
    ASSERT_EQ(table.size(), 115u);

    std::set<std::string> names;
    for (size_t i = 0; i < table.size(); ++i) {
        const vcl::PResStringRec entry = table[i];
        ASSERT_NE(entry, nullptr) << i;
        ASSERT_NE(entry->Name, nullptr) << i;
        EXPECT_TRUE(names.insert(entry->Name).second) << "twice: " << entry->Name;
        EXPECT_EQ(entry->Identifier, 65408 + i) << entry->Name;
        const std::string text = vcl::LoadResString(entry);
        EXPECT_FALSE(text.empty()) << entry->Name;
        EXPECT_EQ(text.find('\r'), std::string::npos) << entry->Name << ": line breaks are single line feeds";
    }
    EXPECT_EQ(table.front(), &kw::SShKey_Refresh);
    EXPECT_EQ(table.back(), &kw::SFilenameIsReservedDeviceName);
}

TEST(UKwShConsts, TextsLoadByName)
{
    using vcl::LoadResString;
    EXPECT_EQ(LoadResString(&kw::SShKey_SelectAll), "Ctrl+A");
    EXPECT_EQ(LoadResString(&kw::SDialogFontName), "MS Sans Serif");
    EXPECT_EQ(LoadResString(&kw::SNewDocFilePrefix), "New ");
    EXPECT_EQ(LoadResString(&kw::SPasteShortcutMenu), LoadResString(&kw::SEditPasteMenu));
    EXPECT_EQ(LoadResString(&kw::SUnableToCreateFolder), "Unable to create the folder '%2'\n\n%1");
    EXPECT_EQ(LoadResString(&kw::SFileExistsReplace), "%s already exists.\nDo you want to replace it?");
    EXPECT_EQ(LoadResString(&kw::SRemovableDiskHasChanged),
              "A different disk is expected in drive %c:.  Please insert the appropriate disk.");
    EXPECT_EQ(LoadResString(&kw::SViewDetailsContext), "Displays information about each item in the window.");
    EXPECT_STREQ(kw::SColumnDateDeleted.Name, "SColumnDateDeleted");

    // The translation hook sees every text and hands it back as it is.
    EXPECT_EQ(kw::KwLoadStr(&kw::SNewFolder), "New Folder");
    EXPECT_EQ(kw::KwLoadStr(std::string("any\ntext")), "any\ntext");
    EXPECT_EQ(kw::KwLoadStr(vcl::PResStringRec{nullptr}), "");
}

} // namespace
