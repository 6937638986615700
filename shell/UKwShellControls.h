#pragma once
// The shell controls: the shell locator, which names one place of the
// namespace and keeps it in form files, the data objects of the shell tree's
// nodes, the shell list's items and the shell combo's entries, the namespace
// routines they share, their shortcut keys and tunable constants, and the
// unit's start-up and shut-down.
//
// The unit spans several source files, one concern each
// (UKwShellControls_<Concern>.cpp).

#include "KwCorvaneExport.h"
#include "UKwImageCombo.h"
#include "UKwShell95.h"
#include "UKwShellUtils.h"
#include "UKwTreeList.h"

#include "com/ComObject.h"
#include "com/DataObject.h"
#include "com/DragDrop.h"
#include "com/Unknown.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Events.h"
#include "vcl/core/Lists.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/Menus.h"
#include "win32/GlobalMemory.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace vcl {
class TFiler;
class TStream;
class TStrings;
} // namespace vcl

namespace kw {

class TKwCustomShellTree;
class TKwCustomShellCombo;
class TKwShListData;

// ---- Shell locator ----

// How a locator names its place.
enum TKwShellLocator_Which : unsigned char {
    usePidl,  // by an absolute item id list (none: the desktop)
    useCSIDL, // by the number of a special folder
};

// One place of the namespace, named by an absolute item id list or by a
// special folder, which is looked up when first asked for, so that a form
// stored with a special folder finds it again on any machine. The locator
// owns the list it holds; OnChange hears of every real change, after the new
// place is in place. In a form file it is one binary property "Pidl": a mode
// byte, then for a special folder its number (one byte), for a list its
// length in bytes (32-bit little-endian, the terminator included) and the
// list. The desktop by list stores nothing.
class KWCORVANE_EXPORT TKwShellLocator : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TKwShellLocator, vcl::TPersistent)
public:
    TKwShellLocator() = default;
    ~TKwShellLocator() override;

    // The place's absolute list (null: the desktop). A special folder is
    // looked up when none is held yet; a failed look-up gives null and is
    // tried again next time. The list stays the locator's and lives until the
    // locator next changes, reads a stream or goes.
    PItemIDList GetIdList();
    // A copy of list (null or the terminator alone: the desktop); list may be
    // the locator's own.
    void SetIdList(const ITEMIDLIST* list);
    // The special folder, or csidlNone when the place is named by a list.
    TCSIDL GetCSIDL() const;
    // Drops a looked-up list, so the next GetIdList asks again.
    void SetCSIDL(TCSIDL value);
    // The file-system path of the place; empty for a virtual folder.
    std::string GetPathName();
    // The place a path names; anything that does not parse is the desktop.
    void SetPathName(const std::string& path);
    // The desktop.
    void Clear();
    // Both name the place the same way: equal special folders, or lists
    // naming the same item (a failed comparison is no match).
    bool IsEqual(const TKwShellLocator* other) const;
    TKwShellLocator_Which Which() const { return Which_; }

    // Null: what Clear does. Another locator: its place and mode (OnChange
    // is not copied); nothing happens when both are equal already.
    void Assign(vcl::TPersistent* source) override;
    void DefineProperties(vcl::TFiler* filer) override;

    // Called with the locator after every real change; not stored.
    vcl::TNotifyEvent OnChange;

    // The most bytes a stored list may have.
    static constexpr std::uint32_t MaxStoredListBytes = 1u << 20;

protected:
    virtual void Changed();
    // Reads the whole stored block or raises vcl::EReadError with the
    // locator unchanged. Owners act on what they read in their Loaded, so
    // OnChange is not called.
    void ReadData(vcl::TStream* stream);
    void WriteData(vcl::TStream* stream);

private:
    // The desktop by list holds null, never the terminator alone.
    void Replace(TKwShellLocator_Which which, PItemIDList list, TCSIDL folder);

    TKwShellLocator_Which Which_ = usePidl;
    PItemIDList IdList_ = nullptr;
    TCSIDL CSIDL_ = csidlDesktop;
};

// ---- Shell item data objects ----
// Each node of the shell tree, item of the shell list and entry of the shell
// combo carries one. Folders returned in a com::ComPtr carry a reference of
// the caller's; lists returned as PItemIDList stay the data object's.

// The shell tree's node data. The top node holds the base folder's absolute
// list as its relative list and has no parent data; every other node holds
// its item relative to its parent node's folder.
class KWCORVANE_EXPORT TKwShTreeData : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwShTreeData, vcl::TObject)
public:
    explicit TKwShTreeData(TKwCustomShellTree* owner) : Owner_(owner) {}
    ~TKwShTreeData() override;
    TKwShTreeData(const TKwShTreeData&) = delete;
    TKwShTreeData& operator=(const TKwShTreeData&) = delete;

    TKwCustomShellTree* Owner() const { return Owner_; }
    TKwShTreeData* ParentData() const { return ParentData_; }
    PItemIDList GetRelPidl() const { return RelPidl_; }

    // Once on a new object: the parent node's data (null for the top node)
    // and a copy of the relative list.
    void SetData(TKwShTreeData* parentData, const ITEMIDLIST* relPidl);
    // After a rename: a copy of the new relative list, the absolute list
    // built again at once, the own folder dropped.
    void SetRelPidl(const ITEMIDLIST* relPidl);
    // The tree sets the folder its top node was filled from.
    void SetOwnFolder(IShellFolder* folder);
    // Built on first request: the parent's absolute list and the relative
    // list joined (the top node: a copy of its list).
    PItemIDList GetAbsPidl();
    // The whole file-system path; empty for a virtual item.
    std::string GetPathName();
    // "/" or the mount point of one of Computer's drives.
    bool IsRootDir();
    // The node's folder: the top node's own folder while it holds one, else
    // bound afresh on every call (null when that fails); the desktop for a
    // node without a list (failing to get it raises vcl::EOleSysError).
    com::ComPtr<IShellFolder> GetThisIShf();
    // The folder the node's item lies in: the parent node's folder; for the
    // top node the folder holding the base folder, looked up on every call.
    com::ComPtr<IShellFolder> GetParentIShf();
    // Whether the node may be renamed in place: never the top node nor the
    // desktop; else the shell says it can be renamed and, for a file-system
    // item, its folder accepts changes.
    bool GetEditable();
    // The item's drop target: one item on the parent's folder; the top node
    // through its list's parent folder, or the desktop's.
    HRESULT GetIDropTarget(HWND owner, IDropTarget** target);
    // Drops the absolute list and the own folder; they are made again when
    // next asked for.
    void Flush();

private:
    TKwCustomShellTree* Owner_;
    TKwShTreeData* ParentData_ = nullptr;
    PItemIDList RelPidl_ = nullptr;
    PItemIDList AbsPidl_ = nullptr;
    com::ComPtr<IShellFolder> OwnFolder_;
    com::ComPtr<IShellFolder> ParentFolder_;
};

// What the shell list's item data reads of its list: the folder the list
// shows, that folder's absolute list and its details source. Each stays the
// list's (no reference or copy is handed over) and lives while the list
// shows that folder. The shell list implements it.
class KWCORVANE_EXPORT TKwShListDataOwner {
public:
    virtual IShellFolder* GetCurrentFolderIShf() = 0;
    virtual PItemIDList GetCurrentFolderIdList() = 0;
    // Null when the folder has none: the data then gives its own detail texts.
    virtual IShellDetails* GetCurrentFolderIShellDetails() = 0;
    // The list's items by index, as the list view holds them: how many there
    // are, whether one is selected, and its data (null when it carries none).
    virtual int GetItemCount() = 0;
    virtual bool GetItemSelected(int index) = 0;
    virtual TKwShListData* GetItemData(int index) = 0;

protected:
    TKwShListDataOwner() = default;
    TKwShListDataOwner(const TKwShListDataOwner&) = default;
    TKwShListDataOwner& operator=(const TKwShListDataOwner&) = default;
    ~TKwShListDataOwner() = default;
};

// The shell list's item data: the item relative to the list's folder, with
// its display name and detail texts kept until the next SetData or Flush.
class KWCORVANE_EXPORT TKwShListData : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwShListData, vcl::TObject)
public:
    explicit TKwShListData(TKwShListDataOwner* owner);
    ~TKwShListData() override;
    TKwShListData(const TKwShListData&) = delete;
    TKwShListData& operator=(const TKwShListData&) = delete;

    TKwShListDataOwner* Owner() const { return Owner_; }
    PItemIDList GetRelPidl() const { return RelPidl_; }

    // Takes relPidl itself (the caller hands it over), then Flush.
    void SetData(PItemIDList relPidl);
    // Drops the absolute list, the display name and the detail texts.
    void Flush();
    // The list's folder and the item joined; built on first request.
    PItemIDList GetAbsoluteIdList();
    // The item's SFGAO bits as they are now (the item is looked at afresh);
    // 0 when the folder cannot answer: a vanished or unreadable item is no
    // folder and can be neither renamed nor deleted.
    ULONG GetAttributes();
    bool IsFolder();
    bool IsFileSystem();
    // Renamable, and, for a file-system item, its folder accepts changes.
    bool GetEditable();
    // The item still exists.
    bool IsValid();
    // The whole file-system path, bytes as they are; empty for a virtual item.
    std::string GetPathName();
    std::string GetFilename();
    // A shortcut: a symbolic link or a desktop entry of a link or program.
    bool IsLnkShortcut();
    // Kept once found; a failed look-up is tried again next time.
    std::string GetDisplayName();
    // The text of detail column (0: empty, the list shows the name): from
    // the folder's details source when it has one, else size, type and
    // modified time.
    std::string GetColText(int column);
    // Fills the size, type and modified texts once until the next Flush:
    // from a fresh look at the item, empty for drive roots and items without
    // a path.
    void GetExtraData();
    std::string GetSize();
    std::string GetFileType();
    std::string GetModified();

