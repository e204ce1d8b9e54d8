// The decoder against real files: cjpeg makes images of every supported layout
// and coding mode from synthetic pictures; the nivarel-jpeg tool's pictures
// (both transform paths) are compared with djpeg's accurate integer decode
// without smoothing, and the decoder's lines with those of the same
// coefficients coded sequentially by jpegtran. Also the tool's exit codes and
// messages. Native only: it runs the reference tools as processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/image/jpeg/jpeg_test_decode.h"

namespace {

namespace fs = std::filesystem;

struct Pnm {
  int width = 0, height = 0, channels = 0;  // 1 grey, 3 colour
  std::vector<uint8_t> pixels;
};

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Binary PGM or PPM with maxval 255, as both decoders write it.
bool ParsePnm(const std::vector<uint8_t>& bytes, Pnm& out) {
  std::string header(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
  std::istringstream in(header);
  std::string magic;
  int maxval = 0;
  if (!(in >> magic >> out.width >> out.height >> maxval) || maxval != 255) return false;
  if (magic != "P5" && magic != "P6") return false;
  out.channels = magic == "P5" ? 1 : 3;
  const size_t start = static_cast<size_t>(in.tellg()) + 1;
  const size_t size = static_cast<size_t>(out.width) * out.height * out.channels;
  if (bytes.size() != start + size) return false;
  out.pixels.assign(bytes.begin() + start, bytes.end());
  return true;
}

std::vector<uint8_t> FormatPnm(const Pnm& image) {
  const std::string header = std::string(image.channels == 1 ? "P5" : "P6") + "\n" +
                             std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), image.pixels.begin(), image.pixels.end());
  return bytes;
}

// A deterministic picture with what JPEG finds hard and easy: smooth
// gradients, a sharp diagonal edge, fine stripes, and hashed noise.
Pnm SyntheticPicture(int width, int height, int channels) {
  Pnm image{width, height, channels, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        uint32_t hash = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                        static_cast<uint32_t>(c) * 83492791u;
        hash = (hash ^ (hash >> 13)) * 0x5bd1e995u;
        const double gradient = 255.0 * (x + 2 * y + 40 * c) / (width + 2 * height + 80);
        const double stripes = (x / 3 + c) % 2 ? 30 : -30;
        const double edge = x > y + 5 * c ? 60 : -60;
        const double noise = static_cast<int>(hash >> 27) - 16;
        const double v = gradient + (y % 16 < 8 ? stripes : edge) + noise;
        image.pixels.push_back(static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)));
      }
    }
  }
  return image;
}

// A fresh directory, removed with everything in it when the test ends.
struct ScratchDirectory {
  static fs::path Make() {
    std::string pattern = (fs::temp_directory_path() / "nivarel-jpeg-XXXXXX").string();
    return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
  }
  fs::path operator/(const std::string& name) const { return path / name; }

  const fs::path path = Make();
};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command; its exit code, or -1 if it did not exit normally.
int RunShell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

const std::string kCjpeg = NIVAREL_CJPEG, kDjpeg = NIVAREL_DJPEG, kTool = NIVAREL_JPEG_TOOL;
// jpegtran comes with cjpeg and djpeg.
const std::string kJpegtran = fs::path(NIVAREL_CJPEG).replace_filename("jpegtran").string();

int MaxDifference(const Pnm& a, const Pnm& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
  return worst;
}

