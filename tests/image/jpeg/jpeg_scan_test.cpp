// Scan decoding through the public interface: pixels of hand-made sequential
// and progressive streams, the entropy-data checks, restart markers, segments
// after the scan, truncated sources, and the calling order.  Progressive
// streams reach what real files seldom do (every kind of refinement, end-of-
// band runs cut by a restart, values that wrap) and are checked against the
// same coefficients coded as a sequential image, on both transform paths.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

// A grey image of directTables() whose entropy data is `data`.
Bytes Grey(int width, int height, const Bytes& data, int quant = 1, int ss = 0, int se = 63) {
  return StreamBuilder().greyHeaders(width, height, 0xC0, quant).sos({{1, 0, 0}}, ss, se).raw(data).eoi().bytes;
}

// Without its last `count` bytes.
Bytes Cut(const Bytes& stream, size_t count) { return Bytes(stream.begin(), stream.end() - std::ptrdiff_t(count)); }

// Brings k to 48: three runs that end on positions 16, 32 and 47.
BitWriter UpTo48() { return BitWriter().dc(0).ac(15, 1).ac(15, 1).ac(14, 1); }

// One grey block of `data`, with a DC table of symbols 0..16 so that category 16 can be coded.
Bytes OneBlock(BitWriter data) {
  return StreamBuilder().soi().dqt(0).directTables(17).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).sos({{1, 0, 0}})
      .raw(data.finish()).eoi().bytes;
}

// The restart markers in order, D0 to D7 and round again.
const std::vector<int> kInOrder{0, 1, 2, 3, 4, 5, 6, 7, 0};

// Ten 8x8 blocks in a row, each an interval of its own with a DC difference
// of 80, interval i followed by the RSTn of markers[i] (and `junkBefore`
// bytes of junk before marker `junkAt`).
Bytes RestartImage(const std::vector<int>& markers, int junkBefore = 0, int junkAt = -1) {
  StreamBuilder s;
  s.soi().dqt(0).directTables().dri(1).sof(0xC0, 80, 8, {{1, 1, 1, 0}}).sos({{1, 0, 0}});
  for (size_t i = 0; i < 10; ++i) {
    s.raw(BitWriter().dc(80).endOfBlock().finish());
    if (static_cast<int>(i) == junkAt) s.raw(Bytes(static_cast<size_t>(junkBefore), 0x5A));
    if (i < markers.size()) s.marker(0xD0 + markers[i]);
  }
  return s.eoi().bytes;
}

// One grey block refined in every way: DC and AC first scans with a point
// transform of 1, then a DC refinement and an AC refinement that corrects
// the two known coefficients (3 from 2, -2 left) and adds +1 at 5 and -1 at 6.
Bytes RefinedBlock(const Bytes& moreScans = {}) {
  StreamBuilder s = StreamBuilder().greyHeaders(8, 8, 0xC2, 3);
  s.sos({{1, 0, 0}}, 0, 0, 0, 1).raw(BitWriter().dc(43 >> 1).finish());
  s.sos({{1, 0, 0}}, 1, 63, 0, 1).raw(BitWriter().ac(0, 1).ac(0, -1).endOfBlock().finish());
  s.sos({{1, 0, 0}}, 0, 0, 1, 0).raw(BitWriter().bits(1, 1).finish());
  BitWriter refine;  // two zeros skipped, +1 after correcting 1 and 2; then -1 right after
  refine.symbol(0x21).bits(1, 1).bits(1, 1).bits(0, 1).symbol(0x01).bits(0, 1).endOfBlock();
  return s.sos({{1, 0, 0}}, 1, 63, 1, 0).raw(refine.finish()).raw(moreScans).eoi().bytes;
}

// Four grey blocks whose AC first scan codes an EOBRUN of 3 and then a 7;
// with a restart interval of 2 the restart cuts the run short.
Bytes EndOfBandRun(bool withRestart) {
  StreamBuilder s = StreamBuilder().greyHeaders(32, 8, 0xC2, 3);
  if (withRestart) s.dri(2);
  s.sos({{1, 0, 0}}, 0, 0).raw(BitWriter().dc(0).dc(0).finish());
  if (withRestart) s.marker(0xD0);
  s.raw(BitWriter().dc(0).dc(0).finish()).sos({{1, 0, 0}}, 1, 63);
  BitWriter run;
  run.symbol(0x10).bits(1, 1);  // EOBRUN = 2 + 1
  if (!withRestart) return s.raw(run.ac(0, 7).endOfBlock().finish()).eoi().bytes;
  return s.raw(run.finish()).marker(0xD0).raw(BitWriter().ac(0, 7).endOfBlock().endOfBlock().finish()).eoi().bytes;
}