private:
    // The texts found so far; made when the first is asked, as a list asks
    // them only for the items it draws.
    struct Texts;
    Texts& OwnTexts();

    TKwShListDataOwner* Owner_;
    PItemIDList AbsPidl_ = nullptr;
    PItemIDList RelPidl_ = nullptr;
    std::unique_ptr<Texts> Texts_;
};

// The shell combo's entry data: the folder the entry's item lies in, its
// absolute list, and the item relative to it.
class KWCORVANE_EXPORT TKwShComboData : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwShComboData, vcl::TObject)
public:
    explicit TKwShComboData(TKwCustomShellCombo* owner) : Owner_(owner) {}
    ~TKwShComboData() override;
    TKwShComboData(const TKwShComboData&) = delete;
    TKwShComboData& operator=(const TKwShComboData&) = delete;

    TKwCustomShellCombo* Owner() const { return Owner_; }
    // Copies of both lists and a reference on the folder (which may be
    // null); the desktop's entry passes null lists.
    void SetData(IShellFolder* parentFolder, const ITEMIDLIST* parentList, const ITEMIDLIST* relPidl);
    IShellFolder* GetParentIShf() const { return ParentFolder_.Get(); }
    PItemIDList GetParentPidl() const { return ParentPidl_; }
    PItemIDList GetRelPidl() const { return RelPidl_; }
    PItemIDList GetAbsPidl() const { return AbsPidl_; }
    // The entry's own folder, bound on first request and kept. An entry
    // without an item of its own (no or an empty relative list) is its
    // parent folder, or the desktop when it has none. Raises
    // vcl::EOleSysError when the folder cannot be had.
    com::ComPtr<IShellFolder> GetThisIShf();

private:
    TKwCustomShellCombo* Owner_;
    com::ComPtr<IShellFolder> ParentFolder_;
    PItemIDList ParentPidl_ = nullptr;
    PItemIDList RelPidl_ = nullptr;
    PItemIDList AbsPidl_ = nullptr;
    com::ComPtr<IShellFolder> OwnFolder_;
};

// ---- Shell tree and the shell list's side of its link ----

class TKwCustomShellList;
class TKwCustomShellTree;
class TChangeHandlerThread;

// A candidate item of a fill; the lists stay the caller's. The handler may
// refuse the item by clearing afAllowAdd, which starts true.
using TKwShAddItemEvent =
    vcl::TEvent<void(vcl::TObject* aSender, IShellFolder* aParentIShf, PItemIDList aParentAbsIdList,
                     PItemIDList aItemRelIdList, int aAttribs, bool& afAllowAdd)>;
// The help text of the shell menu command under the pointer.
using TKwShPopupHintEvent = vcl::TEvent<void(vcl::TObject* aSender, const std::string& hint)>;
using TKwShTreeInsertItemEvent = vcl::TEvent<void(vcl::TObject* aSender, vcl::TTreeNode* aNode)>;
// Before the node's data is freed.
using TKwShTreeDeleteItemEvent =
    vcl::TEvent<void(vcl::TObject* aSender, vcl::TTreeNode* aNode, TKwShTreeData* aShTreeData)>;
using TKwShTvCustomDrawEvent =
    vcl::TEvent<void(vcl::TObject* aSender, TKwCustomDraw* aCD, vcl::TTreeNode* aNode, TKwShTreeData* aData)>;

// The shell list's options, in bit order (default 7835).
enum TKwShellListOption {
    kwsloAutoFill,
    kwsloNonFilesystemAncestors,
    kwsloDesignInteractive,
    kwsloDefaultKeyHandling,
    kwsloContextMenus,
    kwsloDontChangeFolder,
    kwsloDontGoBelowBase,
    kwsloDynamicRefresh,
    kwsloHideFoldersWhenLinkedToTree,
    kwsloOleDrag,
    kwsloOleDrop,
    kwsloFolderContextMenu,
    kwsloShowHidden,
};
VCL_ENUM_TYPE(TKwShellListOption, kwsloAutoFill, kwsloNonFilesystemAncestors, kwsloDesignInteractive,
              kwsloDefaultKeyHandling, kwsloContextMenus, kwsloDontChangeFolder, kwsloDontGoBelowBase,
              kwsloDynamicRefresh, kwsloHideFoldersWhenLinkedToTree, kwsloOleDrag, kwsloOleDrop,
              kwsloFolderContextMenu, kwsloShowHidden)
using TKwShellListOptions = vcl::TSet<TKwShellListOption>;

// Every option but kwsloDesignInteractive, kwsloDontChangeFolder,
// kwsloDontGoBelowBase and kwsloHideFoldersWhenLinkedToTree (7835).
inline constexpr TKwShellListOptions KwShellListDefaultOptions{
    kwsloAutoFill,     kwsloNonFilesystemAncestors, kwsloDefaultKeyHandling,
    kwsloContextMenus, kwsloDynamicRefresh,         kwsloOleDrag,
    kwsloOleDrop,      kwsloFolderContextMenu,      kwsloShowHidden};

// Before the item's data is freed.
using TKwShListDeleteItemEvent =
    vcl::TEvent<void(vcl::TObject* aSender, vcl::TListItem* aNode, TKwShListData* aShListData)>;
// A double click or Enter is about to open the focused item; a handler that
// sets afHandled opens nothing.
using TKwShDblClickOpenEvent = vcl::TEvent<void(vcl::TObject* aSender, bool& afHandled)>;
using TKwShLvCustomDrawEvent =
    vcl::TEvent<void(vcl::TObject* aSender, TKwCustomDraw* aCD, vcl::TListItem* aItem, TKwShListData* aData)>;

// A shell verb: its text ("copy", "delete") or, with an empty text, a
// command number of the item's menu object.
struct TKwShellVerb {
    std::string Text;
    UINT Command = 0;
    TKwShellVerb(const char* text) : Text(text) {}
    TKwShellVerb(std::string text) : Text(std::move(text)) {}
    TKwShellVerb(UINT command) : Command(command) {}
};

// The column texts of a folder that answers IShellFolder2, as IShellDetails:
// a column not shown by default answers E_INVALIDARG, so it ends the list of
// columns. Counted atomically: item texts may be asked from other threads.
class KWCORVANE_EXPORT TShellFolder2ToShellDetailsAdapter : public com::InterlockedComObject<IShellDetails> {
public:
    HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) override;
    HRESULT ColumnClick(UINT column) override;

protected:
    explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder);
    ~TShellFolder2ToShellDetailsAdapter() override;

private:
    com::ComPtr<IShellFolder2> Folder_;
};

namespace detail {
struct HeldLists;
}

// The shell list: a list view of one shell folder's items. Every item it
// fills carries a TKwShListData, which it owns; items an application adds
// itself keep the framework's behaviour. It watches its folder, follows
// drive changes, and is linked by the tree's ShellList writer and the
// combo's, never by itself. The tree and the combo reach it through the
// virtual calls of its link.
class KWCORVANE_EXPORT TKwCustomShellList : public TKwCustomListView, public TKwShListDataOwner {
    VCL_DECLARE_CLASS(TKwCustomShellList, TKwCustomListView)
public:
    explicit TKwCustomShellList(vcl::TComponent* owner);
    void BeforeDestruction() override;

    // The linking control's half of a link (null: unlinked); the list asks
    // for the linker's free notification.
    virtual void SetShellTree(TKwCustomShellTree* value);
    virtual void SetShellCombo(TKwCustomShellCombo* value);
    TKwCustomShellTree* ShellTree() const { return ShellTree_; }
    TKwCustomShellCombo* ShellCombo() const { return ShellCombo_; }
    // The linked tree's selection was pushed: the list moves to node's
    // folder (a selected node with shell data; null or another node: nothing).
    virtual void TreeChanged(vcl::TTreeNode* node);
    // The folder shown; the writer assigns value (an equal place: nothing).
    virtual TKwShellLocator* Folder() const { return Folder_; }
    virtual void SetFolder(TKwShellLocator* value);
    // Runs a pending refresh now; with aLinked first that of the linked
    // combo and tree.
    virtual void Synchronize(bool aLinked);
    virtual TKwShellListOptions Options() const { return Options_; }
    void SetOptions(TKwShellListOptions value);
    // Masks separated by ';' for the files shown; folders always pass.
    const std::string& FileFilter() const { return FileFilter_; }
    void SetFileFilter(const std::string& value);

    // Clears the list and fills it afresh from Folder; nothing without a
    // window. Raises vcl::Exception with the system's text when the folder
    // cannot be bound or its listing ends with an error.
    void FillItems();
    // Brings the items in line with the folder's contents, keeping the items
    // that stay (their data, selection and focus) and appending new ones.
    void RefreshItems();
    // Moves Folder aLevels towards the desktop (through the linked tree or
    // combo when there is one).
    void GoUp(int aLevels);
    void SelectAll() override;
    // Adds one item when it passes the rules; takes aRel over.
    void AddNewShellItem(PItemIDList aAbs, PItemIDList aRel);

