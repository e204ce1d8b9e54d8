#include "tools/artwork/globe.h"

#include <algorithm>
#include <cmath>

namespace artwork {

namespace {

// Turns a direction by `degrees` about the y axis, as glRotate does.
Vec3 TurnAboutY(Vec3 p, double degrees) {
    const double a = degrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}

Vec3 TurnAboutX(Vec3 p, double degrees) {
    const double a = degrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
    return {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}

// The map colour at a point of the unit sphere in the planet's own frame
// (north pole +y). The front (+z) shows the middle of the map and u grows
// towards +x, the way the saver's sphere quadric lays its texture.
Rgb MapColourAt(const Picture& map, Vec3 p) {
    const double u = 0.5 + std::atan2(p.x, p.z) / (2.0 * kPi);
    const double v = std::acos(std::min(1.0, std::max(-1.0, p.y))) / kPi;
    return map.SampleWrapped(u - std::floor(u), v);
}

// Sunlit surface with a soft terminator, a glint on open water and a blue
// limb where the view grazes the atmosphere.
Rgb ShadeSurface(const Picture& map, Vec3 normal, const GlobeLook& look) {
    const Vec3 planet = TurnAboutY(TurnAboutX(normal, -look.tiltDegrees), -look.turnDegrees);
    const Rgb ground = MapColourAt(map, planet);
    const Vec3 sun = Normalise(look.towardSun);
    const double facing = Dot(normal, sun);
    const double daylight = Clamp01((facing + 0.08) / 1.08);
    Rgb colour = ground * (0.012 + 1.08 * std::pow(daylight, 0.85));

    const double water = Clamp01((ground.b - std::max(ground.r, ground.g)) * 5.0);
    const Vec3 halfway = Normalise(sun + Vec3{0.0, 0.0, 1.0});
    const double glint = std::pow(std::max(0.0, Dot(normal, halfway)), 90.0) * 0.3 * water;
    colour = colour + Rgb{1.0, 0.95, 0.85} * glint;

    const double rim = std::pow(1.0 - std::max(0.0, normal.z), 2.2);
    const double lit = Clamp01(facing + 0.35);
    return colour + Rgb{0.30, 0.55, 1.0} * (rim * lit * 0.65 * look.atmosphere);
}

// The thin glow outside the limb, brightest on the sunlit side.
Rgb Halo(double x, double y, double r, const GlobeLook& look) {
    const Vec3 sun = Normalise(look.towardSun);
    const double sideways = Clamp01((x * sun.x + y * sun.y) / r + 0.45);
    const double glow = std::exp(-(r - 1.0) * 30.0) * sideways * 0.55 * look.atmosphere;
    return Rgb{0.32, 0.58, 1.0} * glow;
}

// The saver's scene with its default view: sphere of radius 28.35 centred
// 192 units in front of the eye, backdrop square of side 67 through its
// centre, the light 1000 units behind the eye.
constexpr double kSceneDepth = 192.0;
constexpr double kSphereRadius = 28.35;
constexpr double kBackdropHalfSide = 33.5;

struct SceneCamera {
    double halfHeight;  // tangent of half the vertical field of view
    double aspect;
    double spinUnits;   // 0.08 degree each, for the sphere and the backdrop alike
};

// Fixed-function lighting with the saver's light and the default material:
// global ambient 0.04 + light ambient 0.2 + diffuse 0.8 x N.L.
Rgb SphereColour(Vec3 hit, const SceneCamera& camera, const Picture& map) {
    const Vec3 centre{0.0, 0.0, -kSceneDepth};
    const Vec3 lamp{0.0, 0.0, 1000.0};
    const Vec3 normal = (hit - centre) * (1.0 / kSphereRadius);
    const double diffuse = std::max(0.0, Dot(normal, Normalise(lamp - hit)));
    const Rgb ground = MapColourAt(map, TurnAboutY(normal, -(0.08 * camera.spinUnits + 120.0)));
    return ground * std::min(1.0, 0.24 + 0.8 * diffuse);
}

// The unlit backdrop where the ray meets its plane, black off the square.
Rgb BackdropColour(Vec3 ray, const SceneCamera& camera, const Picture& backdrop) {
    const Vec3 onPlane = ray * (-kSceneDepth / ray.z);
    const double a = 0.08 * camera.spinUnits * kPi / 180.0;
    const double qx = onPlane.x * std::cos(a) + onPlane.y * std::sin(a);
    const double qy = -onPlane.x * std::sin(a) + onPlane.y * std::cos(a);
    if (std::fabs(qx) > kBackdropHalfSide || std::fabs(qy) > kBackdropHalfSide) return {};
    const double s = (qx + kBackdropHalfSide) / (2.0 * kBackdropHalfSide);
    const double t = (qy + kBackdropHalfSide) / (2.0 * kBackdropHalfSide);
    return backdrop.SampleWrapped(s, 1.0 - t);  // texture rows run bottom up
}

// The front half of the sphere stands out of the backdrop plane; the back
// half is hidden behind it.
Rgb TraceScene(Vec3 ray, const SceneCamera& camera, const Picture& map, const Picture& backdrop) {
    const Vec3 centre{0.0, 0.0, -kSceneDepth};
    const double b = Dot(ray, centre);
    const double disc = b * b - (Dot(centre, centre) - kSphereRadius * kSphereRadius);
    if (disc >= 0.0) {
        const Vec3 hit = ray * (b - std::sqrt(disc));
        if (hit.z > -kSceneDepth) return SphereColour(hit, camera, map);
    }
    return BackdropColour(ray, camera, backdrop);
}

// One pixel's share of the planet: the disc's light (already weighted by
// coverage), the fraction of the pixel it covers, and the halo's added glow.
struct GlobePixel {
    Rgb disc;
    double covered = 0.0;
    Rgb halo;
};

// Samples a pixel whose top-left corner lies at (left, top) in units of the
// planet's radius, `step` radii wide, on a samples x samples grid.
GlobePixel SampleGlobePixel(const Picture& map, double left, double top, double step, const GlobeLook& look,
                            int samples) {
    GlobePixel pixel;
    const double share = 1.0 / (samples * samples);
    for (int j = 0; j < samples; ++j) {
        for (int i = 0; i < samples; ++i) {
            const double x = left + (i + 0.5) / samples * step;
            const double y = -(top + (j + 0.5) / samples * step);
            const double r2 = x * x + y * y;
            if (r2 <= 1.0) {
                pixel.disc = pixel.disc + ShadeSurface(map, {x, y, std::sqrt(1.0 - r2)}, look) * share;
                pixel.covered += share;
            } else {
                pixel.halo = pixel.halo + Halo(x, y, std::sqrt(r2), look) * share;
            }
        }
    }
    return pixel;
}

}  // namespace

void PaintGlobe(Picture& target, std::vector<double>* coverage, const Picture& map, double cx, double cy,
                double radius, const GlobeLook& look, int samples) {
    const double reach = radius * 1.15 + 2.0;
    const int x0 = std::max(0, static_cast<int>(cx - reach));
    const int x1 = std::min(target.Width() - 1, static_cast<int>(cx + reach));
    const int y0 = std::max(0, static_cast<int>(cy - reach));
    const int y1 = std::min(target.Height() - 1, static_cast<int>(cy + reach));
    for (int py = y0; py <= y1; ++py) {
        for (int px = x0; px <= x1; ++px) {
            const GlobePixel globe = SampleGlobePixel(map, (px - cx) / radius, (py - cy) / radius, 1.0 / radius, look,
                                                      samples);
            Rgb& pixel = target.At(px, py);
            pixel = pixel * (1.0 - globe.covered) + globe.disc + globe.halo;
            if (coverage) {
                const double glow = std::max(globe.halo.r, std::max(globe.halo.g, globe.halo.b));
                double& alpha = (*coverage)[static_cast<std::size_t>(py) * target.Width() + px];
                alpha = Clamp01(alpha + globe.covered + glow);
            }
        }
    }
}

Picture PaintScenePreview(int width, int height, const Picture& map, const Picture& backdrop, double spinUnits) {
    const SceneCamera camera{std::tan(10.0 * kPi / 180.0), static_cast<double>(width) / height, spinUnits};
    const int samples = 2;
    Picture frame(width, height);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            Rgb sum;
            for (int j = 0; j < samples; ++j) {
                for (int i = 0; i < samples; ++i) {
                    const double sx = (2.0 * (px + (i + 0.5) / samples) / width - 1.0) * camera.aspect;
                    const double sy = 1.0 - 2.0 * (py + (j + 0.5) / samples) / height;
                    const Vec3 ray = Normalise(Vec3{sx * camera.halfHeight, sy * camera.halfHeight, -1.0});
                    sum = sum + TraceScene(ray, camera, map, backdrop);
                }
            }
            frame.At(px, py) = sum * (1.0 / (samples * samples));
        }
    }
    return frame;
}

}  // namespace artwork