// Streams coded differently that must give the same picture: progressive
// ones against the same coefficients coded sequentially, among others.
TEST(JpegScan, StreamsThatMustDecodeTheSame) {
  const Bytes coefficients = BitWriter().dc(8).ac(0, 20).ac(3, -7).endOfBlock().finish();
  const Bytes refined = Grey(8, 8, BitWriter().dc(43).ac(0, 3).ac(0, -2).ac(2, 1).ac(0, -1).endOfBlock().finish(), 3);
  // A repeated refinement whose correction bits are 1 where that bit is already set changes nothing.
  const Bytes again = StreamBuilder().sos({{1, 0, 0}}, 1, 63, 1, 0)
                          .raw(BitWriter().endOfBlock().bits(1, 1).bits(0, 1).bits(1, 1).bits(1, 1).finish()).bytes;
  const auto sevenIn = [](int at) {  // four flat blocks but for a 7 at position 1 of block `at`
    BitWriter data;
    for (int b = 0; b < 4; ++b) (b == at ? data.dc(0).ac(0, 7) : data.dc(0)).endOfBlock();
    return Grey(32, 8, data.finish(), 3);
  };
  // The DC differences 1, -2, 6 and -10 dequantised by a 16-bit value (300), or coded 300 times larger.
  BitWriter sixteenBit, scaled, restarted;
  for (int d : {1, -2, 6, -10}) {
    sixteenBit.dc(d).endOfBlock();
    scaled.dc(300 * d).endOfBlock();
  }
  // A DC difference of 80 gives the same in every interval only if each restart resets the predictor.
  for (int b = 0; b < 10; ++b) restarted.dc(b ? 0 : 80).endOfBlock();
  struct Case { std::string name; Bytes stream, same; };
  std::vector<Case> cases = {
      {"SequentialScanIgnoresItsSpectralRange", Grey(8, 8, coefficients, 1, 5, 20), Grey(8, 8, coefficients)},
      {"SixteenBitQuantisation", Grey(32, 8, sixteenBit.finish(), 300), Grey(32, 8, scaled.finish())},
      {"Refinements", RefinedBlock(), refined},
      {"RepeatedRefinement", RefinedBlock(again), refined},
      {"EndOfBandRun", EndOfBandRun(false), sevenIn(3)},
      {"EndOfBandRunCutByARestart", EndOfBandRun(true), sevenIn(2)},
      {"RestartsResetThePredictor", RestartImage(kInOrder), Grey(80, 8, restarted.finish())},
      {"JunkBeforeARestart", RestartImage(kInOrder, 1200, 3), Grey(80, 8, restarted.finish())},
  };
  // The header reader reads ahead; when entropy-coded data begins, what it read goes back into the
  // input, even right after a refill of the input buffer (every 4096 bytes). A comment moves the data.
  const Bytes plain = Grey(8, 8, coefficients), moved = Bytes(plain.begin() + 2, plain.end());
  const size_t headers = plain.size() - coefficients.size() - 2;
  for (size_t begin = 4090; begin < 4100; ++begin) {
    const Bytes comment(begin - headers - 4, 'x');
    cases.push_back({"DataAt" + std::to_string(begin), StreamBuilder().soi().segment(0xFE, comment).raw(moved).bytes,
                     plain});
  }
  for (const Case& c : cases) {
    for (bool useMmx : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (useMmx ? " mmx" : " llm"));
      const DecodeResult result = Decode(c.stream, useMmx), expected = Decode(c.same, useMmx);
      EXPECT_EQ(std::pair(result.status, expected.status), std::pair(0, 0));
      EXPECT_EQ(result.lines, expected.lines);
    }
  }
}

