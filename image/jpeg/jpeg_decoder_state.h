// Private to the decoder: its state and the operations that work on it.
//
// The decoder never throws.  Every check that can fail records the first
// failure's status (later ones are ignored) and returns false; the public
// operation that is running then releases all memory and reports.  The byte
// readers cannot return a failure, so after a failed source read they hand out
// the synthetic end marker, which stops every loop that reads them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/jpeg/jpeg_arithmetic.h"
#include "image/jpeg/jpeg_color.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_layout.h"
#include "image/jpeg/jpeg_transform.h"

// Zigzag position k holds the coefficient at natural (row-major) index
// kZigzagToNatural[k].
inline constexpr uint8_t kZigzagToNatural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A word loaded from memory, as the big-endian number its bytes spell.
inline uint64_t ToBigEndian(uint64_t loaded) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return loaded;
#else
  return __builtin_bswap64(loaded);
#endif
}

// Keeps the first failure's status.
class JpegFailure {
 public:
  int status() const { return status_; }
  bool ok() const { return status_ == Ok; }
  // Records code unless a failure is already recorded; always returns false
  // so that a check can say `return failure.raise(...)`.
  bool raise(int code) {
    if (status_ == Ok) status_ = code;
    return false;
  }

 private:
  int status_ = Ok;
};

// Every block of memory the decoder uses, freed together in one sweep.
class BlockPool {
 public:
  static constexpr int kSlots = 100;

  BlockPool() = default;
  BlockPool(const BlockPool&) = delete;
  BlockPool& operator=(const BlockPool&) = delete;
  ~BlockPool() { releaseAll(); }

  // A zero-filled block of `bytes` bytes aligned to 8, or null after raising
  // BlockPoolFull or OutOfMemory.
  void* allocate(size_t bytes, JpegFailure& failure);
  void releaseAll();

 private:
  void* blocks_[kSlots] = {};
};

// One built Huffman table.  lookup is indexed by the next 8 bits of the
// stream: a symbol (>= 0, code of at most 8 bits, its length in codeLength) or
// a branch node (< 0).  Branch node n owns tree[-n-1] (next bit 1) and tree[-n]
// (next bit 0); each entry is a symbol or the next branch node.  Entries that
// no code reaches are 0 and decode as symbol 0.
//
// For the fast engine the same decoding is also tabled over the next
// kFastBits bits (BuildHuffmanFastLookup): `fast` holds (length << 8) | symbol
// for every prefix whose symbol is settled within those bits (kSlowEntry
// otherwise), and `fastValue` goes one step further for the common case of a
// code followed by its whole value: (value << 16) | (run << 8) | total length,
// or 0.  Both give exactly the symbols and lengths of the procedure above.
struct HuffmanDecodeTable {
  static constexpr int kFastBits = 10;
  static constexpr uint16_t kSlowEntry = 0xFFFF;

  int32_t lookup[256];
  uint8_t codeLength[256];
  int32_t tree[512];
  uint16_t fast[1 << kFastBits];
  int32_t fastValue[1 << kFastBits];
};

// Builds `table` from a count list (counts[1..16] codes of each length) and a
// value list.  False when the counts over-subscribe the code space or the
// codes need more branch nodes than the tree holds: such a table cannot be
// decoded.
bool BuildHuffmanDecodeTable(const uint8_t counts[17], const uint8_t values[256],
                             HuffmanDecodeTable& table);

// Fills table.fast and table.fastValue from the rest of a built table.  A DC
// table's values are differences (any symbol up to 15, run 0); an AC table's
// are coefficients (symbols with a non-zero size).
void BuildHuffmanFastLookup(HuffmanDecodeTable& table, bool dcTable);

// The symbol that the next 16 bits of the stream start with, and in `length`
// how many of them it takes: the one decoding procedure behind every reader.
int ResolveSymbol(const HuffmanDecodeTable& table, uint32_t next16, int& length);

// The input side: buffer, byte readers and the bit readers.
class JpegInput {
 public:
  static constexpr int kFrontRoom = 128;  // for pushed-back bytes
  static constexpr int kDataSize = 4096;  // the most asked of the source at once
  static constexpr int kBackRoom = 256;   // for the end-marker fill behind the data

  void attach(JpegSource* source, JpegFailure* failure);
  // The source is released; nothing more is read from it.
  void detachSource();

  // Only when the buffer is empty: reads the source until the data area is
  // full or the source has ended.
  void refill();