    int ShellSelCount();
    TKwShListData* GetSelectedItem() { return GetDataFromItem(Selected()); }
    // Raises vcl::EInvalidCast for an item without shell data.
    TKwShListData* GetShListData(int aIndex);
    TKwShListData* GetDataFromItem(const vcl::TListItem* aItem) const;
    bool ItemHasData(const vcl::TListItem* aItem) const { return GetDataFromItem(aItem) != nullptr; }

    // 1-based column of the shell's sort, its sign the direction; 0: none.
    int SortColumn() const { return SortColumn_; }
    void SetSortColumn(int value);
    // Sorts the items by SortColumn.
    void SortList();
    // Saves the widths when asked, rebuilds the columns from aDetails (null:
    // the four fixed ones) and shows SortColumn on them.
    void InitColumns(IShellDetails* aDetails);

    IShellFolder* GetCurrentFolderIShf() override;
    PItemIDList GetCurrentFolderIdList() override;
    // Fetched once per fill and kept.
    IShellDetails* GetCurrentFolderIShellDetails() override;
    int GetItemCount() override;
    bool GetItemSelected(int index) override;
    TKwShListData* GetItemData(int index) override;

    TKwShAddItemEvent OnAddItem;
    TKwShListDeleteItemEvent OnDeleteItem;
    TKwShDblClickOpenEvent OnDblClickOpen;
    TKwShPopupHintEvent OnPopupHint;
    TKwShLvCustomDrawEvent OnCustomDrawSh;
    TKwShLvCustomDrawEvent OnCustomDrawShEx;
    vcl::TNotifyEvent OnFillComplete;
    vcl::TNotifyEvent OnFillStart;
    vcl::TNotifyEvent OnFolderChanged;

    // Opens one item after the pending refreshes: a folder, or a shortcut to
    // one, is entered; anything else runs its default command once
    // DblClickOpen lets it. An item the refreshes took away opens nothing.
    void OpenItem(vcl::TListItem* Item);
    // One selected item as OpenItem; several through the default command of
    // one menu for them all.
    void OpenSelectedItems();
    // Shows and runs the shell menu of Item (the list busy meanwhile), or of
    // every selected item, at the client point Pos.
    virtual void ProcessMenu(vcl::TListItem* Item, const vcl::TPoint& Pos);
    virtual void ProcessMenuForAllSelected(const vcl::TPoint& Pos);
    // Drops the selection on Send To entry Index.
    virtual void ProcessSendTo(int Index);
    // Run a verb on one item or on the selection (failures ignored), or on
    // the folder shown (raises vcl::EOleSysError when it fails).
    void DoCommandForItem(vcl::TListItem* Item, const TKwShellVerb& Verb);
    void DoCommandForAllSelected(const TKwShellVerb& Verb);
    void DoCommandForFolder(const TKwShellVerb& Verb);
    // The folder's UI object of one item (E_INVALIDARG without shell data)
    // or of the selected items (E_FAIL without any).
    virtual HRESULT GetUIObjectForItem(vcl::TListItem* Item, REFIID IID, void** Obj);
    virtual HRESULT GetUIObjectForAllSelected(REFIID IID, void** Obj);
    // Makes a new folder in the folder shown, its caption then edited with
    // aEdit; false where there is no path or nothing was made.
    bool CreateNewFolder(bool aEdit);

    // The drop target's calls, passed on by TDropTarget_shlv: pt in screen
    // coordinates, effect the DROPEFFECT word in and out. A drag over an
    // item with shell data asks the item's shell target, elsewhere the held
    // folder's; the list's own drag over its own folder only by the right
    // button, as a copy.
    virtual HRESULT OnDropTarget_DragEnter(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                           DWORD& effect);
    virtual HRESULT OnDropTarget_DragOver(DWORD grfKeyState, const POINTL& pt, DWORD& effect);
    virtual HRESULT OnDropTarget_DragLeave();
    virtual HRESULT OnDropTarget_Drop(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                      DWORD& effect);
    // Drags the selected items with button through DoDragDrop, busy
    // meanwhile, then refreshes and sorts when something was dropped or work
    // waited. Ends silently, flags and references restored, whatever fails
    // (nothing selected with shell data too).
    void OleBeginDrag(vcl::TMouseButton button);
    // The effects every selected item with shell data allows (0 for none);
    // raises vcl::EOleSysError when the folder cannot tell.
    int GetDragDropAttributesForAllSelected();
    // The item's attribute word, unmasked; raises as above.
    int GetDragDropAttributesForItem(vcl::TListItem* item);
    // The folder shown lies on a network file system.
    bool IsFolderNetworkShare();

protected:
    ~TKwCustomShellList() override;
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(vcl::TMessage& message) override;
    void InsertItem(vcl::TListItem* item) override;
    void Delete(vcl::TListItem* item) override;
    void ColClick(vcl::TListColumn* column) override;

    // The filter and OnAddItem: whether an item that passed the options is
    // kept.
    virtual bool CanAdd(IShellFolder* aFolder, PItemIDList aParentAbs, PItemIDList aItemRel, ULONG aAttribs);
    // A drive arrived or went: Computer is filled afresh.
    virtual void DeviceChangeDetected(vcl::TObject* ASender, vcl::TMessage& AMessage);
    // Fills from aFolder, whose absolute list is aAbs: columns, items, sort.
    virtual void FillList(IShellFolder* aFolder, PItemIDList aAbs);
    virtual void FilterPreApply();
    virtual bool FilterApply(const std::string& aName, ULONG aAttribs);
    virtual void FilterPostApply();
    virtual void FillComplete();
    virtual void FillStart();
    virtual void FolderChanged();
    // Watches Folder's path for names that come and go.
    virtual void InstallChangeHandler();

    // A shell menu or drag is up: fills and refreshes wait, and a change
    // notification is kept for when it ends.
    void BeginBusy();
    void EndBusy();
    // What a fill or refresh asked for while busy or editing left to do, run
    // once when that ends: the fill when one was asked for or Folder moved
    // away from the folder shown, else a refresh.
    void RunPendingRefresh();
    // The next change notification is the list's own (a rename, a new folder).
    void IgnoreNextChange() { IgnoreNextChange_ = true; }
    bool Busy() const { return Busy_; }
    bool FillWanted() const { return FillWanted_; }
    int Reentry() const { return Reentry_; }
    bool RefreshPending() const;

    // Fires OnDblClickOpen; whether the default command may run.
    virtual bool DblClickOpen();
    // OnCustomDrawShEx at every stage, then OnCustomDrawSh at item pre-paint.
    virtual void KwCustomDrawSh(TKwCustomDraw* aCD, vcl::TListItem* aItem, TKwShListData* aData);
    TKwCustomDraw* KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult) override;
    // The shell menu of the selection replaces the popup menu.
    void ItemContextMenu(vcl::TListItem* aItem, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    // Backspace goes up, Enter opens the selection.
    void KeyPress(char16_t& key) override;
    // A left double click opens the selection.
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    bool CanEdit(vcl::TListItem* item) override;
    // Renames the item through the folder with the whole text.
    void Edit(const LVITEMA& item) override;
    // The wheel goes to the shell tree or list under the pointer, else
    // scrolls this list.
    bool DoMouseWheelDown(vcl::TShiftState shift, const vcl::TPoint& mousePos) override;
    bool DoMouseWheelUp(vcl::TShiftState shift, const vcl::TPoint& mousePos) override;

    // Folder goes into a form file only while no tree or combo is linked.
    bool IsFolderStored() const;

private:
    // The messages of the interaction; whether message was one.
    bool InteractionMessage(vcl::TMessage& message);
    void EnterFolder(const ITEMIDLIST* absolute);
    void TrackShellMenu(UINT count, LPCITEMIDLIST* items, UINT flags, const vcl::TPoint& pos,
                        vcl::TListItem* renamed);
    bool WheelTurned(bool down, vcl::TShiftState shift, const vcl::TPoint& mousePos, bool handled);
    void AMDeferredEdit();
    // Whether item is one of the list's now (never reading it).
    bool LiveItem(const vcl::TListItem* item) const;
    // Copies of the relative lists of the selected items with shell data.
    void SelectedLists(detail::HeldLists& lists) const;
    // Runs Verb on menu (null: nothing), then refreshes a network folder.
    void RunVerb(IContextMenu* menu, const TKwShellVerb& Verb);
    bool Loading() const;
    DWORD EnumFlags() const;
    // The options' rules and CanAdd; aAttribs gets the item's attributes.
    bool ShouldInclude(PItemIDList aParentAbs, PItemIDList aItemRel, ULONG& aAttribs);
    // Drops the held folder: interface, absolute list and details source.
    void ReleaseHeldFolder();
    // Whether Folder names another place than the one held.
    bool FolderMoved() const;
    // Runs one fill or refresh unless one runs already; a nested one is
    // noted and run once at the end.
    bool EnterWork();
    void LeaveWork();
    void RefreshBody();
    void FolderChangedHandler(vcl::TObject* sender);
    void TimerElapsed(vcl::TObject* sender);
    void AMChangeNotify(vcl::TMessage& message);
    void AMDeferredFill(vcl::TMessage& message);
    void WMDestroy(vcl::TMessage& message);
    void FreeChangeWorker();
    // The display-info request and the drag notifications; the rest goes on.
    void CNNotify(vcl::TMessage& message);
    void GetDispInfo(NMLVDISPINFOA& info);
    void SaveColumnWidths();
    void ReadColumnWidths();
    void BuildFixedColumns();
    void BuildDetailsColumns(IShellDetails* aDetails);
    static int ShellCompare(LPARAM a, LPARAM b, LPARAM sort);

    BYTE ColumnKind_ = 0;
    bool SaveWidths_ = false;
    com::ComPtr<IShellFolder> CurrentFolder_;
    PItemIDList CurrentAbs_ = nullptr;
    bool DetailsFetched_ = false;
    com::ComPtr<IShellDetails> Details_;
    TKwShellLocator* Folder_;
    TKwShellListOptions Options_ = KwShellListDefaultOptions;
    std::string FileFilter_;
    // The masks split from FileFilter (none until a filter is first set),
    // and the names of the files they match during a fill or refresh.
    std::optional<std::vector<std::string>> FileMasks_;
    std::optional<std::unordered_set<std::string>> FilterNames_;
    // The shell menu being shown, for its messages.
    IContextMenu* OpenMenu_ = nullptr;
    // The new folder whose caption is edited once it is shown.
    std::string NewFolderName_;
    // A drag with the right button started here: its button-up is the drag's.
    bool DragStarted_ = false;
    vcl::TTimer* Timer_;
    TKwCustomShellTree* ShellTree_ = nullptr;
    TKwCustomShellCombo* ShellCombo_ = nullptr;
    int SortColumn_ = 1;
    int Reentry_ = 0;
    bool IgnoreNextChange_ = false;
    TChangeHandlerThread* ChangeWorker_ = nullptr;
    bool Busy_ = false;
    bool FillWanted_ = false;
    // A fill (not only a refresh) was asked for while it could not run.
    bool WholeFillWanted_ = false;
    // A fill or refresh is running.
    bool Working_ = false;
    TKwShListData* PendingData_ = nullptr;
    ULONG PendingAttribs_ = 0;
    IShellDetails* PendingDetails_ = nullptr;
    bool CreatingWnd_ = false;
    bool SortSet_ = false;
    bool DestroyingWnd_ = false;
    com::ComPtr<IDropTarget> DropTarget_;
    vcl::TImageList* SmallImages_ = nullptr;
    vcl::TImageList* LargeImages_ = nullptr;

    // Registers the window's drop target (none held yet), or revokes and
    // releases the one held.
    void RegisterDropTarget();
    void RevokeDropTarget();
    // An item's shell drop target, and the held folder's own; bound afresh
    // (null when they cannot be).
    com::ComPtr<IDropTarget> ItemDropTarget(vcl::TListItem* item);
    com::ComPtr<IDropTarget> FolderDropTarget();

    com::ComPtr<IDataObject> EnteredData_;
    DWORD EnteredKeys_ = 0;
    DWORD LastScrollTime_ = 0;
    com::ComPtr<IDataObject> DragData_;
};

