// The shell list as far as the tree and the combo reach it.

#include "UKwShellControls.h"

namespace kw {

TKwCustomShellList::TKwCustomShellList(vcl::TComponent* owner) : TKwCustomListView(owner) {}

TKwCustomShellList::~TKwCustomShellList() = default;

} // namespace kw
