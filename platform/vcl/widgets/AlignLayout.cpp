#include "vcl/widgets/AlignLayout.h"

#include "vcl/core/Publish.h"

#include <algorithm>
#include <cstdint>

namespace vcl {

TAnchors AnchorAlign(TAlign align)
{
    switch (align) {
    case alTop:
        return {akLeft, akTop, akRight};
    case alBottom:
        return {akLeft, akRight, akBottom};
    case alLeft:
        return {akLeft, akTop, akBottom};
    case alRight:
        return {akRight, akTop, akBottom};
    case alClient:
        return {akLeft, akTop, akRight, akBottom};
    case alNone:
    case alCustom:
        break;
    }
    return DefaultAnchors;
}

void ConstrainSize(const TSizeLimits& limits, int& width, int& height)
{
    if (limits.MaxWidth > 0 && width > limits.MaxWidth)
        width = limits.MaxWidth;
    if (limits.MinWidth > 0 && width < limits.MinWidth)
        width = limits.MinWidth;
    if (limits.MaxHeight > 0 && height > limits.MaxHeight)
        height = limits.MaxHeight;
    if (limits.MinHeight > 0 && height < limits.MinHeight)
        height = limits.MinHeight;
}

// ---- TSizeConstraints ----

const TClassRtti& TSizeConstraints::PublishedTable()
{
    static const TClassRtti table =
        Publish<TSizeConstraints>()
            .Property<&TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight>("MaxHeight")
            .Default(0)
            .Property<&TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth>("MaxWidth")
            .Default(0)
            .Property<&TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight>("MinHeight")
            .Default(0)
            .Property<&TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth>("MinWidth")
            .Default(0);
    return table;
}

void TSizeConstraints::SetMin(int& min, int& max, int value)
{
    value = std::max(value, 0);
    if (value == min)
        return;
    min = value;
    if (max > 0 && value > max)
        max = value;
    Change();
}

void TSizeConstraints::SetMax(int& min, int& max, int value)
{
    value = std::max(value, 0);
    if (value == max)
        return;
    max = value;
    if (value > 0 && value < min)
        min = value;
    Change();
}

void TSizeConstraints::SetMinWidth(int value)
{
    SetMin(Limits_.MinWidth, Limits_.MaxWidth, value);
}
void TSizeConstraints::SetMinHeight(int value)
{
    SetMin(Limits_.MinHeight, Limits_.MaxHeight, value);
}
void TSizeConstraints::SetMaxWidth(int value)
{
    SetMax(Limits_.MinWidth, Limits_.MaxWidth, value);
}
void TSizeConstraints::SetMaxHeight(int value)
{
    SetMax(Limits_.MinHeight, Limits_.MaxHeight, value);
}

void TSizeConstraints::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TSizeConstraints*>(source)) {
        Limits_ = other->Limits_;
        Change();
        return;
    }
    TPersistent::Assign(source);
}

void TSizeConstraints::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---- anchors ----

namespace {

int Width(const RECT& r)
{
    return r.right - r.left;
}
int Height(const RECT& r)
{
    return r.bottom - r.top;
}
RECT Bounds(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

// a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = c < 0 ? -std::int64_t{c} : std::int64_t{c};
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    return static_cast<int>((product < 0) != (c < 0) ? -quotient : quotient);
}

// The rule one axis keeps: the size when both sides hold, the near edge
// when only the far side does, otherwise the centre.
int AxisRule(bool nearSide, bool farSide, int position, int size)
{
    if (farSide)
        return nearSide ? size : position;
    return position + size / 2;
}

// Moves or stretches one axis for a parent extent that went from original
// to now.
void FollowAxis(bool nearSide, bool farSide, int rule, int original, int now, int& position, int& size)
{
    if (farSide) {
        if (nearSide)
            size = std::max(now - (original - rule), 0);
        else
            position = now - (original - rule);
    } else if (!nearSide) {
        position = MulDiv(rule, now, original) - size / 2;
    }
}

} // namespace

TAnchorOrigin FixAnchors(TAnchors anchors, const RECT& bounds, SIZE parentClientSize)
{
    TAnchorOrigin origin;
    if (anchors == DefaultAnchors || parentClientSize.cx <= 0 || parentClientSize.cy <= 0)
        return origin;
    origin.ParentSize = parentClientSize;
    origin.Rule.x = AxisRule(anchors.Contains(akLeft), anchors.Contains(akRight), bounds.left, Width(bounds));
    origin.Rule.y = AxisRule(anchors.Contains(akTop), anchors.Contains(akBottom), bounds.top, Height(bounds));
    return origin;
}