class KWCORVANE_EXPORT TKwShellList : public TKwCustomShellList {
    VCL_DECLARE_PUBLISHED_CLASS(TKwShellList, TKwCustomShellList)
public:
    using TKwCustomShellList::TKwCustomShellList;

protected:
    ~TKwShellList() override = default;
};

// The shell tree's options, in bit order.
enum TKwShellTreeOption {
    // Fill when the window is made or the form read, and when BaseFolder changes.
    kwstoAutoFill,
    // Offer items that are neither file-system items nor their ancestors.
    kwstoVirtualFolders,
    kwstoDesignInteractive,
    kwstoDefaultKeyHandling,
    kwstoContextMenus,
    kwstoDynamicRefresh,
    // List non-folders too, and give every folder an expand button.
    kwstoIncludeNonFolders,
    kwstoOleDrag,
    kwstoOleDrop,
    // List hidden items (a leading dot).
    kwstoShowHidden,
};
VCL_ENUM_TYPE(TKwShellTreeOption, kwstoAutoFill, kwstoVirtualFolders, kwstoDesignInteractive,
              kwstoDefaultKeyHandling, kwstoContextMenus, kwstoDynamicRefresh, kwstoIncludeNonFolders,
              kwstoOleDrag, kwstoOleDrop, kwstoShowHidden)
using TKwShellTreeOptions = vcl::TSet<TKwShellTreeOption>;
// Every option but kwstoDesignInteractive and kwstoIncludeNonFolders (955).
inline constexpr TKwShellTreeOptions KwShellTreeDefaultOptions{
    kwstoAutoFill, kwstoVirtualFolders, kwstoDefaultKeyHandling, kwstoContextMenus, kwstoDynamicRefresh,
    kwstoOleDrag,  kwstoOleDrop,        kwstoShowHidden};

// The shell namespace as a tree of folders below a base folder. Every node
// the tree makes carries a TKwShTreeData (the top node: the base folder's
// whole list); folders are listed when first opened, icons fetched when a
// node is first painted. Nodes an application adds itself (Data null or
// another object) are passed over by every shell operation; the tree frees
// the Data object of every node it deletes.
class KWCORVANE_EXPORT TKwCustomShellTree : public TKwCustomTreeView {
    VCL_DECLARE_CLASS(TKwCustomShellTree, TKwCustomTreeView)
public:
    explicit TKwCustomShellTree(vcl::TComponent* owner);
    void BeforeDestruction() override;

    // Clears and refills the whole tree from BaseFolder, then selects
    // SelectedFolder. Raises vcl::Exception with the system's text when the
    // base folder cannot be bound.
    void FillItems();
    // Selects the node of an absolute list, making the nodes on the way. A
    // place reached by another route is found by its path; one outside
    // BaseFolder, or a level that cannot be made, beeps and leaves the
    // deepest node reached selected.
    void DoSetSelectedIdList(const ITEMIDLIST* aIdList);
    // The child of aParent that the shell calls equal to aRelIdList (null:
    // none); with aParent null the first top-level node with shell data.
    vcl::TTreeNode* FindNodeWithIdList(vcl::TTreeNode* aParent, const ITEMIDLIST* aRelIdList);
    // Selects the ancestor aLevels above the selected node (at most the top),
    // pushed at once.
    void GoUp(int aLevels);
    // Runs a pending push now; with aAll first the linked list's pending work.
    void Synchronize(bool aAll);
    // Reconciles every opened node with a fresh listing of its folder,
    // keeping the nodes that stay, their expansion and the selection (or,
    // when it went, the nearest node above it), which is pushed at once. A
    // tree without nodes is filled instead; while busy or editing, only
    // noted, to run when that ends.
    void RefreshNodes();
    // (Re)starts watching the fixed, remote and RAM-disk drives.
    void InstallChangeHandlersForAllLocalDrives();
    // Runs a shell verb ("copy", "paste", "delete", ...) on aNode's item,
    // then RefreshNodes, and answers the verb's code; S_FALSE and nothing
    // done for no node, the top node or a node without shell data. Raises
    // vcl::EOleSysError (and refreshes nothing) when the item has no menu.
    HRESULT DoCommandForNode(vcl::TTreeNode* aNode, const std::string& aVerb);
    // Makes a new folder in the selected node's folder, shows it and opens
    // its label for editing; false when nothing was made (no selection, a
    // virtual one, or the folder refused it, told to the person).
    bool CreateNewFolder();
    // aNode's children in the shell's order, one level; null: every level.
    void SortNode(vcl::TTreeNode* aNode);
    vcl::TTreeNode* GetFirstRootLevelShellNode() const;
    bool NodeHasData(const vcl::TTreeNode* aNode) const { return GetDataFromNode(aNode) != nullptr; }
    TKwShTreeData* GetDataFromNode(const vcl::TTreeNode* aNode) const;
    TKwShTreeData* GetSelectedItem() const { return GetDataFromNode(Selected()); }
    // The node at absolute index aIndex when it carries shell data.
    TKwShTreeData* GetShTreeData(int aIndex) const;
    // The selected node's file-system path; empty for none or a virtual one.
    std::string GetSelectedPathName() const;
    // Ignored while the update lock is held.
    void SetSelectedPathName(const std::string& value);

    // The selected node's absolute list. Writing assigns the given place,
    // which selects its node; while loading or locked only the linked list
    // is pointed at the current one.
    TKwShellLocator* SelectedFolder() const { return SelectedFolder_; }
    void SetSelectedFolder(TKwShellLocator* value);
    // Ignored while loading.
    TKwShellLocator* BaseFolder() const { return BaseFolder_; }
    void SetBaseFolder(TKwShellLocator* value);
    TKwCustomShellList* ShellList() const { return ShellList_; }
    void SetShellList(TKwCustomShellList* value);
    // The linked combo, set by the combo's own link writer; the tree asks
    // for the combo's free notification.
    TKwCustomShellCombo* ShellCombo() const { return ShellCombo_; }
    void SetShellCombo(TKwCustomShellCombo* value);
    TKwShellTreeOptions Options() const { return Options_; }
    void SetOptions(TKwShellTreeOptions value);

