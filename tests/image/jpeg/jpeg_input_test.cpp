// The decoder's input side on its own: byte readers, the hand-over between
// bit readers, and the 64-bit reader against the 32-bit one.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "image/jpeg/jpeg_decoder_state.h"
#include "tests/image/jpeg/memory_jpeg_source.h"

namespace {

struct InputFixture {
  explicit InputFixture(std::vector<uint8_t> bytes, int chunkSize = 4096)
      : source(std::move(bytes), chunkSize), input(new JpegInput()) {
    input->attach(&source, &failure);
  }
  MemoryJpegSource source;
  JpegFailure failure;
  std::unique_ptr<JpegInput> input;
};

TEST(JpegInput, EntropyBytesDropStuffingAndStopAtMarkers) {
  InputFixture f({0x12, 0xFF, 0x00, 0x34, 0xFF, 0xFF, 0xD0, 0x56});
  std::vector<int> entropy;
  for (int i = 0; i < 6; ++i) entropy.push_back(f.input->nextEntropyByte());
  EXPECT_EQ(entropy, (std::vector<int>{0x12, 0xFF, 0x34, 0xFF, 0xFF, 0xFF}));
  // Neither the marker nor the fill byte in front of it was consumed.
  EXPECT_EQ(f.input->nextInputByte(), 0xFF);
  EXPECT_EQ(f.input->nextInputByte(), 0xFF);
  EXPECT_EQ(f.input->nextInputByte(), 0xD0);
  EXPECT_EQ(f.input->nextInputByte(), 0x56);
}

TEST(JpegInput, EndedSourceGivesSyntheticEndMarkers) {
  InputFixture f({0x42});
  bool synthetic = true;
  EXPECT_EQ(f.input->nextInputByte(synthetic), 0x42);
  EXPECT_FALSE(synthetic);
  for (int expected : {0xFF, 0xD9, 0xFF, 0xD9}) {
    EXPECT_EQ(f.input->nextInputByte(synthetic), expected);
    EXPECT_TRUE(synthetic);
  }
  // In entropy data the synthetic bytes come through as they are.
  EXPECT_EQ(f.input->nextEntropyByte(), 0xFF);
  EXPECT_EQ(f.input->nextEntropyByte(), 0xD9);
  EXPECT_EQ(f.failure.status(), 0);
  // A real fill byte just before the end repeats for ever.
  InputFixture fill({0xFF});
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fill.input->nextEntropyByte(), 0xFF);
}

// After the header reader has delivered `headerBytes` bytes, the entropy
// reader continues with the very next byte, whatever the look-ahead was and
// wherever the buffer was refilled.
TEST(JpegInput, HandOverResumesAtTheNextByte) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 9000; ++i) bytes.push_back(static_cast<uint8_t>((i * 7 + 3) % 255));
  for (bool wide : {false, true}) {
    for (int headerBytes : {1, 2, 3, 4, 4095, 4096, 4097, 4098, 8190, 8191}) {
      InputFixture f(bytes);
      f.input->primeHeaderReader();
      f.input->readHeaderBits(4);
      f.input->readHeaderBits(4);
      for (int i = 1; i < headerBytes; ++i) f.input->readHeaderBits(8);
      f.input->handOverToEntropy(wide);
      for (int i = headerBytes; i < headerBytes + 8; ++i) {
        uint32_t next = wide ? f.input->readWideBits(8) : f.input->readEntropyBits(8);
        ASSERT_EQ(next, bytes[static_cast<size_t>(i)]) << headerBytes << " wide " << wide;
      }
    }
  }
}

// Codes: 0x11 '0'; 0x22 '100000000', 0x33 '100000001'; 0x44 '1000000100',
// 0x55 '1000000101'.
struct SmallTable {
  SmallTable() {
    counts[1] = 1;
    counts[9] = 2;
    counts[10] = 2;
    const uint8_t symbols[] = {0x11, 0x22, 0x33, 0x44, 0x55};
    std::copy(symbols, symbols + 5, values);
  }
  uint8_t counts[17] = {};
  uint8_t values[256] = {};
};

// The 64-bit reader against the 32-bit one: the same symbols (mostly long
// codes' prefixes, so that the tree is walked often) and the same raw bits in
// every count, across stuffed bytes, differently sized source chunks and a
// marker at the end.
TEST(JpegHuffman, BothReadersDecodeTheSameSymbolsAndBits) {
  SmallTable small;
  auto table = std::make_unique<HuffmanDecodeTable>();
  ASSERT_TRUE(BuildHuffmanDecodeTable(small.counts, small.values, *table));
  std::mt19937 random(3);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 20000; ++i) {
    const int kind = static_cast<int>(random() % 8);
    bytes.push_back(static_cast<uint8_t>(kind == 0 ? 0xFF : kind < 4 ? 0x80 | (random() % 4) : random()));
    if (bytes.back() == 0xFF) bytes.push_back(0x00);
  }
  bytes.insert(bytes.end(), {0xFF, 0xD4, 1, 2, 3});
  InputFixture narrow(bytes, 1000);
  InputFixture wide(bytes, 333);
  narrow.input->primeEntropyReader();
  wide.input->primeWideReader();
  std::vector<int> seen(256, 0);
  for (int i = 0; i < 10000; ++i) {
    const int symbol = DecodeSymbol(*narrow.input, *table);
    ASSERT_EQ(symbol, DecodeSymbolWide(*wide.input, *table)) << i;
    ++seen[static_cast<size_t>(symbol)];
    const int count = static_cast<int>(random() % 17);
    ASSERT_EQ(narrow.input->readEntropyBits(count), wide.input->readWideBits(count)) << i;
  }
  for (int symbol : {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}) EXPECT_GT(seen[static_cast<size_t>(symbol)], 0) << symbol;
}

}  // namespace
