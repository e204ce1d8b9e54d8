// The decoder against real files: cjpeg makes images of every supported layout
// and coding mode from synthetic pictures, and the decoder's pixels (both
// transform paths) are compared with djpeg's accurate integer decode without
// smoothing. Also the exit codes and messages of the nivarel-jpeg tool.
// Native only: it runs the reference tools as processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg_memory_source.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace {

namespace fs = std::filesystem;

struct Pnm {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 grey, 3 colour
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

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "nivarel-jpeg-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  fs::path operator/(const std::string& name) const { return path_ / name; }
  bool ok() const { return !path_.empty(); }

 private:
  fs::path path_;
};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command; its exit code, or -1 if it did not exit normally.
int RunShell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Decodes through the public calling order; the status is 0 on success.
int DecodeWithLibrary(const std::vector<uint8_t>& jpeg, bool useMmx, Pnm& out) {
  JpegMemorySource source(jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  JpegDecoder decoder(&source, useMmx);
  if (decoder.status() != 0 || decoder.startDecoding() != 0) return decoder.status();
  out = Pnm{decoder.imageWidth(), decoder.imageHeight(), decoder.outputBytesPerPixel() == 1 ? 1 : 3, {}};
  const uint8_t* line = nullptr;
  int byteCount = 0;
  int lines = 0;
  int result;
  while ((result = decoder.nextScanLine(&line, &byteCount)) == 0) {
    EXPECT_EQ(byteCount, out.width * (out.channels == 1 ? 1 : 4));
    for (int x = 0; x < out.width; ++x) {
      if (out.channels == 1) {
        out.pixels.push_back(line[x]);
      } else {
        out.pixels.insert(out.pixels.end(), line + 4 * x, line + 4 * x + 3);
        EXPECT_EQ(line[4 * x + 3], 0) << "the fourth byte of a colour pixel stays 0";
      }
    }
    ++lines;
  }
  EXPECT_EQ(lines, out.height);
  return result == 1 ? decoder.status() : (decoder.status() != 0 ? decoder.status() : result);
}

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
}

// ---- file comparisons ---------------------------------------------------------

struct Layout {
  const char* name;
  int channels;
  const char* cjpegOptions;
};

const Layout kLayouts[] = {
    {"grey", 1, ""},
    {"yuv444", 3, "-sample 1x1"},
    {"yuv422", 3, "-sample 2x1"},
    {"yuv440", 3, "-sample 1x2"},
    {"yuv420", 3, "-sample 2x2"},
};

// The largest differences from the reference decode, measured on these files
// and pinned. The LLM path is the reference's arithmetic with its two passes
// in the other order, so it may round one level differently, which colour
// conversion can make 1 + 1.772 levels. The AAN path rounds differently
// again and keeps only two fraction bits in its prescaled quantisers, which
// costs more the finer the quantisers are: with every quantiser 1 (quality
// 100) the finest coefficients are scaled by 0 to 4 instead of their true
// factors, and pixels move by up to 25 levels.
constexpr int kLlmToleranceGrey = 1;
constexpr int kLlmToleranceColour = 3;

struct Coding {
  const char* name;
  const char* cjpegOptions;
  int aanTolerance;
};

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
  ASSERT_TRUE(dir.ok());
  const int llmTolerance = layout.channels == 1 ? kLlmToleranceGrey : kLlmToleranceColour;
  int worstLlm = 0, worstAan = 0;
  for (const auto& size : kSizes) {
    const std::string what = std::to_string(size[0]) + "x" + std::to_string(size[1]);
    const fs::path input = dir / "in.pnm", jpeg = dir / "image.jpg", reference = dir / "reference.pnm";
    WriteFile(input, FormatPnm(SyntheticPicture(size[0], size[1], layout.channels)));
    ASSERT_EQ(RunShell(std::string(NIVAREL_CJPEG) + " " + layout.cjpegOptions + " " + coding.cjpegOptions +
                  " -outfile " + Quoted(jpeg) + " " + Quoted(input)), 0) << what;
    ASSERT_EQ(RunShell(std::string(NIVAREL_DJPEG) + " -dct int -nosmooth -pnm -outfile " + Quoted(reference) +
                  " " + Quoted(jpeg)), 0) << what;
    Pnm expected;
    ASSERT_TRUE(ParsePnm(ReadFile(reference), expected)) << what;

    const std::vector<uint8_t> bytes = ReadFile(jpeg);
    ExpectEnginesAgree(bytes, what);
    for (bool useMmx : {false, true}) {
      Pnm decoded;
      ASSERT_EQ(DecodeWithLibrary(bytes, useMmx, decoded), 0) << what << (useMmx ? " mmx" : "");
      ASSERT_EQ(decoded.width, expected.width);
      ASSERT_EQ(decoded.height, expected.height);
      ASSERT_EQ(decoded.channels, expected.channels);
      int& worst = useMmx ? worstAan : worstLlm;
      const int difference = MaxDifference(decoded, expected);
      EXPECT_LE(difference, useMmx ? coding.aanTolerance : llmTolerance) << what << (useMmx ? " mmx" : "");
      worst = std::max(worst, difference);
    }
  }
  RecordProperty("max_difference_llm", worstLlm);
  RecordProperty("max_difference_aan", worstAan);
}