    // The drop target's calls, passed on by TDropTarget_shtv: pt in screen
    // coordinates, effect the DROPEFFECT word in and out. A drag over a node
    // asks that node's shell drop target; the drop target's highlight marks
    // the node.
    virtual HRESULT OnDropTarget_DragEnter(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                           DWORD& effect);
    virtual HRESULT OnDropTarget_DragOver(DWORD grfKeyState, const POINTL& pt, DWORD& effect);
    virtual HRESULT OnDropTarget_DragLeave();
    virtual HRESULT OnDropTarget_Drop(IDataObject* dataObj, DWORD grfKeyState, const POINTL& pt,
                                      DWORD& effect);
    // Drags the drag node's item with button through DoDragDrop, busy
    // meanwhile, then refreshes when something was dropped or a refresh
    // waited. Ends silently, flags and references restored, whatever fails.
    void OleBeginDrag(vcl::TMouseButton button);
    // The effects (SFGAO_CANCOPY, CANMOVE, CANLINK) node's item allows; 7
    // for a node without shell data or when the shell cannot tell. The top
    // node answers for the desktop directory.
    int GetDragDropAttributesForNode(vcl::TTreeNode* node);
    // A shell menu or a drag of the tree's own is up.
    bool Busy() const { return Busy_; }

    TKwShAddItemEvent OnAddItem;
    TKwShTreeDeleteItemEvent OnDeleteItem;
    TKwShTreeInsertItemEvent OnInsertItem;
    TKwShPopupHintEvent OnPopupHint;
    TKwShTvCustomDrawEvent OnCustomDrawSh;
    TKwShTvCustomDrawEvent OnCustomDrawShEx;
    // Around every fill of one level.
    vcl::TNotifyEvent OnFillComplete;
    vcl::TNotifyEvent OnFillStart;

protected:
    ~TKwCustomShellTree() override;
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(vcl::TMessage& message) override;
    void GetImageIndex(vcl::TTreeNode* node) override;
    void GetSelectedIndex(vcl::TTreeNode* node) override;
    bool CanExpand(vcl::TTreeNode* node) override;
    void Change(vcl::TTreeNode* node) override;
    void Delete(vcl::TTreeNode* node) override;
    // The shortcut keys of the table (edit, refresh, cut, copy, paste and
    // delete, Shift+Del too) with kwstoDefaultKeyHandling; other keys go on.
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    // The shell's menu of the node instead of the popup menu.
    void NodeContextMenu(vcl::TTreeNode* aNode, vcl::TPoint& aPos, vcl::TPopupMenu*& aMenu) override;
    bool CanEdit(vcl::TTreeNode* node) override;
    // Renames the node's item through its folder.
    void Edit(const TVITEMA& item) override;
    // The wheel goes to the shell tree or list under the pointer, else
    // scrolls this tree.
    bool DoMouseWheelDown(vcl::TShiftState shift, const vcl::TPoint& mousePos) override;
    bool DoMouseWheelUp(vcl::TShiftState shift, const vcl::TPoint& mousePos) override;
    TKwCustomDraw* KwCustomDraw(TNMCustomDraw& aCD, LRESULT& aResult) override;
    // OnCustomDrawShEx at every stage, then OnCustomDrawSh at item pre-paint.
    virtual void KwCustomDrawSh(TKwCustomDraw* aCD, vcl::TTreeNode* aNode, TKwShTreeData* aData);
    // Shows and runs the shell menu of aNode at the client point aPos.
    virtual void ProcessMenu(vcl::TTreeNode* aNode, const vcl::TPoint& aPos);
    // Drops aNode's item on Send To entry aIndex.
    virtual void ProcessSendTo(vcl::TTreeNode* aNode, int aIndex);

    // Fires OnAddItem; what the handler leaves decides.
    virtual bool CanAdd(IShellFolder* aParentIShf, PItemIDList aParentAbsIdList, PItemIDList aItemRelIdList,
                        ULONG aAttribs);
    // Fills one level from aIShf: a new top node for aNode null, else
    // aNode's children.
    virtual void FillTree(IShellFolder* aIShf, vcl::TTreeNode* aNode);
    virtual void DoOnInsertItem(vcl::TTreeNode* aNode);
    // Fills aNode's children when it has none yet but shows a button.
    virtual void ExpandNode(vcl::TTreeNode* aNode);
    // Watches the drive that holds aPath: its root and the mounts below it
    // a person browses as its folders, each with its subtree, as long as the
    // worker has room. An empty aPath removes every watch.
    virtual void InstallChangeHandler(const std::string& aPath);
    // A drive arrived or went: the drives read afresh, once, and the tree
    // refreshed.
    virtual void DeviceChangeDetected(vcl::TObject* ASender, vcl::TMessage& AMessage);
    // A shell menu or drag is up: fills and refreshes wait, and a change
    // notification is kept for when it ends, which runs one refresh.
    void BeginBusy();
    void EndBusy();
    // What a fill or refresh asked for while busy or editing left to do, run
    // once when that ends: the fill when one was asked, else a refresh.
    void RunPendingRefresh();
    // The next change notification is the tree's own (a rename, a new
    // folder); it stays so until EndIgnoreNextChange.
    void IgnoreNextChange();
    // The operation ended: a failed one made no change to ignore; after a
    // done one the flag lapses KWSH_CHANGE_NOTIFY_DELAY ms later.
    void EndIgnoreNextChange(bool done);
    virtual void FillComplete();
    virtual void FillStart();

    // Adds aItemRelIdList of aIShf as the last child of aParentNode (null:
    // a top-level node), or before the child aBefore when given, when the
    // options and CanAdd let it in; added (when given) is the new node or
    // null. Fails only when the item's attributes cannot be had.
    HRESULT AddNewShellNode(IShellFolder* aIShf, PItemIDList aParentAbsIdList, PItemIDList aItemRelIdList,
                            vcl::TTreeNode* aParentNode, vcl::TTreeNode** added = nullptr,
                            vcl::TTreeNode* aBefore = nullptr);

    // The next selection change reaches the linked controls at once.
    bool Immediate() const { return Immediate_; }
    int UpdateLock() const { return UpdateLock_; }
    vcl::TTreeNode* LastInsertedNode() const { return LastInserted_; }
    // Whether the debounce timer waits with a push (1) or a refresh (2).
    int PendingAction() const;

private:
    void BaseFolderChanged(vcl::TObject* sender);
    void SelectedFolderChanged(vcl::TObject* sender);
    void TimerElapsed(vcl::TObject* sender);
    void PushSelection();
    void SchedulePush();
    void PointListAtSelection();
    // What the combo is told of a push and of Synchronize; the combo
    // answers once it is made.
    void TellComboTreeChanged(vcl::TTreeNode* node);
    void SynchronizeCombo();
    DWORD EnumFlags() const;
    bool Loading() const;
    void SelectWalked(vcl::TTreeNode* node);
    // aIdList below the base item by item, reached by its path when it came
    // another way; null when it lies outside the base. The caller frees it.
    PItemIDList RouteBelowBase(const ITEMIDLIST* aIdList, const ITEMIDLIST* base, bool& atOrAboveBase);
    void WalkTo(const ITEMIDLIST* aIdList, int baseCount);
    static int CompareNodes(LPARAM a, LPARAM b, LPARAM context);
    void AMChangeNotify(vcl::TMessage& message);
    // The open shell menu's messages, then the Send To handling.
    void MenuMessage(vcl::TMessage& message);
    void CMDesignHitTest(vcl::TMessage& message);
    void WMPaint(vcl::TMessage& message);
    bool WheelScroll(bool down, vcl::TShiftState shift, const vcl::TPoint& mousePos, bool handled);
    void ReconcileNode(vcl::TTreeNode* node, vcl::TTreeNode*& reselect);
    bool LeafGainedChildren(IShellFolder* folder, const ITEMIDLIST* item) const;
    TChangeHandlerThread* ChangeWorker();
    void RemoveAllWatches();
    void FreeChangeWorker();
    // The timer waits for the earlier of a push and a refresh; each keeps
    // its own time, so neither replaces the other.
    void ScheduleAction(int action, int delay);
    void ArmTimer();
    // What is due (all: both, whenever due), the refresh first.
    void RunDueActions(bool all);
    // folder: the one the level lies in when the caller holds it (null:
    // bound here).
    void SortLevel(vcl::TTreeNode* aNode, bool recurse, IShellFolder* folder = nullptr);
    // The folder aNode's children lie in (null: the top level's).
    com::ComPtr<IShellFolder> ChildrenFolder(vcl::TTreeNode* aNode) const;

    TKwShellLocator* BaseFolder_;
    TKwShellLocator* SelectedFolder_;
    vcl::TTimer* Timer_;
    TKwCustomShellList* ShellList_ = nullptr;
    TKwShellTreeOptions Options_ = KwShellTreeDefaultOptions;
    TKwCustomShellCombo* ShellCombo_ = nullptr;
    vcl::TImageList* ImageList_ = nullptr;
    bool Immediate_ = false;
    int UpdateLock_ = 0;
    bool Loading_ = false;
    bool Busy_ = false;
    bool RefreshPending_ = false;
    bool IgnoreNextChange_ = false;
    // When an ignored change stops being the tree's own.
    std::chrono::steady_clock::time_point IgnoreUntil_;
    // The pending work is a whole fill.
    bool FillPending_ = false;
    // The shell menu up now (not referenced; ProcessMenu holds it).
    IContextMenu* OpenMenu_ = nullptr;
    TChangeHandlerThread* ChangeWorker_ = nullptr;
    int Watches_ = 0;
    bool PushDue_ = false;
    bool RefreshDue_ = false;
    std::chrono::steady_clock::time_point PushAt_;
    std::chrono::steady_clock::time_point RefreshAt_;
    vcl::TTreeNode* LastInserted_ = nullptr;
    bool DestroyingWnd_ = false;

