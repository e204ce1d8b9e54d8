#include "tools/artwork/world_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "tools/artwork/noise.h"

namespace artwork {

namespace {

constexpr double kOceanShare = 0.64;  // of the surface area

std::uint64_t DeriveSeed(std::uint64_t seed, std::uint64_t salt) {
    SplitMix64 random(seed * 0x1000193ull + salt);
    return random.Next();
}

// One independent noise per feature, so tuning one does not reshuffle others.
struct WorldNoises {
    explicit WorldNoises(std::uint64_t seed)
        : warpX(DeriveSeed(seed, 1)), warpY(DeriveSeed(seed, 2)), warpZ(DeriveSeed(seed, 3)),
          continent(DeriveSeed(seed, 4)), detail(DeriveSeed(seed, 5)), ridges(DeriveSeed(seed, 6)),
          belts(DeriveSeed(seed, 7)), moisture(DeriveSeed(seed, 8)), climate(DeriveSeed(seed, 9)),
          ice(DeriveSeed(seed, 10)), cloudWarpX(DeriveSeed(seed, 11)), cloudWarpY(DeriveSeed(seed, 12)),
          cloudWarpZ(DeriveSeed(seed, 13)), cloud(DeriveSeed(seed, 14)), wisp(DeriveSeed(seed, 15)),
          grain(DeriveSeed(seed, 16)), tint(DeriveSeed(seed, 17)), shelf(DeriveSeed(seed, 18)) {}

    GradientNoise warpX, warpY, warpZ, continent, detail, ridges, belts, moisture, climate, ice;
    GradientNoise cloudWarpX, cloudWarpY, cloudWarpZ, cloud, wisp, grain, tint, shelf;
};

// A value per map pixel.
class Field {
public:
    Field(int width, int height) : width_(width), height_(height), values_(static_cast<std::size_t>(width) * height) {}

    double& At(int x, int y) { return values_[static_cast<std::size_t>(y) * width_ + x]; }
    double At(int x, int y) const { return values_[static_cast<std::size_t>(y) * width_ + x]; }
    // Neighbour lookup that wraps round in longitude and holds at the poles.
    double Around(int x, int y) const {
        return At(((x % width_) + width_) % width_, std::min(height_ - 1, std::max(0, y)));
    }
    const std::vector<double>& Values() const { return values_; }

private:
    int width_;
    int height_;
    std::vector<double> values_;
};

Vec3 Warp(const GradientNoise& nx, const GradientNoise& ny, const GradientNoise& nz, Vec3 p, double scale,
          double strength) {
    const FractalShape shape{4, 2.0, 0.5};
    const Vec3 s = p * scale;
    return p + Vec3{Fbm(nx, s, shape), Fbm(ny, s, shape), Fbm(nz, s, shape)} * strength;
}

double LatitudeOf(int y, int height) { return kPi * (0.5 - (y + 0.5) / height); }

// The elevation at which the ocean surface lies, chosen so that oceans take a
// fixed share of the sphere's area (rows are weighted by their true width).
double SeaLevel(const Field& elevation, int width, int height) {
    std::vector<std::pair<double, double>> samples;
    samples.reserve(static_cast<std::size_t>(width) * height);
    double total = 0.0;
    for (int y = 0; y < height; ++y) {
        const double weight = std::cos(LatitudeOf(y, height));
        for (int x = 0; x < width; ++x) samples.emplace_back(elevation.At(x, y), weight);
        total += weight * width;
    }
    std::sort(samples.begin(), samples.end());
    double covered = 0.0;
    for (const auto& sample : samples) {
        covered += sample.second;
        if (covered >= kOceanShare * total) return sample.first;
    }
    return samples.back().first;
}

double Quantile(std::vector<double> values, double share) {
    const std::size_t index = static_cast<std::size_t>(share * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index), values.end());
    return values[index];
}

// Piecewise-linear profile over the absolute latitude in degrees.
double Profile(const std::vector<std::pair<double, double>>& points, double degrees) {
    if (degrees <= points.front().first) return points.front().second;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (degrees <= points[i].first) {
            const double t = (degrees - points[i - 1].first) / (points[i].first - points[i - 1].first);
            return Mix(points[i - 1].second, points[i].second, t);
        }
    }
    return points.back().second;
}

// Wet equator, dry subtropics, wet storm belts, dry poles.
double RainfallByLatitude(double degrees) {
    static const std::vector<std::pair<double, double>> profile = {
        {0, 1.0}, {10, 0.9}, {20, 0.42}, {30, 0.36}, {45, 0.72}, {58, 0.75}, {75, 0.5}, {90, 0.3}};
    return Profile(profile, degrees);
}

