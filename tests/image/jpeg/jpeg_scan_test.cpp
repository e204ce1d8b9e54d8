// Scan decoding through the public interface: pixels of hand-made streams,
// the entropy-data checks, restart markers, segments after the scan,
// truncated and failing sources, and the calling order.
#include <gtest/gtest.h>

#include <vector>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

// A grey image of DirectTables() whose entropy data is `data`.
Bytes Grey(int width, int height, const Bytes& data, int quant = 1, int ss = 0, int se = 63) {
  return StreamBuilder().greyHeaders(width, height, 0xC0, quant).sos({{1, 0, 0}}, ss, se).raw(data).eoi().bytes;
}

using Lines = std::vector<std::vector<uint8_t>>;

// DC-only blocks are flat. Dequantised with a 16-bit quantisation value (300),
// the DC d gives ((300 d + 4) >> 3) + 128 with LLM and (1200 d >> 5) + 128
// with AAN (prescaled, 4 per unit), clamped; the predictor carries across blocks.
TEST(JpegScan, DcOnlyBlocksGiveFlatPixelsOnBothPaths) {
  BitWriter data;
  for (int difference : {1, -2, 6, -10}) data.dc(difference).endOfBlock();
  const Bytes image = Grey(32, 8, data.finish(), 300);
  for (bool useMmx : {false, true}) {
    std::vector<uint8_t> line;
    for (int value : useMmx ? std::vector{165, 90, 255, 0} : std::vector{166, 91, 255, 0}) {
      line.insert(line.end(), 8, static_cast<uint8_t>(value));
    }
    const DecodeResult result = Decode(image, useMmx);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines, Lines(8, line)) << (useMmx ? "AAN" : "LLM");
  }
}

TEST(JpegScan, SequentialScanIgnoresItsSpectralRange) {
  Bytes data = BitWriter().dc(8).ac(0, 20).ac(3, -7).endOfBlock().finish();
  for (bool useMmx : {false, true}) {
    EXPECT_EQ(Decode(Grey(8, 8, data, 1, 5, 20), useMmx).lines,
              Decode(Grey(8, 8, data), useMmx).lines);
  }
}

// Brings k to 48: three runs that end on positions 16, 32 and 47.
BitWriter UpTo48() {
  BitWriter data;
  data.dc(0).ac(15, 1).ac(15, 1).ac(14, 1);
  return data;
}

// One grey block of `data`, with a DC table of symbols 0..16 so that category 16 can be coded.
Bytes OneBlock(BitWriter data) {
  return StreamBuilder().soi().dqt(0).segment(0xC4, StreamBuilder::DirectTable(0x00, 17))
      .segment(0xC4, StreamBuilder::DirectTable(0x10, 255)).sof(0xC0, 8, 8, {{1, 1, 1, 0}})
      .sos({{1, 0, 0}}).raw(data.finish()).eoi().bytes;
}

// Ten 8x8 blocks in a row, each an interval of its own with a DC difference
// of 80, interval i followed by the RSTn of markers[i] (and `junkBefore`
// bytes of junk before marker `junkAt`).
Bytes RestartImage(const std::vector<int>& markers, int junkBefore = 0, int junkAt = -1) {
  StreamBuilder s;
  s.soi().dqt(0).directTables().dri(1).sof(0xC0, 80, 8, {{1, 1, 1, 0}}).sos({{1, 0, 0}});
  for (int i = 0; i < 10; ++i) {
    s.raw(BitWriter().dc(80).endOfBlock().finish());
    if (i < static_cast<int>(markers.size())) {
      if (i == junkAt) s.raw(Bytes(static_cast<size_t>(junkBefore), 0x5A));
      s.marker(0xD0 + markers[static_cast<size_t>(i)]);
    }
  }
  return s.eoi().bytes;
}

// Without its last `count` bytes.
Bytes Cut(Bytes stream, size_t count) {
  stream.resize(stream.size() - count);
  return stream;
}

