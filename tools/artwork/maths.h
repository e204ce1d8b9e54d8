// Small vector and colour helpers shared by the artwork generators.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace artwork {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalise(Vec3 a) { return a * (1.0 / Length(a)); }

// Colours are display values (0..1 before quantising); arithmetic on them is
// the painter's kind, not physically linear light.
struct Rgb {
    double r = 0.0, g = 0.0, b = 0.0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

inline double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline Rgb Mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

inline double SmoothStep(double edge0, double edge1, double v) {
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

// Colour from 0xRRGGBB, for readable palettes.
inline Rgb Hex(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// Fixed-seed generator for every random choice the artwork makes, so that
// each run produces the same bytes (no clock, no random device).
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

private:
    std::uint64_t state_;
};

// The point on the unit sphere for equirectangular texture coordinates:
// u runs west to east round the equator, v from the north pole (0) to the
// south pole (1).
inline Vec3 SpherePoint(double u, double v) {
    const double longitude = 2.0 * kPi * u;
    const double latitude = kPi * (0.5 - v);
    return {std::cos(latitude) * std::sin(longitude), std::sin(latitude),
            std::cos(latitude) * std::cos(longitude)};
}

}  // namespace artwork
