#pragma once
// The main form's resources, registered by the unit's start-up.

namespace demo {

void RegisterMainFormResources();
void UnregisterMainFormResources();

} // namespace demo