// Cloud bands: the equatorial band, clear subtropics, busy mid-latitudes.
double CloudinessByLatitude(double degrees) {
    static const std::vector<std::pair<double, double>> profile = {
        {0, 0.10}, {7, 0.08}, {18, -0.10}, {28, -0.12}, {45, 0.06}, {60, 0.10}, {75, 0.0}, {90, -0.05}};
    return Profile(profile, degrees);
}

// Land colours by temperature (rows, cold to hot) and moisture (columns, dry
// to wet): tundra, boreal, temperate and tropical belts.
Rgb BiomeColour(double temperature, double moisture) {
    static const std::array<std::array<std::uint32_t, 4>, 4> table = {{
        {0x8A8676, 0x7B7963, 0x676B54, 0x5D654F},
        {0x978B6A, 0x7C7B52, 0x4A5A37, 0x3B5031},
        {0xB49C6C, 0x8E964F, 0x527333, 0x3D6229},
        {0xDDC08C, 0xBBA15F, 0x748C38, 0x2F5B22},
    }};
    const double tt = Clamp01((temperature - 0.12) / 0.78) * 3.0;
    const double tm = Clamp01(moisture) * 3.0;
    const int r0 = std::min(2, static_cast<int>(tt)), c0 = std::min(2, static_cast<int>(tm));
    const double fr = tt - r0, fc = tm - c0;
    const Rgb top = Mix(Hex(table[r0][c0]), Hex(table[r0][c0 + 1]), fc);
    const Rgb bottom = Mix(Hex(table[r0 + 1][c0]), Hex(table[r0 + 1][c0 + 1]), fc);
    return Mix(top, bottom, fr);
}

// Ocean by depth (0 at the coast, 1 in the deepest trench): bright shelves,
// then a quick fall to the dark open ocean.
Rgb OceanColour(const WorldNoises& n, Vec3 p, double depth, double absLatitude) {
    // Shelves are broad off some coasts and narrow off others.
    const double shelfScale = 0.5 + 1.2 * SmoothStep(-0.25, 0.25, Fbm(n.shelf, p * 3.0, {4, 2.0, 0.5}));
    const double d = Clamp01(depth * shelfScale + 0.015 * Fbm(n.grain, p * 6.0, {4, 2.0, 0.5}));
    Rgb c = Mix(Hex(0x46A8B5), Hex(0x2878A2), SmoothStep(0.0, 0.03, d));
    c = Mix(c, Hex(0x17498A), SmoothStep(0.025, 0.08, d));
    c = Mix(c, Hex(0x0E316E), SmoothStep(0.07, 0.18, d));
    c = Mix(c, Hex(0x0B2660), SmoothStep(0.18, 0.6, d));
    // Cold seas are greyer and darker than tropical ones.
    const double cold = SmoothStep(40.0, 75.0, absLatitude);
    return Mix(c, c * Rgb{0.85, 0.92, 0.95}, cold);
}

// Relief shading of the land: light from the north-west, relief exaggerated
// so that mountain ranges read from orbit.
double HillShade(const Field& altitude, int x, int y, int width, int height) {
    const double latitude = LatitudeOf(y, height);
    const double step = 2.0 * kPi / width;
    const double east = (std::max(0.0, altitude.Around(x + 1, y)) - std::max(0.0, altitude.Around(x - 1, y))) /
                        (2.0 * step * std::max(0.05, std::cos(latitude)));
    const double north = (std::max(0.0, altitude.Around(x, y - 1)) - std::max(0.0, altitude.Around(x, y + 1))) /
                         (2.0 * kPi / height * 2.0);
    const double relief = 0.028;
    const Vec3 normal = Normalise(Vec3{-east * relief, -north * relief, 1.0});
    const Vec3 light = Normalise(Vec3{-0.6, 0.6, 0.75});
    return Dot(normal, light) / light.z;
}

// A cyclone: the cloud field is wound into a spiral round its centre.
struct Storm {
    Vec3 centre;
    double radius;  // radians
    double twist;   // radians at the centre, signed by hemisphere
};

std::vector<Storm> PlaceStorms(std::uint64_t seed) {
    SplitMix64 random(DeriveSeed(seed, 99));
    std::vector<Storm> storms;
    const double latitudes[] = {38.0, -47.0, 55.0, -28.0};
    for (double latitudeDeg : latitudes) {
        const double u = random.Uniform();
        const double v = 0.5 - (latitudeDeg + random.Uniform(-4.0, 4.0)) / 180.0;
        const double radius = random.Uniform(0.13, 0.2);
        const double twist = (latitudeDeg > 0 ? 1.0 : -1.0) * random.Uniform(3.0, 4.2);
        storms.push_back({SpherePoint(u, v), radius, twist});
    }
    return storms;
}