// What the entropy-coded data must respect: where runs and ends of block may
// stand, the DC categories, the restart markers' order and search, and the
// segments between the scan and the end of the image.
TEST(JpegScan, EntropyDataRestartAndEndChecks) {
  const Bytes withoutEoi = Cut(Grey(8, 8, BitWriter().dc(8).endOfBlock().finish()), 2);
  // A first-scan value shifted by Al can wrap to 0 in 16 bits (8 << 13; 1 << 13 stays); refinement must
  // then treat its position as zero, as the stored value says: a new value, then corrections.
  const Bytes wrapped = StreamBuilder().greyHeaders(8, 8, 0xC2).sos({{1, 0, 0}}, 0, 0).raw(BitWriter().dc(5).finish())
      .sos({{1, 0, 0}}, 1, 5, 0, 13).raw(BitWriter().ac(0, 8).ac(0, 1).endOfBlock().finish())
      .sos({{1, 0, 0}}, 1, 5, 13, 12).raw(BitWriter().ac(0, 1).bits(1, 1).bits(0b11, 2).endOfBlock().finish())
      .eoi().bytes;
  // Coefficients at the 16-bit limits, dequantised by the largest quantisers: the engines' kernels must wrap alike.
  BitWriter limits;
  limits.dc(32767);
  for (int k = 1; k < 64; ++k) limits.ac(0, 32767);
  limits.dc(-32767);
  for (int k = 1; k < 64; ++k) limits.ac(0, k % 2 ? -32767 : 32767);
  limits.dc(0).zeroRun().zeroRun().zeroRun().ac(14, -32767).dc(32767).ac(0, 32767).ac(1, -32767).endOfBlock();
  struct Case { const char* name; Bytes image; int status; };
  const Case cases[] = {
      {"CoefficientsAtTheLimitsQuantisedBy65535", Grey(32, 8, limits.finish(), 65535), 0},
      {"CoefficientsAtTheLimitsQuantisedBy32768", Grey(32, 8, limits.finish(), 32768), 0},
      {"ZrlAt48", OneBlock(UpTo48().zeroRun()), 0},
      {"ZrlAt49", OneBlock(UpTo48().ac(0, 1).zeroRun()), EntropyDataBad},
      {"Run3At61", OneBlock(UpTo48().ac(12, 1).ac(3, 1)), EntropyDataBad},
      {"Run2At61", OneBlock(UpTo48().ac(12, 1).ac(2, 1)), 0},
      {"DcCategory16", OneBlock(BitWriter().symbol(16).bits(0xFFFF, 16).endOfBlock()), EntropyDataBad},
      {"ShiftedValueThatWrapsToZero", wrapped, 0},
      {"D3WhereD2IsDue", RestartImage({0, 1, 3, 3, 4, 5, 6, 7, 0}), RestartMarkerBad},
      {"RestartsStartingAtD1", RestartImage({1, 2, 3, 4, 5, 6, 7, 0, 1}), RestartMarkerBad},
      {"JunkBeyondTheRestartSearch", RestartImage(kInOrder, 1600, 3), RestartMarkerBad},
      // A marker after the last interval fails the search for the end of the image.
      {"RestartAfterTheLastInterval", RestartImage({0, 1, 2, 3, 4, 5, 6, 7, 0, 1}), MarkerUnexpected},
      // A source that ends before a restart: the search finds the end of the image.
      {"CutBeforeTheLastInterval", Cut(RestartImage(kInOrder), 2 + 3 + 2), RestartMarkerBad},
      {"TablesAfterTheScan", StreamBuilder().raw(withoutEoi).dqt(1).segment(0xFE, {'h', 'i'}).eoi().bytes, 0},
      {"BadSegmentAfterTheScan", StreamBuilder().raw(withoutEoi).segment(0xFE, {}, 1).eoi().bytes, SegmentLengthBad},
  };
  for (const Case& c : cases) {
    for (bool useMmx : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (useMmx ? " mmx" : " llm"));
      const DecodeResult result = Decode(c.image, useMmx);
      EXPECT_EQ(std::tuple(result.status, result.lastLineResult),
                std::tuple(c.status, c.status ? EntropyDataBad : Done));
      EXPECT_EQ(result.endUseCalls, 1);
    }
  }
}

// A source that ends inside the entropy-coded data: from there on the data
// reads as 1 bits, which these tables decode as DC differences of 0 and ends
// of block, so a cut picture completes, with the lines before the cut intact
// and the rest flat.
TEST(JpegScan, CutStreamsComplete) {
  BitWriter data;  // ten blocks in a column, each of 3 bytes: DC differences of +-200 and an end of block
  for (int i = 0; i < 10; ++i) data.dc(i % 2 ? -200 : 200).endOfBlock();
  const Bytes tenRows = Grey(8, 80, data.finish());
  struct Case { const char* name; Bytes whole; size_t cut; size_t intactLines; };
  const Case cases[] = {
      {"BaselineCutBetweenRows", tenRows, 2 + 3 * 6, 32},
      {"BaselineCutInsideARow", tenRows, 2 + 3 * 6 - 2, 40},  // before its end of block
      {"ProgressiveCutInARefinement", RefinedBlock(), 5, 0},  // after a new value
  };
  for (const Case& c : cases) {
    for (bool useMmx : {false, true}) {
      for (int chunk : {1, 4096}) {
        SCOPED_TRACE(testing::Message() << c.name << (useMmx ? " mmx" : " llm") << " chunk " << chunk);
        const DecodeResult whole = Decode(c.whole, useMmx), result = Decode(Cut(c.whole, c.cut), useMmx, chunk);
        EXPECT_EQ(result.status, 0);
        ASSERT_EQ(result.lines.size(), whole.lines.size());
        for (size_t y = 0; y < result.lines.size() && c.intactLines > 0; ++y) {
          EXPECT_EQ(result.lines[y], whole.lines[std::min(y, c.intactLines - 1)]) << "line " << y;
        }
      }
    }
  }
}