// What the entropy-coded data must respect: where runs and ends of block may
// stand, the DC categories, the restart markers' order and search, and the
// segments between the scan and the end of the image.
TEST(JpegScan, EntropyDataRestartAndEndChecks) {
  const std::vector<int> inOrder{0, 1, 2, 3, 4, 5, 6, 7, 0};
  const Bytes withoutEoi = Cut(Grey(8, 8, BitWriter().dc(8).endOfBlock().finish()), 2);
  struct Case { const char* name; Bytes image; int status; };
  const Case cases[] = {
      {"ZrlAt48", OneBlock(UpTo48().zeroRun()), 0},
      {"ZrlAt49", OneBlock(UpTo48().ac(0, 1).zeroRun()), EntropyDataBad},
      {"Run3At61", OneBlock(UpTo48().ac(12, 1).ac(3, 1)), EntropyDataBad},
      {"Run2At61", OneBlock(UpTo48().ac(12, 1).ac(2, 1)), 0},
      {"DcCategory16", OneBlock(BitWriter().symbol(16).bits(0xFFFF, 16).endOfBlock()), EntropyDataBad},
      {"RestartsInOrderAndWrapping", RestartImage(inOrder), 0},
      {"D3WhereD2IsDue", RestartImage({0, 1, 3, 3, 4, 5, 6, 7, 0}), RestartMarkerBad},
      {"RestartsStartingAtD1", RestartImage({1, 2, 3, 4, 5, 6, 7, 0, 1}), RestartMarkerBad},
      {"JunkBeforeRestart", RestartImage(inOrder, 1200, 3), 0},
      {"JunkBeyondTheRestartSearch", RestartImage(inOrder, 1600, 3), RestartMarkerBad},
      // A marker after the last interval fails the search for the end of the image.
      {"RestartAfterTheLastInterval", RestartImage({0, 1, 2, 3, 4, 5, 6, 7, 0, 1}), MarkerUnexpected},
      // A source that ends before a restart: the search finds the end of the image.
      {"CutBeforeTheLastInterval", Cut(RestartImage(inOrder), 2 + 3 + 2), RestartMarkerBad},
      {"TablesAfterTheScan", StreamBuilder().raw(withoutEoi).dqt(1).segment(0xFE, {'h', 'i'}).eoi().bytes, 0},
      {"BadSegmentAfterTheScan", StreamBuilder().raw(withoutEoi).segmentWithLength(0xFE, 1, {}).eoi().bytes,
       SegmentLengthBad},
  };
  for (const Case& c : cases) {
    for (bool useMmx : {false, true}) {
      DecodeResult result = Decode(c.image, useMmx);
      EXPECT_EQ(result.status, c.status) << c.name;
      EXPECT_EQ(result.lastLineResult, c.status == 0 ? Done : EntropyDataBad) << c.name;
      EXPECT_EQ(result.endUseCalls, 1) << c.name;
    }
  }
  // A DC difference of 80 gives 138 in every interval only if each restart resets the predictor.
  for (const Bytes& image : {RestartImage(inOrder), RestartImage(inOrder, 1200, 3)}) {
    EXPECT_EQ(Decode(image).lines, Lines(8, std::vector<uint8_t>(80, 138)));
  }
}

// The header reader reads ahead; when entropy-coded data begins, what it
// read goes back into the input, even across a refill of the input buffer
// (every 4096 bytes): wherever the data begins, it decodes the same.
TEST(JpegScan, DataBeginningAroundARefillDecodesTheSame) {
  BitWriter data;
  for (int i = 0; i < 64; ++i) data.dc(i % 2 ? 37 : -29).ac(i % 5, 3 - i).endOfBlock();
  const Bytes entropy = data.finish(), plain = Grey(64, 64, entropy);
  const size_t headers = plain.size() - entropy.size() - 2;
  for (size_t begin = 4090; begin < 4100; ++begin) {
    // A comment segment in front moves the data.
    const Bytes padding(begin - headers - 4, 'x');
    const Bytes moved = StreamBuilder().soi().segment(0xFE, padding).raw(Bytes(plain.begin() + 2, plain.end())).bytes;
    for (bool useMmx : {false, true}) {
      EXPECT_EQ(Decode(moved, useMmx).lines, Decode(plain, useMmx).lines) << "data at " << begin;
    }
  }
}

// Ten 8 x 8 blocks in a column, each of 3 bytes: DC differences of +-200
// (category 8) and an end of block.
Bytes TenRows() {
  BitWriter data;
  for (int i = 0; i < 10; ++i) data.dc(i % 2 ? -200 : 200).endOfBlock();
  return Grey(8, 80, data.finish());
}