    // Registers the window's drop target (none held yet), or revokes and
    // releases the one held.
    void RegisterDropTarget();
    void RevokeDropTarget();
    // TVN_BEGINDRAG and TVN_BEGINRDRAG with kwstoOleDrag.
    void BeginDragNotified(const NMTREEVIEWA& notification, vcl::TMouseButton button);
    // The node's shell drop target, bound afresh (null when it cannot be).
    com::ComPtr<IDropTarget> NodeDropTarget(vcl::TTreeNode* node);

    com::ComPtr<IDropTarget> DropTarget_;
    com::ComPtr<IDataObject> EnteredData_;
    DWORD EnteredKeys_ = 0;
    DWORD LastScrollTime_ = 0;
    com::ComPtr<IDataObject> DragData_;
    vcl::TTreeNode* DragNode_ = nullptr;
};

class KWCORVANE_EXPORT TKwShellTree : public TKwCustomShellTree {
    VCL_DECLARE_PUBLISHED_CLASS(TKwShellTree, TKwCustomShellTree)
public:
    using TKwCustomShellTree::TKwCustomShellTree;

protected:
    ~TKwShellTree() override = default;
};

// ---- Shell combo ----

// The shell combo's options, in bit order.
enum TKwShellComboOption {
    // Fill when the window is made and after the form is read.
    kwscoAutofill,
    // Also offer items that are neither file-system items nor their ancestors.
    kwscoNonFilesystemAncestors,
};
VCL_ENUM_TYPE(TKwShellComboOption, kwscoAutofill, kwscoNonFilesystemAncestors)
using TKwShellComboOptions = vcl::TSet<TKwShellComboOption>;
inline constexpr TKwShellComboOptions KwShellComboDefaultOptions{kwscoAutofill, kwscoNonFilesystemAncestors};

// A drop-down of places to look in: the desktop, its folders, Computer's
// folders below Computer, and the chain of folders down to SelectedFolder,
// one level deeper each. Linked to a shell tree or to a shell list (never
// both), it follows and drives that control. Each entry carries a
// TKwShComboData; only the current entry's caption and icon are fetched by
// a fill, the others' when first drawn.
class KWCORVANE_EXPORT TKwCustomShellCombo : public TKwCustomImageCombo {
    VCL_DECLARE_CLASS(TKwCustomShellCombo, TKwCustomImageCombo)
public:
    explicit TKwCustomShellCombo(vcl::TComponent* owner);

    // Rebuilds every entry from the desktop down to SelectedFolder; nothing
    // without a window. Raises vcl::Exception with the system's text when
    // the desktop, Computer or a folder cannot be listed.
    void FillItems();
    // Selects the ancestor aLevels levels above the current entry.
    void GoUp(int aLevels);
    // With aAll, the linked tree's and list's pending work now.
    void Synchronize(bool aAll);
    // The entry's data; raises vcl::EInvalidCast for an entry of another kind.
    TKwShComboData* GetShComboData(int aIndex) const;
    TKwShComboData* ShComboData(int aIndex) const { return GetShComboData(aIndex); }
    // The linked tree pushed its selection: a selected node with shell data
    // moves the combo there.
    virtual void TreeChanged(vcl::TTreeNode* aNode);

    // Writing assigns the place; a real change pushes it to the linked
    // control and rebuilds the combo.
    TKwShellLocator* SelectedFolder() const { return SelectedFolder_; }
    void SetSelectedFolder(TKwShellLocator* value) { SelectedFolder_->Assign(value); }
    // A link to one is ignored while the other is set.
    TKwCustomShellTree* ShellTree() const { return ShellTree_; }
    void SetShellTree(TKwCustomShellTree* value);
    TKwCustomShellList* ShellList() const { return ShellList_; }
    void SetShellList(TKwCustomShellList* value);
    // Takes effect at the next fill.
    TKwShellComboOptions Options() const { return Options_; }
    void SetOptions(TKwShellComboOptions value) { Options_ = value; }

protected:
    ~TKwCustomShellCombo() override;
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void DeleteItem(void* aItem) override;
    void GetItemData(TKwImageComboItem* item) override;
    void SelEndOk() override;
    void Dispatch(vcl::TMessage& message) override;

    // Answers true; a descendant may keep an item of levels 1 and 2 out.
    virtual bool CanAdd(IShellFolder* aParentIShf, PItemIDList aParentAbsIdList, PItemIDList aItemRelIdList,
                        ULONG aAttribs);
    virtual void SelectedFolderChanged(vcl::TObject* aSender);
    // Adds the level aIShf lists (aLevel below 0: the desktop's entry and
    // level 1), Computer's level below Computer, and the chain below the
    // entry the array runs through.
    virtual void FillCombo(IShellFolder* aIShf, PItemIDList aParentAbsIdList, int aLevel,
                           TKwIdListArray* aIdListArray);
    int Reentry() const { return Reentry_; }

private:
    void AddChain(IShellFolder* aIShf, PItemIDList aParentAbsIdList, PItemIDList aItemRelIdList, int aLevel,
                  TKwIdListArray* aIdListArray);
    TKwImageComboItem* AddEntry(const std::string& caption, int imageIndex, int indent, ULONG attributes,
                                IShellFolder* folder, PItemIDList parentList, PItemIDList relList);

    int Reentry_ = 0;
    TKwCustomShellTree* ShellTree_ = nullptr;
    TKwCustomShellList* ShellList_ = nullptr;
    TKwShellLocator* SelectedFolder_;
    TKwShellComboOptions Options_ = KwShellComboDefaultOptions;
    vcl::TImageList* Images_ = nullptr;
};

class KWCORVANE_EXPORT TKwShellCombo : public TKwCustomShellCombo {
    VCL_DECLARE_PUBLISHED_CLASS(TKwShellCombo, TKwCustomShellCombo)
public:
    using TKwCustomShellCombo::TKwCustomShellCombo;

protected:
    ~TKwShellCombo() override = default;
};

// ---- Namespace routines shared by the shell controls ----

// The owner window of every shell call a control makes: the window of the
// form at the top of its parent chain (made when it has none yet), or 0 when
// the top-most control is no form (or there is no control).
KWCORVANE_EXPORT HWND GetTopFormHandle(vcl::TWinControl* control);

// The folder holding the last item of an absolute list, the list of that
// folder and the last item, for the caller to release and free. The desktop
// (null or empty) stands for its file-system directory. On failure every
// output is null.
KWCORVANE_EXPORT HRESULT GetParentFolderAndItem(const ITEMIDLIST* absPidl, IShellFolder** parentFolder,
                                                PItemIDList* parentPidl, PItemIDList* lastItem);
// A UI object (drop target, context menu) of the item an absolute list names,
// asked of the folder that holds it with owner window 0.
KWCORVANE_EXPORT HRESULT GetUIObjectOfIdList(const ITEMIDLIST* absPidl, REFIID riid, void** object);
// The drop target of the desktop's file-system directory.
KWCORVANE_EXPORT HRESULT GetDesktopDropTarget(IDropTarget** target);

// Shell context menus are built with command ids from KwShellMenuFirstId
// (the menu object's command 0) to KwShellMenuLastId; ids 1 to
// KwShellMenuFirstId - 1 are Send To entries (entry index + 1).
inline constexpr UINT KwShellMenuFirstId = 1000;
inline constexpr UINT KwShellMenuLastId = 0x7FFF;
// FindVerbCommand's answer for a verb that no command of the menu carries.
inline constexpr int KwNoVerbCommand = -1;

// Told the help text of the command highlighted in an open shell menu;
// empty for anything else and when the menu closes.
using TKwShPopupHintEvent = vcl::TEvent<void(vcl::TObject* sender, const std::string& hint)>;

// The context menu of count items of folder (relative lists), asked with the
// owner window, filled into a new popup with command ids from firstId to
// KwShellMenuLastId and the CMF_* flags. Both outputs are null at first; a
// failure of the folder is returned as it is. When no popup can be made, the
// menu object comes back with popup 0. A failing fill raises
// vcl::EOleSysError with both outputs null and nothing kept. Otherwise the
// fill's code; the caller destroys the popup and releases the menu object.
KWCORVANE_EXPORT HRESULT GetShellContextMenu(HWND owner, IShellFolder* folder, UINT count,
                                             LPCITEMIDLIST* items, UINT firstId, UINT flags, HMENU* popup,
                                             IContextMenu** menu);
// The command number (id less KwShellMenuFirstId) whose verb is verb, any
// case, among the top-level commands the menu object fills a popup of its
// own with (CMF_EXPLORE); KwNoVerbCommand when none carries it. A failing
// fill raises vcl::EOleSysError.
KWCORVANE_EXPORT int FindVerbCommand(IContextMenu* menu, const std::string& verb);
// Runs one command of a menu object with the owner window, shown normally,
// and returns the object's answer: by its verb (looked up with
// FindVerbCommand; a verb the menu does not carry runs nothing and answers
// E_INVALIDARG) or by its command number (no look-up; one above 0xFFFF
// cannot be told from a text and answers E_INVALIDARG).
KWCORVANE_EXPORT HRESULT InvokeContextCommand(HWND owner, IContextMenu* menu, const std::string& verb);
KWCORVANE_EXPORT HRESULT InvokeContextCommand(HWND owner, IContextMenu* menu, UINT command);

