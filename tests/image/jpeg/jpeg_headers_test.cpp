// Header parsing: the SOI search, the marker dispatcher and every segment
// parser's checks, seen through the statuses that construction and
// startDecoding report.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/image/jpeg/jpeg_test_decode.h"

namespace jpegtest {
namespace {

// A complete grey 8x8 image whose one block has a DC difference of 8.
Bytes GreyImage(const std::function<void(StreamBuilder&)>& beforeFrame = nullptr) {
  StreamBuilder s;
  s.soi().dqt(0).directTables();
  if (beforeFrame) beforeFrame(s);
  s.sof(0xC0, 8, 8, {{1, 1, 1, 0}}).sos({{1, 0, 0}});
  s.raw(BitWriter().dc(8).endOfBlock().finish()).eoi();
  return s.bytes;
}

Bytes Junk(int count) { return Bytes(static_cast<size_t>(count), 0x00); }

struct HeaderCase {
  std::string name;
  std::function<Bytes()> stream;
  int constructStatus;
};

class HeaderStatus : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderStatus, ConstructionReportsTheStatus) {
  DecodeResult result = Decode(GetParam().stream());
  EXPECT_EQ(result.constructStatus, GetParam().constructStatus);
  EXPECT_EQ(result.beginUseCalls, 1);
  EXPECT_EQ(result.endUseCalls, 1);
  if (result.constructStatus == 0) {
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines.size(), 8u);
  }
}

Bytes WithSegment(int code, int length, const Bytes& payload) {
  return GreyImage([=](StreamBuilder& s) { s.segmentWithLength(code, length, payload); });
}

Bytes FrameHeader(int width, int height, int precision, int components, int length) {
  StreamBuilder s;
  s.soi();
  Bytes payload{static_cast<uint8_t>(precision), static_cast<uint8_t>(height >> 8),
                static_cast<uint8_t>(height), static_cast<uint8_t>(width >> 8),
                static_cast<uint8_t>(width), static_cast<uint8_t>(components)};
  for (int c = 0; c < components; ++c) payload.insert(payload.end(), {uint8_t(c + 1), 0x11, 0});
  return s.segmentWithLength(0xC0, length, payload).bytes;
}

Bytes OverSubscribedDht() {
  // Three codes of length 1 cannot exist.
  return StreamBuilder::HuffmanTable(0x00, {3}, {0, 1, 2});
}

Bytes DhtWithCounts(int classAndId, int total) {
  std::vector<int> counts(16, 0);
  counts[15] = total;  // all of length 16: fits the code space
  std::vector<int> values(static_cast<size_t>(total), 0);
  return StreamBuilder::HuffmanTable(classAndId, counts, values);
}

