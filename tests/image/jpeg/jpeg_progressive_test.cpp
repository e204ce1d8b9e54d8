// Progressive decoding of hand-made streams that reach what real files seldom
// do: every kind of refinement, end-of-band runs cut by a restart, values that
// wrap. Each is checked against an independent oracle, the same coefficients
// coded as a sequential image, on both transform paths.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

using Block = std::array<int, 64>;  // zigzag order

// The images here are grey rows of blocks, quantised with 3.
constexpr int kQuant = 3;

// The blocks coded sequentially, each AC band ending with an end of block
// where zeros remain.
Bytes Sequential(const std::vector<Block>& blocks) {
  StreamBuilder s = StreamBuilder().greyHeaders(8 * static_cast<int>(blocks.size()), 8, 0xC0, kQuant);
  BitWriter data;
  int predictor = 0;
  for (const Block& block : blocks) {
    data.dc(block[0] - predictor);
    predictor = block[0];
    int run = 0;
    for (int k = 1; k < 64; ++k) {
      if (block[k] == 0) {
        ++run;
        continue;
      }
      for (; run > 15; run -= 16) data.zeroRun();
      data.ac(run, block[k]);
      run = 0;
    }
    if (run > 0) data.endOfBlock();
  }
  return s.sos({{1, 0, 0}}).raw(data.finish()).eoi().bytes;
}

void ExpectSamePixels(const Bytes& progressive, const std::vector<Block>& blocks) {
  for (bool useMmx : {false, true}) {
    DecodeResult expected = Decode(Sequential(blocks), useMmx);
    DecodeResult actual = Decode(progressive, useMmx);
    ASSERT_EQ(expected.status, 0);
    EXPECT_EQ(actual.status, 0);
    EXPECT_EQ(actual.lines, expected.lines) << "mmx " << useMmx;
  }
}

// One grey block refined in every way: DC and AC first scans with a point
// transform of 1, then a DC refinement and an AC refinement that corrects
// the two known coefficients and adds two new ones.
TEST(JpegProgressive, RefinementScans) {
  Block block{};
  block[0] = 43;
  block[1] = 3;   // 2 after the first scan, corrected to 3
  block[2] = -2;  // -2 after the first scan, not corrected
  block[5] = 1;   // new in the refinement
  block[6] = -1;  // new in the refinement

  StreamBuilder s = StreamBuilder().greyHeaders(8, 8, 0xC2, kQuant);
  s.sos({{1, 0, 0}}, 0, 0, 0, 1).raw(BitWriter().dc(43 >> 1).finish());
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
  ExpectSamePixels(s.eoi().bytes, {block});
}

// Four grey blocks whose AC first scan codes an EOBRUN of 3 and then one
// coefficient; with a restart interval of 2 the restart cuts the run short.
TEST(JpegProgressive, EndOfBandRunsSpanBlocksUntilARestart) {
  for (bool withRestart : {false, true}) {
    std::vector<Block> blocks(4, Block{});
    blocks[withRestart ? 2 : 3][1] = 7;
    StreamBuilder s = StreamBuilder().greyHeaders(32, 8, 0xC2, kQuant);
    if (withRestart) s.dri(2);
    s.sos({{1, 0, 0}}, 0, 0).raw(BitWriter().dc(0).dc(0).finish());
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
    ExpectSamePixels(s.eoi().bytes, blocks);
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
