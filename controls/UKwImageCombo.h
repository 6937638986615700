#pragma once
// The combo box base and the image combo. TKwCustomCombobox adds to the
// framework's combo box the end of a selection (accepted, cancelled) and
// the deletion of each item's data; TKwCustomImageCombo is an owner-drawn
// drop-down list whose items are TKwImageComboItem objects: an image of an
// image list (with an overlay), a caption, and an indent in the open list.
// The image combo owns its item objects.

#include "KwCorvaneExport.h"

#include "vcl/core/Events.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/StdCtrls.h"

#include <string>

namespace kw {

class TKwCustomImageCombo;
class TKwImageComboItem;

using TKwDeleteComboItemEvent = vcl::TEvent<void(vcl::TObject* aSender, void* aItem)>;
using TKwDeleteImageComboItemEvent = vcl::TEvent<void(vcl::TObject* aSender, TKwImageComboItem* aItem)>;
using TKwImageComboGetItemDataEvent = vcl::TEvent<void(vcl::TObject* aSender, TKwImageComboItem* aItem)>;

class KWCORVANE_EXPORT TKwCustomCombobox : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TKwCustomCombobox, vcl::TCustomComboBox)
public:
    using vcl::TCustomComboBox::TCustomComboBox;

    // Re-creates an owner-drawn combo's window when the height changes;
    // other styles keep theirs.
    void SetItemHeight2(int value);
    void SetItemHeight(int value) { SetItemHeight2(value); }

    TKwDeleteComboItemEvent OnDeleteItem;
    vcl::TNotifyEvent OnSelEndCancel;
    vcl::TNotifyEvent OnSelEndOk;
#if defined(KW_PREVIOUS_GENERATION)
    // The previous framework's combo box has no close-up event of its own.
    vcl::TNotifyEvent OnCloseUp;
#endif

protected:
    ~TKwCustomCombobox() override = default;
    // The data of every item the window deletes (never 0).
    virtual void DeleteItem(void* aItem);
    virtual void SelEndCancel();
    virtual void SelEndOk();
#if defined(KW_PREVIOUS_GENERATION)
    void CloseUp() override;
#endif
    void Dispatch(vcl::TMessage& message) override;
    // An event of the application does not fire while its owners go: its
    // handler may be gone already.
    bool OwnersDestroying() const;

private:
    void CNCommand(vcl::TMessage& message);
    void WMDeleteItem(vcl::TMessage& message);
};

class KWCORVANE_EXPORT TKwCombobox : public TKwCustomCombobox {
    VCL_DECLARE_PUBLISHED_CLASS(TKwCombobox, TKwCustomCombobox)
public:
    explicit TKwCombobox(vcl::TComponent* owner) : TKwCustomCombobox(owner) {}

protected:
    ~TKwCombobox() override = default;
};

// One entry of an image combo. Each setter repaints the combo.
class KWCORVANE_EXPORT TKwImageComboItem : public vcl::TObject {
    VCL_DECLARE_CLASS(TKwImageComboItem, vcl::TObject)
public:
    explicit TKwImageComboItem(TKwCustomImageCombo* combo) : Combo_(combo) {}
    ~TKwImageComboItem() override = default;

    TKwCustomImageCombo* Combo() const { return Combo_; }
    // The position AddItem gave it; not kept up to date afterwards.
    int Index() const { return Index_; }
    void SetIndex(int value) { Index_ = value; }
    int Indent() const { return Indent_; }
    void SetIndent(int value);
    int ImageIndex() const { return ImageIndex_; }
    void SetImageIndex(int value);
    // An overlay number drawn over the image; -1 for none.
    int OverlayIndex() const { return OverlayIndex_; }
    void SetOverlayIndex(int value);
    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& value);
    // Free for descendants.
    void* Data = nullptr;

private:
    friend class TKwCustomImageCombo;
    void Changed();

    TKwCustomImageCombo* Combo_;
    int Index_ = -1;
    int Indent_ = 0;
    int ImageIndex_ = -1;
    int OverlayIndex_ = -1;
    std::string Caption_;
};

class KWCORVANE_EXPORT TKwCustomImageCombo : public TKwCustomCombobox {
    VCL_DECLARE_CLASS(TKwCustomImageCombo, TKwCustomCombobox)
public:
    explicit TKwCustomImageCombo(vcl::TComponent* owner);

    // The item height follows the font and the image list.
    bool AutoSizeHeight() const { return AutoSizeHeight_; }
    void SetAutoSizeHeight(bool value) { AutoSizeHeight_ = value; }
    vcl::TImageList* ImageList() const { return ImageList_; }
    void SetImageList(vcl::TImageList* value);
    // Pixels a level of indent moves an item in the open list.
    int IndentPixels() const { return IndentPixels_; }
    void SetIndentPixels(int value);

    // A new item owned by the combo, added at the end (no repaint).
    virtual TKwImageComboItem* AddItem(const std::string& caption, int imageIndex, int indent);
    // The item object at an index; null for an item without one.
    TKwImageComboItem* GetImageComboItem(int index) const;

    // Fired before an item object is freed.
    TKwDeleteImageComboItemEvent OnDeleteItem;
    // Fired before each item is drawn, to fill it in late.
    TKwImageComboGetItemDataEvent OnGetItemData;

protected:
    ~TKwCustomImageCombo() override = default;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void DrawItem(int index, const vcl::TRect& rect, vcl::TOwnerDrawState state) override;
    void DeleteItem(void* aItem) override;
    virtual void GetItemData(TKwImageComboItem* item);
    virtual void AutoSize(HFONT font);
    void DoAutoSize(HFONT font);
    void Dispatch(vcl::TMessage& message) override;

private:
    void CNDrawItem(vcl::TMessage& message);
    void WMEraseBkgnd(vcl::TMessage& message);
    void WMSetFont(vcl::TMessage& message);

    bool AutoSizeHeight_ = true;
    vcl::TImageList* ImageList_ = nullptr;
    int IndentPixels_ = 12;
    bool InSetFont_ = false;
};

class KWCORVANE_EXPORT TKwImageCombo : public TKwCustomImageCombo {
    VCL_DECLARE_PUBLISHED_CLASS(TKwImageCombo, TKwCustomImageCombo)
public:
    explicit TKwImageCombo(vcl::TComponent* owner) : TKwCustomImageCombo(owner) {}

protected:
    ~TKwImageCombo() override = default;
};

} // namespace kw