const HeaderCase kHeaderCases[] = {
    {"Junk511BeforeSoi", [] { return StreamBuilder().raw(Junk(511)).raw(GreyImage()).bytes; }, 0},
    {"Junk512BeforeSoi", [] { return StreamBuilder().raw(Junk(512)).raw(GreyImage()).bytes; }, NotJpeg},
    {"LateSoiNotFollowedByMarker",
     [] { return StreamBuilder().raw(Junk(3)).soi().raw({0x00}).raw(GreyImage()).bytes; }, NotJpeg},
    {"EmptyStream", [] { return Bytes(); }, NotJpeg},
    {"AppLength2Skipped", [] { return WithSegment(0xE0, 2, {}); }, 0},
    {"AppLength1", [] { return WithSegment(0xE0, 1, {}); }, SegmentLengthBad},
    {"FillBytesBeforeMarker", [] { return GreyImage([](StreamBuilder& s) { s.raw({0xFF, 0xFF}); }); }, 0},
    {"DriLength5", [] { return WithSegment(0xDD, 5, {0, 1, 0}); }, RestartDefinitionBad},
    {"DqtLength1", [] { return WithSegment(0xDB, 1, {}); }, QuantSegmentBad},
    {"DqtSlot4", [] { return WithSegment(0xDB, 67, StreamBuilder::QuantTable(4, 1, false)); }, QuantSlotInvalid},
    {"DqtShortFor16Bit", [] { return WithSegment(0xDB, 67, StreamBuilder::QuantTable(1, 1, true)); }, QuantSegmentShort},
    {"DqtTwoTables",
     [] {
       Bytes two = StreamBuilder::QuantTable(1, 2, true);
       Bytes second = StreamBuilder::QuantTable(2, 3, false);
       two.insert(two.end(), second.begin(), second.end());
       return WithSegment(0xDB, 2 + 129 + 65, two);
     }, 0},
    {"DhtCounts255", [] { return WithSegment(0xC4, 2 + 17 + 255, DhtWithCounts(0x11, 255)); }, 0},
    {"DhtCounts256", [] { return WithSegment(0xC4, 2 + 17 + 256, DhtWithCounts(0x11, 256)); }, HuffCountsOverflow},
    {"DhtShort", [] { return WithSegment(0xC4, 2 + 17 + 9, DhtWithCounts(0x11, 10)); }, HuffSegmentBad},
    {"DhtSlot0x14", [] { return WithSegment(0xC4, 2 + 17 + 10, DhtWithCounts(0x14, 10)); }, HuffSlotInvalid},
    {"DhtHighBitsIgnored", [] { return WithSegment(0xC4, 2 + 17 + 10, DhtWithCounts(0xE3, 10)); }, 0},
    {"DhtOverSubscribed", [] { return WithSegment(0xC4, 2 + 17 + 3, OverSubscribedDht()); }, HuffSegmentBad},
    {"DhtNeedsMoreBranchNodesThanTheTreeHolds",
     [] {
       std::vector<int> counts(16, 0);
       counts[14] = 2;
       counts[15] = 253;
       return WithSegment(0xC4, 2 + 17 + 255,
                          StreamBuilder::HuffmanTable(0x12, counts, std::vector<int>(255, 1)));
     }, HuffSegmentBad},
    {"DacMarker", [] { return WithSegment(0xCC, 4, {0, 0}); }, ArithmeticUnsupported},
    {"RstAmongHeaders", [] { return GreyImage([](StreamBuilder& s) { s.marker(0xD3); }); }, MarkerUnexpected},
    {"TemAmongHeaders", [] { return GreyImage([](StreamBuilder& s) { s.marker(0x01); }); }, MarkerUnexpected},
    {"Sof9", [] { return StreamBuilder().greyHeaders(8, 8, 0xC9).bytes; }, ArithmeticUnsupported},
    {"Sof3", [] { return StreamBuilder().greyHeaders(8, 8, 0xC3).bytes; }, FrameTypeUnsupported},
    {"Sof10", [] { return StreamBuilder().greyHeaders(8, 8, 0xCA).bytes; }, FrameTypeUnsupported},
    {"SosBeforeFrame", [] { return StreamBuilder().soi().sos({{1, 0, 0}}).bytes; }, FrameTypeUnsupported},
    {"Precision12", [] { return FrameHeader(8, 8, 12, 1, 11); }, PrecisionUnsupported},
    {"Height0", [] { return FrameHeader(8, 0, 8, 1, 11); }, HeightInvalid},
    {"Height8193BeforeWidth0", [] { return FrameHeader(0, 8193, 8, 1, 11); }, HeightInvalid},
    {"Width8193", [] { return FrameHeader(8193, 8, 8, 1, 11); }, WidthInvalid},
    {"FiveComponents", [] { return FrameHeader(8, 8, 8, 5, 23); }, TooManyComponents},
    {"FrameLengthWrong", [] { return FrameHeader(8, 8, 8, 1, 12); }, FrameHeaderBad},
};

