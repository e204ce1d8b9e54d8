// Progressive decoding, checked against an independent oracle: the same
// coefficients coded as a sequential image must give the same pixels, on
// both transform paths.  Plus the progressive scan checks.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

using Block = std::array<int, 64>;  // zigzag order

// The coefficients of an image, per component on its padded block grid.
struct CoefficientImage {
  int width;
  int height;
  std::vector<Component> components;
  std::vector<std::vector<Block>> blocks;  // [component][row * across + column]

  int hMax() const { return components[0].h; }
  int vMax() const { return components[0].v; }
  int mcusPerRow() const { return (width + 8 * hMax() - 1) / (8 * hMax()); }
  int mcuRows() const { return (height + 8 * vMax() - 1) / (8 * vMax()); }
  int across(size_t c) const { return mcusPerRow() * components[c].h; }
  Block& at(size_t c, int column, int row) { return blocks[c][static_cast<size_t>(row * across(c) + column)]; }
  // Blocks that a one-component scan covers.
  int scanAcross(size_t c) const { return ((width * components[c].h + hMax() - 1) / hMax() + 7) / 8; }
  int scanDown(size_t c) const { return ((height * components[c].v + vMax() - 1) / vMax() + 7) / 8; }

  StreamBuilder headers(int frameCode) const {
    StreamBuilder s;
    s.soi().dqt(0, 3).directTables().sof(frameCode, width, height, components);
    return s;
  }
  std::vector<ScanComponent> allComponents() const {
    std::vector<ScanComponent> scan;
    for (const Component& c : components) scan.push_back({c.id, 0, 0});
    return scan;
  }
  // Visits the blocks of every MCU in interleaved order.
  template <class Visit>
  void forEachInterleaved(Visit visit) {
    for (int my = 0; my < mcuRows(); ++my) {
      for (int mx = 0; mx < mcusPerRow(); ++mx) {
        for (size_t c = 0; c < components.size(); ++c) {
          for (int y = 0; y < components[c].v; ++y) {
            for (int x = 0; x < components[c].h; ++x) {
              visit(c, at(c, mx * components[c].h + x, my * components[c].v + y));
            }
          }
        }
      }
    }
  }
};

CoefficientImage RandomImage(int width, int height, std::vector<Component> components,
                             unsigned seed) {
  CoefficientImage image{width, height, std::move(components), {}};
  std::mt19937 random(seed);
  for (size_t c = 0; c < image.components.size(); ++c) {
    int down = image.mcuRows() * image.components[c].v;
    image.blocks.emplace_back(static_cast<size_t>(image.across(c) * down), Block{});
    for (Block& block : image.blocks.back()) {
      block[0] = static_cast<int>(random() % 201) - 100;
      for (int k = 1; k < 64; ++k) {
        if (random() % 4 == 0) block[k] = static_cast<int>(random() % 41) - 20;
      }
    }
  }
  return image;
}

// Codes positions [from, to] of a block; a run of trailing zeros ends with an
// end of block (an EOBRUN of 1 in progressive scans).
void CodeAcBand(BitWriter& data, const Block& block, int from, int to, int shift) {
  int run = 0;
  for (int k = from; k <= to; ++k) {
    int magnitude = block[k] < 0 ? -block[k] : block[k];
    int value = block[k] < 0 ? -(magnitude >> shift) : magnitude >> shift;
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16) data.zeroRun();
    data.ac(run, value);
    run = 0;
  }
  if (run > 0) data.endOfBlock();
}

Bytes Sequential(CoefficientImage& image) {
  StreamBuilder s = image.headers(0xC0);
  s.sos(image.allComponents());
  BitWriter data;
  std::vector<int> predictors(image.components.size(), 0);
  image.forEachInterleaved([&](size_t c, const Block& block) {
    data.dc(block[0] - predictors[c]);
    predictors[c] = block[0];
    CodeAcBand(data, block, 1, 63, 0);
  });
  return s.raw(data.finish()).eoi().bytes;
}

// An interleaved DC scan of every component with point transform al.
void DcFirstScan(StreamBuilder& s, CoefficientImage& image, int al) {
  s.sos(image.allComponents(), 0, 0, 0, al);
  BitWriter data;
  std::vector<int> predictors(image.components.size(), 0);
  image.forEachInterleaved([&](size_t c, const Block& block) {
    int value = block[0] >> al;
    data.dc(value - predictors[c]);
    predictors[c] = value;
  });
  s.raw(data.finish());
}

