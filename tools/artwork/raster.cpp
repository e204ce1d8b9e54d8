#include "tools/artwork/raster.h"

#include <cmath>

namespace artwork {

Picture::Picture(int width, int height, Rgb fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

Rgb Picture::SampleWrapped(double u, double v) const {
    const double fx = u * width_ - 0.5;
    const double fy = Clamp01(v) * height_ - 0.5;
    const double flx = std::floor(fx), fly = std::floor(fy);
    const double tx = fx - flx, ty = fy - fly;
    auto wrapX = [this](long x) { return static_cast<int>(((x % width_) + width_) % width_); };
    auto clampY = [this](long y) { return static_cast<int>(std::min<long>(height_ - 1, std::max<long>(0, y))); };
    const int x0 = wrapX(static_cast<long>(flx)), x1 = wrapX(static_cast<long>(flx) + 1);
    const int y0 = clampY(static_cast<long>(fly)), y1 = clampY(static_cast<long>(fly) + 1);
    return Mix(Mix(At(x0, y0), At(x1, y0), tx), Mix(At(x0, y1), At(x1, y1), tx), ty);
}

std::uint8_t QuantiseChannel(double value, int x, int y, int channel) {
    // Integer hash of the position: a fixed, seedless dither pattern.
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^
                      static_cast<std::uint32_t>(channel) * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    const double dither = (h & 0xFFFF) / 65536.0 - 0.5;
    const double scaled = std::floor(Clamp01(value) * 255.0 + 0.5 + dither * 0.9);
    return static_cast<std::uint8_t>(std::min(255.0, std::max(0.0, scaled)));
}

std::vector<std::uint8_t> QuantiseRgb(const Picture& picture) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(picture.Width()) * picture.Height() * 3);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const Rgb& c = picture.At(x, y);
            bytes.push_back(QuantiseChannel(c.r, x, y, 0));
            bytes.push_back(QuantiseChannel(c.g, x, y, 1));
            bytes.push_back(QuantiseChannel(c.b, x, y, 2));
        }
    }
    return bytes;
}

}  // namespace artwork
