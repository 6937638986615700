#pragma once
// FKwOpenDlg: the open and save dialogs.
//
// TKwDialog is the base of the library's form dialogs: one run at a time,
// and the size and window state of the dialog form remembered between runs,
// stored as one small binary value where the application wants it.
//
// What the dialogs do with the text a person types in the file-name edit when
// the form is accepted: wildcard patterns, folders to enter, one name or
// several quoted names, relative and absolute paths, shortcuts, default
// extensions, the display names of list items, and the prompts that the
// options ask for. Paths are POSIX paths and names are raw bytes, passed on
// unchanged.
//
// The accept path runs against TKwTypedNameContext, the little of the form it
// needs, so that it works the same for the form and for a test.

#include "KwCorvaneExport.h"
#include "shell32/ShellInterfaces.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/ModalResults.h"
#include "vcl/core/ResourceStrings.h"
#include "vcl/core/Sets.h"
#include "vcl/widgets/Forms.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {
class TStream;
class TStrings;
} // namespace vcl

namespace kw {

// The non-visual base of the form dialogs. Execute makes a fresh dialog
// form, runs it and frees it (DoExecute, of the descendant). The state value
// is FormWidth and FormHeight (signed 32-bit little-endian) and
// FormWindowState (one byte, 0 to 2), 9 bytes; descendants append theirs.
class KWCORVANE_EXPORT TKwDialog : public vcl::TComponent {
    VCL_DECLARE_CLASS(TKwDialog, vcl::TComponent)
public:
    explicit TKwDialog(vcl::TComponent* owner);

    // Raises "<class name> already executing" while it runs; otherwise runs
    // DoExecute and returns its result.
    bool Execute();
    bool Executing() const { return Executing_; }

    // The state value as one REG_BINARY value. Reading takes at most 128
    // bytes; what the registry object or the stream raise passes on.
    void WriteStateToRegistry(HKEY rootKey, const std::string& key, const std::string& valueName);
    void ReadStateFromRegistry(HKEY rootKey, const std::string& key, const std::string& valueName);
    // From and at the stream's position. A short value raises the stream
    // read error at the first field that is not whole, and so does a window
    // state above wsMaximized; the fields before it keep their new values.
    virtual void ReadStateFromStream(vcl::TStream& stream);
    virtual void WriteStateToStream(vcl::TStream& stream);

    // The restored size of the form as last closed; -1: the form resource's.
    int FormWidth() const { return FormWidth_; }
    void SetFormWidth(int value) { FormWidth_ = value; }
    int FormHeight() const { return FormHeight_; }
    void SetFormHeight(int value) { FormHeight_ = value; }
    vcl::TWindowState FormWindowState() const { return FormWindowState_; }
    void SetFormWindowState(vcl::TWindowState value) { FormWindowState_ = value; }
    // The form's caption; empty: the descendant's own.
    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& value) { Title_ = value; }

    // With the dialog as sender, once the form is set up, before it shows.
    vcl::TNotifyEvent OnInitialized;
    // With the form as sender, once it is shown and filled, and when it hides.
    vcl::TNotifyEvent OnFormShow;
    vcl::TNotifyEvent OnFormClose;

protected:
    virtual void DoInitialized();
    virtual bool DoExecute() = 0;

private:
    int FormWidth_ = -1;
    int FormHeight_ = -1;
    vcl::TWindowState FormWindowState_ = vcl::wsNormal;
    std::string Title_;
    bool Executing_ = false;
};