// The fast engine against the plain reference on a file and on damaged copies
// of it (cut short, a byte of data changed, a stray marker in the data),
// delivered whole and in small pieces: lines, statuses and source reads must
// all be the same.
void ExpectEnginesAgree(const std::vector<uint8_t>& file, const std::string& what) {
  const size_t middle = file.size() / 2;
  std::vector<std::vector<uint8_t>> variants = {file};
  for (size_t cut : {file.size() / 3, middle, file.size() - 3}) {
    variants.emplace_back(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
  }
  variants.push_back(file);
  variants.back()[middle] ^= 0x5A;
  variants.push_back(file);
  variants.back().insert(variants.back().begin() + static_cast<std::ptrdiff_t>(middle), {0xFF, 0xD5});
  for (size_t v = 0; v < variants.size(); ++v) {
    for (bool useMmx : {false, true}) {
      for (int chunk : {4096, 97}) {
        SCOPED_TRACE(what + " variant " + std::to_string(v) + (useMmx ? " mmx" : " llm") +
                     " chunk " + std::to_string(chunk));
        jpegtest::Decode(variants[v], useMmx, chunk);
      }
    }
  }
  // A source that fails at each of its reads in turn, in small pieces: the
  // engines must meet the failure at the same read and stop at the same line.
  for (bool useMmx : {false, true}) {
    for (int failing = 1;; ++failing) {
      SCOPED_TRACE(what + " failing read " + std::to_string(failing) + (useMmx ? " mmx" : " llm"));
      if (jpegtest::Decode(file, useMmx, 61, failing).readCalls < failing) break;
    }
  }
}

// ---- file comparisons ---------------------------------------------------------

// The largest differences from the reference decode, measured on these files
// and pinned. The LLM path is the reference's arithmetic with its two passes
// in the other order, so it may round one level differently, which colour
// conversion can make 1 + 1.772 levels (grey and RGB samples are not
// converted). The AAN path rounds differently again and keeps only two
// fraction bits in its prescaled quantisers, which costs more the finer the
// quantisers are: with every quantiser 1 (quality 100) the finest
// coefficients are scaled by 0 to 4 instead of their true factors, and pixels
// move by up to 25 levels.
struct Layout { const char* name; int channels; const char* cjpegOptions; int llmTolerance; };

const Layout kLayouts[] = {
    {"grey", 1, "", 1},
    {"yuv444", 3, "-sample 1x1", 3},
    {"yuv422", 3, "-sample 2x1", 3},
    {"yuv440", 3, "-sample 1x2", 3},
    {"yuv420", 3, "-sample 2x2", 3},
    {"rgb", 3, "-rgb", 1},  // an Adobe segment saying "no transform", components 'R', 'G', 'B'
};

struct Coding { const char* name; const char* cjpegOptions; int aanTolerance; };

const Coding kCodings[] = {
    {"baseline", "-baseline", 3},
    {"optimised", "-optimize -quality 90", 5},
    {"progressive", "-progressive", 3},
    {"restarts", "-restart 1B -quality 60", 3},
    {"progressive_restarts", "-progressive -restart 3B -quality 40", 3},
    {"finest", "-quality 100", 25},
};

// Sizes around the MCU edges, from a single pixel up.
const int kSizes[][2] = {{1, 1}, {1, 17}, {17, 1}, {7, 9}, {16, 16}, {33, 17}, {129, 71}};

void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.name; }
void PrintTo(const Coding& coding, std::ostream* os) { *os << coding.name; }

class JpegFiles : public ::testing::TestWithParam<std::tuple<Layout, Coding>> {};

