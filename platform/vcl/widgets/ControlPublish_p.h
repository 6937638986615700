#pragma once
// The published properties most controls share, added to a class's table
// in one call.

#include "vcl/core/Publish.h"
#include "vcl/widgets/ComCtrls.h"
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

// The tree view's own properties and events, after those of a windowed
// control.
template <class C>
TPublisher<C> PublishTreeView(TPublisher<C> table)
{
    return table.template Property<&C::AutoExpand, &C::SetAutoExpand>("AutoExpand")
        .Default(false)
        .template Property<&C::BorderStyle, &C::SetBorderStyle>("BorderStyle")
        .Default(bsSingle)
        .template Property<&C::ChangeDelay, &C::SetChangeDelay>("ChangeDelay")
        .Default(0)
        .template Property<&C::HideSelection, &C::SetHideSelection>("HideSelection")
        .Default(true)
        .template Property<&C::HotTrack, &C::SetHotTrack>("HotTrack")
        .Default(false)
        .template Property<&C::Images, &C::SetImages>("Images")
        .template Property<&C::Indent, &C::SetIndent>("Indent")
        .NoDefault()
        .template Property<&C::Items, &C::SetItems>("Items")
        .template Property<&C::ReadOnly, &C::SetReadOnly>("ReadOnly")
        .Default(false)
        .template Property<&C::RightClickSelect, &C::SetRightClickSelect>("RightClickSelect")
        .Default(false)
        .template Property<&C::RowSelect, &C::SetRowSelect>("RowSelect")
        .Default(false)
        .template Property<&C::ShowButtons, &C::SetShowButtons>("ShowButtons")
        .Default(true)
        .template Property<&C::ShowLines, &C::SetShowLines>("ShowLines")
        .Default(true)
        .template Property<&C::ShowRoot, &C::SetShowRoot>("ShowRoot")
        .Default(true)
        .template Property<&C::SortType, &C::SetSortType>("SortType")
        .Default(stNone)
        .template Property<&C::StateImages, &C::SetStateImages>("StateImages")
        .template Property<&C::ToolTips, &C::SetToolTips>("ToolTips")
        .Default(true)
        .template Property<&C::OnChange>("OnChange")
        .template Property<&C::OnChanging>("OnChanging")
        .template Property<&C::OnCollapsed>("OnCollapsed")
        .template Property<&C::OnCollapsing>("OnCollapsing")
        .template Property<&C::OnCompare>("OnCompare")
        .template Property<&C::OnContextPopup>("OnContextPopup")
        .template Property<&C::OnCustomDraw>("OnCustomDraw")
        .template Property<&C::OnCustomDrawItem>("OnCustomDrawItem")
        .template Property<&C::OnAdvancedCustomDraw>("OnAdvancedCustomDraw")
        .template Property<&C::OnAdvancedCustomDrawItem>("OnAdvancedCustomDrawItem")
        .template Property<&C::OnDeletion>("OnDeletion")
        .template Property<&C::OnEdited>("OnEdited")
        .template Property<&C::OnEditing>("OnEditing")
        .template Property<&C::OnExpanded>("OnExpanded")
        .template Property<&C::OnExpanding>("OnExpanding")
        .template Property<&C::OnGetImageIndex>("OnGetImageIndex")
        .template Property<&C::OnGetSelectedIndex>("OnGetSelectedIndex")
        .template Property<&C::OnMouseWheel>("OnMouseWheel")
        .template Property<&C::OnMouseWheelDown>("OnMouseWheelDown")
        .template Property<&C::OnMouseWheelUp>("OnMouseWheelUp");
}

