// The path from JPEG bytes to the RGB block that textures are built from.
//
// Test pictures in tests/image/data, made once with libjpeg-turbo's cjpeg:
//   wide_odd_height.jpg  1500 x 5 colour, 4:4:4 (wider than 1024, odd height)
//   grey.jpg             40 x 24 greyscale
//   tile.jpg             16 x 16 colour
#include "image/texture_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#endif

#include "image/cpu_features.h"
#include "image/jpeg/jpeg_lines.h"
#include "image/jpeg_memory_source.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

namespace {

// The decoder's own lines (with the processor's MMX choice, as the loader
// makes it), each reduced to RGB and stacked bottom first: the block the
// loader must produce.
std::vector<uint8_t> DecoderBlockBottomFirst(const std::vector<uint8_t>& jpeg) {
  CpuidFeatures processor;
  JpegMemorySource source(jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  JpegDecoder decoder(&source, DecoderMayUseMmx(processor));
  std::vector<std::vector<uint8_t>> rows;
  if (decoder.status() != 0 || decoder.startDecoding() != 0) return {};
  const int bytesPerPixel = decoder.outputBytesPerPixel();
  ReadAllLines(decoder, [&](int, const uint8_t* line, int) {
    rows.emplace_back();
    for (int i = 0; i < decoder.imageWidth() * 3; ++i) {
      rows.back().push_back(line[i / 3 * bytesPerPixel + (bytesPerPixel == 1 ? 0 : i % 3)]);
    }
    return true;
  });
  std::vector<uint8_t> block;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    block.insert(block.end(), row->begin(), row->end());
  }
  return block;
}

class DecodeJpegImageTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  ScopedPlatform scoped{platform};
};

TEST_F(DecodeJpegImageTest, BlocksHoldTheDecodedRowsBottomFirstAsRgb) {
  struct Case { const char* file; int width, height; };
  // A full-size picture is a block of 1024 x 1024 x 3 = 3 145 728 bytes.
  const Case cases[] = {
      {"resources/world.jpg", 1024, 1024},            // 4:2:0, the sphere
      {"resources/backdrop.jpg", 1024, 1024},         // 4:4:4, the backdrop
      {"tests/image/data/wide_odd_height.jpg", 1500, 5},  // wider than 1024; a middle row
      {"tests/image/data/grey.jpg", 40, 24},          // each grey value becomes R, G and B
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<uint8_t> jpeg = ReadSourceFile(c.file);
    ASSERT_FALSE(jpeg.empty());
    ImageBuffer image;
    ASSERT_TRUE(DecodeJpegImage(image, jpeg.data(), static_cast<uint32_t>(jpeg.size())));
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    ASSERT_NE(image.pixels, nullptr);
    const std::vector<uint8_t> expected = DecoderBlockBottomFirst(jpeg);
    ASSERT_EQ(expected.size(), static_cast<size_t>(c.width) * c.height * 3);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.pixels.get()));
    EXPECT_TRUE(platform.messageBoxes.empty());
  }
}

TEST_F(DecodeJpegImageTest, RefusedStreamsReportTheDecoderStatus) {
  const std::vector<uint8_t> whole = ReadSourceFile("tests/image/data/tile.jpg");
  struct Case { const char* what; std::vector<uint8_t> bytes; int status; };
  const Case cases[] = {
      {"not a JPEG at all", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, NotJpeg},
      {"cut off inside its tables", std::vector<uint8_t>(whole.begin(), whole.end() - 200), MarkerUnexpected},
      {"no bytes", {}, NotJpeg},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.messageBoxes.clear();
    ImageBuffer image;
    EXPECT_FALSE(DecodeJpegImage(image, c.bytes.data(), static_cast<uint32_t>(c.bytes.size())));
    EXPECT_EQ(image.pixels, nullptr);
    const std::string text = "Error: Decoder failed! Error status: " + std::to_string(c.status) + "\n";
    EXPECT_EQ(platform.messageBoxes,
              (std::vector<RecordedMessageBox>{{nullptr, text, "Decoder Error", kMbOk}}));
  }
}

// Address-space limits and death tests do not mix with the sanitizers, which
// reserve address space of their own.
#if defined(__SANITIZE_ADDRESS__)
#define NIVAREL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NIVAREL_SANITIZED 1
#endif
#endif

#if defined(__linux__) && !defined(NIVAREL_SANITIZED)
// Run in a child process: with the address space limited to what is in use
// and 64 MB more, whether the loader refuses the picture, tells the user so,
// and leaves no block behind.
bool RefusedForWantOfMemory(FakePlatform& platform, const std::vector<uint8_t>& jpeg) {
  std::ifstream statm("/proc/self/statm");
  size_t pagesInUse = 0;
  if (!(statm >> pagesInUse)) return false;
  const rlim_t cap = pagesInUse * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
  const rlimit limit{cap, cap};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return false;
  ImageBuffer image;
  const bool decoded = DecodeJpegImage(image, jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  const std::vector<RecordedMessageBox> told = {
      {nullptr, "Could not allocate memory for image", "ERROR", kMbOk}};
  return !decoded && platform.messageBoxes == told && image.pixels == nullptr;
}

// A picture whose RGB block cannot be had: the tile's frame header made to
// say 8192 x 8192, the largest the decoder takes (a block of 201 MB).
TEST_F(DecodeJpegImageTest, ABlockThatCannotBeAllocatedIsReported) {
  std::vector<uint8_t> jpeg = ReadSourceFile("tests/image/data/tile.jpg");
  size_t frame = 0;
  while (frame + 9 < jpeg.size() && !(jpeg[frame] == 0xFF && jpeg[frame + 1] == 0xC0)) ++frame;
  ASSERT_LT(frame + 9, jpeg.size()) << "the tile has no baseline frame header";
  for (size_t field : {frame + 5, frame + 7}) {
    jpeg[field] = 0x20;  // 8192, high byte first
    jpeg[field + 1] = 0x00;
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(RefusedForWantOfMemory(platform, jpeg) ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}
#endif

TEST(JpegMemorySource, ReportsTheEndOnlyWhenNothingIsLeft) {
  const uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  JpegMemorySource source(data, sizeof data);
  uint8_t buffer[8] = {};
  bool end = false;

  // A request for nothing is not the end of the data.
  EXPECT_EQ(source.read(buffer, 0, end), 0);
  EXPECT_FALSE(end);
  EXPECT_EQ(source.read(buffer, 6, end), 6);
  EXPECT_FALSE(end);
  // Fewer bytes left than asked: what is left, and not yet the end.
  EXPECT_EQ(source.read(buffer, 8, end), 4);
  EXPECT_FALSE(end);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), (std::vector<uint8_t>{6, 7, 8, 9}));
  // Nothing left: the end.
  EXPECT_EQ(source.read(buffer, 8, end), 0);
  EXPECT_TRUE(end);
}

}  // namespace
