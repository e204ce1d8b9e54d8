// In-memory pictures of the artwork generator and their conversion to bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/artwork/maths.h"

namespace artwork {

// A picture of floating-point colours, top row first.
class Picture {
public:
    Picture(int width, int height, Rgb fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb& At(int x, int y) { return pixels_[Index(x, y)]; }
    const Rgb& At(int x, int y) const { return pixels_[Index(x, y)]; }

    // Bilinear sample at texture coordinates (0..1 across the picture), with
    // u wrapping round and v held at the edges, as a globe map is sampled.
    Rgb SampleWrapped(double u, double v) const;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// A picture with coverage, for sprites with soft edges (the icon).
struct RgbaPicture {
    RgbaPicture(int width, int height) : colour(width, height), alpha(static_cast<std::size_t>(width) * height, 0.0) {}

    Picture colour;
    std::vector<double> alpha;  // row-major, top row first, 0..1
};

// 8-bit RGB bytes, top row first, with a tiny fixed dither so that smooth
// gradients (nebula, ocean depth) do not band.
std::vector<std::uint8_t> QuantiseRgb(const Picture& picture);

// Quantises one channel value with the same dither as QuantiseRgb.
std::uint8_t QuantiseChannel(double value, int x, int y, int channel);

}  // namespace artwork
