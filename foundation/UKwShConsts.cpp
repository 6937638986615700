#include "UKwShConsts.h"

#include <array>

namespace kw {
namespace {

// The table, in string-table order: name and text. Adding an entry here (and
// its declaration in the header) is all it takes; the numbers follow.
#define KW_SHCONSTS(X)                                                                                       \
    /* shortcut keys */                                                                                      \
    X(SShKey_Refresh, "F5")                                                                                  \
    X(SShKey_Edit, "F2")                                                                                     \
    X(SShKey_SelectAll, "Ctrl+A")                                                                            \
    X(SShKey_Delete, "Del")                                                                                  \
    X(SShKey_Copy, "Ctrl+C")                                                                                 \
    X(SShKey_Cut, "Ctrl+X")                                                                                  \
    X(SShKey_Paste, "Ctrl+V")                                                                                \
    /* dialog font */                                                                                        \
    X(SDialogFontName, "MS Sans Serif")                                                                      \
    /* view commands */                                                                                      \
    X(SViewContext, "Contains commands for customizing this window.")                                        \
    X(SViewLargeIconsContext, "Displays items by using large icons.")                                        \
    X(SViewSmallIconsContext, "Displays items by using small icons.")                                        \
    X(SViewListContext, "Displays items in a list.")                                                         \
    X(SViewDetailsContext, "Displays information about each item in the window.")                            \
    X(SViewLargeIconsHint, "Large Icons")                                                                    \
    X(SViewSmallIconsHint, "Small Icons")                                                                    \
    X(SViewListHint, "List")                                                                                 \
    X(SViewDetailsHint, "Details")                                                                           \
    X(SViewMenu, "&View")                                                                                    \
    X(SViewLargeIconsMenu, "Lar&ge Icons")                                                                   \
    X(SViewSmallIconsMenu, "S&mall Icons")                                                                   \
    X(SViewListMenu, "&List")                                                                                \
    X(SViewDetailsMenu, "&Details")                                                                          \
    /* dialog buttons, hints and captions */                                                                 \
    X(SBrowseForFolder, "Browse for Folder")                                                                 \
    X(SShowTreeHint, "Show Tree (F12)")                                                                      \
    X(SUpOneLevelHint, "Up One Level")                                                                       \
    X(SCreateNewFolderHint, "Create New Folder")                                                             \
    X(SClose, "Close")                                                                                       \
    X(SLookIn, "Look &in:")                                                                                  \
    X(SFileName, "File &name:")                                                                              \
    X(SFilesOfType, "Files of &type:")                                                                       \
    X(SOpenButton, "&Open")                                                                                  \
    X(SCancelButton, "Cancel")                                                                               \
    X(SHelpButton, "&Help")                                                                                  \
    X(SOpenAsReadOnly, "Open as &read-only")                                                                 \
    X(SOKButton, "OK")                                                                                       \
    X(SSaveIn, "Save &in:")                                                                                  \
    X(SSaveButton, "&Save")                                                                                  \
    X(SSaveAsCaption, "Save As")                                                                             \
    X(SOpenCaption, "Open")                                                                                  \
    X(SSaveAsType, "Save as &type:")                                                                         \
    /* detail columns */                                                                                     \
    X(SColumnAttributes, "Attributes")                                                                       \
    X(SAttributesChars, "RHSAC")                                                                             \
    X(SSystemFolder, "System Folder")                                                                        \
    X(SColumnName, "Name")                                                                                   \
    X(SColumnInFolder, "In Folder")                                                                          \
    X(SColumnSize, "Size")                                                                                   \
    X(SColumnType, "Type")                                                                                   \
    X(SColumnModified, "Modified")                                                                           \
    X(SColumnStatus, "Status")                                                                               \
    X(SColumnSynchCopyIn, "Sync Copy In")                                                                    \
    X(SColumnComment, "Comment")                                                                             \
    X(SColumnLocation, "Location")                                                                           \
    X(SColumnOriginalLocation, "Original Location")                                                          \
    X(SColumnDateDeleted, "Date Deleted")                                                                    \
    /* edit commands */                                                                                      \
    X(SDeleteHint, "Delete")                                                                                 \
    X(SPropertiesHint, "Properties")                                                                         \
    X(SCutHint, "Cut")                                                                                       \
    X(SCopyHint, "Copy")                                                                                     \
    X(SPasteHint, "Paste")                                                                                   \
    X(SUndoHint, "Undo")                                                                                     \
    X(SDeleteContext, "Deletes the selected items.")                                                         \
    X(SPropertiesContext, "Displays the properties of the selected items.")                                  \
    X(SCutContext, "Removes the selected items and copies them onto the Clipboard.")                         \
    X(SCopyContext, "Copies the selected items to the Clipboard.")                                           \
    X(SPasteContext, "Inserts the items you have copied or cut into the selected location.")                 \
    X(SSendToContext, "Sends the selected items to another location.")                                       \
    X(SEditCutMenu, "Cu&t")                                                                                  \
    X(SEditCopyMenu, "&Copy")                                                                                \
    X(SEditPasteMenu, "&Paste")                                                                              \
    X(SDeleteMenu, "&Delete")                                                                                \
    X(SRenameMenu, "Rena&me")                                                                                \
    X(SPropertiesMenu, "P&roperties")                                                                        \
    X(SArrangeIconsMenu, "Arrange &Icons")                                                                   \
    X(SLineUpIconsMenu, "Line &up Icons")                                                                    \
    X(SPasteShortcutMenu, "&Paste")                                                                          \
    X(SSelectAllMenu, "Select &All")                                                                         \
    X(SInvertSelectionMenu, "&Invert Selection")                                                             \
    /* new items */                                                                                          \
    X(SNewContext, "Creates new items in this folder.")                                                      \
    X(SNewFolderContext, "Creates a new folder.")                                                            \
    X(SNewShortcutContext, "Creates a new shortcut.")                                                        \
    X(SNewPopupContext, "Contains commands for creating new items.")                                         \
    X(SCreateFolderContext, "Creates a new, empty folder.")                                                  \
    X(SNewMenu, "Ne&w")                                                                                      \
    X(SNewFolderMenu, "&Folder")                                                                             \
    X(SNewShortcutMenu, "&Shortcut")                                                                         \
    X(SCreateFolder, "Create Folder")                                                                        \
    X(SNewFolder, "New Folder")                                                                              \
    X(SNewShortcut, "New Shortcut")                                                                          \
    X(SNewDocFilePrefix, "New ")                                                                             \
    X(SCannotCreateFolder, "Cannot create folder %2: %1")                                                    \
    X(SUnableToCreateFolder, "Unable to create the folder '%2'\n\n%1")                                       \
    X(SUnableToCreateFile, "Unable to create the file '%2'\n\n%1")                                           \
    /* file sizes */                                                                                         \
    X(SBytes, "%s bytes")                                                                                    \
    X(SFilesizeKB, "%sKB")                                                                                   \
    X(SFilesizeMB, "%sMB")                                                                                   \
    X(SFilesizeGB, "%sGB")                                                                                   \
    X(SFilesizeTB, "%sTB")                                                                                   \
    X(SFilesizeX_YBytes, "%1 (%2 bytes)")                                                                    \
    /* typed-name checks and prompts */                                                                      \
    X(SYouMustTypeFilename, "You must type a file name.")                                                    \
    X(SFolderDoesNotExist, "The folder '%1' does not exist.\n\nCheck the folder name and try again.")        \
    X(SDiskIsWriteProtected, "%s\nThe disk is write-protected.\nRemove the write-protection or use another " \
                             "disk.")                                                                        \
    X(SInsufficientDiskSpace, "%s\nThere is not enough free disk space.\nDelete some files or choose "       \
                              "another disk, and then try again.")                                           \
    X(SDoesNotExistCreate, "%s\nThis file does not exist.\n\nCreate the file?")                              \
    X(SThereCanBeOnlyOne, "More than one file has the name '%s'.\n\nChoose one from the list of files.")     \
    X(SFileExistsReplace, "%s already exists.\nDo you want to replace it?")                                  \
    X(SDriveDoesNotExist, "The drive %c: does not exist.\nCheck the drive name and try again.")              \
    X(SCannotReadDrive, "Windows NT is unable to read drive %c:. Make sure the drive door is closed and "    \
                        "that the disk is formatted and free of errors.")                                    \
    X(SRemovableDiskHasChanged, "A different disk is expected in drive %c:.  Please insert the "             \
                                "appropriate disk.")                                                         \
    X(SFileNotFound, "%s\nFile not found.\nPlease verify the correct file name was given.")                  \
    X(SPathDoesNotExist, "%s\nPath does not exist.\nPlease verify the correct path was given.")              \
    X(SFilenameIsInvalid, "%s\nThe above file name is invalid.")                                             \
    X(SFileAlreadyInUse, "%s\nThis file is in use.\nClose the program that uses it, or use a different "     \
                         "file name.")                                                                       \
    X(SFileCannotBeAccessed, "%s\nThis file cannot be accessed.\nMake sure you have permission to open "     \
                             "it.")                                                                          \
    X(SExistsAndIsReadOnly, "%s\nThis file exists with Read Only attributes.\nPlease use a different file "  \
                            "name.")                                                                         \
    X(SFilenameIsReservedDeviceName, "%s\nThis file name is reserved for use by the system.\nPlease use a "  \
                                     "different file name.")

// Position of each entry in the table.
enum ShConstIndex : WORD {
#define KW_SHCONST_INDEX(Name_, Text_) Index_##Name_,
    KW_SHCONSTS(KW_SHCONST_INDEX)
#undef KW_SHCONST_INDEX
        ShConstCount
};

// The module's string-table numbers for the library's texts start here.
constexpr WORD FirstIdentifier = 65408;
static_assert(ShConstCount == 115, "the library has 115 texts");
static_assert(FirstIdentifier + ShConstCount - 1 <= 0xFFFF);

} // namespace

#define KW_SHCONST_DEFINE(Name_, Text_)                                                                      \
    const vcl::TResStringRec Name_{#Name_, static_cast<WORD>(FirstIdentifier + Index_##Name_), Text_};
KW_SHCONSTS(KW_SHCONST_DEFINE)
#undef KW_SHCONST_DEFINE

namespace {

constexpr std::array<vcl::PResStringRec, ShConstCount> Table{
#define KW_SHCONST_ENTRY(Name_, Text_) &Name_,
    KW_SHCONSTS(KW_SHCONST_ENTRY)
#undef KW_SHCONST_ENTRY
};

} // namespace

std::span<const vcl::PResStringRec> ShConstsTable()
{
    return Table;
}

} // namespace kw
