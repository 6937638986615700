#pragma once
// What the tree and list view bases share about their context menus.

#include "vcl/widgets/Menus.h"

#include <functional>

namespace kw::detail {

// Pops menu up for control at a point of its client area.
void PopupAt(vcl::TControl* control, vcl::TPopupMenu* menu, const vcl::TPoint& clientPos);

// The right-button release of a gesture whose menu the control showed
// itself: the framework's own popup is held back while passOn runs, and the
// flag is cleared, whatever passOn does.
void ReleaseAfterOwnMenu(vcl::TPopupMenu* menu, bool& menuShown, const std::function<void()>& passOn);

} // namespace kw::detail
