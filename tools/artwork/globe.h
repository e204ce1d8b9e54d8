// Renders the world map wrapped on a sphere: the planet in the advice
// picture and the icon, and a preview of the saver's scene.
#pragma once

#include <vector>

#include "tools/artwork/raster.h"

namespace artwork {

// How a portrait of the planet is lit and turned. View space: x right,
// y up, z towards the viewer.
struct GlobeLook {
    double turnDegrees = 0.0;  // turn about the polar axis, as the saver spins the sphere
    double tiltDegrees = 0.0;  // the north pole leans this far towards the viewer
    Vec3 towardSun{-0.55, 0.45, 0.70};
    double atmosphere = 1.0;   // strength of the blue limb and halo
};

// Paints the planet as a disc of `radius` pixels centred at (cx, cy) over
// `target`, anti-aliased with `samples` x `samples` samples a pixel. When
// `coverage` is given it receives each pixel's opacity (disc plus halo).
void PaintGlobe(Picture& target, std::vector<double>* coverage, const Picture& map, double cx, double cy,
                double radius, const GlobeLook& look, int samples);

// The saver's default view drawn on the CPU: the world sphere lit by the light
// behind the viewer, the unlit backdrop square through its centre, a 20-degree
// field of view and the sphere turned by `spinUnits` (0.08 degree each).
Picture PaintScenePreview(int width, int height, const Picture& map, const Picture& backdrop, double spinUnits);

}  // namespace artwork