  // The next byte; once the source has ended, FF and D9 alternately (a
  // synthetic end marker repeated for ever), with `synthetic` set.
  int nextInputByte(bool& synthetic);
  int nextInputByte();
  void unreadByte(int byte);
  // A byte of entropy-coded data: drops stuffed zeros and never consumes a
  // marker, handing out 0xFF bytes in front of it instead; once the source
  // has ended it hands out 0xFF for ever, the synthetic end marker staying
  // next in the input as a real marker would.
  int nextEntropyByte();

  // The 32-bit reader, fed either from the headers (byte by byte) or from
  // entropy-coded data (through nextEntropyByte).
  void primeHeaderReader();
  uint32_t readHeaderBits(int count);
  // The next whole byte the header reader will deliver, not consumed.
  int peekHeaderByte() const;
  // Entropy-coded data begins: the header reader's undelivered bytes go back
  // into the input, for the entropy reader that is primed next.
  void handOverToEntropy();
  void primeEntropyReader();
  uint32_t readEntropyBits(int count);
  // The next 8 bits of entropy-coded data, not consumed.
  int peekEntropyByte() const { return static_cast<int>((bitBuffer_ >> 8) & 0xFF); }

  // The 64-bit reader for sequential scans: the same bits as readEntropyBits,
  // fetched six bytes at a time.
  void primeWideReader();
  uint32_t readWideBits(int count);
  // The next 16 bits, not consumed.
  uint32_t peekWide16() const { return static_cast<uint32_t>(wideBuffer_ >> 48); }

 private:
  // The fast engine's readers keep the bit state in locals while they run and
  // fetch through the inline fetches below (jpeg_fast_readers.h).
  friend class FastNarrowReader;
  friend class FastWideReader;

  uint32_t readBits(int count, bool entropy);
  // What the 64-bit reader fetches: six entropy bytes, big-endian, taken
  // straight from the buffer when plenty are there and none is 0xFF.
  uint64_t fetchSixEntropyBytes();
  uint64_t fetchSixEntropyBytesOneByOne();
  // What the 32-bit entropy reader fetches: two entropy bytes, big-endian.
  uint32_t fetchTwoEntropyBytes();
  // Six bytes, big-endian, when at least twelve are there and none of the
  // next `plain` (6, or 8 when the two after them must be plain too) is 0xFF;
  // false, with nothing taken, otherwise.
  bool takeSixPlainBytes(uint64_t& word, int plain);
  // Bytes taken ahead go back, in front of the next one (they are still there).
  void giveBack(int count) {
    readPosition_ -= count;
    bytesInBuffer_ += count;
  }

  JpegSource* source_ = nullptr;
  JpegFailure* failure_ = nullptr;
  uint8_t buffer_[kFrontRoom + kDataSize + kBackRoom] = {};
  int readPosition_ = kFrontRoom;
  int bytesInBuffer_ = 0;
  bool sourceEnded_ = false;
  bool endToggle_ = false;

  uint32_t bitBuffer_ = 0;
  int bitsLeft_ = 0;
  uint64_t wideBuffer_ = 0;
  int wideBitsLeft_ = 0;
};

inline uint32_t JpegInput::fetchTwoEntropyBytes() {
  if (bytesInBuffer_ >= 2) {
    const uint32_t first = buffer_[readPosition_];
    const uint32_t second = buffer_[readPosition_ + 1];
    if (first != 0xFF && second != 0xFF) {
      readPosition_ += 2;
      bytesInBuffer_ -= 2;
      return (first << 8) | second;
    }
  }
  const uint32_t first = static_cast<uint32_t>(nextEntropyByte());
  const uint32_t second = static_cast<uint32_t>(nextEntropyByte());
  return (first << 8) | second;
}

inline bool JpegInput::takeSixPlainBytes(uint64_t& word, int plain) {
  if (bytesInBuffer_ < 12) return false;
  // Eight bytes are loaded (at least twelve are there).
  uint64_t loaded = 0;
  std::memcpy(&loaded, buffer_ + readPosition_, sizeof loaded);
  const uint64_t eight = ToBigEndian(loaded);
  // A checked byte is 0xFF exactly when that byte of ~eight is zero; the
  // unchecked ones are made non-zero there.
  const uint64_t unchecked = (~0ull >> 1) >> (8 * plain - 1);  // the low 8 - plain bytes
  const uint64_t inverted = ~eight | unchecked;
  if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0) return false;
  readPosition_ += 6;
  bytesInBuffer_ -= 6;
  word = eight >> 16;
  return true;
}

inline uint64_t JpegInput::fetchSixEntropyBytes() {
  uint64_t word = 0;
  return takeSixPlainBytes(word, 6) ? word : fetchSixEntropyBytesOneByOne();
}

