#pragma once
// The framework's layout rules for the children of a windowed control:
// Align, Anchors and Constraints.
//
// The rules are pure functions over one plain record per child, so that a
// parent can run them on its controls and a test on a table. A parent keeps
// a TAlignItem per child, calls FixAnchors whenever a child's bounds or
// anchors are set (not while the layout itself moves it), and runs
// AlignControls over its client rectangle whenever that changes or a child's
// align, bounds, visibility or constraints do.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Events.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "win32/WinTypes.h"

#include <vector>

namespace vcl {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
VCL_ENUM_TYPE(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
VCL_ENUM_TYPE(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;

// What a control is anchored to unless told otherwise.
inline constexpr TAnchors DefaultAnchors{akLeft, akTop};

// The sides an alignment holds a control to; anchors equal to these add
// nothing to the alignment.
CORVANE_VCL_EXPORT TAnchors AnchorAlign(TAlign align);

// Size limits; 0 means no limit.
struct CORVANE_VCL_EXPORT TSizeLimits {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;

    friend bool operator==(const TSizeLimits&, const TSizeLimits&) = default;
};

// Clamps a size to the limits: the maximum first, then the minimum, so a
// minimum above the maximum wins.
CORVANE_VCL_EXPORT void ConstrainSize(const TSizeLimits& limits, int& width, int& height);

// A control's Constraints property. Raising a minimum above its maximum
// raises the maximum with it, and lowering a maximum below its minimum
// lowers the minimum, so the limits stay consistent; negative values count
// as 0 (no limit).
class CORVANE_VCL_EXPORT TSizeConstraints : public TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TSizeConstraints, TPersistent)
public:
    // control (may be null) is the object whose name path this one extends.
    explicit TSizeConstraints(TPersistent* control = nullptr) : Control_(control) {}

    int MinWidth() const { return Limits_.MinWidth; }
    int MinHeight() const { return Limits_.MinHeight; }
    int MaxWidth() const { return Limits_.MaxWidth; }
    int MaxHeight() const { return Limits_.MaxHeight; }
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    const TSizeLimits& Limits() const { return Limits_; }

    void Assign(TPersistent* source) override;

    // Fired after any limit changed.
    TNotifyEvent OnChange;

protected:
    virtual void Change();
    TPersistent* GetOwner() const override { return Control_; }

private:
    void SetMin(int& min, int& max, int value);
    void SetMax(int& min, int& max, int value);

    TPersistent* Control_;
    TSizeLimits Limits_;
};

// What anchors hold on to, fixed when the anchors or the bounds are set:
// the parent's client size at that time and, per axis, the distance the
// anchors keep (the width when both sides are anchored, the left or top
// edge when only the far side is, otherwise the centre). A zero parent size
// means the control follows no anchors (DefaultAnchors, or no parent yet).
struct CORVANE_VCL_EXPORT TAnchorOrigin {
    SIZE ParentSize{0, 0};
    POINT Rule{0, 0};
};

// One child as the layout sees it. Bounds is the control's bounds rectangle
// in its parent's client coordinates.
struct CORVANE_VCL_EXPORT TAlignItem {
    TAlign Align = alNone;
    TAnchors Anchors = DefaultAnchors;
    RECT Bounds{0, 0, 0, 0};
    bool Visible = true;
    TSizeLimits Constraints;
    // The position in the parent's list of controls: breaks ties.
    int Index = 0;
    TAnchorOrigin Origin;
};

// The origin for a child given its anchors, bounds and the parent's client
// size now; a parent without a size yet fixes nothing.
CORVANE_VCL_EXPORT TAnchorOrigin FixAnchors(TAnchors anchors, const RECT& bounds, SIZE parentClientSize);

// The bounds the child's anchors give it in a parent whose client size is
// now parentClientSize (unconstrained); the bounds unchanged when the origin
// is not fixed.
CORVANE_VCL_EXPORT RECT AnchoredBounds(const TAlignItem& item, SIZE parentClientSize);

// The align pass over a parent's children: anchored children follow the
// parent's client size (the bottom-right corner of clientRect), then
// aligned ones take their strips of clientRect in
// the order top, bottom, left, right, client, custom. Children of one
// alignment are placed by their position (tops by Top, bottoms by
// descending bottom edge, lefts by Left, rights by descending right edge).
// Ties go by index, the control being moved (Index == moved; -1 for none)
// considered first: among equal tops and lefts the first considered comes
// first, among equal bottoms and rights it stays innermost (a later control
// takes the outer place). Invisible children are not aligned.
// Constraints clamp the size each child is given, and the strip it takes
// shrinks or grows with it. Updates every item's Bounds and returns what is
// left of clientRect.
CORVANE_VCL_EXPORT RECT AlignControls(std::vector<TAlignItem>& items, const RECT& clientRect, int moved = -1);

} // namespace vcl
