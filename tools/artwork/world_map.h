// The world's equirectangular map: ocean, continents, ice and cloud.
#pragma once

#include <cstdint>

#include "tools/artwork/raster.h"

namespace artwork {

// Paints a width x height map, u (x) round the equator from the date line,
// v (y) from the north pole down. All noise is taken at the point on the
// unit sphere, so the date line has no seam and the poles do not pinch.
Picture PaintWorldMap(int width, int height, std::uint64_t seed);

}  // namespace artwork