// The entries of the Send To folder as the shell menus offer them: file
// names (with their extensions) in order regardless of case, names that
// differ only in case both there (in byte order), each with its small
// system icon index, and the popup they
// were last put into. A menu object without IContextMenu2 leaves the shell's
// Send To submenu as one grayed placeholder; SendToInitMenuPopup then reads
// the folder anew and fills that submenu: entry i is its item i, with
// command id i + 1 and item data i. The tree and the list share one list
// (KwSendToList).
class KWCORVANE_EXPORT TKwSendToList {
public:
    TKwSendToList();
    TKwSendToList(const TKwSendToList&) = delete;
    TKwSendToList& operator=(const TKwSendToList&) = delete;

    // Reads the Send To folder: every entry but real folders (a symbolic
    // link to one is an entry) and hidden files (a leading dot). A folder
    // that cannot be read leaves the list empty.
    void Rescan();
    int Count() const { return Entries_.Count(); }
    // The file name of entry index; empty outside the list.
    std::string Name(int index) const;
    // The small system icon index of entry index; -1 for none.
    int IconIndex(int index) const;
    // The popup last filled with the entries (0 before; it may be gone).
    HMENU Popup() const { return Popup_; }
    void SetPopup(HMENU popup) { Popup_ = popup; }

private:
    vcl::TStringList Entries_;
    HMENU Popup_ = nullptr;
};
// The list the shell tree and list share, made on first use and freed when
// the unit shuts down.
KWCORVANE_EXPORT TKwSendToList& KwSendToList();

// A control's handlers of the same messages call these while a shell context
// menu of theirs is open, with the open menu object (null: none is open, and
// they do nothing). A menu object with IContextMenu2 gets the message through
// HandleMenuMsg and nothing else is done (ShellMenuSelectHint excepted, which
// does not ask). The fill, the measure and the drawing let no exception out:
// a failure leaves the menu as it was.
//
// WM_INITMENUPOPUP: a popup that holds one grayed item, the shell's Send To
// placeholder, is filled with the Send To entries, owner-drawn, and becomes
// the list's popup.
KWCORVANE_EXPORT void SendToInitMenuPopup(vcl::TMessage& message, IContextMenu* menu, TKwSendToList& list);
// WM_MEASUREITEM and WM_DRAWITEM of the Send To items (any other item is
// left alone): the name without its extension in the menu font after a
// 32-pixel column, its small icon from images at 8 pixels, selected in the
// highlight colours.
KWCORVANE_EXPORT void SendToMeasureItem(vcl::TMessage& message, IContextMenu* menu,
                                        const TKwSendToList& list);
KWCORVANE_EXPORT void SendToDrawItem(vcl::TMessage& message, IContextMenu* menu, HIMAGELIST images,
                                     const TKwSendToList& list);
// WM_MENUCHAR in the list's popup (other popups are left to the tracker):
// the next entry after the highlighted one whose first letter, any case, is
// the one typed, wrapping round; executed when no other entry starts with
// that letter, else only highlighted; MNC_IGNORE when none does.
KWCORVANE_EXPORT void SendToMenuChar(vcl::TMessage& message, IContextMenu* menu, const TKwSendToList& list);
// WM_MENUSELECT: tells onHint the help text of a highlighted shell command,
// and the empty text for Send To entries, submenus, the system menu, a
// command without help text and the menu's closing.
KWCORVANE_EXPORT void ShellMenuSelectHint(const vcl::TMessage& message, IContextMenu* menu,
                                          vcl::TObject* sender, const TKwShPopupHintEvent& onHint);
// Drops data on the Send To entry of that file name, as a left-button drag
// offering a copy would: DragEnter, DragOver, then Drop when the target
// accepted (an effect other than none), else DragLeave. Raises
// vcl::EOleSysError when the Send To folder, the entry or its drop target
// cannot be had.
KWCORVANE_EXPORT void SendToTarget(const std::string& entryName, IDataObject* data);

// ---- Tunable constants ----
// Read at every use, so an application may change them at run time.

// Milliseconds from a change notification to the refresh while the control
// does not have the focus (2000), and while it has it (400).
extern KWCORVANE_EXPORT int KWSH_CHANGE_NOTIFY_DELAY;
extern KWCORVANE_EXPORT int KWSH_CHANGE_NOTIFY_FASTDELAY;
// Milliseconds after a selection change in the tree before the linked list
// and combo follow (500).
extern KWCORVANE_EXPORT int KWSH_TREE_KEY_UPDATE_DELAY;
// Names tried in each of KwShCreateNewFolder's two passes (50).
extern KWCORVANE_EXPORT int KWSH_MAX_FOLDER_ATTEMPTS;
// Pixels from the left or right (26) and top or bottom (20) edge that scroll
// the control during a drag, and the least milliseconds between two steps
// (100).
extern KWCORVANE_EXPORT int KWSH_AUTOSCROLL_THRESHOLD_X;
extern KWCORVANE_EXPORT int KWSH_AUTOSCROLL_THRESHOLD_Y;
extern KWCORVANE_EXPORT int KWSH_AUTOSCROLL_MINDELAY_MS;

// The clipboard format of the shell's item id list arrays ("Shell IDList
// Array"), registered when the unit starts; 0 before.
extern KWCORVANE_EXPORT WORD CF_IDLIST;

// ---- Shortcut keys ----

// The text of a shortcut: "Shift+", "Ctrl+", "Alt+" as its bits say, then the
// key's name ("Del", "F2", "A", a keypad digit as the digit); a key without a
// name is "#" and the decimal value of the whole shortcut.
KWCORVANE_EXPORT std::string ShKeyToText(vcl::TShortCut key);
// The shortcut a text names, reading the modifiers in any case and "^" for
// "Ctrl+", the key's name in any case; 0 for a text that names no key.
KWCORVANE_EXPORT vcl::TShortCut TextToShKey(const std::string& text);

// The seven shortcut keys of the shell tree and list, in table order.
enum TKwShortcutIndex : int {
    kwskSelectAll,
    kwskDelete,
    kwskCopy,
    kwskCut,
    kwskPaste,
    kwskRefresh,
    kwskEdit,
};
inline constexpr int KwShortcutCount = 7;

// One entry of the process-wide shortcut table: its text, loaded from its
// resource string when the unit starts, and its key, parsed from the text by
// LoadShortcutKeys.
struct KWCORVANE_EXPORT TKwShortcutEntry {
    std::string Text;
    vcl::TShortCut Key = 0;
};
KWCORVANE_EXPORT const TKwShortcutEntry& ShortcutEntry(TKwShortcutIndex index);
// Whether LoadShortcutKeys has parsed the keys.
KWCORVANE_EXPORT bool ShortcutKeysLoaded();
// Once per process, parses every entry's text into its key. The tree and
// list call it before they compare a pressed key with the entries. A text
// that no longer names a key (a translation) gives 0, which matches no key.
KWCORVANE_EXPORT void LoadShortcutKeys();

// ---- Routines the tree, list and combo share ----

// Makes a new folder in directory under the first free name of "New Folder",
// "New Folder (2)", ... and then "fldr", "fldr2", ..., KWSH_MAX_FOLDER_ATTEMPTS
// names each, and sets newName to it. Every failure is told to the user as a
// warning and answers false, newName unchanged: an error other than a taken
// name ends the attempt at once with that error's text; "already exists"
// comes only when every name was taken (or the limit is below 1). An empty
// directory is no place: nothing is made in the current directory.
KWCORVANE_EXPORT bool KwShCreateNewFolder(const std::string& directory, std::string& newName);

// The display name of a folder's item with raw SHGDN flags; empty when the
// folder does not answer S_OK. A wide answer is freed.
KWCORVANE_EXPORT void GetShellDisplayName(IShellFolder* folder, const ITEMIDLIST* relPidl, DWORD flags,
                                          std::string& name);
// Shows the hourglass over the application while the thread sleeps the given
// milliseconds (none for 0 or less), then the cursor it found, also when the
// pause ends by an exception.
KWCORVANE_EXPORT void BusySleep(int milliseconds);
// Raises vcl::Exception with the system's text for the error code.
[[noreturn]] KWCORVANE_EXPORT void RaiseShellError(int code);
// Sets or clears style bits of a window (none for window 0), writing the
// style back only when it changes.
KWCORVANE_EXPORT void SetWindowStyleBits(HWND window, DWORD bits, bool set);

// One scroll request (SB_LINEUP, SB_PAGEDOWN, ...) on the control's bar
// (SB_HORZ or SB_VERT), sent as WM_HSCROLL or WM_VSCROLL only when the bar
// has room to scroll (its range exceeds its page); nothing for a control
// without a window.
KWCORVANE_EXPORT void ScrollOneStep(vcl::TWinControl* control, int bar, int code);
// A wheel notch on the control's bar: one page step when the system scrolls
// by pages, else as many line steps as the system's wheel-scroll lines on
// the vertical bar and one on the horizontal. Always true: the wheel is
// handled.
KWCORVANE_EXPORT bool WheelScroll(vcl::TWinControl* control, int bar, int lineCode, int pageCode);
// Whether the folder shown lies on a network file system (NFS, SMB, sshfs,
// ...), whose changes the watches do not hear of; false for a virtual
// folder or a path whose mount cannot be read.
KWCORVANE_EXPORT bool IsFolderNetworkShare(TKwShellLocator* folder);

// ---- Start-up ----

// The unit's start-up and shut-down, once each, in the package's order after
// the foundation's units (kw::RegisterPackageUnits).
KWCORVANE_EXPORT void UKwShellControlsInitialization();
KWCORVANE_EXPORT void UKwShellControlsFinalization();

