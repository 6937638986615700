#pragma once
// FExplorer's own helpers: the form resource.

namespace demo::detail {

// The explorer's form resource, TFRMEXPLORER.
void RegisterExplorerForm();
void UnregisterExplorerForm();

} // namespace demo::detail
