// Header parsing and scan setup: the SOI search, the marker dispatcher, every
// segment parser's checks and the scan checks, seen through the statuses that
// construction and startDecoding report.
#include <gtest/gtest.h>

#include <utility>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

// A complete grey 8x8 image whose one block has a DC difference of 8, `beforeFrame` after its tables.
Bytes GreyImage(const Bytes& beforeFrame = {}) {
  return StreamBuilder().soi().dqt(0).directTables().raw(beforeFrame).sof(0xC0, 8, 8, {{1, 1, 1, 0}})
      .sos({{1, 0, 0}}).raw(BitWriter().dc(8).endOfBlock().finish()).eoi().bytes;
}

Bytes WithSegment(int code, int length, const Bytes& payload) {
  return GreyImage(StreamBuilder().segment(code, payload, length).bytes);
}

// SOI and a frame header of `components` components, each 1x1 with table 0.
Bytes FrameHeader(int width, int height, int precision = 8, int components = 1) {
  const std::vector<Component> frame(static_cast<size_t>(components), {1, 1, 1, 0});
  return StreamBuilder().soi().sof(0xC0, width, height, frame, precision).bytes;
}

// A DHT segment of `total` codes, all of length 16 (within the code space), each with `length`.
Bytes Dht(int classAndId, int total, int length) {
  const Bytes table = StreamBuilder::HuffmanTable(classAndId, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, total},
                                                  std::vector<int>(static_cast<size_t>(total), 0));
  return WithSegment(0xC4, length, table);
}

// An 8x8 image of one scan, whose data is a zero DC and an end of block;
// quantisation tables 0 and 1 are defined.
Bytes OneScan(const std::vector<Component>& frame, const std::vector<ScanComponent>& scan, int frameCode = 0xC0,
              int ss = 0, int se = 63, int ah = 0, int al = 0) {
  return StreamBuilder().soi().dqt(0).dqt(1).directTables().sof(frameCode, 8, 8, frame).sos(scan, ss, se, ah, al)
      .raw(BitWriter().dc(0).endOfBlock().finish()).eoi().bytes;
}

constexpr Component kLuma{1, 1, 1, 0}, kCr{3, 1, 1, 0};
const std::vector<Component> kGrey{kLuma}, kColour{kLuma, {2, 1, 1, 0}, kCr}, k420{{1, 2, 2, 0}, {2, 1, 1, 0}, kCr};
const std::vector<ScanComponent> kY{{1, 0, 0}};
constexpr ScanComponent kCrScan{3, 0, 0};

Bytes Progressive(const std::vector<ScanComponent>& scan, int ss, int se, int ah, int al) {
  return OneScan(kColour, scan, 0xC2, ss, se, ah, al);
}

StreamBuilder Headers() { return StreamBuilder().greyHeaders(8, 8); }

constexpr bool kAtStart = true;  // refused by startDecoding rather than at construction