// ---- Drag-and-drop data objects ----
// The tree and the list hand their items to other programs, to each other
// and to Send To targets as data objects in the shell's two formats: the
// item id list array (CF_IDLIST, "Shell IDList Array") and the file-drop
// list (CF_HDROP). Objects start with no reference; the creator takes the
// first one (com::MakeComObject) and the last Release frees the object,
// which may come after the drag has ended.

// A new record on the library's heap with every field of source; a target
// device is copied whole (tdSize bytes) into a block of the record's own.
// Raises std::bad_alloc when memory runs out.
KWCORVANE_EXPORT FORMATETC* CopyFormatEtc(const FORMATETC& source);
// Frees the target-device copy and the record (null is ignored).
KWCORVANE_EXPORT void FreeFormatEtc(FORMATETC* record);

// The formats a data object offers, each {format, no device, content, -1,
// global memory}. Lists are shared: a data object and every enumerator over
// its formats hold the same list, so an enumerator outliving its data object
// still finds it.
class KWCORVANE_EXPORT TKwFormatEtcList : public vcl::TObject,
                                          public std::enable_shared_from_this<TKwFormatEtcList> {
    VCL_DECLARE_CLASS(TKwFormatEtcList, vcl::TObject)
    struct Token {};

public:
    static std::shared_ptr<TKwFormatEtcList> CreateEmpty();
    static std::shared_ptr<TKwFormatEtcList> Create(std::span<const CLIPFORMAT> formats);
    explicit TKwFormatEtcList(Token) {}
    ~TKwFormatEtcList() override;
    TKwFormatEtcList(const TKwFormatEtcList&) = delete;
    TKwFormatEtcList& operator=(const TKwFormatEtcList&) = delete;

    // Appends one record per format, in order.
    void AddFormats(std::span<const CLIPFORMAT> formats);
    // Appends a copy of record (its target device included).
    void Add(const FORMATETC& record);
    // The i-th record (0-based); raises vcl::EListError outside the list.
    const FORMATETC& Items(int index) const;
    int Count() const { return Records_.Count(); }
    void Clear();

    // Whether a request is answered: S_OK for an offered format in one of
    // the request's media, DV_E_TYMED for an offered format in none of them,
    // DV_E_FORMATETC for another format or an aspect other than the
    // content. The device and lindex take no part.
    HRESULT QueryGetData(const FORMATETC& request) const;
    // A new enumerator over this list at its first record, holding the
    // caller's reference.
    com::ComPtr<IEnumFORMATETC> CreateEnumerator() const;

private:
    vcl::TList Records_;
};

// Walks a format list; Next hands out copies of the records.
class KWCORVANE_EXPORT TKwFormatEtcList_IEnumFormatEtc : public com::ComObject<IEnumFORMATETC> {
public:
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** ppenum) override;

protected:
    TKwFormatEtcList_IEnumFormatEtc(std::shared_ptr<const TKwFormatEtcList> list, ULONG position);

private:
    std::shared_ptr<const TKwFormatEtcList> List_;
    ULONG Position_;
};

// What the tree's and the list's data objects share: the two blocks, built
// once by the constructor and copied for every receiver, and the formats of
// the blocks that could be built.
class KWCORVANE_EXPORT TKwShellDataObject : public com::ComObject<IDataObject> {
public:
    HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT QueryGetData(FORMATETC* pformatetc) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
    HRESULT DUnadvise(DWORD dwConnection) override;
    HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

    // The formats offered (for tests and the drag start's own checks).
    const TKwFormatEtcList& Formats() const { return *FormatList_; }

protected:
    TKwShellDataObject();
    ~TKwShellDataObject() override;

    // Builds both blocks: the id-list array of parent (null: the desktop)
    // and items, and the file-drop list of those names that are file-system
    // paths (none: no file-drop block). A block that cannot be allocated is
    // left out, and only the blocks built are offered.
    void MakeBlocks(const ITEMIDLIST* parent, std::span<const LPCITEMIDLIST> items,
                    const std::vector<std::string>& names);

private:
    HGLOBAL HDrop_ = nullptr;
    // The file-drop block's bytes before its zeroed room.
    std::size_t HDropContent_ = 0;
    HGLOBAL IdListArray_ = nullptr;
    std::shared_ptr<TKwFormatEtcList> FormatList_;
};

// A tree node's items: the node relative to its parent node's folder. A node
// without shell data (null) gives no blocks; the top node, which has no
// parent node, is its absolute list on the desktop.
class KWCORVANE_EXPORT TDataObject_shtv : public TKwShellDataObject {
protected:
    explicit TDataObject_shtv(TKwShTreeData* node);
    // The node's shell data in tree (none for a node without it).
    TDataObject_shtv(TKwCustomShellTree* tree, vcl::TTreeNode* node);

private:
    void MakeData(TKwShTreeData* node);
};

// The list's selected items that carry shell data, in index order, relative
// to the folder the list holds. With none, the constructor raises the
// silent abort (vcl::EAbort), so the drag or Send To that wanted the object
// ends without a message.
class KWCORVANE_EXPORT TDataObject_shlv : public TKwShellDataObject {
protected:
    explicit TDataObject_shlv(TKwShListDataOwner* list);
    explicit TDataObject_shlv(TKwCustomShellList* list);

private:
    void MakeData(TKwShListDataOwner* list);
};

// The drop source of the tree's and the list's drags: the drag goes on while
// its button is held, drops when it is released and is cancelled by Escape
// or by pressing another mouse button.
class KWCORVANE_EXPORT TDropSource_shlvtv : public com::ComObject<IDropSource> {
public:
    HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    HRESULT GiveFeedback(DWORD dwEffect) override;

protected:
    explicit TDropSource_shlvtv(vcl::TMouseButton button);

private:
    DWORD Button_ = 0;
};

// The drop targets the tree and the list register for their windows: each
// call goes to the owner's OnDropTarget_ operation. Nothing the owner throws
// reaches the drag loop: the call answers S_OK with DROPEFFECT_NONE.
template <typename Owner>
class TKwOwnerDropTarget : public com::ComObject<IDropTarget> {
public:
    HRESULT DragEnter(IDataObject* dataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override
    {
        return PassOn(pdwEffect, [&](DWORD& effect) {
            return Owner_->OnDropTarget_DragEnter(dataObj, grfKeyState, pt, effect);
        });
    }
    HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override
    {
        return PassOn(pdwEffect,
                      [&](DWORD& effect) { return Owner_->OnDropTarget_DragOver(grfKeyState, pt, effect); });
    }
    HRESULT DragLeave() override
    {
        DWORD none = DROPEFFECT_NONE;
        return PassOn(&none, [&](DWORD&) { return Owner_->OnDropTarget_DragLeave(); });
    }
    HRESULT Drop(IDataObject* dataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override
    {
        return PassOn(pdwEffect, [&](DWORD& effect) {
            return Owner_->OnDropTarget_Drop(dataObj, grfKeyState, pt, effect);
        });
    }

protected:
    explicit TKwOwnerDropTarget(Owner* owner) : Owner_(owner) {}

private:
    template <typename Call>
    static HRESULT PassOn(DWORD* effect, Call&& call) noexcept
    {
        if (!effect)
            return E_INVALIDARG;
        try {
            return call(*effect);
        } catch (...) {
        }
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }

    Owner* Owner_;
};

class KWCORVANE_EXPORT TDropTarget_shtv : public TKwOwnerDropTarget<TKwCustomShellTree> {
protected:
    explicit TDropTarget_shtv(TKwCustomShellTree* owner) : TKwOwnerDropTarget(owner) {}
};

class KWCORVANE_EXPORT TDropTarget_shlv : public TKwOwnerDropTarget<TKwCustomShellList> {
protected:
    explicit TDropTarget_shlv(TKwCustomShellList* owner) : TKwOwnerDropTarget(owner) {}
};

// The effects every item of a dropped id list array allows: 7 for a data
// object without the format, 0 for a block that is not a well-formed array
// (nothing of it is read outside the block), else 7 and each item's
// attributes. Raises vcl::EOleSysError when the shell fails the parent
// folder or its attributes.
KWCORVANE_EXPORT DWORD GetDropEffectMask(IDataObject* dataObject);
// The desktop directory's parent's absolute list and its own last item,
// new copies for the caller to free; both null when the directory has no
// list.
KWCORVANE_EXPORT void GetDesktopDirectoryIdLists(PItemIDList& parent, PItemIDList& last);

// The shell's item id list array ("Shell IDList Array"): the count, the
// offsets of the parent's absolute list (null: the desktop, the empty list)
// and of each item, then the lists themselves. S_OK, or E_OUTOFMEMORY with a
// null handle.
KWCORVANE_EXPORT HRESULT MakeIdListArrayHGlobal(const ITEMIDLIST* parent,
                                                std::span<const LPCITEMIDLIST> items, HGLOBAL& handle);
// The file-drop list (CF_HDROP): a 20-byte header, then each name's bytes
// and a zero, then one more zero; names are raw path bytes (fWide 0). The
// block has room for 260 bytes a name and grows for longer names. S_OK, or
// E_OUTOFMEMORY with a null handle.
KWCORVANE_EXPORT HRESULT MakeHDropHGlobal(const vcl::TStrings& names, HGLOBAL& handle);
// A new movable block with the same bytes; null when none can be allocated
// (or handle is null).
KWCORVANE_EXPORT HGLOBAL DuplicateHGlobal(HGLOBAL handle);

} // namespace kw