enum TKwOpenOption {
    kwofAllowMultiselect,
    kwofCreatePrompt,
    kwofExtensionDifferent,
    kwofFileMustExist,
    kwofHideReadOnly,
    kwofNoChangeDir,
    kwofNoDereferenceLinks,
    kwofNoReadOnlyReturn,
    kwofNoTestFileCreate,
    kwofNoValidate,
    kwofOverwritePrompt,
    kwofReadOnly,
    kwofPathMustExist,
    kwofShareAware,
    kwofShowHelp,
    kwofAllowTree,
    kwofShowTree,
    kwofShowHints,
    kwofHideFoldersInListWhenTreeVisible,
    kwofOleDrag,
    kwofOleDrop,
    kwofShowHidden
};
VCL_ENUM_TYPE(TKwOpenOption, kwofAllowMultiselect, kwofCreatePrompt, kwofExtensionDifferent,
              kwofFileMustExist, kwofHideReadOnly, kwofNoChangeDir, kwofNoDereferenceLinks,
              kwofNoReadOnlyReturn, kwofNoTestFileCreate, kwofNoValidate, kwofOverwritePrompt, kwofReadOnly,
              kwofPathMustExist, kwofShareAware, kwofShowHelp, kwofAllowTree, kwofShowTree, kwofShowHints,
              kwofHideFoldersInListWhenTreeVisible, kwofOleDrag, kwofOleDrop, kwofShowHidden)
using TKwOpenOptions = vcl::TSet<TKwOpenOption>;

// Which control the person touched last: the edit (typed) or the list
// (its selection put the text in the edit).
enum TKwFrmOpenDlg_LIS { lisEdit, lisList };

// One item of the form's list.
struct KWCORVANE_EXPORT TKwListItemInfo {
    std::string Caption; // as the list shows it
    std::string Path;    // file-system path; empty for a virtual item
    bool IsFolder = false;
};

// What the accept path reads and changes of the form.
class KWCORVANE_EXPORT TKwTypedNameContext {
public:
    virtual ~TKwTypedNameContext() = default;

    // File-system path of the folder the list shows; empty when it has none.
    virtual std::string Base() = 0;
    virtual TKwFrmOpenDlg_LIS LastInput() = 0;

    virtual std::string EditText() = 0;
    virtual void SetEditText(const std::string& text) = 0;
    // Selects the whole text of the edit.
    virtual void SelectEditText() = 0;

    virtual int ItemCount() = 0;
    virtual TKwListItemInfo Item(int index) = 0;
    // The list's selected item; -1 for none.
    virtual int SelectedItem() = 0;
    // Selects and focuses the item and gives the list the focus.
    virtual void SelectAndFocusItem(int index) = 0;

    // Shows another folder (the look-in combo's folder, which the list and
    // tree follow). A path naming the folder shown changes nothing.
    virtual void NavigateToPath(const std::string& path) = 0;
    virtual void NavigateToIdList(LPCITEMIDLIST idList) = 0;

    // Filters the list by a mask the person typed.
    virtual void ApplyUserFilter(const std::string& mask) = 0;
    // The selected file type's mask; empty when no type is selected.
    virtual std::string SelectedTypeMask() = 0;

    virtual TKwOpenOptions Options() = 0;
    virtual void SetOptions(TKwOpenOptions options) = 0;
    virtual std::string DefaultExt() = 0;

    // Shows a message box of the form: the resource string formatted with
    // one insert (FormatPrompt), answered by a modal result.
    virtual vcl::TModalResult Ask(vcl::PResStringRec message, const std::string& insert,
                                  vcl::TMsgDlgType type, vcl::TMsgDlgButtons buttons) = 0;
    virtual void Beep() = 0;

    // The names accepted by the last parse.
    virtual vcl::TStrings& ResultList() = 0;
    // The owner of anything the shell shows while parsing.
    virtual HWND OwnerWindow() { return nullptr; }
};

// ---- The pure steps ----

// The text of a prompt: the resource string through KwLoadStr, formatted
// with insert as its one "%s".
KWCORVANE_EXPORT std::string FormatPrompt(vcl::PResStringRec message, const std::string& insert);

// The names of a typed text. Without a double quote the whole text is the
// one name, blanks included. With one, names are split: double quotes group,
// blanks and tabs between names are skipped, blanks inside an unquoted name
// belong to it, a quote ends an unquoted name and opens a quoted one, each
// name loses trailing blanks and control bytes, and empty names are dropped.
KWCORVANE_EXPORT std::vector<std::string> TypedNames(const std::string& text);