Vec3 RotateAbout(Vec3 p, Vec3 axis, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const Vec3 cross{axis.y * p.z - axis.z * p.y, axis.z * p.x - axis.x * p.z, axis.x * p.y - axis.y * p.x};
    return p * c + cross * s + axis * (Dot(axis, p) * (1.0 - c));
}

// Turns the cloud coordinates `p` round the storm centres near it and returns
// the extra cloud the storms carry (less in the eye).
double SwirlStorms(const std::vector<Storm>& storms, Vec3& p) {
    double extra = 0.0;
    for (const Storm& storm : storms) {
        const double distance = std::acos(std::min(1.0, std::max(-1.0, Dot(p, storm.centre)))) / storm.radius;
        if (distance >= 1.6) continue;
        const double falloff = std::exp(-distance * distance * 2.2);
        p = RotateAbout(p, storm.centre, storm.twist * falloff);
        const double eye = std::exp(-distance * distance * 1500.0);
        extra += 0.12 * std::exp(-distance * distance * 3.0) - 0.4 * eye;
    }
    return extra;
}

// Thin cloud: a warped fractal stretched east-west into bands, broken up by
// fine texture, with high streaks on top. Returns the cloud's opacity.
double CloudCover(const WorldNoises& n, const std::vector<Storm>& storms, Vec3 p, double absLatitude) {
    const double storm = SwirlStorms(storms, p);
    const Vec3 q = Warp(n.cloudWarpX, n.cloudWarpY, n.cloudWarpZ, p, 2.0, 0.22);
    const Vec3 stretched{q.x * 2.4, q.y * 4.8, q.z * 2.4};
    const double body = Fbm(n.cloud, stretched, {6, 2.0, 0.5});
    const double density = body + CloudinessByLatitude(absLatitude) + storm;
    const double mass = SmoothStep(0.0, 0.34, density);
    // Fine texture eats into the mass, so that the surface shows through and
    // cloud fields break up into flecks and cells rather than smooth smoke.
    const Vec3 fine{q.x * 13.0, q.y * 19.0, q.z * 13.0};
    const double texture = Clamp01(0.5 + 2.6 * Fbm(n.wisp, fine, {4, 2.0, 0.6}));
    const double cover = Clamp01(mass * 1.35 - (1.0 - texture) * 0.75);
    // High, thin streaks drawn out along the winds.
    const Vec3 streaked{q.x * 6.0, q.y * 26.0, q.z * 6.0};
    const double streaks = std::pow(RidgedFbm(n.wisp, streaked, {4, 2.0, 0.5}), 4.0) * 0.4 *
                           SmoothStep(-0.1, 0.1, density);
    return Clamp01(cover * 0.82 + streaks);
}

struct Relief {
    Field altitude;    // land above the sea in 0..~1.2; ocean as minus its depth in 0..1
    Field interior;    // 0 at the coasts, 1 deep inside the large continents
    std::vector<Vec3> warped;
};

Relief ShapeRelief(const WorldNoises& n, int width, int height) {
    Field elevation(width, height), broad(width, height);
    std::vector<Vec3> warped(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Vec3 p = SpherePoint((x + 0.5) / width, (y + 0.5) / height);
            const Vec3 q = Warp(n.warpX, n.warpY, n.warpZ, p, 1.5, 0.55);
            warped[static_cast<std::size_t>(y) * width + x] = q;
            const double continent = Fbm(n.continent, q * 1.05, {5, 2.0, 0.5});
            broad.At(x, y) = continent;
            elevation.At(x, y) = continent + 0.36 * Fbm(n.detail, q * 3.3, {9, 2.0, 0.52});
        }
    }
    const double sea = SeaLevel(elevation, width, height);
    const double peak = Quantile(elevation.Values(), 0.998) - sea;
    const double trench = sea - Quantile(elevation.Values(), 0.002);

    Relief relief{Field(width, height), Field(width, height), std::move(warped)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double h = elevation.At(x, y) - sea;
            relief.interior.At(x, y) = SmoothStep(0.0, 0.4, (broad.At(x, y) - sea) / peak);
            if (h <= 0.0) {
                relief.altitude.At(x, y) = -Clamp01(-h / trench);
                continue;
            }
            const Vec3 p = SpherePoint((x + 0.5) / width, (y + 0.5) / height);
            const Vec3 q = relief.warped[static_cast<std::size_t>(y) * width + x];
            const double land = h / peak;
            const double belt = SmoothStep(-0.05, 0.3, Fbm(n.belts, q * 1.6, {3, 2.0, 0.5}));
            // Ranges follow a gentler warp than the coasts, so they do not smear into streaks.
            const double crest = RidgedFbm(n.ridges, (p + q) * 1.4, {7, 2.0, 0.5});
            const double mountain = belt * std::pow(crest, 2.2) * 1.1 * SmoothStep(0.0, 0.15, land);
            relief.altitude.At(x, y) = land * 0.55 + mountain;
        }
    }
    return relief;
}

