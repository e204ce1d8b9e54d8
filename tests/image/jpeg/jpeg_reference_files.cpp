// The decoder against real files: cjpeg makes images of every supported layout
// and coding mode from synthetic pictures; the nivarel-jpeg tool's pictures
// (both transform paths) are compared with djpeg's accurate integer decode
// without smoothing, and the decoder's lines with those of the same
// coefficients coded sequentially by jpegtran. Also the tool's exit codes and
// messages. Native only: it runs the reference tools as processes.
#include <gtest/gtest.h>
#include <sys/wait.h>

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
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Pnm {
  int width = 0, height = 0, channels = 0;  // 1 grey, 3 colour; 0 when the file is no binary PGM or PPM of maxval 255
  Bytes pixels;
};

Pnm ParsePnm(const Bytes& bytes) {
  std::istringstream in(std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64)));
  std::string magic;
  int maxval = 0;
  Pnm out;
  if (!(in >> magic >> out.width >> out.height >> maxval) || maxval != 255 || (magic != "P5" && magic != "P6")) {
    return out;
  }
  const size_t start = static_cast<size_t>(in.tellg()) + 1, channels = magic == "P5" ? 1 : 3;
  if (bytes.size() != start + channels * static_cast<size_t>(out.width * out.height)) return out;
  out.channels = static_cast<int>(channels);
  out.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
  return out;
}

// Writes a deterministic picture with what JPEG finds hard and easy: smooth
// gradients, a sharp diagonal edge, fine stripes, and hashed noise.
void WriteSyntheticPicture(const fs::path& path, int width, int height, int channels) {
  std::ofstream out(path, std::ios::binary);
  out << (channels == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n255\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        uint32_t hash = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(c) * 83492791u;
        hash = (hash ^ (hash >> 13)) * 0x5bd1e995u;
        const double gradient = 255.0 * (x + 2 * y + 40 * c) / (width + 2 * height + 80);
        const double detail = y % 16 < 8 ? ((x / 3 + c) % 2 ? 30 : -30) : (x > y + 5 * c ? 60 : -60);
        const double value = std::clamp(gradient + detail + static_cast<int>(hash >> 27) - 16, 0.0, 255.0);
        out.put(static_cast<char>(static_cast<uint8_t>(value)));
      }
    }
  }
}

