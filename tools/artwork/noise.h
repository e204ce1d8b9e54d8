// Seeded 3D gradient noise and its fractal sums, the raw material of every
// picture the artwork generator paints.
#pragma once

#include <array>
#include <cstdint>

#include "tools/artwork/maths.h"

namespace artwork {

// Lattice gradient noise in about [-1, 1]. The lattice can repeat along x and
// y with given periods (in lattice cells), which makes flat pictures tile.
class GradientNoise {
public:
    explicit GradientNoise(std::uint64_t seed);

    double At(Vec3 p) const;
    double AtPeriodic(Vec3 p, int periodX, int periodY) const;

private:
    int Hash(int ix, int iy, int iz) const;
    double Corner(int ix, int iy, int iz, double fx, double fy, double fz) const;
    double Sample(Vec3 p, int periodX, int periodY) const;

    std::array<std::uint8_t, 256> permutation_{};
};

struct FractalShape {
    int octaves = 6;
    double lacunarity = 2.0;  // frequency step between octaves
    double gain = 0.5;        // amplitude step between octaves
};

// Fractal sum normalised to about [-1, 1]. Each octave is turned by a fixed
// rotation so that lattice directions do not line up between octaves.
double Fbm(const GradientNoise& noise, Vec3 p, const FractalShape& shape);

// Sum of inverted absolute octaves in [0, 1]: sharp crests, as mountain
// ranges and nebula filaments have.
double RidgedFbm(const GradientNoise& noise, Vec3 p, const FractalShape& shape);

// Fractal sum over a lattice repeating every `period` cells in x and y at the
// first octave (the period doubles with the frequency, so lacunarity is 2).
double PeriodicFbm(const GradientNoise& noise, Vec3 p, int period, int octaves, double gain);

// The ridged sum over the same repeating lattice, in [0, 1].
double PeriodicRidgedFbm(const GradientNoise& noise, Vec3 p, int period, int octaves, double gain);

}  // namespace artwork
