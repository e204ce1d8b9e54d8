// mirror-tile-ppm: enlarges a binary PPM picture by laying copies of it side
// by side, every other copy mirrored, so the seams join without a jump.  The
// benchmark's large image comes from this: the detail of a real texture at a
// size no committed picture has, the same bytes on every run.
//
//   mirror-tile-ppm INPUT.ppm TIMES OUTPUT.ppm
//
// OUTPUT is TIMES x TIMES copies of INPUT.  Exit code 0 on success, else 1
// with a message on standard error.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRgbBytes = 3;

struct Ppm {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // top line first
};

// Skips whitespace and '#' comments between the header's fields.
void SkipSeparators(std::istream& in) {
  for (int c = in.peek(); c != EOF; c = in.peek()) {
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (std::isspace(c)) {
      in.get();
    } else {
      break;
    }
  }
}

bool ReadPpm(const char* path, Ppm& picture) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic;
  SkipSeparators(in);
  in >> picture.width;
  SkipSeparators(in);
  in >> picture.height;
  SkipSeparators(in);
  in >> maxValue;
  in.get();  // the single whitespace byte before the samples
  if (!in || magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0) {
    return false;
  }
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * kRgbBytes);
  in.read(reinterpret_cast<char*>(picture.rgb.data()),
          static_cast<std::streamsize>(picture.rgb.size()));
  return static_cast<size_t>(in.gcount()) == picture.rgb.size();
}

// The source coordinate for an output coordinate: odd copies run backwards.
int Mirrored(int position, int size) {
  const int copy = position / size;
  const int within = position % size;
  return copy % 2 == 0 ? within : size - 1 - within;
}

bool WriteMirrorTiled(const Ppm& source, int times, const char* path) {
  const int width = source.width * times;
  const int height = source.height * times;
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << ' ' << height << "\n255\n";
  std::vector<unsigned char> line(static_cast<size_t>(width) * kRgbBytes);
  for (int y = 0; y < height; ++y) {
    const unsigned char* sourceLine =
        source.rgb.data() +
        static_cast<size_t>(Mirrored(y, source.height)) * source.width * kRgbBytes;
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel =
          sourceLine + static_cast<size_t>(Mirrored(x, source.width)) * kRgbBytes;
      std::copy(pixel, pixel + kRgbBytes,
                line.begin() + static_cast<std::ptrdiff_t>(x) * kRgbBytes);
    }
    out.write(reinterpret_cast<const char*>(line.data()),
              static_cast<std::streamsize>(line.size()));
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const int times = argc == 4 ? std::atoi(argv[2]) : 0;
  if (times < 1) {
    std::fprintf(stderr, "usage: mirror-tile-ppm INPUT.ppm TIMES OUTPUT.ppm\n");
    return 1;
  }
  Ppm source;
  if (!ReadPpm(argv[1], source)) {
    std::fprintf(stderr, "mirror-tile-ppm: %s is not a readable 8-bit binary PPM\n", argv[1]);
    return 1;
  }
  if (!WriteMirrorTiled(source, times, argv[3])) {
    std::fprintf(stderr, "mirror-tile-ppm: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