// A fresh directory, removed with everything in it when the test ends.
struct ScratchDirectory {
  std::string path = (fs::temp_directory_path() / "nivarel-jpeg-XXXXXX").string();
  ScratchDirectory() { EXPECT_NE(mkdtemp(path.data()), nullptr); }
  ~ScratchDirectory() { fs::remove_all(path, ignored); }
  std::error_code ignored;
  fs::path operator/(const std::string& name) const { return fs::path(path) / name; }
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

// A source that fails at each of its reads in turn, in small pieces: the
// failure is reported, nothing more is read, the source is released once, and
// the engines stop at the same line.  (The engines' agreement on damaged
// copies of these files is the fuzz target's work, from seeds of every layout.)
void ExpectEachFailingReadReported(const Bytes& file, const std::string& what) {
  for (bool useMmx : {false, true}) {
    for (int failing = 1;; ++failing) {
      SCOPED_TRACE(testing::Message() << what << " failing read " << failing << (useMmx ? " mmx" : " llm"));
      const jpegtest::DecodeResult result = jpegtest::Decode(file, useMmx, 61, failing);
      if (result.readCalls < failing) break;
      EXPECT_EQ(std::tuple(result.status, result.readCalls, result.endUseCalls),
                std::tuple(SourceReadFailed, failing, 1));
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

class JpegFiles : public ::testing::TestWithParam<std::tuple<Layout, Coding>> {};

TEST_P(JpegFiles, MatchTheReferenceDecoder) {
  const auto& [layout, coding] = GetParam();
  ScratchDirectory dir;
  const fs::path input = dir / "in.pnm", jpeg = dir / "image.jpg", sequential = dir / "sequential.jpg";
  const fs::path reference = dir / "reference.pnm", decoded = dir / "decoded.pnm";
  for (const auto& size : kSizes) {
    const std::string what = std::to_string(size[0]) + "x" + std::to_string(size[1]);
    WriteSyntheticPicture(input, size[0], size[1], layout.channels);
    ASSERT_EQ(RunShell(kCjpeg + " " + layout.cjpegOptions + " " + coding.cjpegOptions + " -outfile " + Quoted(jpeg) +
                       " " + Quoted(input) + " && " + kDjpeg + " -dct int -nosmooth -pnm -outfile " +
                       Quoted(reference) + " " + Quoted(jpeg) + " && " + kJpegtran + " -outfile " +
                       Quoted(sequential) + " " + Quoted(jpeg)), 0) << what;
    const Pnm expected = ParsePnm(ReadFile(reference));
    ASSERT_NE(expected.channels, 0) << what;
    const Bytes bytes = ReadFile(jpeg);
    ExpectEachFailingReadReported(bytes, what);
    for (bool useMmx : {false, true}) {
      const std::string where = what + (useMmx ? " mmx" : " llm");
      EXPECT_EQ(jpegtest::Decode(bytes, useMmx).lines, jpegtest::Decode(ReadFile(sequential), useMmx).lines) << where;
      ASSERT_EQ(RunShell(kTool + (useMmx ? " --mmx " : " ") + Quoted(jpeg) + " " + Quoted(decoded)), 0)
          << where;
      const Pnm got = ParsePnm(ReadFile(decoded));
      ASSERT_EQ(std::tie(got.width, got.height, got.channels),
                std::tie(expected.width, expected.height, expected.channels)) << where;
      int worst = 0;
      for (size_t i = 0; i < got.pixels.size(); ++i) worst = std::max(worst, abs(got.pixels[i] - expected.pixels[i]));
      EXPECT_LE(worst, useMmx ? coding.aanTolerance : layout.llmTolerance) << where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayoutsAndCodings, JpegFiles,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::ValuesIn(kCodings)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// ---- the command-line tool ---------------------------------------------------

// The tool writes what the decoder gives, silently, with the LLM transform
// unless told otherwise, grey as PGM (its pictures of every layout are
// checked against djpeg's above). Refused streams exit with 1 and end stderr
// with the decoder's status; every other error exits with 2 and no status
// line, and neither writes a picture.
TEST(JpegTool, ExitCodesAndStatusLines) {
  ScratchDirectory dir;
  WriteSyntheticPicture(dir / "in.pgm", 9, 5, 1);
  std::ofstream(dir / "text.jpg") << std::string(600, 'x');
  ASSERT_EQ(RunShell(kCjpeg + " -outfile " + Quoted(dir / "grey.jpg") + " " + Quoted(dir / "in.pgm")), 0);
  const std::string good = Quoted(dir / "grey.jpg"), out = Quoted(dir / "out.pnm");
  struct Case { std::string arguments; int exitCode; };
  const Case cases[] = {
      {good + " " + out, 0},          {"--no-mmx " + good + " " + out, 0}, {Quoted(dir / "text.jpg") + " " + out, 1},
      {good, 2},                      {"--fast " + good + " " + out, 2},
      {Quoted(dir / "missing.jpg") + " " + out, 2}, {Quoted(dir / ".") + " " + out, 2},
      {good + " " + Quoted(dir / "no-such-dir" / "out.ppm"), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove(dir / "out.pnm");
    EXPECT_EQ(RunShell(kTool + " " + c.arguments + " >" + Quoted(dir / "stdout") + " 2>" + Quoted(dir / "stderr")),
              c.exitCode);
    EXPECT_TRUE(ReadFile(dir / "stdout").empty());
    const Bytes err = ReadFile(dir / "stderr");
    const std::string text(err.begin(), err.end());
    EXPECT_EQ(fs::exists(dir / "out.pnm"), c.exitCode == 0);
    if (c.exitCode != 0) {
      // The status line last for a refusal, a message without one for any other error.
      EXPECT_EQ(text.find("status:") == std::string::npos && !text.empty(), c.exitCode == 2) << text;
      if (c.exitCode == 1) {
        EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "status: -217\n");
      }
      continue;
    }
    EXPECT_EQ(text, "");
    EXPECT_EQ(ParsePnm(ReadFile(dir / "out.pnm")).channels, 1);
  }
}

}  // namespace