// A grey block refined: DC and AC first scans with Al = 1, then an AC
// refinement that corrects two values and adds two.
Bytes RefinedBlock() {
  StreamBuilder s = StreamBuilder().greyHeaders(8, 8, 0xC2);
  s.sos({{1, 0, 0}}, 0, 0, 0, 1).raw(BitWriter().dc(21).finish());
  s.sos({{1, 0, 0}}, 1, 63, 0, 1).raw(BitWriter().ac(0, 1).ac(0, -1).endOfBlock().finish());
  BitWriter refine;
  refine.symbol(0x21).bits(1, 1).bits(1, 1).bits(0, 1).symbol(0x01).bits(0, 1).endOfBlock();
  return s.sos({{1, 0, 0}}, 1, 63, 1, 0).raw(refine.finish()).eoi().bytes;
}

// A source that ends inside the entropy-coded data: from there on the data
// reads as 1 bits, which these tables decode as DC differences of 0 and ends
// of block, so a cut picture completes, with the lines before the cut intact
// and the rest flat.
TEST(JpegScan, CutStreamsComplete) {
  struct Case { const char* name; Bytes whole; size_t cut; size_t intactLines; };
  const Case cases[] = {
      {"BaselineCutBetweenRows", TenRows(), 2 + 3 * 6, 32},
      {"BaselineCutInsideARow", TenRows(), 2 + 3 * 6 - 2, 40},  // before its end of block
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
    s.soi();
    if (c.withJfif) s.segment(0xE0, jfif);
    if (c.adobeTransform >= 0) s.segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, uint8_t(c.adobeTransform)});
    s.dqt(0).directTables().sof(0xC0, 8, 8, {{c.ids[0], 1, 1, 0}, {c.ids[1], 1, 1, 0}, {c.ids[2], 1, 1, 0}});
    s.sos({{c.ids[0], 0, 0}, {c.ids[1], 0, 0}, {c.ids[2], 0, 0}});
    s.raw(BitWriter().dc(80).endOfBlock().dc(0).endOfBlock().dc(-80).endOfBlock().finish()).eoi();
    for (bool useMmx : {false, true}) {
      const std::vector<uint8_t> line = Decode(s.bytes, useMmx).lines.at(7);
      const Bytes expected = c.rgb ? Bytes{138, 128, 118, 0} : Bytes{124, 145, 138, 0};
      EXPECT_EQ(Bytes(line.end() - 4, line.end()), expected) << c.name;
    }
  }
}

// A source whose read fails, in the headers (the second read of pieces of 100
// bytes, inside the junk before SOI) or inside the scan (reads 1 to 4 fill the
// buffer for the headers; read 6 comes inside the scan): the failure is
// reported, nothing more is read and the source is released once.
TEST(JpegScan, FailingSourceRead) {
  BitWriter data;
  for (int i = 0; i < 4096; ++i) data.dc(i % 2 ? 5 : -5).ac(0, 3).endOfBlock();
  const Bytes blocks = data.finish();
  struct Case { Bytes image; int chunk; int failingRead; int constructStatus; int lastLineResult; };
  const Case cases[] = {
      {StreamBuilder().raw(Bytes(300, 0)).raw(Grey(8, 8, blocks)).bytes, 100, 2, SourceReadFailed, 0},
      {Grey(8 * 64, 8 * 64, blocks), 1024, 6, 0, EntropyDataBad},
  };
  for (const Case& c : cases) {
    DecodeResult result = Decode(c.image, false, c.chunk, c.failingRead);
    EXPECT_EQ(result.constructStatus, c.constructStatus);
    EXPECT_EQ(result.lastLineResult, c.lastLineResult);
    EXPECT_EQ(result.status, SourceReadFailed);
    EXPECT_EQ(result.readCalls, c.failingRead);
    EXPECT_EQ(result.endUseCalls, 1);
  }
}

TEST(JpegScan, CallingOrder) {
  MemoryJpegSource source(Grey(8, 8, BitWriter().dc(8).endOfBlock().finish()));
  JpegDecoder decoder(&source, false);
  const uint8_t* line = nullptr;
  int count = -5;
  EXPECT_EQ(decoder.nextScanLine(&line, &count), Failed);
  EXPECT_EQ(decoder.startDecoding(), 0);
  EXPECT_EQ(decoder.startDecoding(), 0);
  EXPECT_EQ(decoder.outputBytesPerPixel(), 1);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(decoder.nextScanLine(&line, &count), 0);
  EXPECT_EQ(count, 8);
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
  EXPECT_EQ(failing.nextScanLine(&line, &count), Failed);
  EXPECT_EQ(failing.startDecoding(), Failed);
  EXPECT_EQ(failing.status(), EntropyDataBad);
}

}  // namespace
}  // namespace jpegtest
