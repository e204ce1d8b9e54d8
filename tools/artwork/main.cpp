// nivarel-artwork: paints the saver's pictures from fixed seeds.
//
//   nivarel-artwork [--preview] OUTDIR
//
// writes OUTDIR/world.ppm and backdrop.ppm (for the JPEG encoder),
// advice.bmp and nivarel.ico (shipped as they are) and, with --preview,
// scene-preview.ppm: the saver's default view rendered on the CPU.
// The same build writes the same bytes on every run.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/artwork/file_formats.h"
#include "tools/artwork/globe.h"
#include "tools/artwork/starfield.h"
#include "tools/artwork/world_map.h"

namespace artwork {
namespace {

constexpr int kTextureSize = 1024;
constexpr std::uint64_t kWorldSeed = 0x4E49564152454C31ull;
constexpr std::uint64_t kBackdropSeed = 0x53544152534B5931ull;

// The advice dialog's picture area: 161 x 215 dialog units at the dialog's
// 8-point font come to about 242 x 349 pixels.
constexpr int kAdviceWidth = 242;
constexpr int kAdviceHeight = 349;

// A window onto the backdrop (it tiles, so any offset works).
Picture CropTiled(const Picture& source, int left, int top, int width, int height) {
    Picture crop(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            crop.At(x, y) = source.At((left + x) % source.Width(), (top + y) % source.Height());
        }
    }
    return crop;
}

Picture PaintAdvicePicture(const Picture& world, const Picture& backdrop) {
    Picture picture = CropTiled(backdrop, 300, 560, kAdviceWidth, kAdviceHeight);
    GlobeLook look;
    look.turnDegrees = 35.0;
    look.tiltDegrees = 18.0;
    PaintGlobe(picture, nullptr, world, kAdviceWidth * 0.5, kAdviceHeight * 0.6, 104.0, look, 4);
    return picture;
}

// One icon size: the planet on a transparent ground, straight (not
// premultiplied) alpha as icon files expect.
RgbaPicture PaintIcon(const Picture& world, int size) {
    RgbaPicture icon(size, size);
    GlobeLook look;
    look.turnDegrees = 35.0;
    look.tiltDegrees = 18.0;
    look.towardSun = {-0.35, 0.3, 0.9};  // nearly full, so the icon reads on dark grounds too
    look.atmosphere = size >= 32 ? 1.0 : 0.4;
    const double radius = size * (size >= 32 ? 0.44 : 0.47);
    PaintGlobe(icon.colour, &icon.alpha, world, size * 0.5, size * 0.5, radius, look, size >= 256 ? 4 : 8);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double alpha = icon.alpha[static_cast<std::size_t>(y) * size + x];
            if (alpha > 0.0) icon.colour.At(x, y) = icon.colour.At(x, y) * (1.0 / alpha);
        }
    }
    return icon;
}

bool Report(bool written, const std::string& path) {
    if (!written) std::fprintf(stderr, "nivarel-artwork: cannot write %s\n", path.c_str());
    return written;
}

int Run(const std::string& outDir, bool preview) {
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "nivarel-artwork: cannot create %s: %s\n", outDir.c_str(), error.message().c_str());
        return 1;
    }
    const Picture world = PaintWorldMap(kTextureSize, kTextureSize, kWorldSeed);
    const Picture backdrop = PaintStarfield(kTextureSize, kBackdropSeed);
    std::vector<RgbaPicture> icons;
    for (int size : {16, 32, 48, 256}) icons.push_back(PaintIcon(world, size));

    bool ok = Report(WritePpm(outDir + "/world.ppm", world), outDir + "/world.ppm");
    ok = Report(WritePpm(outDir + "/backdrop.ppm", backdrop), outDir + "/backdrop.ppm") && ok;
    ok = Report(WriteBmp24(outDir + "/advice.bmp", PaintAdvicePicture(world, backdrop)), outDir + "/advice.bmp") && ok;
    ok = Report(WriteIco(outDir + "/nivarel.ico", icons), outDir + "/nivarel.ico") && ok;
    if (preview) {
        const Picture scene = PaintScenePreview(1280, 720, world, backdrop, 0.0);
        ok = Report(WritePpm(outDir + "/scene-preview.ppm", scene), outDir + "/scene-preview.ppm") && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace artwork

int main(int argc, char** argv) {
    bool preview = false;
    std::string outDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--preview") == 0) {
            preview = true;
        } else if (outDir.empty() && argv[i][0] != '-') {
            outDir = argv[i];
        } else {
            outDir.clear();
            break;
        }
    }
    if (outDir.empty()) {
        std::fprintf(stderr, "usage: nivarel-artwork [--preview] OUTDIR\n");
        return 2;
    }
    return artwork::Run(outDir, preview);
}