struct FrameComponent {
  int id = 0;         // Ci
  int h = 0;          // horizontal sampling factor
  int v = 0;          // vertical sampling factor
  int quantSlot = 0;  // Tq
  int dcSlot = 0;     // Huffman slot named by the last scan (0..15)
  int acSlot = 4;     // Huffman slot named by the last scan (4..19)
  int blocksAcross = 0;
  int blocksDown = 0;
};

// One block of the MCU of the current scan.
struct McuBlock {
  int component = 0;
  const HuffmanDecodeTable* dcTable = nullptr;
  const HuffmanDecodeTable* acTable = nullptr;
};

// Coefficients of one component for every block of a progressive image.
struct CoefficientBuffer {
  int blocksAcross = 0;
  int blocksDown = 0;
  int blockWidth = 0;   // coefficients
  int blockHeight = 0;  // coefficients
  int bytesPerBlock = 0;
  int16_t* data = nullptr;
  // AC buffers, for the fast engine's refinement: per block, bit k set when
  // zigzag position k is non-zero (kept in the same allocation, behind the blocks).
  uint64_t* nonZero = nullptr;

  // The block at (column, row), or null outside the buffer.
  int16_t* block(int column, int row) const;
  uint64_t& nonZeroOf(const int16_t* block) const {
    return nonZero[static_cast<size_t>(block - data) / 64];
  }
};

// Where the blocks of successive MCUs lie in each component's block grid.
struct BlockCursor {
  int columnBase[4] = {};
  int rowBase[4] = {};
  int dx = 0;
  int dy = 0;
};

// One step of the decoder over its whole state; false after a failure.
using DecoderStep = bool (*)(JpegDecoderState&);

// The kernels an image is decoded with, chosen once when decoding starts from
// the engine, the path (useMmx), the kind of frame, its layout and colours,
// and what the processor offers.  Rows and scans call through them instead of
// deciding again each time.
struct JpegKernels {
  // The next MCU row's coefficients: a sequential scan's data decoded (and the
  // end marker read after the last row), or a progressive image's row loaded
  // from its coefficient buffers.
  DecoderStep fillCoefficientRow = nullptr;
  TransformRowKernel transformRow = nullptr;
  ConvertLinesKernel convertLines = nullptr;
  // One whole progressive scan; the kind of scan is settled once per scan.
  DecoderStep decodeProgressiveScan = nullptr;
  // The entropy reader that scan set-up and restart processing prime: the
  // 64-bit one for sequential scans on the MMX path.
  void (JpegInput::*primeEntropyReader)() = nullptr;
};

// The choices made next to the kernels they choose among.
DecoderStep ChooseSequentialRow(JpegEngine engine, bool useMmx);       // jpeg_sequential.cpp
DecoderStep ChooseProgressiveRowLoad(JpegEngine engine, bool useMmx);  // jpeg_progressive.cpp
DecoderStep ChooseProgressiveScan(JpegEngine engine);                  // jpeg_progressive.cpp

struct JpegDecoderState {
  static constexpr int kMaxComponents = 4;
  static constexpr int kMaxMcuBlocks = 10;
  static constexpr int kMaxBlocksPerRow = 6144;

  // Lifecycle.
  JpegFailure failure;
  JpegSource* source = nullptr;
  bool started = false;
  bool useMmx = false;
  JpegEngine engine = JpegEngine::Fast;
  JpegKernels kernels;
  bool progressive = false;
  BlockPool pool;
  JpegInput input;

  // Frame.
  int imageWidth = 0;
  int imageHeight = 0;
  int componentCount = 0;
  FrameComponent components[kMaxComponents];
  // What the APP0 and APP14 segments say about the colours.
  bool sawJfif = false;
  int adobeTransform = -1;  // none seen

  // Scan.
  int scanComponentCount = 0;
  int scanComponents[kMaxComponents] = {};
  int ss = 0, se = 0, ah = 0, al = 0;

  // Tables.
  uint16_t* quantTables[4] = {};
  // useMmx false: the tables in natural order, for the transforms that dequantise.
  uint16_t naturalQuant[4][64] = {};
  uint8_t* huffmanCounts[8] = {};
  uint8_t* huffmanValues[8] = {};
  HuffmanDecodeTable* huffmanTables[8] = {};
  bool fastLookupStale[8] = {};  // the slot's definition changed since its fast lookup was built

  // Restart and prediction.
  int restartInterval = 0;
  int mcusLeftInInterval = 0;
  int nextRestartNumber = 0;
  int32_t dcPredictors[kMaxComponents] = {};
  int eobRun = 0;

