// The deep-space backdrop: nebula and stars on a square that tiles.
#pragma once

#include <cstdint>

#include "tools/artwork/raster.h"

namespace artwork {

// Paints a size x size field. It repeats seamlessly across its edges (texture
// filtering wraps round them) and its nebula thins out towards the border,
// so the revolving square shows no hard edge against the black around it.
Picture PaintStarfield(int size, std::uint64_t seed);

}  // namespace artwork
