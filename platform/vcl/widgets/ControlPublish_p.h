#pragma once
// The published properties most controls share, added to a class's table
// in one call.

#include "vcl/core/Publish.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Menus.h"

namespace vcl {

// Placement, look and mouse events of a control; color and parentColor are
// the class's own colour and whether it takes its parent's unless told
// otherwise.
template <class C>
TPublisher<C> PublishControl(TPublisher<C> table, TColor color, bool parentColor)
{
    return table.template Property<&C::Align, &C::SetAlign>("Align")
        .Default(alNone)
        .template Property<&C::Anchors, &C::SetAnchors>("Anchors")
        .template StoredIf<&C::IsAnchorsStored>()
        .template Property<&C::Color, &C::SetColor>("Color")
        .Type(ColorTypeInfo())
        .Default(color)
        .template StoredIf<&C::IsColorStored>()
        .template Property<&C::Enabled, &C::SetEnabled>("Enabled")
        .Default(true)
        .template Property<&C::Font>("Font")
        .template StoredIf<&C::IsFontStored>()
        .template Property<&C::ParentColor, &C::SetParentColor>("ParentColor")
        .Default(parentColor)
        .template Property<&C::ParentFont, &C::SetParentFont>("ParentFont")
        .Default(true)
        .template Property<&C::ParentShowHint, &C::SetParentShowHint>("ParentShowHint")
        .Default(true)
        .template Property<&C::PopupMenu, &C::SetPopupMenu>("PopupMenu")
        .template Property<&C::ShowHint, &C::SetShowHint>("ShowHint")
        .Default(false)
        .template Property<&C::Visible, &C::SetVisible>("Visible")
        .Default(true)
        .template Property<&C::OnClick>("OnClick")
        .template Property<&C::OnDblClick>("OnDblClick")
        .template Property<&C::OnMouseDown>("OnMouseDown")
        .template Property<&C::OnMouseMove>("OnMouseMove")
        .template Property<&C::OnMouseUp>("OnMouseUp");
}

// The same with the tab order and the keyboard's events of a windowed
// control.
template <class C>
TPublisher<C> PublishWinControl(TPublisher<C> table, TColor color, bool tabStop)
{
    return PublishControl(std::move(table), color, false)
        .template Property<&C::TabOrder, &C::SetTabOrder>("TabOrder")
        .NoDefault()
        .template Property<&C::TabStop, &C::SetTabStop>("TabStop")
        .Default(tabStop)
        .template Property<&C::OnEnter>("OnEnter")
        .template Property<&C::OnExit>("OnExit")
        .template Property<&C::OnKeyDown>("OnKeyDown")
        .template Property<&C::OnKeyPress>("OnKeyPress")
        .template Property<&C::OnKeyUp>("OnKeyUp");
}

} // namespace vcl