void AcFirstScans(StreamBuilder& s, CoefficientImage& image, int ss, int se) {
  for (size_t c = 0; c < image.components.size(); ++c) {
    s.sos({{image.components[c].id, 0, 0}}, ss, se);
    BitWriter data;
    for (int row = 0; row < image.scanDown(c); ++row) {
      for (int column = 0; column < image.scanAcross(c); ++column) {
        CodeAcBand(data, image.at(c, column, row), ss, se, 0);
      }
    }
    s.raw(data.finish());
  }
}

Bytes Progressive(CoefficientImage& image) {
  StreamBuilder s = image.headers(0xC2);
  DcFirstScan(s, image, 0);
  AcFirstScans(s, image, 1, 20);
  AcFirstScans(s, image, 21, 63);
  return s.eoi().bytes;
}

void ExpectSamePixels(const Bytes& progressive, const Bytes& sequential) {
  for (bool useMmx : {false, true}) {
    DecodeResult expected = Decode(sequential, useMmx);
    DecodeResult actual = Decode(progressive, useMmx);
    ASSERT_EQ(expected.status, 0);
    EXPECT_EQ(actual.status, 0);
    EXPECT_EQ(actual.lastLineResult, Done);
    EXPECT_EQ(actual.lines, expected.lines) << "mmx " << useMmx;
  }
}

TEST(JpegProgressive, MatchesSequentialCodingOfTheSameCoefficients) {
  struct Case { int width; int height; std::vector<Component> components; };
  const Case cases[] = {
      {32, 32, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}},
      {20, 12, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}},
      {40, 9, {{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}},
      {9, 40, {{1, 1, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}},
      {17, 17, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}},
      {23, 11, {{1, 1, 1, 0}}},
  };
  unsigned seed = 1;
  for (const Case& c : cases) {
    CoefficientImage image = RandomImage(c.width, c.height, c.components, seed++);
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    ExpectSamePixels(Progressive(image), Sequential(image));
  }
}

// One grey block refined in every way: DC and AC first scans with a point
// transform of 1, then a DC refinement and an AC refinement that corrects
// the two known coefficients and adds two new ones.
TEST(JpegProgressive, RefinementScans) {
  CoefficientImage image{8, 8, {{1, 1, 1, 0}}, {{Block{}}}};
  Block& block = image.blocks[0][0];
  block[0] = 43;
  block[1] = 3;   // 2 after the first scan, corrected to 3
  block[2] = -2;  // -2 after the first scan, not corrected
  block[5] = 1;   // new in the refinement
  block[6] = -1;  // new in the refinement

  StreamBuilder s = image.headers(0xC2);
  DcFirstScan(s, image, 1);
  s.sos({{1, 0, 0}}, 1, 63, 0, 1).raw(BitWriter().ac(0, 1).ac(0, -1).endOfBlock().finish());
  s.sos({{1, 0, 0}}, 0, 0, 1, 0).raw(BitWriter().bits(1, 1).finish());
  BitWriter refine;
  refine.symbol(0x21).bits(1, 1);   // two zeros skipped, then +1 at position 5 ...
  refine.bits(1, 1).bits(0, 1);     // ... after correcting positions 1 and 2
  refine.symbol(0x01).bits(0, 1);   // -1 at position 6
  refine.endOfBlock();
  s.sos({{1, 0, 0}}, 1, 63, 1, 0).raw(refine.finish());
  // A repeated refinement whose correction bits are 1 where that bit is
  // already set changes nothing.
  BitWriter again;
  again.endOfBlock().bits(1, 1).bits(0, 1).bits(1, 1).bits(1, 1);
  s.sos({{1, 0, 0}}, 1, 63, 1, 0).raw(again.finish());
  ExpectSamePixels(s.eoi().bytes, Sequential(image));
}

