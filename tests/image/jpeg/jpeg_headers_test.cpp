// Header parsing and scan setup: the SOI search, the marker dispatcher, every
// segment parser's checks and the scan checks, seen through the statuses that
// construction and startDecoding report.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

// A complete grey 8x8 image whose one block has a DC difference of 8.
Bytes GreyImage(const std::function<void(StreamBuilder&)>& beforeFrame = nullptr) {
  StreamBuilder s;
  s.soi().dqt(0).directTables();
  if (beforeFrame) beforeFrame(s);
  return s.sof(0xC0, 8, 8, {{1, 1, 1, 0}}).sos({{1, 0, 0}}).raw(BitWriter().dc(8).endOfBlock().finish()).eoi().bytes;
}

Bytes WithSegment(int code, int length, const Bytes& payload) {
  return GreyImage([=](StreamBuilder& s) { s.segmentWithLength(code, length, payload); });
}

// SOI and a frame header of `components` components, each 1x1 with table 0.
Bytes FrameHeader(int width, int height, int precision = 8, int components = 1) {
  const std::vector<Component> frame(static_cast<size_t>(components), {1, 1, 1, 0});
  return StreamBuilder().soi().sof(0xC0, width, height, frame, precision).bytes;
}

Bytes DhtWithCounts(int classAndId, int total) {
  std::vector<int> counts(16, 0);
  counts[15] = total;  // all of length 16: fits the code space
  std::vector<int> values(static_cast<size_t>(total), 0);
  return StreamBuilder::HuffmanTable(classAndId, counts, values);
}

// An 8x8 image of one scan, whose data is a zero DC and an end of block;
// quantisation tables 0 and 1 are defined.
Bytes OneScan(const std::vector<Component>& frame, const std::vector<ScanComponent>& scan, int frameCode = 0xC0,
              int ss = 0, int se = 63, int ah = 0, int al = 0) {
  return StreamBuilder().soi().dqt(0).dqt(1).directTables().sof(frameCode, 8, 8, frame).sos(scan, ss, se, ah, al)
      .raw(BitWriter().dc(0).endOfBlock().finish()).eoi().bytes;
}

constexpr Component kLuma{1, 1, 1, 0}, kCr{3, 1, 1, 0};
const std::vector<Component> kGrey{kLuma}, kColour{kLuma, {2, 1, 1, 0}, kCr};
const std::vector<ScanComponent> kY{{1, 0, 0}};

Bytes Progressive(const std::vector<ScanComponent>& scan, int ss, int se, int ah, int al) {
  return OneScan(kColour, scan, 0xC2, ss, se, ah, al);
}

constexpr bool kAtStart = true;

struct StatusCase {
  std::string name;
  std::function<Bytes()> stream;
  int status;
  bool atStart = false;  // refused by startDecoding rather than at construction
};

class StreamStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(StreamStatus, IsReportedWhereTheStreamIsRefused) {
  const StatusCase& c = GetParam();
  for (bool useMmx : {false, true}) {
    const DecodeResult result = Decode(c.stream(), useMmx);
    EXPECT_EQ(result.constructStatus, c.atStart ? 0 : c.status);
    EXPECT_EQ(result.startResult, c.atStart ? Failed : 0);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.beginUseCalls, 1);
    EXPECT_EQ(result.endUseCalls, 1);
    EXPECT_TRUE(!c.atStart || result.width == 8) << "the frame's size is reported before the refusal";
    EXPECT_EQ(result.lines.size(), c.status == 0 ? 8u : 0u);
  }
}

// Fits its code space, but needs more branch nodes than the decoding tree holds.
Bytes DhtNeedingTooManyBranches() {
  std::vector<int> counts(16, 0);
  counts[14] = 2;
  counts[15] = 253;
  return WithSegment(0xC4, 2 + 17 + 255, StreamBuilder::HuffmanTable(0x12, counts, std::vector<int>(255, 1)));
}

