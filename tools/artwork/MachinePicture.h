#pragma once

// The picture of the main window: a profile-cutting machine seen from the front left. A gantry
// runs on two rails over the cutting table; its torch carriage is half-way through cutting a
// ring out of a steel plate on which earlier parts are already cut, and sparks fly from the
// torch. The controller stands at the front on its pedestal with its serial cable. Drawn on an
// opaque surface and reduced to the 256-colour picture palette.

#include "tools/artwork/IndexedImage.h"

namespace artwork {

constexpr int machineWidth = 598;
constexpr int machineHeight = 393;

IndexedImage DrawMachine();

} // namespace artwork
