#include "tools/artwork/starfield.h"

#include <cmath>
#include <vector>

#include "tools/artwork/noise.h"

namespace artwork {

namespace {

constexpr int kNebulaPeriod = 3;  // lattice cells across the square at the coarsest octave

std::uint64_t DeriveSeed(std::uint64_t seed, std::uint64_t salt) {
    SplitMix64 random(seed * 0x9E3779B1ull + salt);
    return random.Next();
}

struct NebulaNoises {
    explicit NebulaNoises(std::uint64_t seed)
        : warpU(DeriveSeed(seed, 1)), warpV(DeriveSeed(seed, 2)), blue(DeriveSeed(seed, 3)),
          magenta(DeriveSeed(seed, 4)), teal(DeriveSeed(seed, 5)), filaments(DeriveSeed(seed, 6)),
          dust(DeriveSeed(seed, 7)), patches(DeriveSeed(seed, 8)), haze(DeriveSeed(seed, 9)) {}

    GradientNoise warpU, warpV, blue, magenta, teal, filaments, dust, patches, haze;
};

// 0 at the border of the square, 1 a little way in.
double BorderFade(double u, double v) {
    const double nearest = std::min(std::min(u, 1.0 - u), std::min(v, 1.0 - v));
    return SmoothStep(0.0, 0.07, nearest);
}

// Glowing gas in three hues, with dark dust lanes across it. (u, v) in 0..1.
Rgb NebulaAt(const NebulaNoises& n, double u, double v) {
    const Vec3 base{u * kNebulaPeriod, v * kNebulaPeriod, 0.0};
    const Vec3 warp{PeriodicFbm(n.warpU, base, kNebulaPeriod, 5, 0.5),
                    PeriodicFbm(n.warpV, base, kNebulaPeriod, 5, 0.5), 0.0};
    const Vec3 p = base + warp * 1.4;

    const double patches = SmoothStep(-0.2, 0.25, PeriodicFbm(n.patches, base, kNebulaPeriod, 3, 0.5));
    const double blue = std::pow(SmoothStep(-0.12, 0.35, PeriodicFbm(n.blue, p, kNebulaPeriod, 7, 0.55)), 1.5);
    const double magenta = std::pow(SmoothStep(-0.02, 0.38, PeriodicFbm(n.magenta, p, kNebulaPeriod, 7, 0.55)), 1.5);
    const double teal = std::pow(SmoothStep(0.0, 0.4, PeriodicFbm(n.teal, p, kNebulaPeriod, 7, 0.55)), 1.5);
    const double filaments =
        std::pow(PeriodicRidgedFbm(n.filaments, p * 2.0, kNebulaPeriod * 2, 6, 0.5), 3.0);
    const double dust = SmoothStep(0.6, 0.92, PeriodicRidgedFbm(n.dust, p, kNebulaPeriod, 6, 0.5));

    Rgb glow = Rgb{0.12, 0.24, 0.75} * (blue * 0.5) + Rgb{0.70, 0.12, 0.60} * (magenta * 0.42) +
               Rgb{0.05, 0.55, 0.58} * (teal * 0.36);
    glow = glow * (0.5 + 1.1 * filaments);
    // Hot pink-white cores where the magenta gas is densest.
    glow = glow + Rgb{1.0, 0.55, 0.8} * (std::pow(magenta, 4.0) * 0.22 * filaments);
    // A faint blue haze ties the clumps together.
    const double haze = SmoothStep(-0.3, 0.35, PeriodicFbm(n.haze, p, kNebulaPeriod, 4, 0.5));
    glow = glow + Rgb{0.025, 0.04, 0.10} * haze;
    return glow * (patches * (1.0 - 0.75 * dust) * BorderFade(u, v));
}

struct Star {
    double x, y;      // pixel centre
    double flux;      // brightness of the core
    double sigma;     // core width in pixels
    Rgb colour;
    bool glows;       // bright enough to carry a halo
    bool spikes;      // among the very brightest: faint cross spikes
};

// Star colours from hot blue-white to cool red, with how common each is.
Rgb StarColour(SplitMix64& random) {
    struct Tint {
        double share;
        Rgb colour;
    };
    static const Tint tints[] = {{0.22, {0.74, 0.84, 1.00}}, {0.36, {1.00, 1.00, 1.00}},
                                 {0.20, {1.00, 0.95, 0.86}}, {0.13, {1.00, 0.87, 0.70}},
                                 {0.07, {1.00, 0.75, 0.55}}, {0.02, {1.00, 0.62, 0.50}}};
    double pick = random.Uniform();
    for (const Tint& tint : tints) {
        if (pick < tint.share) return tint.colour;
        pick -= tint.share;
    }
    return tints[1].colour;
}

std::vector<Star> ScatterStars(int size, std::uint64_t seed, const Picture& nebula) {
    SplitMix64 random(DeriveSeed(seed, 100));
    std::vector<Star> stars;
    const double area = static_cast<double>(size) * size;
    const int faint = static_cast<int>(area / 110.0), medium = static_cast<int>(area / 1400.0);
    const int bright = static_cast<int>(area / 30000.0), brilliant = 6;
    auto place = [&](double fluxLo, double fluxHi, double power, double sigmaLo, double sigmaHi, bool glows,
                     bool spikes) {
        // Haloed stars keep clear of the border, where the square would cut their glow.
        const double margin = glows ? 48.0 : 0.0;
        for (;;) {
            const double x = random.Uniform(margin, size - margin), y = random.Uniform(margin, size - margin);
            // Faint stars crowd where the gas glows, as in a galaxy's disc.
            const Rgb& gas = nebula.At(static_cast<int>(x), static_cast<int>(y));
            const double crowding = 0.45 + 3.0 * (gas.r + gas.g + gas.b);
            if (random.Uniform() * 1.6 > crowding) continue;
            const double flux = fluxLo + (fluxHi - fluxLo) * std::pow(random.Uniform(), power);
            stars.push_back({x, y, flux, random.Uniform(sigmaLo, sigmaHi), StarColour(random), glows, spikes});
            return;
        }
    };
    for (int i = 0; i < faint; ++i) place(0.05, 0.55, 2.5, 0.42, 0.55, false, false);
    for (int i = 0; i < medium; ++i) place(0.5, 1.3, 2.0, 0.55, 0.8, false, false);
    for (int i = 0; i < bright; ++i) place(1.3, 3.0, 1.5, 0.75, 1.0, true, false);
    for (int i = 0; i < brilliant; ++i) place(3.0, 5.0, 1.0, 0.95, 1.15, true, true);
    return stars;
}

// Light a star adds at offset (dx, dy) from its centre.
double StarProfile(const Star& star, double dx, double dy) {
    const double r2 = dx * dx + dy * dy;
    double light = star.flux * std::exp(-r2 / (2.0 * star.sigma * star.sigma));
    if (star.glows) {
        const double r = std::sqrt(r2);
        light += star.flux * (0.09 * std::exp(-r / 2.5) + 0.025 * std::exp(-r / 9.0));
    }
    if (star.spikes) {
        const double along = std::fabs(dx) + std::fabs(dy);
        const double across = std::min(std::fabs(dx), std::fabs(dy));
        light += star.flux * 0.12 * std::exp(-along / 9.0) * std::exp(-across * across / 0.35);
    }
    return light;
}

void DrawStar(Picture& light, const Star& star) {
    const int size = light.Width();
    const int reach = star.spikes ? 40 : star.glows ? 24 : static_cast<int>(std::ceil(star.sigma * 3.5));
    const int cx = static_cast<int>(std::floor(star.x)), cy = static_cast<int>(std::floor(star.y));
    for (int y = cy - reach; y <= cy + reach; ++y) {
        for (int x = cx - reach; x <= cx + reach; ++x) {
            const double amount = StarProfile(star, x + 0.5 - star.x, y + 0.5 - star.y);
            // Wrap round the edges, so the field still tiles.
            Rgb& pixel = light.At(((x % size) + size) % size, ((y % size) + size) % size);
            pixel = pixel + star.colour * amount;
        }
    }
}

// Box blur along rows (or columns), wrapping round so the field still tiles.
void BoxBlurWrapped(Picture& picture, int radius, bool alongRows) {
    const int size = picture.Width();
    std::vector<Rgb> line(static_cast<std::size_t>(size));
    const double share = 1.0 / (2 * radius + 1);
    for (int a = 0; a < size; ++a) {
        auto at = [&](int b) -> Rgb& {
            const int w = ((b % size) + size) % size;
            return alongRows ? picture.At(w, a) : picture.At(a, w);
        };
        Rgb sum;
        for (int b = -radius; b <= radius; ++b) sum = sum + at(b);
        for (int b = 0; b < size; ++b) {
            line[static_cast<std::size_t>(b)] = sum * share;
            sum = sum + at(b + radius + 1) - at(b - radius);
        }
        for (int b = 0; b < size; ++b) at(b) = line[static_cast<std::size_t>(b)];
    }
}

// A wide soft copy of the gas added back, so it glows rather than lies flat.
void Bloom(Picture& nebula) {
    Picture soft = nebula;
    for (int pass = 0; pass < 3; ++pass) {
        BoxBlurWrapped(soft, 10, true);
        BoxBlurWrapped(soft, 10, false);
    }
    for (int y = 0; y < nebula.Height(); ++y) {
        for (int x = 0; x < nebula.Width(); ++x) nebula.At(x, y) = nebula.At(x, y) * 0.75 + soft.At(x, y) * 0.6;
    }
}

// Keeps highlights from clipping into flat discs: linear up to the knee,
// then an exponential shoulder up to 1.
double Shoulder(double v) {
    const double knee = 0.75;
    if (v <= knee) return v;
    return knee + (1.0 - knee) * (1.0 - std::exp(-(v - knee) / (1.0 - knee)));
}

}  // namespace

Picture PaintStarfield(int size, std::uint64_t seed) {
    const NebulaNoises noises(seed);
    Picture field(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            field.At(x, y) = NebulaAt(noises, (x + 0.5) / size, (y + 0.5) / size);
        }
    }
    Bloom(field);
    Picture light(size, size);
    for (const Star& star : ScatterStars(size, seed, field)) DrawStar(light, star);

    const Rgb deepSpace{0.006, 0.008, 0.018};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double fade = BorderFade((x + 0.5) / size, (y + 0.5) / size);
            const Rgb c = deepSpace * fade + field.At(x, y) + light.At(x, y);
            field.At(x, y) = {Shoulder(c.r), Shoulder(c.g), Shoulder(c.b)};
        }
    }
    return field;
}

}  // namespace artwork