TEST_P(JpegFiles, MatchTheReferenceDecoder) {
  const auto& [layout, coding] = GetParam();
  ScratchDirectory dir;
  ASSERT_FALSE(dir.path.empty());
  const fs::path input = dir / "in.pnm", jpeg = dir / "image.jpg", sequential = dir / "sequential.jpg";
  const fs::path reference = dir / "reference.pnm", decoded = dir / "decoded.pnm";
  for (const auto& size : kSizes) {
    const std::string what = std::to_string(size[0]) + "x" + std::to_string(size[1]);
    WriteFile(input, FormatPnm(SyntheticPicture(size[0], size[1], layout.channels)));
    ASSERT_EQ(RunShell(kCjpeg + " " + layout.cjpegOptions + " " + coding.cjpegOptions + " -outfile " + Quoted(jpeg) +
                       " " + Quoted(input)), 0) << what;
    ASSERT_EQ(RunShell(kDjpeg + " -dct int -nosmooth -pnm -outfile " + Quoted(reference) + " " + Quoted(jpeg)), 0)
        << what;
    ASSERT_EQ(RunShell(kJpegtran + " -outfile " + Quoted(sequential) + " " + Quoted(jpeg)), 0) << what;
    Pnm expected;
    ASSERT_TRUE(ParsePnm(ReadFile(reference), expected)) << what;

    const std::vector<uint8_t> bytes = ReadFile(jpeg);
    ExpectEnginesAgree(bytes, what);
    for (bool useMmx : {false, true}) {
      const std::string where = what + (useMmx ? " mmx" : " llm");
      EXPECT_EQ(jpegtest::Decode(bytes, useMmx).lines, jpegtest::Decode(ReadFile(sequential), useMmx).lines) << where;
      ASSERT_EQ(RunShell(kTool + (useMmx ? " --mmx " : " --no-mmx ") + Quoted(jpeg) + " " + Quoted(decoded)), 0)
          << where;
      Pnm got;
      ASSERT_TRUE(ParsePnm(ReadFile(decoded), got)) << where;
      ASSERT_EQ(std::tie(got.width, got.height, got.channels),
                std::tie(expected.width, expected.height, expected.channels)) << where;
      EXPECT_LE(MaxDifference(got, expected), useMmx ? coding.aanTolerance : layout.llmTolerance) << where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayoutsAndCodings, JpegFiles,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::ValuesIn(kCodings)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

// ---- the command-line tool ---------------------------------------------------

// The tool writes what the decoder gives, silently, with the LLM transform
// unless told otherwise, grey as PGM (its pictures of every layout are
// checked against djpeg's above). Refused streams exit with 1 and end stderr
// with the decoder's status; every other error exits with 2 and no status
// line, and neither writes a picture.
TEST(JpegTool, ExitCodesAndStatusLines) {
  ScratchDirectory dir;
  ASSERT_FALSE(dir.path.empty());
  WriteFile(dir / "in.pgm", FormatPnm(SyntheticPicture(9, 5, 1)));
  WriteFile(dir / "text.jpg", std::vector<uint8_t>(600, 'x'));
  ASSERT_EQ(RunShell(kCjpeg + " -outfile " + Quoted(dir / "grey.jpg") + " " + Quoted(dir / "in.pgm")), 0);
  const std::string good = Quoted(dir / "grey.jpg"), out = Quoted(dir / "out.pnm");
  struct Case { std::string arguments; int exitCode; const char* statusLine; };
  const Case cases[] = {
      {good + " " + out, 0, nullptr},
      {Quoted(dir / "text.jpg") + " " + out, 1, "status: -217"},
      {good, 2, nullptr},
      {"--fast " + good + " " + out, 2, nullptr},
      {Quoted(dir / "missing.jpg") + " " + out, 2, nullptr},
      {Quoted(dir / ".") + " " + out, 2, nullptr},
      {good + " " + Quoted(dir / "no-such-dir" / "out.ppm"), 2, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove(dir / "out.pnm");
    const fs::path stdoutFile = dir / "stdout.txt", stderrFile = dir / "stderr.txt";
    EXPECT_EQ(RunShell(kTool + " " + c.arguments + " >" + Quoted(stdoutFile) + " 2>" + Quoted(stderrFile)), c.exitCode);
    EXPECT_TRUE(ReadFile(stdoutFile).empty());
    const std::vector<uint8_t> errBytes = ReadFile(stderrFile);
    std::string err(errBytes.begin(), errBytes.end());
    while (!err.empty() && err.back() == '\n') err.pop_back();
    if (c.exitCode == 0) {
      EXPECT_EQ(err, "");
      Pnm written;
      ASSERT_TRUE(ParsePnm(ReadFile(dir / "out.pnm"), written));
      const jpegtest::DecodeResult grey = jpegtest::Decode(ReadFile(dir / "grey.jpg"));
      std::vector<uint8_t> lines;  // a grey picture's pixels are the decoder's lines, one after another
      for (const auto& line : grey.lines) lines.insert(lines.end(), line.begin(), line.end());
      EXPECT_EQ(written.pixels, lines);
      continue;
    }
    EXPECT_FALSE(fs::exists(dir / "out.pnm"));
    const std::string lastLine = err.substr(err.rfind('\n') == std::string::npos ? 0 : err.rfind('\n') + 1);
    if (c.statusLine) {
      EXPECT_EQ(lastLine, c.statusLine);
    } else {
      EXPECT_NE(err, "");
      EXPECT_EQ(err.find("status:"), std::string::npos);
    }
  }
}

}  // namespace