INSTANTIATE_TEST_SUITE_P(AllLayoutsAndCodings, JpegFiles,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::ValuesIn(kCodings)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

// ---- the command-line tool ---------------------------------------------------

struct ToolRun {
  int exitCode;
  std::string out;
  std::string err;
};

ToolRun RunTool(const ScratchDirectory& dir, const std::string& arguments) {
  const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
  const int code = RunShell(std::string(NIVAREL_JPEG_TOOL) + " " + arguments + " >" + Quoted(out) + " 2>" + Quoted(err));
  const auto text = [](const fs::path& p) {
    const std::vector<uint8_t> bytes = ReadFile(p);
    return std::string(bytes.begin(), bytes.end());
  };
  return {code, text(out), text(err)};
}

std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
  const size_t newline = trimmed.rfind('\n');
  return newline == std::string::npos ? trimmed : trimmed.substr(newline + 1);
}

class JpegTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.ok());
    WriteFile(dir_ / "in.ppm", FormatPnm(SyntheticPicture(45, 31, 3)));
    ASSERT_EQ(RunShell(std::string(NIVAREL_CJPEG) + " -sample 2x2 -outfile " + Quoted(dir_ / "colour.jpg") + " " +
                  Quoted(dir_ / "in.ppm")), 0);
  }
  ScratchDirectory dir_;
};

TEST_F(JpegTool, DecodesSilentlyWithEitherTransformAndWritesGreyAsPgm) {
  WriteFile(dir_ / "in.pgm", FormatPnm(SyntheticPicture(9, 5, 1)));
  ASSERT_EQ(RunShell(std::string(NIVAREL_CJPEG) + " -outfile " + Quoted(dir_ / "grey.jpg") + " " + Quoted(dir_ / "in.pgm")), 0);
  struct Case { const char* flag; const char* file; int channels; };
  const Case cases[] = {{"", "colour.jpg", 3}, {"--no-mmx", "colour.jpg", 3}, {"--mmx", "colour.jpg", 3},
                        {"", "grey.jpg", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.flag) + " " + c.file);
    const ToolRun run = RunTool(dir_, std::string(c.flag) + " " + Quoted(dir_ / c.file) + " " + Quoted(dir_ / "out.pnm"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    Pnm written, decoded;
    ASSERT_TRUE(ParsePnm(ReadFile(dir_ / "out.pnm"), written));
    ASSERT_EQ(DecodeWithLibrary(ReadFile(dir_ / c.file), std::string(c.flag) == "--mmx", decoded), 0);
    EXPECT_EQ(written.channels, c.channels);
    EXPECT_EQ(written.width, decoded.width);
    EXPECT_EQ(written.height, decoded.height);
    EXPECT_EQ(written.pixels, decoded.pixels);
  }
}

// Refused streams exit with 1 and end stderr with the decoder's status; every
// other error exits with 2 and no status line. No picture is written for either.
TEST_F(JpegTool, ExitCodesAndStatusLines) {
  WriteFile(dir_ / "text.jpg", std::vector<uint8_t>(600, 'x'));
  ASSERT_EQ(RunShell(std::string(NIVAREL_CJPEG) + " -arithmetic -outfile " + Quoted(dir_ / "arith.jpg") + " " +
                Quoted(dir_ / "in.ppm")), 0);
  WriteFile(dir_ / "rst.jpg", {0xFF, 0xD8, 0xFF, 0xD3});
  const std::string good = Quoted(dir_ / "colour.jpg"), out = Quoted(dir_ / "refused.ppm");
  struct Case { const char* what; std::string arguments; int exitCode; const char* statusLine; };
  const Case cases[] = {
      {"not a JPEG", Quoted(dir_ / "text.jpg") + " " + out, 1, "status: -217"},
      {"arithmetic coding", Quoted(dir_ / "arith.jpg") + " " + out, 1, "status: -215"},
      {"restart marker among headers", Quoted(dir_ / "rst.jpg") + " " + out, 1, "status: -216"},
      {"no arguments", "", 2, nullptr},
      {"one path", good, 2, nullptr},
      {"three paths", good + " " + out + " " + out, 2, nullptr},
      {"unknown option", "--fast " + good + " " + out, 2, nullptr},
      {"missing input", Quoted(dir_ / "missing.jpg") + " " + out, 2, nullptr},
      {"input is a directory", Quoted(dir_ / ".") + " " + out, 2, nullptr},
      {"unwritable output", good + " " + Quoted(dir_ / "no-such-dir" / "out.ppm"), 2, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun run = RunTool(dir_, c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, "");
    if (c.statusLine) {
      EXPECT_EQ(LastLine(run.err), c.statusLine);
    } else {
      EXPECT_NE(run.err, "");
      EXPECT_EQ(run.err.find("status:"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir_ / "refused.ppm"));
  }
}

}  // namespace
