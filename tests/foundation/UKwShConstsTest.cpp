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

// The texts the library's forms, menus, messages and columns are known by:
// each must stay word for word, since dialogs and prompts are built from them.
TEST(UKwShConsts, PublishedTextsStayWordForWord)
{
    const struct {
        const vcl::TResStringRec& Record;
        const char* Text;
    } published[] = {
        {kw::SShKey_Refresh, "F5"},
        {kw::SShKey_Edit, "F2"},
        {kw::SShKey_SelectAll, "Ctrl+A"},
        {kw::SShKey_Delete, "Del"},
        {kw::SShKey_Copy, "Ctrl+C"},
        {kw::SShKey_Cut, "Ctrl+X"},
        {kw::SShKey_Paste, "Ctrl+V"},
        {kw::SDialogFontName, "MS Sans Serif"},
        {kw::SViewContext, "Contains commands for customizing this window."},
        {kw::SViewLargeIconsContext, "Displays items by using large icons."},
        {kw::SViewSmallIconsContext, "Displays items by using small icons."},
        {kw::SViewListContext, "Displays items in a list."},
        {kw::SViewDetailsContext, "Displays information about each item in the window."},
        {kw::SViewListHint, "List"},
        {kw::SViewDetailsHint, "Details"},
        {kw::SViewMenu, "&View"},
        {kw::SViewLargeIconsMenu, "Lar&ge Icons"},
        {kw::SViewSmallIconsMenu, "S&mall Icons"},
        {kw::SViewListMenu, "&List"},
        {kw::SViewDetailsMenu, "&Details"},
        {kw::SBrowseForFolder, "Browse for Folder"},
        {kw::SShowTreeHint, "Show Tree (F12)"},
        {kw::SUpOneLevelHint, "Up One Level"},
        {kw::SCreateNewFolderHint, "Create New Folder"},
        {kw::SLookIn, "Look &in:"},
        {kw::SFileName, "File &name:"},
        {kw::SFilesOfType, "Files of &type:"},
        {kw::SOpenButton, "&Open"},
        {kw::SCancelButton, "Cancel"},
        {kw::SHelpButton, "&Help"},
        {kw::SOpenAsReadOnly, "Open as &read-only"},
        {kw::SOKButton, "OK"},
        {kw::SSaveButton, "&Save"},
        {kw::SSaveAsCaption, "Save As"},
        {kw::SOpenCaption, "Open"},
        {kw::SColumnAttributes, "Attributes"},
        {kw::SAttributesChars, "RHSAC"},
        {kw::SSystemFolder, "System Folder"},
        {kw::SColumnName, "Name"},
        {kw::SColumnSize, "Size"},
        {kw::SColumnType, "Type"},
        {kw::SColumnModified, "Modified"},
        {kw::SPasteContext, "Inserts the items you have copied or cut into the selected location."},
        {kw::SPropertiesContext, "Displays the properties of the selected items."},
        {kw::SEditPasteMenu, "&Paste"},
        {kw::SPropertiesMenu, "P&roperties"},
        {kw::SPasteShortcutMenu, "&Paste"},
        {kw::SNewPopupContext, "Contains commands for creating new items."},
        {kw::SCreateFolderContext, "Creates a new, empty folder."},
        {kw::SNewMenu, "Ne&w"},
        {kw::SNewFolderMenu, "&Folder"},
        {kw::SNewFolder, "New Folder"},
        {kw::SNewShortcut, "New Shortcut"},
        {kw::SNewDocFilePrefix, "New "},
        {kw::SCannotCreateFolder, "Cannot create folder %2: %1"},
        {kw::SUnableToCreateFolder, "Unable to create the folder '%2'\n\n%1"},
        {kw::SUnableToCreateFile, "Unable to create the file '%2'\n\n%1"},
        {kw::SBytes, "%s bytes"},
        {kw::SFilesizeKB, "%sKB"},
        {kw::SFilesizeMB, "%sMB"},
        {kw::SFilesizeGB, "%sGB"},
        {kw::SFilesizeTB, "%sTB"},
        {kw::SFilesizeX_YBytes, "%1 (%2 bytes)"},
        {kw::SFolderDoesNotExist, "The folder '%1' does not exist.\n\nCheck the folder name and try again."},
        {kw::SFilenameIsInvalid, "%s\nThe above file name is invalid."},
        {kw::SThereCanBeOnlyOne,
         "More than one file has the name '%s'.\n\nChoose one from the list of files."},
        {kw::SExistsAndIsReadOnly,
         "%s\nThis file exists with Read Only attributes.\nPlease use a different file name."},
        {kw::SFileExistsReplace, "%s already exists.\nDo you want to replace it?"},
        {kw::SFileNotFound, "%s\nFile not found.\nPlease verify the correct file name was given."},
        {kw::SDoesNotExistCreate, "%s\nThis file does not exist.\n\nCreate the file?"},
        {kw::SCannotReadDrive,
         "Windows NT is unable to read drive %c:. Make sure the drive door is closed and "
         "that the disk is formatted and free of errors."},
        {kw::SRemovableDiskHasChanged,
         "A different disk is expected in drive %c:.  Please insert the appropriate disk."},
    };
    for (const auto& entry : published)
        EXPECT_EQ(vcl::LoadResString(&entry.Record), entry.Text) << entry.Record.Name;
}

} // namespace
