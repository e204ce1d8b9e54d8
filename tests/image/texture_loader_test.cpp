// The path from JPEG bytes to the RGB block that textures are built from.
//
// tests/image/data/four_colours.jpg, made once with libjpeg-turbo's cjpeg
// (quality 100, 4:4:4) from a 2 x 2 picture: red, green over blue, white.
#include "image/texture_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#endif

#include "image/jpeg_memory_source.h"
#include "tests/image/jpeg/jpeg_stream_builder.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DecodeJpegImageTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  ScopedPlatform scoped{platform};
};

// The block holds the picture bottom row first, red, green and blue per pixel
// (within the few levels a JPEG round trip costs), grey repeated three times.
// A refused stream leaves no block and tells the user the decoder's status.
TEST_F(DecodeJpegImageTest, BlocksHoldTheRowsBottomFirstAsRgbOrTheRefusalIsReported) {
  jpegtest::StreamBuilder grey;  // 8 x 8, every pixel 138 (a DC of 80)
  grey.greyHeaders(8, 8).sos({{1, 0, 0}}).raw(jpegtest::BitWriter().dc(80).endOfBlock().finish()).eoi();
  struct Case { const char* what; Bytes jpeg; int status; int width, height; Bytes bottomFirst; };
  const Case cases[] = {
      {"four colours", ReadSourceFile("tests/image/data/four_colours.jpg"), 0, 2, 2,
       {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0}},
      {"grey", grey.bytes, 0, 8, 8, Bytes(8 * 8 * 3, 138)},
      {"not a JPEG at all", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, NotJpeg, 0, 0, {}},
      {"no bytes", {}, NotJpeg, 0, 0, {}},
      {"no scan after the headers", jpegtest::StreamBuilder().greyHeaders(8, 8).bytes, MarkerUnexpected, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.messageBoxes.clear();
    ImageBuffer image;
    EXPECT_EQ(DecodeJpegImage(image, c.jpeg.data(), static_cast<uint32_t>(c.jpeg.size())), c.status == 0);
    if (c.status != 0) {
      EXPECT_EQ(image.pixels, nullptr);
      const std::string text = "Error: Decoder failed! Error status: " + std::to_string(c.status) + "\n";
      EXPECT_EQ(platform.messageBoxes, (std::vector<RecordedMessageBox>{{nullptr, text, "Decoder Error", kMbOk}}));
      continue;
    }
    EXPECT_EQ(std::tie(image.width, image.height, image.bitsPerPixel), std::tuple(c.width, c.height, 24));
    for (size_t i = 0; i < c.bottomFirst.size(); ++i) ASSERT_NEAR(image.pixels[i], c.bottomFirst[i], 16) << i;
    EXPECT_TRUE(platform.messageBoxes.empty());
  }
}

// Rows longer than 1024 pixels, and a middle row that stays where it is.
TEST(FlipRows, TurnsTheBlockUpsideDown) {
  const size_t rowBytes = 1500 * 3;
  Bytes block;
  for (uint8_t row : {1, 2, 3}) block.insert(block.end(), rowBytes, row);
  FlipRows(block.data(), rowBytes, 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(block[row * rowBytes + rowBytes - 1], 3 - row);
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
bool RefusedForWantOfMemory(FakePlatform& platform, const Bytes& jpeg) {
  std::ifstream statm("/proc/self/statm");
  size_t pagesInUse = 0;
  if (!(statm >> pagesInUse)) return false;
  const rlim_t cap = pagesInUse * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
  const rlimit limit{cap, cap};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return false;
  ImageBuffer image;
  const bool decoded = DecodeJpegImage(image, jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  const std::vector<RecordedMessageBox> told = {{nullptr, "Could not allocate memory for image", "ERROR", kMbOk}};
  return !decoded && platform.messageBoxes == told && image.pixels == nullptr;
}

// A picture of 8192 x 8192, the largest the decoder takes: a block of 201 MB.
TEST_F(DecodeJpegImageTest, ABlockThatCannotBeAllocatedIsReported) {
  const Bytes jpeg = jpegtest::StreamBuilder().greyHeaders(8192, 8192).sos({{1, 0, 0}}).eoi().bytes;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(RefusedForWantOfMemory(platform, jpeg) ? 0 : 1), ::testing::ExitedWithCode(0), "");
}
#endif

// A short read is not the end (nor is a request for nothing); only a read that finds nothing left is.
TEST(JpegMemorySource, ReportsTheEndOnlyWhenNothingIsLeft) {
  const uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  JpegMemorySource source(data, sizeof data);
  uint8_t buffer[8] = {};
  bool end = false;
  EXPECT_EQ((std::vector{source.read(buffer, 0, end), source.read(buffer, 6, end), source.read(buffer, 8, end)}),
            (std::vector{0, 6, 4}));
  EXPECT_FALSE(end);
  EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{6, 7, 8, 9}));
  EXPECT_EQ(source.read(buffer, 8, end), 0);
  EXPECT_TRUE(end);
}

}  // namespace