// The list view's own properties and events, after those of a windowed
// control.
template <class C>
TPublisher<C> PublishListView(TPublisher<C> table)
{
    return table.template Property<&C::AllocBy, &C::SetAllocBy>("AllocBy")
        .Default(0)
        .template Property<&C::BorderStyle, &C::SetBorderStyle>("BorderStyle")
        .Default(bsSingle)
        .template Property<&C::Checkboxes, &C::SetCheckboxes>("Checkboxes")
        .Default(false)
        .template Property<&C::ColumnClick, &C::SetColumnClick>("ColumnClick")
        .Default(true)
        .template Property<&C::Columns>("Columns")
        .template Property<&C::FlatScrollBars, &C::SetFlatScrollBars>("FlatScrollBars")
        .Default(false)
        .template Property<&C::FullDrag, &C::SetFullDrag>("FullDrag")
        .Default(false)
        .template Property<&C::GridLines, &C::SetGridLines>("GridLines")
        .Default(false)
        .template Property<&C::HideSelection, &C::SetHideSelection>("HideSelection")
        .Default(true)
        .template Property<&C::HotTrack, &C::SetHotTrack>("HotTrack")
        .Default(false)
        .template Property<&C::HotTrackStyles, &C::SetHotTrackStyles>("HotTrackStyles")
        .template Property<&C::IconOptions>("IconOptions")
        .template Property<&C::LargeImages, &C::SetLargeImages>("LargeImages")
        .template Property<&C::MultiSelect, &C::SetMultiSelect>("MultiSelect")
        .Default(false)
        .template Property<&C::OwnerData, &C::SetOwnerData>("OwnerData")
        .Default(false)
        .template Property<&C::OwnerDraw, &C::SetOwnerDraw>("OwnerDraw")
        .Default(false)
        .template Property<&C::ReadOnly, &C::SetReadOnly>("ReadOnly")
        .Default(false)
        .template Property<&C::RowSelect, &C::SetRowSelect>("RowSelect")
        .Default(false)
        .template Property<&C::ShowColumnHeaders, &C::SetShowColumnHeaders>("ShowColumnHeaders")
        .Default(true)
        .template Property<&C::SmallImages, &C::SetSmallImages>("SmallImages")
        .template Property<&C::SortType, &C::SetSortType>("SortType")
        .Default(stNone)
        .template Property<&C::StateImages, &C::SetStateImages>("StateImages")
        .template Property<&C::ViewStyle, &C::SetViewStyle>("ViewStyle")
        .Default(vsIcon)
        .template Property<&C::OnAdvancedCustomDraw>("OnAdvancedCustomDraw")
        .template Property<&C::OnAdvancedCustomDrawItem>("OnAdvancedCustomDrawItem")
        .template Property<&C::OnChange>("OnChange")
        .template Property<&C::OnChanging>("OnChanging")
        .template Property<&C::OnColumnClick>("OnColumnClick")
        .template Property<&C::OnCompare>("OnCompare")
        .template Property<&C::OnContextPopup>("OnContextPopup")
        .template Property<&C::OnCustomDraw>("OnCustomDraw")
        .template Property<&C::OnCustomDrawItem>("OnCustomDrawItem")
        .template Property<&C::OnCustomDrawSubItem>("OnCustomDrawSubItem")
        .template Property<&C::OnData>("OnData")
        .template Property<&C::OnDataFind>("OnDataFind")
        .template Property<&C::OnDataHint>("OnDataHint")
        .template Property<&C::OnDataStateChange>("OnDataStateChange")
        .template Property<&C::OnDeletion>("OnDeletion")
        .template Property<&C::OnDrawItem>("OnDrawItem")
        .template Property<&C::OnEdited>("OnEdited")
        .template Property<&C::OnEditing>("OnEditing")
        .template Property<&C::OnGetImageIndex>("OnGetImageIndex")
        .template Property<&C::OnInfoTip>("OnInfoTip")
        .template Property<&C::OnInsert>("OnInsert")
        .template Property<&C::OnMouseWheel>("OnMouseWheel")
        .template Property<&C::OnMouseWheelDown>("OnMouseWheelDown")
        .template Property<&C::OnMouseWheelUp>("OnMouseWheelUp")
        .template Property<&C::OnResize>("OnResize")
        .template Property<&C::OnSelectItem>("OnSelectItem");
}

} // namespace vcl