// Samples of 138, 128 and 118 (DC differences 80, 0 and -80) in the three
// components: RGB as they are, or YCbCr converted to 124, 145, 138.
TEST(JpegScan, ThreeComponentsHoldRgbWhereTheSegmentsSaySo) {
  const Bytes jfif{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  struct Case { const char* name; bool withJfif; int adobeTransform; int ids[3]; bool rgb; };
  const Case cases[] = {
      {"AdobeTransform0", false, 0, {1, 2, 3}, true},      {"IdsRgb", false, -1, {'R', 'G', 'B'}, true},
      {"AdobeTransform0WithJfif", true, 0, {1, 2, 3}, false}, {"IdsRgbWithJfif", true, -1, {'R', 'G', 'B'}, false},
      {"AdobeTransform1", false, 1, {'R', 'G', 'B'}, false}, {"NoSegments", false, -1, {1, 2, 3}, false},
  };
  for (const Case& c : cases) {
    StreamBuilder s;
    s.soi().raw(c.withJfif ? StreamBuilder().segment(0xE0, jfif).bytes : Bytes());
    const Bytes adobe{'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, static_cast<uint8_t>(c.adobeTransform)};
    if (c.adobeTransform >= 0) s.segment(0xEE, adobe);
    s.dqt(0).directTables().sof(0xC0, 8, 8, {{c.ids[0], 1, 1, 0}, {c.ids[1], 1, 1, 0}, {c.ids[2], 1, 1, 0}});
    s.sos({{c.ids[0], 0, 0}, {c.ids[1], 0, 0}, {c.ids[2], 0, 0}});
    s.raw(BitWriter().dc(80).endOfBlock().dc(0).endOfBlock().dc(-80).endOfBlock().finish()).eoi();
    for (bool useMmx : {false, true}) {
      const std::vector<uint8_t> line = Decode(s.bytes, useMmx).lines.at(7);
      EXPECT_EQ(Bytes(line.end() - 4, line.end()), c.rgb ? Bytes({138, 128, 118, 0}) : Bytes({124, 145, 138, 0}))
          << c.name;
    }
  }
}

TEST(JpegScan, CallingOrder) {
  MemoryJpegSource source(Grey(8, 8, BitWriter().dc(8).endOfBlock().finish()));
  JpegDecoder decoder(&source, false);
  const uint8_t* line = nullptr;
  int count = -5;
  EXPECT_EQ(decoder.nextScanLine(&line, &count), Failed);
  EXPECT_EQ((std::pair{decoder.startDecoding(), decoder.startDecoding()}), std::pair(0, 0));
  for (int y = 0; y < 8; ++y) EXPECT_EQ(decoder.nextScanLine(&line, &count), 0);
  line = nullptr;
  EXPECT_EQ(decoder.nextScanLine(&line, &count), Done);
  EXPECT_EQ(decoder.nextScanLine(&line, &count), Done);
  EXPECT_EQ(line, nullptr);
  EXPECT_EQ(source.endUseCalls, 0);

  // A decoder that has failed refuses every later call and keeps its status.
  MemoryJpegSource bad(Grey(8, 8, UpTo48().ac(0, 1).zeroRun().finish()));
  JpegDecoder failing(&bad, false);
  ASSERT_EQ(failing.startDecoding(), 0);
  EXPECT_EQ(failing.nextScanLine(&line, &count), EntropyDataBad);
  EXPECT_EQ(bad.endUseCalls, 1);
  EXPECT_EQ((std::tuple{failing.nextScanLine(&line, &count), failing.startDecoding(), failing.status()}),
            std::tuple(Failed, Failed, EntropyDataBad));
}

}  // namespace
}  // namespace jpegtest