  // Frame geometry and output.
  JpegLayout layout = LayoutGrey;
  int layoutBlocksPerMcu = 0;
  int mcuWidth = 0;
  int mcuHeight = 0;
  int linesPerConversion = 1;  // 2 for the layouts whose two lines share a chroma row
  int mcusPerRow = 0;
  int mcuRows = 0;
  int blocksPerRow = 0;
  int bytesPerPixel = 0;
  int paddedLineBytes = 0;
  int deliveredLineBytes = 0;
  uint8_t* lineA = nullptr;
  uint8_t* lineB = nullptr;
  int linesLeftInImage = 0;
  int linesLeftInMcuRow = 0;

  // Scan geometry.
  int scanBlocksPerMcu = 0;
  int scanMcusPerRow = 0;
  int scanMcuRows = 0;
  McuBlock mcuBlocks[kMaxMcuBlocks];
  // The quantisation table the row transform gives block b of each MCU.
  const uint16_t* rowQuant[kMaxMcuBlocks] = {};

  // Row buffers.
  int16_t* coefficientRow = nullptr;
  int* zigzagFill = nullptr;
  uint8_t* sampleRow = nullptr;
  CoefficientBuffer dcBuffers[kMaxComponents];
  CoefficientBuffer acBuffers[kMaxComponents];
  int rowLoadPositions[kMaxComponents] = {};

  JpegColorTables colorTables;
  HuffmanDecodeTable scratchTable;  // for checking a DHT before it is stored

  bool ok() const { return failure.ok(); }
  bool fail(int code) { return failure.raise(code); }
  // `count` zero-filled objects from the pool, or null after a failure.
  template <class T>
  T* allocate(size_t count) {
    return static_cast<T*>(pool.allocate(count * sizeof(T), failure));
  }

  // Memory and source release (jpeg_decoder.cpp).
  void releaseMemory();

  // Markers and headers (jpeg_markers.cpp).
  bool findStartOfImage();
  int nextMarker();
  // Processes table segments up to the next frame header, SOI, EOI or SOS
  // marker and returns its code; -1 after a failure.
  int processMarkers();
  bool parseFrameHeader();
  bool parseScanHeader();
  bool parseHuffmanTables();
  bool parseQuantTables();
  bool parseRestartInterval();
  // Skips a segment, noting what an APP0 or APP14 segment says about the colours.
  bool skipSegment(int code);
  bool readHuffmanDefinition(int& remaining);
  bool readQuantTable(int& remaining);

  // Frame and scan setup (jpeg_frame_setup.cpp).
  bool setUpFrame();
  // False after a failure; `found` is false when EOI ends the image.
  bool setUpScan(bool& found);
  bool computeBlockOrder();
  bool checkScanTables();
  bool buildHuffmanTables();
  bool hasDcTable(const FrameComponent& component) const;
  bool hasAcTable(const FrameComponent& component) const;
  bool hasQuantTable(const FrameComponent& component) const;
  void resetPrediction();
  // The grid position of block `blockIndex` of the current MCU (blocks in
  // mcuBlocks order), for a scan or row load of scanComponentCount components.
  void nextBlockPosition(BlockCursor& cursor, int blockIndex, int& column, int& row) const;
  // Column bases return to 0 and row bases move down one MCU row.
  void finishMcuRow(BlockCursor& cursor) const;

  // Restart processing (both kinds of scan) and the end of a sequential image
  // (jpeg_sequential.cpp).
  bool processRestart();
  bool restartIfDue();
  bool readEndOfImage();

  // Progressive scans (jpeg_progressive.cpp).
  bool decodeProgressiveImage();
  bool allocateCoefficientBuffers();
  bool checkProgressiveScan();

  // Kernels and output rows (jpeg_decoder.cpp).
  void chooseKernels();
  // Whether the three components hold red, green and blue rather than YCbCr.
  bool holdsRgb() const;
  // Fixes the quantisation table of every block of the row transform.
  void chooseRowQuant();
  bool produceMcuRow();
};

// Huffman symbol decoding over either entropy reader (jpeg_huffman.cpp).
int DecodeSymbol(JpegInput& input, const HuffmanDecodeTable& table);
int DecodeSymbolWide(JpegInput& input, const HuffmanDecodeTable& table);

// T.81's EXTEND: the signed value of `bits`, the low `size` bits read for a
// difference or coefficient of that size category (1..15).
inline int32_t ExtendSign(uint32_t bits, int size) {
  const int32_t value = static_cast<int32_t>(bits);
  // Computed rather than branched on: the sign is the data's.
  const int32_t belowHalf = -static_cast<int32_t>(value < (1 << (size - 1)));  // all ones or 0
  return value - (((1 << size) - 1) & belowHalf);
}