const StatusCase kStatusCases[] = {
    // Construction: the SOI search and the headers up to the frame.
    {"Junk511BeforeSoi", [] { return StreamBuilder().raw(Bytes(511, 0)).raw(GreyImage()).bytes; }, 0},
    {"Junk512BeforeSoi", [] { return StreamBuilder().raw(Bytes(512, 0)).raw(GreyImage()).bytes; }, NotJpeg},
    {"LateSoiNotFollowedByMarker",
     [] { return StreamBuilder().raw({0, 0, 0}).soi().raw({0x00}).raw(GreyImage()).bytes; }, NotJpeg},
    {"EmptyStream", [] { return Bytes(); }, NotJpeg},
    {"AppLength2Skipped", [] { return WithSegment(0xE0, 2, {}); }, 0},
    {"AppLength1", [] { return WithSegment(0xE0, 1, {}); }, SegmentLengthBad},
    {"FillBytesBeforeMarker", [] { return GreyImage([](StreamBuilder& s) { s.raw({0xFF, 0xFF}); }); }, 0},
    {"DriLength5", [] { return WithSegment(0xDD, 5, {0, 1, 0}); }, RestartDefinitionBad},
    {"DqtLength1", [] { return WithSegment(0xDB, 1, {}); }, QuantSegmentBad},
    {"DqtSlot4", [] { return WithSegment(0xDB, 67, StreamBuilder::QuantTable(4, 1, false)); }, QuantSlotInvalid},
    {"DqtShortFor16Bit", [] { return WithSegment(0xDB, 67, StreamBuilder::QuantTable(1, 1, true)); },
     QuantSegmentShort},
    {"DqtTwoTables",  // a 16-bit table and an 8-bit one in one segment
     [] {
       StreamBuilder two;
       two.raw(StreamBuilder::QuantTable(1, 2, true)).raw(StreamBuilder::QuantTable(2, 3, false));
       return WithSegment(0xDB, 2 + 129 + 65, two.bytes);
     }, 0},
    {"DhtCounts255", [] { return WithSegment(0xC4, 2 + 17 + 255, DhtWithCounts(0x11, 255)); }, 0},
    {"DhtCounts256", [] { return WithSegment(0xC4, 2 + 17 + 256, DhtWithCounts(0x11, 256)); }, HuffCountsOverflow},
    {"DhtShort", [] { return WithSegment(0xC4, 2 + 17 + 9, DhtWithCounts(0x11, 10)); }, HuffSegmentBad},
    {"DhtSlot0x14", [] { return WithSegment(0xC4, 2 + 17 + 10, DhtWithCounts(0x14, 10)); }, HuffSlotInvalid},
    {"DhtHighBitsIgnored", [] { return WithSegment(0xC4, 2 + 17 + 10, DhtWithCounts(0xE3, 10)); }, 0},
    {"DhtOverSubscribed",  // three codes of length 1 cannot exist
     [] { return WithSegment(0xC4, 2 + 17 + 3, StreamBuilder::HuffmanTable(0x00, {3}, {0, 1, 2})); }, HuffSegmentBad},
    {"DhtNeedsMoreBranchNodesThanTheTreeHolds", DhtNeedingTooManyBranches, HuffSegmentBad},
    {"DacMarker", [] { return WithSegment(0xCC, 4, {0, 0}); }, ArithmeticUnsupported},
    {"RstAmongHeaders", [] { return GreyImage([](StreamBuilder& s) { s.marker(0xD3); }); }, MarkerUnexpected},
    {"TemAmongHeaders", [] { return GreyImage([](StreamBuilder& s) { s.marker(0x01); }); }, MarkerUnexpected},
    {"Sof9", [] { return StreamBuilder().greyHeaders(8, 8, 0xC9).bytes; }, ArithmeticUnsupported},
    {"Sof3", [] { return StreamBuilder().greyHeaders(8, 8, 0xC3).bytes; }, FrameTypeUnsupported},  // as any other frame
    {"SosBeforeFrame", [] { return StreamBuilder().soi().sos({{1, 0, 0}}).bytes; }, FrameTypeUnsupported},
    {"Precision12", [] { return FrameHeader(8, 8, 12); }, PrecisionUnsupported},
    {"Height0", [] { return FrameHeader(8, 0); }, HeightInvalid},
    {"Height8193BeforeWidth0", [] { return FrameHeader(0, 8193); }, HeightInvalid},
    {"Width8193", [] { return FrameHeader(8193, 8); }, WidthInvalid},
    {"FiveComponents", [] { return FrameHeader(8, 8, 8, 5); }, TooManyComponents},
    {"FrameLengthWrong", [] { Bytes frame = FrameHeader(8, 8); frame[5] = 12; return frame; }, FrameHeaderBad},
    // startDecoding: the frame's layout, the markers up to the scan, the scan's checks.
    {"TwoComponents", [] { return OneScan({{1, 1, 1, 0}, {2, 1, 1, 0}}, kY); }, ColourLayoutUnsupported, kAtStart},
    {"NoComponents", [] { return FrameHeader(8, 8, 8, 0); }, ColourLayoutUnsupported, kAtStart},
    {"CbSampled2x1", [] { return OneScan({{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}, kY); }, SamplingUnsupported,
     kAtStart},
    {"GreySampling0", [] { return OneScan({{1, 0, 1, 0}}, kY); }, SamplingUnsupported, kAtStart},
    {"EoiInsteadOfScan", [] { return StreamBuilder().greyHeaders(8, 8).eoi().bytes; }, MarkerUnexpected, kAtStart},
    {"SourceEndsAfterHeaders", [] { return StreamBuilder().greyHeaders(8, 8).bytes; }, MarkerUnexpected, kAtStart},
    {"SecondFrameInsteadOfScan", [] { return StreamBuilder().greyHeaders(8, 8).sof(0xC0, 8, 8, kGrey).bytes; },
     MarkerUnexpected, kAtStart},
    {"ScanLengthWrong", [] { return StreamBuilder().greyHeaders(8, 8).segment(0xDA, {1, 1, 0, 0, 63, 0, 0}).bytes; },
     ScanHeaderBad, kAtStart},
    {"ScanOfNoComponents", [] { return StreamBuilder().greyHeaders(8, 8).segment(0xDA, {0, 0, 63, 0}).bytes; },
     ScanHeaderBad, kAtStart},
    {"ScanComponentUnknown", [] { return OneScan(kGrey, {{7, 0, 0}}); }, ScanComponentUnknown, kAtStart},
    {"DcTableMissing", [] { return OneScan(kGrey, {{1, 1, 0}}); }, HuffTableUndefined, kAtStart},
    {"AcTableMissing", [] { return OneScan(kGrey, {{1, 0, 2}}); }, HuffTableUndefined, kAtStart},
    // Selectors above 3 name tables that cannot exist, even where slot 4 + n happens to hold AC table n.
    {"DcSelector4", [] { return OneScan(kGrey, {{1, 4, 0}}); }, HuffTableUndefined, kAtStart},
    {"AcSelector9", [] { return OneScan(kGrey, {{1, 0, 9}}); }, HuffTableUndefined, kAtStart},
    {"QuantTableMissing", [] { return OneScan({{1, 1, 1, 2}}, kY); }, QuantTableUndefined, kAtStart},
    {"ComponentNamedFourTimes",
     [] { return OneScan({{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}}); },
     InternalLimit, kAtStart},
    {"ProgressiveDcScanNamesAComponentTwice", [] { return Progressive({{1, 0, 0}, {3, 0, 0}, {3, 0, 0}}, 0, 0, 0, 0); },
     InternalLimit, kAtStart},
    {"ProgressiveAcScanOfTwoComponents", [] { return Progressive({{1, 0, 0}, {2, 0, 0}}, 1, 5, 0, 0); },
     SpectralRangeBad, kAtStart},
    {"ProgressiveAcScanNamesLumaTwice",  // 8 blocks per MCU, within the 10 and more than the frame's 6
     [] { return OneScan({{1, 2, 2, 0}, {2, 1, 1, 0}, kCr}, {{1, 0, 0}, {1, 0, 0}}, 0xC2, 1, 5); }, SpectralRangeBad,
     kAtStart},
    {"ProgressiveEndBeforeStart", [] { return Progressive(kY, 6, 5, 0, 0); }, SpectralRangeBad, kAtStart},
    {"ProgressiveEndBeyond63", [] { return Progressive(kY, 1, 64, 0, 0); }, SpectralRangeBad, kAtStart},
    {"ProgressiveDcScanWithAcBand", [] { return Progressive(kY, 0, 5, 0, 0); }, SpectralRangeBad, kAtStart},
    {"ProgressiveDcRefineAh2Al0", [] { return Progressive(kY, 0, 0, 2, 0); }, ApproximationBad, kAtStart},
    {"ProgressiveAcRefineAh1Al1", [] { return Progressive(kY, 1, 63, 1, 1); }, ApproximationBad, kAtStart},
    {"ProgressiveDcScanNeedsNoAcTable", [] { return Progressive({{1, 0, 3}}, 0, 0, 0, 0); }, 0},
    {"ProgressiveAcScanNeedsNoDcTable", [] { return Progressive({{1, 3, 0}}, 1, 63, 0, 0); }, 0},
    // A component that no scan decodes (Cb here) still needs its quantisation table.
    {"ProgressiveComponentWithoutScanOrTable", [] { return OneScan({kLuma, {2, 1, 1, 2}, kCr}, kY, 0xC2, 0, 0); },
     QuantTableUndefined, kAtStart},
    {"ProgressiveComponentWithoutScan", [] { return OneScan({kLuma, {2, 1, 1, 1}, kCr}, kY, 0xC2, 0, 0); }, 0},
};

INSTANTIATE_TEST_SUITE_P(JpegHeaders, StreamStatus, testing::ValuesIn(kStatusCases),
                         [](const testing::TestParamInfo<StatusCase>& info) { return info.param.name; });

TEST(JpegHeaders, LargestImageIsAcceptedWithItsSize) {
  const DecodeResult result = Decode(FrameHeader(8192, 8192, 8, 3));
  EXPECT_EQ(result.constructStatus, 0);
  EXPECT_EQ(std::pair(result.width, result.height), std::pair(8192, 8192));
}

}  // namespace
}  // namespace jpegtest
