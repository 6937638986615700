#pragma once
// The library's user-visible texts: one table of resource strings, addressed
// by name.
//
// Each text is a vcl::TResStringRec constant. Load it with
// vcl::LoadResString and pass it through KwLoadStr (UKwShellUtils.h) at every
// use, so that an application can translate the library's texts in one place:
//
//     const std::string name = kw::KwLoadStr(vcl::LoadResString(&kw::SNewFolder));
//
// Texts with "%s" or "%c" go through the framework's Format; texts with "%1"
// and "%2" through FormatStrPos. Line breaks are single line feeds. The
// numbers of the string table (from 65408 upward, in table order) are the
// module's business: code names the records, never a number.

#include "vcl/core/ResourceStrings.h"

#include <span>

namespace kw {

// Shortcut keys of the shell controls.
extern const vcl::TResStringRec SShKey_Refresh;
extern const vcl::TResStringRec SShKey_Edit;
extern const vcl::TResStringRec SShKey_SelectAll;
extern const vcl::TResStringRec SShKey_Delete;
extern const vcl::TResStringRec SShKey_Copy;
extern const vcl::TResStringRec SShKey_Cut;
extern const vcl::TResStringRec SShKey_Paste;

// Font of the library's dialog forms.
extern const vcl::TResStringRec SDialogFontName;

// View commands: context help, hints and menu texts.
extern const vcl::TResStringRec SViewContext;
extern const vcl::TResStringRec SViewLargeIconsContext;
extern const vcl::TResStringRec SViewSmallIconsContext;
extern const vcl::TResStringRec SViewListContext;
extern const vcl::TResStringRec SViewDetailsContext;
extern const vcl::TResStringRec SViewLargeIconsHint;
extern const vcl::TResStringRec SViewSmallIconsHint;
extern const vcl::TResStringRec SViewListHint;
extern const vcl::TResStringRec SViewDetailsHint;
extern const vcl::TResStringRec SViewMenu;
extern const vcl::TResStringRec SViewLargeIconsMenu;
extern const vcl::TResStringRec SViewSmallIconsMenu;
extern const vcl::TResStringRec SViewListMenu;
extern const vcl::TResStringRec SViewDetailsMenu;

// Dialog buttons, hints and captions.
extern const vcl::TResStringRec SBrowseForFolder;
extern const vcl::TResStringRec SShowTreeHint;
extern const vcl::TResStringRec SUpOneLevelHint;
extern const vcl::TResStringRec SCreateNewFolderHint;
extern const vcl::TResStringRec SClose;
extern const vcl::TResStringRec SLookIn;
extern const vcl::TResStringRec SFileName;
extern const vcl::TResStringRec SFilesOfType;
extern const vcl::TResStringRec SOpenButton;
extern const vcl::TResStringRec SCancelButton;
extern const vcl::TResStringRec SHelpButton;
extern const vcl::TResStringRec SOpenAsReadOnly;
extern const vcl::TResStringRec SOKButton;
extern const vcl::TResStringRec SSaveIn;
extern const vcl::TResStringRec SSaveButton;
extern const vcl::TResStringRec SSaveAsCaption;
extern const vcl::TResStringRec SOpenCaption;
extern const vcl::TResStringRec SSaveAsType;

// Detail columns.
extern const vcl::TResStringRec SColumnAttributes;
extern const vcl::TResStringRec SAttributesChars;
extern const vcl::TResStringRec SSystemFolder;
extern const vcl::TResStringRec SColumnName;
extern const vcl::TResStringRec SColumnInFolder;
extern const vcl::TResStringRec SColumnSize;
extern const vcl::TResStringRec SColumnType;
extern const vcl::TResStringRec SColumnModified;
extern const vcl::TResStringRec SColumnStatus;
extern const vcl::TResStringRec SColumnSynchCopyIn;
extern const vcl::TResStringRec SColumnComment;
extern const vcl::TResStringRec SColumnLocation;
extern const vcl::TResStringRec SColumnOriginalLocation;
extern const vcl::TResStringRec SColumnDateDeleted;

// Edit commands: hints, context help and menu texts.
extern const vcl::TResStringRec SDeleteHint;
extern const vcl::TResStringRec SPropertiesHint;
extern const vcl::TResStringRec SCutHint;
extern const vcl::TResStringRec SCopyHint;
extern const vcl::TResStringRec SPasteHint;
extern const vcl::TResStringRec SUndoHint;
extern const vcl::TResStringRec SDeleteContext;
extern const vcl::TResStringRec SPropertiesContext;
extern const vcl::TResStringRec SCutContext;
extern const vcl::TResStringRec SCopyContext;
extern const vcl::TResStringRec SPasteContext;
extern const vcl::TResStringRec SSendToContext;
extern const vcl::TResStringRec SEditCutMenu;
extern const vcl::TResStringRec SEditCopyMenu;
extern const vcl::TResStringRec SEditPasteMenu;
extern const vcl::TResStringRec SDeleteMenu;
extern const vcl::TResStringRec SRenameMenu;
extern const vcl::TResStringRec SPropertiesMenu;
extern const vcl::TResStringRec SArrangeIconsMenu;
extern const vcl::TResStringRec SLineUpIconsMenu;
extern const vcl::TResStringRec SPasteShortcutMenu;
extern const vcl::TResStringRec SSelectAllMenu;
extern const vcl::TResStringRec SInvertSelectionMenu;

// New items.
extern const vcl::TResStringRec SNewContext;
extern const vcl::TResStringRec SNewFolderContext;
extern const vcl::TResStringRec SNewShortcutContext;
extern const vcl::TResStringRec SNewPopupContext;
extern const vcl::TResStringRec SCreateFolderContext;
extern const vcl::TResStringRec SNewMenu;
extern const vcl::TResStringRec SNewFolderMenu;
extern const vcl::TResStringRec SNewShortcutMenu;
extern const vcl::TResStringRec SCreateFolder;
extern const vcl::TResStringRec SNewFolder;
extern const vcl::TResStringRec SNewShortcut;
extern const vcl::TResStringRec SNewDocFilePrefix;
extern const vcl::TResStringRec SCannotCreateFolder;
extern const vcl::TResStringRec SUnableToCreateFolder;
extern const vcl::TResStringRec SUnableToCreateFile;

// File sizes.
extern const vcl::TResStringRec SBytes;
extern const vcl::TResStringRec SFilesizeKB;
extern const vcl::TResStringRec SFilesizeMB;
extern const vcl::TResStringRec SFilesizeGB;
extern const vcl::TResStringRec SFilesizeTB;
extern const vcl::TResStringRec SFilesizeX_YBytes;

// Typed-name checks and prompts.
extern const vcl::TResStringRec SYouMustTypeFilename;
extern const vcl::TResStringRec SFolderDoesNotExist;
extern const vcl::TResStringRec SDiskIsWriteProtected;
extern const vcl::TResStringRec SInsufficientDiskSpace;
extern const vcl::TResStringRec SDoesNotExistCreate;
extern const vcl::TResStringRec SThereCanBeOnlyOne;
extern const vcl::TResStringRec SFileExistsReplace;
extern const vcl::TResStringRec SDriveDoesNotExist;
extern const vcl::TResStringRec SCannotReadDrive;
extern const vcl::TResStringRec SRemovableDiskHasChanged;
extern const vcl::TResStringRec SFileNotFound;
extern const vcl::TResStringRec SPathDoesNotExist;
extern const vcl::TResStringRec SFilenameIsInvalid;
extern const vcl::TResStringRec SFileAlreadyInUse;
extern const vcl::TResStringRec SFileCannotBeAccessed;
extern const vcl::TResStringRec SExistsAndIsReadOnly;
extern const vcl::TResStringRec SFilenameIsReservedDeviceName;
// Every resource string of the unit, in table order.
std::span<const vcl::PResStringRec> ShConstsTable();

} // namespace kw
