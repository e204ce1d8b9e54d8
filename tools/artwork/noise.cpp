#include "tools/artwork/noise.h"

#include <cmath>
#include <utility>

namespace artwork {

namespace {

// Twelve cube-edge directions plus four repeats, so a 4-bit hash picks one.
constexpr int kGradients[16][3] = {
    {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};

double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

int Wrap(int value, int period) {
    const int r = value % period;
    return r < 0 ? r + period : r;
}

// An irrational-looking turn applied between octaves.
Vec3 RotateOctave(Vec3 p) {
    return {0.00 * p.x + 0.80 * p.y + 0.60 * p.z,
            -0.80 * p.x + 0.36 * p.y - 0.48 * p.z,
            -0.60 * p.x - 0.48 * p.y + 0.64 * p.z};
}

}  // namespace

GradientNoise::GradientNoise(std::uint64_t seed) {
    for (int i = 0; i < 256; ++i) permutation_[i] = static_cast<std::uint8_t>(i);
    SplitMix64 random(seed);
    for (int i = 255; i > 0; --i) {
        const int j = static_cast<int>(random.Next() % static_cast<std::uint64_t>(i + 1));
        std::swap(permutation_[i], permutation_[j]);
    }
}

int GradientNoise::Hash(int ix, int iy, int iz) const {
    int h = permutation_[ix & 255];
    h = permutation_[(h + iy) & 255];
    return permutation_[(h + iz) & 255];
}

double GradientNoise::Corner(int ix, int iy, int iz, double fx, double fy, double fz) const {
    const int* g = kGradients[Hash(ix, iy, iz) & 15];
    return g[0] * fx + g[1] * fy + g[2] * fz;
}

double GradientNoise::Sample(Vec3 p, int periodX, int periodY) const {
    const double flx = std::floor(p.x), fly = std::floor(p.y), flz = std::floor(p.z);
    const int x0 = static_cast<int>(flx), y0 = static_cast<int>(fly), z0 = static_cast<int>(flz);
    const double fx = p.x - flx, fy = p.y - fly, fz = p.z - flz;
    const int xa = Wrap(x0, periodX), xb = Wrap(x0 + 1, periodX);
    const int ya = Wrap(y0, periodY), yb = Wrap(y0 + 1, periodY);
    const double u = Fade(fx), v = Fade(fy), w = Fade(fz);

    const double c000 = Corner(xa, ya, z0, fx, fy, fz);
    const double c100 = Corner(xb, ya, z0, fx - 1, fy, fz);
    const double c010 = Corner(xa, yb, z0, fx, fy - 1, fz);
    const double c110 = Corner(xb, yb, z0, fx - 1, fy - 1, fz);
    const double c001 = Corner(xa, ya, z0 + 1, fx, fy, fz - 1);
    const double c101 = Corner(xb, ya, z0 + 1, fx - 1, fy, fz - 1);
    const double c011 = Corner(xa, yb, z0 + 1, fx, fy - 1, fz - 1);
    const double c111 = Corner(xb, yb, z0 + 1, fx - 1, fy - 1, fz - 1);

    const double x00 = Mix(c000, c100, u), x10 = Mix(c010, c110, u);
    const double x01 = Mix(c001, c101, u), x11 = Mix(c011, c111, u);
    return Mix(Mix(x00, x10, v), Mix(x01, x11, v), w);
}

double GradientNoise::At(Vec3 p) const { return Sample(p, 256, 256); }

double GradientNoise::AtPeriodic(Vec3 p, int periodX, int periodY) const {
    return Sample(p, periodX, periodY);
}

double Fbm(const GradientNoise& noise, Vec3 p, const FractalShape& shape) {
    double sum = 0.0, amplitude = 1.0, total = 0.0;
    for (int octave = 0; octave < shape.octaves; ++octave) {
        sum += amplitude * noise.At(p);
        total += amplitude;
        amplitude *= shape.gain;
        p = RotateOctave(p) * shape.lacunarity;
    }
    return sum / total;
}

double RidgedFbm(const GradientNoise& noise, Vec3 p, const FractalShape& shape) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, weight = 1.0;
    for (int octave = 0; octave < shape.octaves; ++octave) {
        double crest = 1.0 - std::fabs(noise.At(p));
        crest *= crest;
        // Finer crests grow only on top of coarser ones, as erosion leaves them.
        sum += amplitude * crest * weight;
        total += amplitude;
        weight = Clamp01(crest * 1.5);
        amplitude *= shape.gain;
        p = RotateOctave(p) * shape.lacunarity;
    }
    return sum / total;
}

namespace {

// Steps p to the next octave of a repeating lattice: double the frequency and
// the period together; a z shift stands in for the rotation, which would
// break the period.
void NextPeriodicOctave(Vec3& p, int& period) {
    p = p * 2.0;
    period *= 2;
    p.z += 17.31;
}

}  // namespace

double PeriodicFbm(const GradientNoise& noise, Vec3 p, int period, int octaves, double gain) {
    double sum = 0.0, amplitude = 1.0, total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * noise.AtPeriodic(p, period, period);
        total += amplitude;
        amplitude *= gain;
        NextPeriodicOctave(p, period);
    }
    return sum / total;
}

double PeriodicRidgedFbm(const GradientNoise& noise, Vec3 p, int period, int octaves, double gain) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, weight = 1.0;
    for (int octave = 0; octave < octaves; ++octave) {
        double crest = 1.0 - std::fabs(noise.AtPeriodic(p, period, period));
        crest *= crest;
        sum += amplitude * crest * weight;
        total += amplitude;
        weight = Clamp01(crest * 1.5);
        amplitude *= gain;
        NextPeriodicOctave(p, period);
    }
    return sum / total;
}

}  // namespace artwork