// Longest name component and path the file system takes (NAME_MAX, and
// PATH_MAX with its terminating zero).
inline constexpr std::size_t MaxNameComponent = 255;
inline constexpr std::size_t MaxPathLength = 4095;

// Whether a typed name may name a file: no "<", ">", "|" or NUL byte, no
// component over MaxNameComponent bytes, at most MaxPathLength bytes.
KWCORVANE_EXPORT bool IsValidFileName(std::string_view name);

enum TKwCombineResult {
    kwcrPath,   // Path holds the combined path
    kwcrEmpty,  // the name combines to nothing
    kwcrInvalid // a NUL byte, or a component or the result over the limits
};
struct KWCORVANE_EXPORT TKwCombinedPath {
    TKwCombineResult Result = kwcrEmpty;
    std::string Path;
};

// A name combined with base, the folder shown. A name starting with "/"
// walks from the root, any other from base (relative when base is empty).
// Empty components are skipped, "." stays, ".." goes up one level and never
// above "/" (from a relative path without a "/" it leaves nothing); every
// other component, "..." included, is a name. Nothing is cut: a component
// or result over the limits is kwcrInvalid.
KWCORVANE_EXPORT TKwCombinedPath CombinePath(std::string_view base, std::string_view name);

// A wildcard pattern typed in the edit: the folder part of its first name
// holding "*" or "?" after the last "/", and the name parts of all such names
// joined by ";". Text the list put in the edit is never a pattern.
struct KWCORVANE_EXPORT TKwTypedPattern {
    std::string Folder;
    std::string Mask;
};
KWCORVANE_EXPORT std::optional<TKwTypedPattern> SplitPattern(const std::string& text,
                                                             TKwFrmOpenDlg_LIS lastInput);

// The extension a file type's mask gives a name: that of its last mask
// ("*.txt;*.doc" gives ".doc"); empty when it has none or when it holds a
// wildcard ("*.*").
KWCORVANE_EXPORT std::string MaskExtension(std::string_view mask);

// Whether ".ext" is a registered file type: a key of that name under
// HKEY_CLASSES_ROOT.
KWCORVANE_EXPORT bool IsRegisteredExtension(const std::string& ext);
using TKwExtensionTest = bool (*)(const std::string& ext);

// Completes a name with the file type's extension or the default extension
// (without its dot), and keeps kwofExtensionDifferent in options: set when
// the name ends up with an extension other than the default one, cleared
// when it is the default one. Nothing happens for an empty defaultExt.
KWCORVANE_EXPORT void ApplyDefaultExt(std::string& name, TKwOpenOptions& options,
                                      const std::string& defaultExt, const std::string& typeMask,
                                      TKwExtensionTest isRegistered = IsRegisteredExtension);

// The target of a shortcut (a symbolic link or a desktop entry) that names a
// local path; any other name is returned as it is.
KWCORVANE_EXPORT std::string ShortcutTarget(const std::string& name);

// ---- Against the form ----

// Checks one full name against the options, with the prompts they ask for;
// true when it is accepted.
KWCORVANE_EXPORT bool ValidateTypedName(TKwTypedNameContext& context, const std::string& name);

// Parses the typed text, enters a folder it names, and validates the names.
// True when all of them were accepted; ResultList then holds their full
// paths, and is empty otherwise.
KWCORVANE_EXPORT bool ParseInputString(TKwTypedNameContext& context, const std::string& text);

// What the form does when it is asked to close with modalResult: with OK, a
// typed pattern filters the list (entering its folder) and keeps the form
// open, and any other text goes through ParseInputString. When the form may
// close (Cancel too), the current directory becomes the folder shown unless
// kwofNoChangeDir.
KWCORVANE_EXPORT void TypedNameCloseQuery(TKwTypedNameContext& context, vcl::TModalResult modalResult,
                                          bool& canClose);

} // namespace kw