RECT AnchoredBounds(const TAlignItem& item, SIZE parentClientSize)
{
    const TAnchorOrigin& origin = item.Origin;
    if (origin.ParentSize.cx <= 0 || origin.ParentSize.cy <= 0)
        return item.Bounds;
    int left = item.Bounds.left, top = item.Bounds.top;
    int width = Width(item.Bounds), height = Height(item.Bounds);
    FollowAxis(item.Anchors.Contains(akLeft), item.Anchors.Contains(akRight), origin.Rule.x,
               origin.ParentSize.cx, parentClientSize.cx, left, width);
    FollowAxis(item.Anchors.Contains(akTop), item.Anchors.Contains(akBottom), origin.Rule.y,
               origin.ParentSize.cy, parentClientSize.cy, top, height);
    return Bounds(left, top, width, height);
}

// ---- the align pass ----

namespace {

// Whether c1 goes before c2 among the controls of one alignment.
bool InsertBefore(const TAlignItem& c1, const TAlignItem& c2, TAlign align)
{
    switch (align) {
    case alTop:
        return c1.Bounds.top < c2.Bounds.top;
    case alBottom:
        return c1.Bounds.bottom >= c2.Bounds.bottom;
    case alLeft:
        return c1.Bounds.left < c2.Bounds.left;
    case alRight:
        return c1.Bounds.right >= c2.Bounds.right;
    default:
        return false;
    }
}

// Sets the item's bounds with its size constrained.
void SetBounds(TAlignItem& item, int left, int top, int width, int height)
{
    ConstrainSize(item.Constraints, width, height);
    item.Bounds = Bounds(left, top, width, height);
}

// Places one control in the remaining rectangle and takes its strip.
void Position(TAlignItem& item, TAlign align, RECT& rect, SIZE parentSize)
{
    if (align == alNone || item.Anchors != AnchorAlign(align)) {
        const RECT anchored = AnchoredBounds(item, parentSize);
        SetBounds(item, anchored.left, anchored.top, Width(anchored), Height(anchored));
        if (align == alNone)
            return;
    }
    int width = Width(rect);
    if (width < 0 || align == alLeft || align == alRight || align == alCustom)
        width = Width(item.Bounds);
    int height = Height(rect);
    if (height < 0 || align == alTop || align == alBottom || align == alCustom)
        height = Height(item.Bounds);
    int left = rect.left;
    int top = rect.top;
    switch (align) {
    case alTop:
        rect.top += height;
        break;
    case alBottom:
        rect.bottom -= height;
        top = rect.bottom;
        break;
    case alLeft:
        rect.left += width;
        break;
    case alRight:
        rect.right -= width;
        left = rect.right;
        break;
    case alCustom:
        left = item.Bounds.left;
        top = item.Bounds.top;
        break;
    default:
        break;
    }
    SetBounds(item, left, top, width, height);
    // A constrained control takes the strip it really fills.
    const int lessWidth = width - Width(item.Bounds);
    const int lessHeight = height - Height(item.Bounds);
    switch (align) {
    case alTop:
        rect.top -= lessHeight;
        break;
    case alBottom:
        rect.bottom += lessHeight;
        break;
    case alLeft:
        rect.left -= lessWidth;
        break;
    case alRight:
        rect.right += lessWidth;
        break;
    case alClient:
        rect.right -= lessWidth;
        rect.bottom -= lessHeight;
        break;
    default:
        break;
    }
}

} // namespace

RECT AlignControls(std::vector<TAlignItem>& items, const RECT& clientRect, int moved)
{
    const SIZE parentSize{clientRect.right, clientRect.bottom};
    // A control's own size always honours its constraints, before it is
    // given a strip.
    for (TAlignItem& item : items)
        SetBounds(item, item.Bounds.left, item.Bounds.top, Width(item.Bounds), Height(item.Bounds));

    // The order controls are considered in: the moved one, then by index.
    std::vector<std::size_t> considered(items.size());
    for (std::size_t i = 0; i < considered.size(); ++i)
        considered[i] = i;
    std::stable_sort(considered.begin(), considered.end(), [&](std::size_t a, std::size_t b) {
        const bool aMoved = moved >= 0 && items[a].Index == moved;
        const bool bMoved = moved >= 0 && items[b].Index == moved;
        if (aMoved != bMoved)
            return aMoved;
        return items[a].Index < items[b].Index;
    });

    RECT rect = clientRect;
    std::vector<std::size_t> list;
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) {
        list.clear();
        for (std::size_t i : considered) {
            const TAlignItem& item = items[i];
            if (item.Align == align && (align == alNone || item.Visible))
                list.push_back(i);
        }
        // Each control goes before the first one it comes before
        // (InsertBefore): for the top and the left that is their edge's
        // order with ties as considered; for the bottom and the right,
        // whose test holds for ties, the reverse edge order with ties
        // reversed. A stable sort gives that order without the quadratic
        // insertion.
        if (align == alBottom || align == alRight)
            std::reverse(list.begin(), list.end());
        if (align == alTop || align == alBottom || align == alLeft || align == alRight)
            std::stable_sort(list.begin(), list.end(), [&](std::size_t a, std::size_t b) {
                return InsertBefore(items[a], items[b], align) && !InsertBefore(items[b], items[a], align);
            });
        for (std::size_t i : list)
            Position(items[i], align, rect, parentSize);
    }
    return rect;
}

} // namespace vcl