TEST(JpegHeaders, StatusIsReportedWhereTheStreamIsRefused) {
  StreamBuilder twoTables;  // a 16-bit table and an 8-bit one in one segment
  twoTables.raw(StreamBuilder::QuantTable(1, 2, true)).raw(StreamBuilder::QuantTable(2, 3, false));
  // Fits its code space, but needs more branch nodes than the decoding tree holds.
  const Bytes tooManyBranches = WithSegment(0xC4, 2 + 17 + 255, StreamBuilder::HuffmanTable(
      0x12, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 253}, std::vector<int>(255, 1)));
  Bytes frameLengthWrong = FrameHeader(8, 8);
  frameLengthWrong[5] = 12;
  struct Case { const char* name; Bytes stream; int status; bool atStart = false; int size = 8; };
  const Case cases[] = {
      // Construction: the SOI search and the headers up to the frame.
      {"Junk511BeforeSoi", StreamBuilder().raw(Bytes(511, 0)).raw(GreyImage()).bytes, 0},
      {"Junk512BeforeSoi", StreamBuilder().raw(Bytes(512, 0)).raw(GreyImage()).bytes, NotJpeg},
      {"LateSoiNotFollowedByMarker", StreamBuilder().raw({0, 0, 0}).soi().raw({0}).raw(GreyImage()).bytes, NotJpeg},
      {"EmptyStream", {}, NotJpeg},
      {"AppLength2Skipped", WithSegment(0xE0, 2, {}), 0}, {"AppLength1", WithSegment(0xE0, 1, {}), SegmentLengthBad},
      {"FillBytesBeforeMarker", GreyImage({0xFF, 0xFF}), 0},
      {"DriLength5", WithSegment(0xDD, 5, {0, 1, 0}), RestartDefinitionBad},
      {"DqtLength1", WithSegment(0xDB, 1, {}), QuantSegmentBad},
      {"DqtSlot4", WithSegment(0xDB, 67, StreamBuilder::QuantTable(4, 1, false)), QuantSlotInvalid},
      {"DqtShortFor16Bit", WithSegment(0xDB, 67, StreamBuilder::QuantTable(1, 1, true)), QuantSegmentShort},
      {"DqtTwoTables", WithSegment(0xDB, 2 + 129 + 65, twoTables.bytes), 0},
      {"DhtCounts255", Dht(0x11, 255, 2 + 17 + 255), 0},
      {"DhtCounts256", Dht(0x11, 256, 2 + 17 + 256), HuffCountsOverflow},
      {"DhtShort", Dht(0x11, 10, 2 + 17 + 9), HuffSegmentBad},
      {"DhtSlot0x14", Dht(0x14, 10, 2 + 17 + 10), HuffSlotInvalid},
      {"DhtHighBitsIgnored", Dht(0xE3, 10, 2 + 17 + 10), 0},
      // Three codes of length 1 cannot exist.
      {"DhtOverSubscribed", WithSegment(0xC4, 20 + 2, StreamBuilder::HuffmanTable(0, {3}, {0, 1, 2})), HuffSegmentBad},
      {"DhtNeedsMoreBranchNodesThanTheTreeHolds", tooManyBranches, HuffSegmentBad},
      {"DacMarker", WithSegment(0xCC, 4, {0, 0}), ArithmeticUnsupported},
      {"RstAmongHeaders", GreyImage({0xFF, 0xD3}), MarkerUnexpected},
      {"TemAmongHeaders", GreyImage({0xFF, 0x01}), MarkerUnexpected},
      {"Sof9", StreamBuilder().greyHeaders(8, 8, 0xC9).bytes, ArithmeticUnsupported},
      {"Sof3", StreamBuilder().greyHeaders(8, 8, 0xC3).bytes, FrameTypeUnsupported},  // as any other frame
      {"SosBeforeFrame", StreamBuilder().soi().sos(kY).bytes, FrameTypeUnsupported},
      {"Precision12", FrameHeader(8, 8, 12), PrecisionUnsupported},
      {"Height0", FrameHeader(8, 0), HeightInvalid}, {"Height8193BeforeWidth0", FrameHeader(0, 8193), HeightInvalid},
      {"Width8193", FrameHeader(8193, 8), WidthInvalid}, {"FiveComponents", FrameHeader(8, 8, 8, 5), TooManyComponents},
      {"FrameLengthWrong", frameLengthWrong, FrameHeaderBad},
      // startDecoding: the frame's layout, the markers up to the scan, the scan's checks.
      {"TwoComponents", OneScan({kLuma, {2, 1, 1, 0}}, kY), ColourLayoutUnsupported, kAtStart},
      {"NoComponents", FrameHeader(8, 8, 8, 0), ColourLayoutUnsupported, kAtStart},
      {"CbSampled2x1", OneScan({{1, 2, 2, 0}, {2, 2, 1, 0}, kCr}, kY), SamplingUnsupported, kAtStart},
      {"GreySampling0", OneScan({{1, 0, 1, 0}}, kY), SamplingUnsupported, kAtStart},
      {"EoiInsteadOfScan", Headers().eoi().bytes, MarkerUnexpected, kAtStart},
      {"SourceEndsAfterHeaders", Headers().bytes, MarkerUnexpected, kAtStart},
      {"SecondFrameInsteadOfScan", Headers().sof(0xC0, 8, 8, kGrey).bytes, MarkerUnexpected, kAtStart},
      {"ScanLengthWrong", Headers().segment(0xDA, {1, 1, 0, 0, 63, 0, 0}).bytes, ScanHeaderBad, kAtStart},
      {"ScanOfNoComponents", Headers().segment(0xDA, {0, 0, 63, 0}).bytes, ScanHeaderBad, kAtStart},
      {"ScanComponentUnknown", OneScan(kGrey, {{7, 0, 0}}), ScanComponentUnknown, kAtStart},
      {"DcTableMissing", OneScan(kGrey, {{1, 1, 0}}), HuffTableUndefined, kAtStart},
      {"AcTableMissing", OneScan(kGrey, {{1, 0, 2}}), HuffTableUndefined, kAtStart},
      // Selectors above 3 name tables that cannot exist, even where slot 4 + n happens to hold AC table n.
      {"DcSelector4", OneScan(kGrey, {{1, 4, 0}}), HuffTableUndefined, kAtStart},
      {"AcSelector9", OneScan(kGrey, {{1, 0, 9}}), HuffTableUndefined, kAtStart},
      {"QuantTableMissing", OneScan({{1, 1, 1, 2}}, kY), QuantTableUndefined, kAtStart},
      {"ComponentNamedFourTimes", OneScan(k420, {kY[0], kY[0], kY[0], {2, 0, 0}}), InternalLimit, kAtStart},
      {"ProgressiveDcScanNamesCrTwice", Progressive({kY[0], kCrScan, kCrScan}, 0, 0, 0, 0), InternalLimit, kAtStart},
      {"ProgressiveAcScanOfTwoComponents", Progressive({kY[0], {2, 0, 0}}, 1, 5, 0, 0), SpectralRangeBad, kAtStart},
      // 8 blocks per MCU, within the 10 and more than the frame's 6.
      {"ProgressiveAcScanNamesLumaTwice", OneScan(k420, {kY[0], kY[0]}, 0xC2, 1, 5), SpectralRangeBad, kAtStart},
      {"ProgressiveEndBeforeStart", Progressive(kY, 6, 5, 0, 0), SpectralRangeBad, kAtStart},
      {"ProgressiveEndBeyond63", Progressive(kY, 1, 64, 0, 0), SpectralRangeBad, kAtStart},
      {"ProgressiveDcScanWithAcBand", Progressive(kY, 0, 5, 0, 0), SpectralRangeBad, kAtStart},
      {"ProgressiveDcRefineAh2Al0", Progressive(kY, 0, 0, 2, 0), ApproximationBad, kAtStart},
      {"ProgressiveAcRefineAh1Al1", Progressive(kY, 1, 63, 1, 1), ApproximationBad, kAtStart},
      {"ProgressiveDcScanNeedsNoAcTable", Progressive({{1, 0, 3}}, 0, 0, 0, 0), 0},
      {"ProgressiveAcScanNeedsNoDcTable", Progressive({{1, 3, 0}}, 1, 63, 0, 0), 0},
      // A component that no scan decodes (Cb here) still needs its quantisation table.
      {"ProgressiveComponentWithoutScanOrTable", OneScan({kLuma, {2, 1, 1, 2}, kCr}, kY, 0xC2, 0, 0),
       QuantTableUndefined, kAtStart},
      {"ProgressiveComponentWithoutScan", OneScan({kLuma, {2, 1, 1, 1}, kCr}, kY, 0xC2, 0, 0), 0},
      {"LargestImage", FrameHeader(8192, 8192, 8, 3), MarkerUnexpected, kAtStart, 8192},  // accepted, then no scan
  };
  for (const Case& c : cases) {
    for (bool useMmx : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (useMmx ? " mmx" : " llm"));
      const DecodeResult result = Decode(c.stream, useMmx);
      EXPECT_EQ(std::pair(result.constructStatus, result.startResult),
                std::pair(c.atStart ? 0 : c.status, c.atStart ? Failed : 0));
      EXPECT_EQ(result.status, c.status);
      EXPECT_EQ(std::pair(result.beginUseCalls, result.endUseCalls), std::pair(1, 1));
      EXPECT_TRUE(!c.atStart || (result.width == c.size && result.height == c.size)) << "the frame's size is reported";
      EXPECT_EQ(result.lines.size(), c.status == 0 ? 8u : 0u);
    }
  }
}

}  // namespace
}  // namespace jpegtest
