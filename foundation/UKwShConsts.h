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

#include "KwCorvaneExport.h"
#include "vcl/core/ResourceStrings.h"

#include <span>

namespace kw {

// Shortcut keys of the shell controls.
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Refresh;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Edit;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_SelectAll;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Delete;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Copy;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Cut;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShKey_Paste;

// Font of the library's dialog forms.
extern KWCORVANE_EXPORT const vcl::TResStringRec SDialogFontName;

// View commands: context help, hints and menu texts.
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewLargeIconsContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewSmallIconsContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewListContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewDetailsContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewLargeIconsHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewSmallIconsHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewListHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewDetailsHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewLargeIconsMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewSmallIconsMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewListMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SViewDetailsMenu;

// Dialog buttons, hints and captions.
extern KWCORVANE_EXPORT const vcl::TResStringRec SBrowseForFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SShowTreeHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SUpOneLevelHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCreateNewFolderHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SClose;
extern KWCORVANE_EXPORT const vcl::TResStringRec SLookIn;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFileName;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesOfType;
extern KWCORVANE_EXPORT const vcl::TResStringRec SOpenButton;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCancelButton;
extern KWCORVANE_EXPORT const vcl::TResStringRec SHelpButton;
extern KWCORVANE_EXPORT const vcl::TResStringRec SOpenAsReadOnly;
extern KWCORVANE_EXPORT const vcl::TResStringRec SOKButton;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSaveIn;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSaveButton;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSaveAsCaption;
extern KWCORVANE_EXPORT const vcl::TResStringRec SOpenCaption;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSaveAsType;

// Detail columns.
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnAttributes;
extern KWCORVANE_EXPORT const vcl::TResStringRec SAttributesChars;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSystemFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnName;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnInFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnSize;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnType;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnModified;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnStatus;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnSynchCopyIn;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnComment;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnLocation;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnOriginalLocation;
extern KWCORVANE_EXPORT const vcl::TResStringRec SColumnDateDeleted;

// Edit commands: hints, context help and menu texts.
extern KWCORVANE_EXPORT const vcl::TResStringRec SDeleteHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPropertiesHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCutHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCopyHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPasteHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SUndoHint;
extern KWCORVANE_EXPORT const vcl::TResStringRec SDeleteContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPropertiesContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCutContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCopyContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPasteContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSendToContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SEditCutMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SEditCopyMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SEditPasteMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SDeleteMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SRenameMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPropertiesMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SArrangeIconsMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SLineUpIconsMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPasteShortcutMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SSelectAllMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SInvertSelectionMenu;

// New items.
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewFolderContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewShortcutContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewPopupContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCreateFolderContext;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewFolderMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewShortcutMenu;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCreateFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewShortcut;
extern KWCORVANE_EXPORT const vcl::TResStringRec SNewDocFilePrefix;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCannotCreateFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SUnableToCreateFolder;
extern KWCORVANE_EXPORT const vcl::TResStringRec SUnableToCreateFile;

// File sizes.
extern KWCORVANE_EXPORT const vcl::TResStringRec SBytes;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesizeKB;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesizeMB;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesizeGB;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesizeTB;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilesizeX_YBytes;

// Typed-name checks and prompts.
extern KWCORVANE_EXPORT const vcl::TResStringRec SYouMustTypeFilename;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFolderDoesNotExist;
extern KWCORVANE_EXPORT const vcl::TResStringRec SDiskIsWriteProtected;
extern KWCORVANE_EXPORT const vcl::TResStringRec SInsufficientDiskSpace;
extern KWCORVANE_EXPORT const vcl::TResStringRec SDoesNotExistCreate;
extern KWCORVANE_EXPORT const vcl::TResStringRec SThereCanBeOnlyOne;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFileExistsReplace;
extern KWCORVANE_EXPORT const vcl::TResStringRec SDriveDoesNotExist;
extern KWCORVANE_EXPORT const vcl::TResStringRec SCannotReadDrive;
extern KWCORVANE_EXPORT const vcl::TResStringRec SRemovableDiskHasChanged;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFileNotFound;
extern KWCORVANE_EXPORT const vcl::TResStringRec SPathDoesNotExist;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilenameIsInvalid;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFileAlreadyInUse;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFileCannotBeAccessed;
extern KWCORVANE_EXPORT const vcl::TResStringRec SExistsAndIsReadOnly;
extern KWCORVANE_EXPORT const vcl::TResStringRec SFilenameIsReservedDeviceName;
// Every resource string of the unit, in table order.
KWCORVANE_EXPORT std::span<const vcl::PResStringRec> ShConstsTable();

} // namespace kw
