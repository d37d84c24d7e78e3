#pragma once

// The program's icon: a cutting gantry over a plate with a spark at the torch, on a steel-blue
// tile. Drawn in a 256-unit square scaled to the size asked for, with full alpha.

#include <cairo.h>

namespace artwork {

// A new ARGB32 surface of size x size; the caller destroys it.
cairo_surface_t* DrawIcon(int size);

} // namespace artwork
