#pragma once
// A splitter: two panes side by side (kwstVertical) or stacked
// (kwstHorizontal) with a bar between them that the user drags. The bar's
// Position is kept within the panes' minimum sizes and as a proportion of
// the splitter's extent; a drag moves the panes live or draws an inverted
// line until the release, as the desktop's setting for dragging windows
// says unless FullDragMode decides.

#include "KwCorvaneExport.h"
#include "UKwFrame.h"

namespace kw {

enum TKwSplitterStyle { kwstVertical, kwstHorizontal };
VCL_ENUM_TYPE(TKwSplitterStyle, kwstVertical, kwstHorizontal)
enum TKwFullDragMode { kwfdOff, kwfdOn, kwfdUser };
VCL_ENUM_TYPE(TKwFullDragMode, kwfdOff, kwfdOn, kwfdUser)

using TKwSplitterDragEvent = vcl::TEvent<void(vcl::TObject* sender, int position)>;

class TKwSplitter;

// One side of a splitter: a group with a minimum size and its slot.
class KWCORVANE_EXPORT TKwPane : public TKwGroup {
    VCL_DECLARE_PUBLISHED_CLASS(TKwPane, TKwGroup)
public:
    explicit TKwPane(vcl::TComponent* owner);

    int MinSize() const { return MinSize_; }
    void SetMinSize(int value) { MinSize_ = value; }
    int Index() const { return Index_; }
    void SetIndex(int value) { Index_ = value; }
    bool Active() const { return Active_; }
    void SetActive(bool value) { Active_ = value; }

protected:
    void Paint() override;
    void Dispatch(vcl::TMessage& message) override;

private:
    int MinSize_ = 20;
    int Index_ = 0;
    bool Active_ = false;
};

class KWCORVANE_EXPORT TKwSplitter : public vcl::TCustomControl {
    VCL_DECLARE_PUBLISHED_CLASS(TKwSplitter, vcl::TCustomControl)
public:
    explicit TKwSplitter(vcl::TComponent* owner);

    int Position() const { return Position_; }
    void SetPosition(int value);
    float Proportion() const { return Proportion_; }
    void SetProportion(float value);
    bool Proportional() const { return Proportional_; }
    void SetProportional(bool value) { Proportional_ = value; }
    TKwSplitterStyle Style() const { return Style_; }
    void SetStyle(TKwSplitterStyle value);
    int SplitterWidth() const { return SplitterWidth_; }
    void SetSplitterWidth(int value);
    TKwFullDragMode FullDragMode() const { return FullDragMode_; }
    void SetFullDragMode(TKwFullDragMode value) { FullDragMode_ = value; }
    bool Dragging() const { return Dragging_; }

    TKwPane* GetPane(int index) const;
    void SwapPanes(int mirror);
    void SetActivePane(int index);
    // Width for kwstVertical, Height for kwstHorizontal.
    int Extent() const;
    void InitPanePos();
    void CreatePanes();

    vcl::TColor GetPaneColor(int index) const;
    void SetPaneColor(int index, vcl::TColor value);
    TKwFrameStyle GetPaneStyle(int index) const;
    void SetPaneStyle(int index, TKwFrameStyle value);
    int GetPaneMinSize(int index) const;
    void SetPaneMinSize(int index, int value);

    // The indexed pane properties of the form designer (never stored).
    vcl::TColor Pane1Color() const { return GetPaneColor(0); }
    void SetPane1Color(vcl::TColor v) { SetPaneColor(0, v); }
    vcl::TColor Pane2Color() const { return GetPaneColor(1); }
    void SetPane2Color(vcl::TColor v) { SetPaneColor(1, v); }
    TKwFrameStyle Pane1FrameStyle() const { return GetPaneStyle(0); }
    void SetPane1FrameStyle(TKwFrameStyle v) { SetPaneStyle(0, v); }
    TKwFrameStyle Pane2FrameStyle() const { return GetPaneStyle(1); }
    void SetPane2FrameStyle(TKwFrameStyle v) { SetPaneStyle(1, v); }
    int Pane1MinSize() const { return GetPaneMinSize(0); }
    void SetPane1MinSize(int v) { SetPaneMinSize(0, v); }
    int Pane2MinSize() const { return GetPaneMinSize(1); }
    void SetPane2MinSize(int v) { SetPaneMinSize(1, v); }
    bool UseDockManager() const { return false; }
    void SetUseDockManager(bool) {}

    vcl::TNotifyEvent OnChange;
    TKwSplitterDragEvent OnSplitterDrag;
    TKwSplitterDragEvent OnSplitterDrop;

    void GetChildren(vcl::TGetChildProc proc, vcl::TComponent* root) override;
    void SetName(const std::string& value) override;

protected:
    void Loaded() override;
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    // OnResize fires from the splitter's own resizing, after the position.
    void Resize() override;
    virtual void PaintSizingLine();
    virtual void Change();
    virtual void InternalResize(bool force);
    virtual void SplitterDrag(int position);
    virtual void SplitterDrop(int position);
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    vcl::TComponent* GetChildOwner() override;
    bool DesignWndProc(vcl::TMessage& message) override;
    void Dispatch(vcl::TMessage& message) override;

private:
    void InternalSetPosition(int value, bool fix);
    void FixProportion();
    bool IsFullDrag() const;
    int Along(int x, int y) const { return Style_ == kwstVertical ? x : y; }
    int ClampDrag(int c) const;
    void BeginDrag(int x, int y);
    void ContinueDrag(int x, int y);
    void SetDragPosition(int position);
    void EndDrag();
    void MakeMissingPanes();
    void WMSize(vcl::TMessage& message);
    void WMSetCursor(vcl::TMessage& message);
    void WMParentNotify(vcl::TMessage& message);
    void WMCancelMode(vcl::TMessage& message);
    void WMCaptureChanged(vcl::TMessage& message);

    TKwPane* Panes_[2] = {nullptr, nullptr};
    TKwSplitterStyle Style_ = kwstVertical;
    int SplitterWidth_ = 3;
    int Position_ = 65;
    TKwFullDragMode FullDragMode_ = kwfdUser;
    bool Proportional_ = true;
    float Proportion_ = 65.0f / 200.0f;
    bool Dragging_ = false;
    // The bar's place in mouse coordinates while dragging; a line is drawn
    // only while LineDrawn_, so no mouse position stands for "none".
    int DragPosition_ = -1;
    bool LineDrawn_ = false;
    int DragOffset_ = 0;
    HDC LineDC_ = nullptr;
    vcl::TMouseButton DragButton_ = vcl::mbLeft;
};

// The shared 8 x 8 monochrome pattern: white where x and y differ in parity.
KWCORVANE_EXPORT HBITMAP Get50PctBmp();

KWCORVANE_EXPORT void UKwSplitterInitialization();
KWCORVANE_EXPORT void UKwSplitterFinalization();

} // namespace kw
