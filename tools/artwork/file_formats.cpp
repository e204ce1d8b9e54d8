#include "tools/artwork/file_formats.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <memory>

namespace artwork {

namespace {

using Bytes = std::vector<unsigned char>;

void PutLe16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void PutLe32(Bytes& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

void PutBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
    return std::fclose(file.release()) == 0;
}

std::uint8_t AlphaByte(const RgbaPicture& picture, int x, int y) {
    const double a = picture.alpha[static_cast<std::size_t>(y) * picture.colour.Width() + x];
    return QuantiseChannel(a, x, y, 3);
}

// BITMAPINFOHEADER followed by bottom-up BGRA rows and the AND mask, the
// layout of a bitmap entry inside an icon file.
Bytes IconBitmapEntry(const RgbaPicture& picture) {
    const int w = picture.colour.Width(), h = picture.colour.Height();
    const std::uint32_t maskStride = static_cast<std::uint32_t>((w + 31) / 32 * 4);
    const std::uint32_t colourBytes = static_cast<std::uint32_t>(w * h * 4);
    Bytes out;
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(w));
    PutLe32(out, static_cast<std::uint32_t>(h * 2));  // colour rows plus mask rows
    PutLe16(out, 1);
    PutLe16(out, 32);
    PutLe32(out, 0);  // BI_RGB
    PutLe32(out, colourBytes + maskStride * static_cast<std::uint32_t>(h));
    PutLe32(out, 0);
    PutLe32(out, 0);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgb& c = picture.colour.At(x, y);
            out.push_back(QuantiseChannel(c.b, x, y, 2));
            out.push_back(QuantiseChannel(c.g, x, y, 1));
            out.push_back(QuantiseChannel(c.r, x, y, 0));
            out.push_back(AlphaByte(picture, x, y));
        }
    }
    // The mask marks fully transparent pixels for renderers that ignore alpha.
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < w; ++x) {
            if (AlphaByte(picture, x, y) == 0) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

void PutPngChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
    PutBe32(out, static_cast<std::uint32_t>(crc));
}

// The bytes of an RGBA PNG: the form of the 256-pixel icon entry.
Bytes EncodePngRgba(const RgbaPicture& picture) {
    const int w = picture.colour.Width(), h = picture.colour.Height();
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < w; ++x) {
            const Rgb& c = picture.colour.At(x, y);
            raw.push_back(QuantiseChannel(c.r, x, y, 0));
            raw.push_back(QuantiseChannel(c.g, x, y, 1));
            raw.push_back(QuantiseChannel(c.b, x, y, 2));
            raw.push_back(AlphaByte(picture, x, y));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
    packed.resize(packedSize);

    Bytes header;
    PutBe32(header, static_cast<std::uint32_t>(w));
    PutBe32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace

    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", packed);
    PutPngChunk(out, "IEND", {});
    return out;
}

}  // namespace

bool WritePpm(const std::string& path, const Picture& picture) {
    const std::string header =
        "P6\n" + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + "\n255\n";
    Bytes bytes(header.begin(), header.end());
    const std::vector<std::uint8_t> rgb = QuantiseRgb(picture);
    bytes.insert(bytes.end(), rgb.begin(), rgb.end());
    return WriteBytes(path, bytes);
}

bool WriteBmp24(const std::string& path, const Picture& picture) {
    const int w = picture.Width(), h = picture.Height();
    const std::uint32_t stride = static_cast<std::uint32_t>((w * 3 + 3) / 4 * 4);
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(h);
    const std::vector<std::uint8_t> rgb = QuantiseRgb(picture);
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 14 + 40 + pixelBytes);
    PutLe32(out, 0);
    PutLe32(out, 14 + 40);
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(w));
    PutLe32(out, static_cast<std::uint32_t>(h));  // positive: bottom row first
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);  // BI_RGB
    PutLe32(out, pixelBytes);
    PutLe32(out, 2835);  // 72 dots per inch
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < w; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 3;
            out.push_back(rgb[i + 2]);
            out.push_back(rgb[i + 1]);
            out.push_back(rgb[i]);
        }
        out.resize(rowStart + stride, 0);
    }
    return WriteBytes(path, out);
}

bool WriteIco(const std::string& path, const std::vector<RgbaPicture>& sizes) {
    std::vector<Bytes> entries;
    for (const RgbaPicture& picture : sizes) {
        entries.push_back(picture.colour.Width() >= 256 ? EncodePngRgba(picture) : IconBitmapEntry(picture));
        if (entries.back().empty()) return false;
    }
    Bytes out;
    PutLe16(out, 0);
    PutLe16(out, 1);  // icon, not cursor
    PutLe16(out, static_cast<std::uint32_t>(sizes.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int w = sizes[i].colour.Width(), h = sizes[i].colour.Height();
        out.push_back(static_cast<unsigned char>(w >= 256 ? 0 : w));  // 0 means 256
        out.push_back(static_cast<unsigned char>(h >= 256 ? 0 : h));
        out.push_back(0);
        out.push_back(0);
        PutLe16(out, 1);
        PutLe16(out, 32);
        PutLe32(out, static_cast<std::uint32_t>(entries[i].size()));
        PutLe32(out, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const Bytes& entry : entries) out.insert(out.end(), entry.begin(), entry.end());
    return WriteBytes(path, out);
}

}  // namespace artwork