// Four grey blocks whose AC first scan codes an EOBRUN of 3 and then one
// coefficient; with a restart interval of 2 the restart cuts the run short.
TEST(JpegProgressive, EndOfBandRunsSpanBlocksUntilARestart) {
  for (bool withRestart : {false, true}) {
    CoefficientImage image{32, 8, {{1, 1, 1, 0}}, {std::vector<Block>(4, Block{})}};
    image.blocks[0][withRestart ? 2 : 3][1] = 7;
    StreamBuilder s;
    s.soi().dqt(0, 3).directTables();
    if (withRestart) s.dri(2);
    s.sof(0xC2, 32, 8, image.components).sos({{1, 0, 0}}, 0, 0);
    s.raw(BitWriter().dc(0).dc(0).finish());
    if (withRestart) s.marker(0xD0);
    s.raw(BitWriter().dc(0).dc(0).finish());
    s.sos({{1, 0, 0}}, 1, 63);
    BitWriter run;
    run.symbol(0x10).bits(1, 1);  // EOBRUN = 2 + 1
    if (withRestart) {
      s.raw(run.finish()).marker(0xD0);
      s.raw(BitWriter().ac(0, 7).endOfBlock().endOfBlock().finish());
    } else {
      s.raw(run.ac(0, 7).endOfBlock().finish());
    }
    SCOPED_TRACE(withRestart);
    ExpectSamePixels(s.eoi().bytes, Sequential(image));
  }
}

TEST(JpegProgressive, ComponentWithoutAnyScan) {
  for (bool cbTableDefined : {false, true}) {
    StreamBuilder s;
    s.soi().dqt(0).directTables();
    if (cbTableDefined) s.dqt(1);
    s.sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 0}});
    s.sos({{1, 0, 0}}, 0, 0).raw(BitWriter().dc(80).finish()).eoi();
    DecodeResult result = Decode(s.bytes);
    if (cbTableDefined) {
      EXPECT_EQ(result.status, 0);
      ASSERT_EQ(result.lines.size(), 8u);
      EXPECT_EQ(result.lines[0][0], 138);
    } else {
      EXPECT_EQ(result.startResult, Failed);
      EXPECT_EQ(result.status, QuantTableUndefined);
    }
  }
}

TEST(JpegProgressive, ScanChecks) {
  struct Case { const char* name; std::vector<ScanComponent> scan; int ss, se, ah, al; int status; };
  const std::vector<ScanComponent> y{{1, 0, 0}};
  const Case cases[] = {
      {"AcScanOfTwoComponents", {{1, 0, 0}, {2, 0, 0}}, 1, 5, 0, 0, SpectralRangeBad},
      {"EndBeforeStart", y, 6, 5, 0, 0, SpectralRangeBad},
      {"EndBeyond63", y, 1, 64, 0, 0, SpectralRangeBad},
      {"DcScanWithAcBand", y, 0, 5, 0, 0, SpectralRangeBad},
      {"DcRefineAh2Al0", y, 0, 0, 2, 0, ApproximationBad},
      {"AcRefineAh1Al1", y, 1, 63, 1, 1, ApproximationBad},
      {"DcScanNeedsNoAcTable", {{1, 0, 3}}, 0, 0, 0, 0, 0},
      {"AcScanNeedsNoDcTable", {{1, 3, 0}}, 1, 63, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Bytes image = StreamBuilder().soi().dqt(0).directTables()
        .sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
        .sos(c.scan, c.ss, c.se, c.ah, c.al).raw({0x00, 0x00}).eoi().bytes;
    DecodeResult result = Decode(image);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.startResult, c.status == 0 ? 0 : Failed) << c.name;
  }
}

// A first-scan value shifted by Al can wrap to 0 in 16 bits; refinement must
// then treat its position as zero, as the stored value says.  (Decode checks
// that both engines agree, which is what this stream is for.)
TEST(JpegProgressive, ShiftedValueThatWrapsToZeroIsRefinedAsZero) {
  StreamBuilder s;
  s.greyHeaders(8, 8, 0xC2);
  s.sos({{1, 0, 0}}, 0, 0, 0, 0).raw(BitWriter().dc(5).finish());
  // 8 << 13 wraps to 0 at position 1; 1 << 13 stays at position 2.
  s.sos({{1, 0, 0}}, 1, 5, 0, 13).raw(BitWriter().ac(0, 8).ac(0, 1).endOfBlock().finish());
  // A new value after no zero to skip, then corrections for what follows.
  s.sos({{1, 0, 0}}, 1, 5, 13, 12).raw(BitWriter().ac(0, 1).bits(1, 1).bits(0b11, 2).endOfBlock().finish());
  const DecodeResult result = Decode(s.eoi().bytes);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.lines.size(), 8u);
}

}  // namespace
}  // namespace jpegtest
