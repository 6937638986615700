#pragma once
// The palette bitmaps, made and registered by the unit's start-up.

namespace kw {

void RegisterPaletteBitmaps();
void UnregisterPaletteBitmaps();

} // namespace kw