Rgb LandColour(const WorldNoises& n, Vec3 p, Vec3 q, double altitude, double interior, double absLatitude) {
    const double latitude = absLatitude * kPi / 180.0;
    const double temperature =
        std::pow(std::cos(latitude), 1.25) - 0.55 * altitude + 0.08 * Fbm(n.climate, p * 2.5, {4, 2.0, 0.5});
    const double moisture = RainfallByLatitude(absLatitude) + 0.38 * Fbm(n.moisture, q * 2.1, {5, 2.0, 0.55}) -
                            0.35 * interior + 0.15;
    Rgb c = BiomeColour(temperature, moisture);

    // Hot deserts range from pale sand to rust-red stone.
    const double desert = SmoothStep(0.35, 0.1, moisture) * SmoothStep(0.55, 0.8, temperature);
    const double rust = SmoothStep(-0.1, 0.3, Fbm(n.tint, p * 5.0, {4, 2.0, 0.5}));
    c = Mix(c, Mix(c, Hex(0xC27F4C), rust * 0.75), desert);

    // Bare rock above the tree line, snow above the snow line.
    const double rock = SmoothStep(0.32, 0.62, altitude);
    c = Mix(c, Mix(Hex(0x74675A), Hex(0x8F8A86), SmoothStep(0.55, 0.85, altitude)), rock);
    const double snowLine = 0.45 + 0.55 * std::cos(latitude);
    const double snow = SmoothStep(snowLine, snowLine + 0.1, altitude + 0.06 * Fbm(n.grain, p * 30.0, {3, 2.0, 0.5}));
    c = Mix(c, Hex(0xF1F3F6), snow);

    // Fine mottling, so that plains are not flat paint.
    return c * (1.0 + 0.09 * Fbm(n.grain, p * 48.0, {4, 2.0, 0.5}));
}

// Polar ice: sea ice breaking into floes at its edge, ice sheets over land.
double IceCover(const WorldNoises& n, Vec3 p, double altitude, double absLatitude) {
    const double edge = absLatitude + 7.0 * Fbm(n.ice, p * 3.0, {5, 2.0, 0.5}) +
                        2.5 * Fbm(n.ice, p * 19.0, {3, 2.0, 0.5});
    if (altitude < 0.0) return SmoothStep(76.0, 78.0, edge);
    return SmoothStep(63.0, 68.0, edge + 18.0 * altitude);
}

Rgb IceColour(const WorldNoises& n, Vec3 p) {
    return Mix(Hex(0xD7E2EC), Hex(0xF6F9FB), SmoothStep(-0.4, 0.4, Fbm(n.grain, p * 12.0, {4, 2.0, 0.5})));
}

}  // namespace

Picture PaintWorldMap(int width, int height, std::uint64_t seed) {
    const WorldNoises n(seed);
    const Relief relief = ShapeRelief(n, width, height);
    const std::vector<Storm> storms = PlaceStorms(seed);
    Picture map(width, height);
    for (int y = 0; y < height; ++y) {
        const double absLatitude = std::fabs(LatitudeOf(y, height)) * 180.0 / kPi;
        for (int x = 0; x < width; ++x) {
            const Vec3 p = SpherePoint((x + 0.5) / width, (y + 0.5) / height);
            const Vec3 q = relief.warped[static_cast<std::size_t>(y) * width + x];
            const double altitude = relief.altitude.At(x, y);
            const double shade = HillShade(relief.altitude, x, y, width, height);
            Rgb surface;
            if (altitude < 0.0) {
                surface = OceanColour(n, p, -altitude, absLatitude);
            } else {
                surface = LandColour(n, p, q, altitude, relief.interior.At(x, y), absLatitude) *
                          std::min(1.35, std::max(0.45, shade));
            }
            const double ice = IceCover(n, p, altitude, absLatitude);
            const double iceShade = altitude < 0.0 ? 1.0 : std::min(1.1, std::max(0.8, Mix(1.0, shade, 0.4)));
            surface = Mix(surface, IceColour(n, p) * iceShade, ice);
            const double cloud = CloudCover(n, storms, p, absLatitude);
            map.At(x, y) = Mix(surface, Rgb{0.97, 0.98, 1.0}, cloud);
        }
    }
    return map;
}

}  // namespace artwork