INSTANTIATE_TEST_SUITE_P(JpegHeaders, HeaderStatus, testing::ValuesIn(kHeaderCases),
                         [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST(JpegHeaders, SizeOfTheLargestImageAndNoneAfterAFailure) {
  for (auto [bytes, size] : {std::pair{FrameHeader(8192, 8192, 8, 3, 17), 8192}, std::pair{Junk(600), 0}}) {
    DecodeResult result = Decode(bytes);
    EXPECT_EQ(result.constructStatus, size ? 0 : NotJpeg);
    EXPECT_EQ(result.width, size);
    EXPECT_EQ(result.height, size);
  }
}

TEST(JpegHeaders, SourceFailureIsReportedAndNothingMoreIsRead) {
  Bytes image = StreamBuilder().raw(Junk(300)).raw(GreyImage()).bytes;
  for (int failingRead : {1, 2}) {
    MemoryJpegSource source(image, 100);
    source.failingRead = failingRead;
    JpegDecoder decoder(&source, false);
    EXPECT_EQ(decoder.status(), SourceReadFailed) << failingRead;
    EXPECT_EQ(source.readCalls, failingRead);
    EXPECT_EQ(source.endUseCalls, 1);
    EXPECT_EQ(decoder.startDecoding(), Failed);
  }
}

TEST(JpegHeaders, SourceIsAskedForAtMost4096Bytes) {
  MemoryJpegSource source(GreyImage(), 1);
  JpegDecoder decoder(&source, false);
  EXPECT_EQ(decoder.status(), 0);
  EXPECT_LE(source.largestRequest, 4096);
}

// Frames that construct without complaint and fail when decoding starts.
struct StartCase {
  std::string name;
  std::function<Bytes()> stream;
  int status;
};

class StartStatus : public testing::TestWithParam<StartCase> {};

TEST_P(StartStatus, StartDecodingFails) {
  for (bool useMmx : {false, true}) {
    DecodeResult result = Decode(GetParam().stream(), useMmx);
    EXPECT_EQ(result.constructStatus, 0);
    EXPECT_EQ(result.width, 8);  // every frame here is 8x8
    EXPECT_EQ(result.startResult, Failed);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.endUseCalls, 1);
  }
}

Bytes ColourFrame(const std::vector<Component>& components) {
  return StreamBuilder().soi().dqt(0).directTables().sof(0xC0, 8, 8, components)
      .sos({{1, 0, 0}}).raw(BitWriter().dc(0).endOfBlock().finish()).eoi().bytes;
}

Bytes GreyScan(const std::vector<ScanComponent>& scan, int quantSlot = 0) {
  return StreamBuilder().soi().dqt(0).directTables().sof(0xC0, 8, 8, {{1, 1, 1, quantSlot}})
      .sos(scan).raw(BitWriter().dc(0).endOfBlock().finish()).eoi().bytes;
}

const StartCase kStartCases[] = {
    {"TwoComponents", [] { return ColourFrame({{1, 1, 1, 0}, {2, 1, 1, 0}}); }, ColourLayoutUnsupported},
    {"NoComponents", [] { return FrameHeader(8, 8, 8, 0, 8); }, ColourLayoutUnsupported},
    {"CbSampled2x1", [] { return ColourFrame({{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}); }, SamplingUnsupported},
    {"GreySampling0", [] { return ColourFrame({{1, 0, 1, 0}}); }, SamplingUnsupported},
    {"EoiInsteadOfScan", [] { return StreamBuilder().greyHeaders(8, 8).eoi().bytes; }, MarkerUnexpected},
    {"SourceEndsAfterHeaders", [] { return StreamBuilder().greyHeaders(8, 8).bytes; }, MarkerUnexpected},
    {"SecondFrameInsteadOfScan",
     [] { return StreamBuilder().greyHeaders(8, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).bytes; },
     MarkerUnexpected},
    {"ScanLengthWrong",
     [] { return StreamBuilder().greyHeaders(8, 8).segment(0xDA, {1, 1, 0, 0, 63, 0, 0}).bytes; },
     ScanHeaderBad},
    {"ScanOfNoComponents",
     [] { return StreamBuilder().greyHeaders(8, 8).segment(0xDA, {0, 0, 63, 0}).bytes; }, ScanHeaderBad},
    {"ScanComponentUnknown", [] { return GreyScan({{7, 0, 0}}); }, ScanComponentUnknown},
    {"DcTableMissing", [] { return GreyScan({{1, 1, 0}}); }, HuffTableUndefined},
    {"AcTableMissing", [] { return GreyScan({{1, 0, 2}}); }, HuffTableUndefined},
    // Selectors above 3 name tables that cannot exist, even where slot
    // 4 + n happens to hold AC table n.
    {"DcSelector4", [] { return GreyScan({{1, 4, 0}}); }, HuffTableUndefined},
    {"AcSelector9", [] { return GreyScan({{1, 0, 9}}); }, HuffTableUndefined},
    {"QuantTableMissing", [] { return GreyScan({{1, 0, 0}}, 2); }, QuantTableUndefined},
    {"ComponentNamedFourTimes",
     [] {
       return StreamBuilder().soi().dqt(0).directTables()
           .sof(0xC0, 8, 8, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
           .sos({{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}}).eoi().bytes;
     },
     InternalLimit},
    {"ProgressiveDcScanNamesAComponentTwice",
     [] {
       return StreamBuilder().soi().dqt(0).directTables()
           .sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}})
           .sos({{1, 0, 0}, {3, 0, 0}, {3, 0, 0}}, 0, 0, 0, 0).raw({0, 0, 0, 0}).eoi().bytes;
     },
     InternalLimit},
};

INSTANTIATE_TEST_SUITE_P(JpegHeaders, StartStatus, testing::ValuesIn(kStartCases),
                         [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

}  // namespace
}  // namespace jpegtest
