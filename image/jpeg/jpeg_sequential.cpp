// Sequential (baseline and extended) scans: one MCU row at a time into the
// coefficient row, restart markers between intervals, and the end marker.
//
// Block buffers are reused from row to row; zigzagFill says how many leading
// zigzag positions of a buffer may still hold values from its last use, so
// only those are cleared.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/jpeg/jpeg_decoder_state.h"
#include "image/jpeg/jpeg_engine.h"
#include "image/jpeg/jpeg_fast_readers.h"

namespace {

// How far restart processing looks for the marker.
constexpr int kRestartSearchBytes = 1536;
constexpr int kRst0 = 0xD0;

// The two entropy readers behind one interface, so that the block decoder is
// written once: the 32-bit reader, and the 64-bit one for the MMX path.
struct NarrowReader {
  JpegInput& input;
  uint32_t bits(int count) { return input.readEntropyBits(count); }
  int symbol(const HuffmanDecodeTable& table) { return DecodeSymbol(input, table); }
};

struct WideReader {
  JpegInput& input;
  uint32_t bits(int count) { return input.readWideBits(count); }
  int symbol(const HuffmanDecodeTable& table) { return DecodeSymbolWide(input, table); }
};

// Clears zigzag positions [from, to) of a block buffer.
void ClearZigzag(int16_t* block, int from, int to) {
  for (int k = from; k < to; ++k) block[kZigzagToNatural[k]] = 0;
}

// kDequantise: the plain path's values are dequantised as they are decoded
// (with the table in zigzag order); the MMX path's transform dequantises.
template <bool kDequantise>
struct SequentialBlock {
  int16_t* coefficients;
  int fill;               // zigzagFill of this buffer before decoding
  const uint16_t* quant;  // zigzag order

  int16_t scaled(int32_t value, int k) const {
    return kDequantise ? Wrap16(static_cast<uint32_t>(value) * quant[k])
                       : Wrap16(static_cast<uint32_t>(value));
  }
  // Positions k.. that a run skips are zero; only those that may be dirty
  // need clearing.
  void clearRun(int k, int length) const {
    if (k < fill) ClearZigzag(coefficients, k, k + std::min(length, fill - k));
  }
};

template <class Reader, class Block>
bool DecodeAcCoefficients(Reader& reader, const HuffmanDecodeTable& table, const Block& block,
                          int& k, JpegFailure& failure) {
  for (k = 1; k <= 63; ++k) {
    int symbol = reader.symbol(table);
    int run = symbol >> 4;
    int size = symbol & 15;
    if (size != 0) {
      if (k + run > 63) return failure.raise(EntropyDataBad);
      block.clearRun(k, run);
      k += run;
      int32_t value = ExtendSign(reader.bits(size), size);
      block.coefficients[kZigzagToNatural[k]] = block.scaled(value, k);
    } else if (run == 15) {
      if (k + 15 > 63) return failure.raise(EntropyDataBad);
      block.clearRun(k, 16);
      k += 15;
    } else {
      break;  // end of block
    }
  }
  return true;
}

template <class Reader, class Block>
bool DecodeSequentialBlock(Reader& reader, const McuBlock& mcuBlock, int32_t& predictor,
                           const Block& block, int& zigzagFill, JpegFailure& failure) {
  int size = reader.symbol(*mcuBlock.dcTable);
  // Difference categories end at 15; anything above is corrupt data.
  if (size > 15) return failure.raise(EntropyDataBad);
  int32_t difference = size == 0 ? 0 : ExtendSign(reader.bits(size), size);
  predictor =
      static_cast<int32_t>(static_cast<uint32_t>(predictor) + static_cast<uint32_t>(difference));
  block.coefficients[0] = block.scaled(predictor, 0);
  int k = 1;
  if (!DecodeAcCoefficients(reader, *mcuBlock.acTable, block, k, failure)) return false;
  ClearZigzag(block.coefficients, k, block.fill);
  zigzagFill = k;
  return true;
}

// The reference readers have no state of their own to hand back.
template <class Reader, bool kDequantise>
bool DecodeRow(JpegDecoderState& d) {
  Reader reader{d.input};
  int blockIndex = 0;
  for (int mcu = 0; mcu < d.scanMcusPerRow; ++mcu) {
    if (!d.restartIfDue()) return false;
    for (int b = 0; b < d.scanBlocksPerMcu; ++b, ++blockIndex) {
      const McuBlock& mcuBlock = d.mcuBlocks[b];
      const FrameComponent& component = d.components[mcuBlock.component];
      const SequentialBlock<kDequantise> block{d.coefficientRow + 64 * blockIndex,
                                               d.zigzagFill[blockIndex],
                                               d.quantTables[component.quantSlot]};
      if (!DecodeSequentialBlock(reader, mcuBlock, d.dcPredictors[mcuBlock.component], block,
                                 d.zigzagFill[blockIndex], d.failure)) {
        return false;
      }
    }
    if (d.restartInterval != 0) --d.mcusLeftInInterval;
    if (!d.ok()) return false;
  }
  return true;
}

// ---- The fast engine ---------------------------------------------------------
//
// The same decoding with the readers' state in registers, codes and values
// taken in one go where the fast table allows, and a dirty block cleared
// whole (one pass of wide stores) instead of run by run.  The coefficients
// that come out are the same: every position the data does not write is 0.

// Eight wide stores, written out: the compiler turns a clearing loop or a
// memset of 128 bytes into a string instruction that costs more to start
// than the clearing itself.
void ClearBlock(int16_t* coefficients) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i* block = reinterpret_cast<__m128i*>(coefficients);
  _mm_storeu_si128(block + 0, zero);
  _mm_storeu_si128(block + 1, zero);
  _mm_storeu_si128(block + 2, zero);
  _mm_storeu_si128(block + 3, zero);
  _mm_storeu_si128(block + 4, zero);
  _mm_storeu_si128(block + 5, zero);
  _mm_storeu_si128(block + 6, zero);
  _mm_storeu_si128(block + 7, zero);
#else
  std::memset(coefficients, 0, 64 * sizeof(int16_t));
#endif
}

enum class AcStep { Next, EndOfBlock, Failed };

AcStep Failed(JpegFailure& failure) {
  failure.raise(EntropyDataBad);
  return AcStep::Failed;
}

// One symbol of a block's AC coefficients at position k, which moves on past
// the coefficient written (the caller's loop adds the 1).  kMayPassEnd: a run
// could reach beyond position 63, so even a fast entry's run is checked;
// below position 49 no run of at most 15 can.
template <bool kMayPassEnd, class Reader>
NIVAREL_JPEG_INLINE AcStep DecodeAcStep(Reader& reader, const HuffmanDecodeTable& table,
                                        int16_t* coefficients, int& k, JpegFailure& failure) {
  const int32_t entry = PeekFastValue(reader, table);
  if (entry != 0 && (!kMayPassEnd || k + FastValueRun(entry) <= 63)) {
    k += FastValueRun(entry);
    reader.take(FastValueLength(entry));
    coefficients[kZigzagToNatural[k]] = Wrap16(static_cast<uint32_t>(FastValue(entry)));
    return AcStep::Next;
  }
  const int symbol = FastSymbol(reader, table);
  const int run = symbol >> 4;
  const int size = symbol & 15;
  if (size != 0) {
    if (k + run > 63) return Failed(failure);
    k += run;
    const int32_t value = ExtendSign(reader.bits(size), size);
    coefficients[kZigzagToNatural[k]] = Wrap16(static_cast<uint32_t>(value));
    return AcStep::Next;
  }
  if (run != 15) return AcStep::EndOfBlock;
  if (k + 15 > 63) return Failed(failure);
  k += 15;
  return AcStep::Next;
}

// Decodes positions 1..63 into a block that is all 0 there; returns the
// position of the end-of-block symbol (64 without one), or -1 after a failure.
// The values stay quantised: the fast engine's transforms dequantise.
template <class Reader>
NIVAREL_JPEG_INLINE int FastAcCoefficients(Reader& reader, const HuffmanDecodeTable& table,
                                           int16_t* coefficients, JpegFailure& failure) {
  int k = 1;
  AcStep step = AcStep::Next;
  for (; k <= 48 && step == AcStep::Next; k += step == AcStep::Next) {
    step = DecodeAcStep<false>(reader, table, coefficients, k, failure);
  }
  for (; k <= 63 && step == AcStep::Next; k += step == AcStep::Next) {
    step = DecodeAcStep<true>(reader, table, coefficients, k, failure);
  }
  return step == AcStep::Failed ? -1 : k;
}

template <class Reader>
bool FastDecodeRow(JpegDecoderState& d) {
  Reader reader(d.input);
  int blockIndex = 0;
  bool decoded = true;
  for (int mcu = 0; mcu < d.scanMcusPerRow && decoded; ++mcu) {
    decoded = RestartIfDue(d, reader);
    for (int b = 0; b < d.scanBlocksPerMcu && decoded; ++b, ++blockIndex) {
      const McuBlock& mcuBlock = d.mcuBlocks[b];
      int16_t* coefficients = d.coefficientRow + 64 * blockIndex;
      int& fill = d.zigzagFill[blockIndex];
      if (fill > 1) ClearBlock(coefficients);

      int32_t difference = 0;
      decoded = FastDcDifference(reader, *mcuBlock.dcTable, difference, d.failure);
      if (!decoded) break;
      int32_t& predictor = d.dcPredictors[mcuBlock.component];
      predictor = static_cast<int32_t>(static_cast<uint32_t>(predictor) +
                                       static_cast<uint32_t>(difference));
      coefficients[0] = Wrap16(static_cast<uint32_t>(predictor));
      fill = FastAcCoefficients(reader, *mcuBlock.acTable, coefficients, d.failure);
      decoded = fill >= 0;
    }
    decoded = decoded && FinishMcu(d);
  }
  reader.save();
  return decoded;
}

}  // namespace

bool JpegDecoderState::processRestart() {
  int count = 0;
  int byte = 0;
  for (; count < kRestartSearchBytes; ++count) {
    byte = input.nextInputByte();
    if (byte == 0xFF) break;
  }
  if (count == kRestartSearchBytes) return fail(RestartMarkerBad);
  // The count goes on from the 0xFF found, over any fill bytes after it.
  for (; count < kRestartSearchBytes; ++count) {
    byte = input.nextInputByte();
    if (byte != 0xFF) break;
  }
  if (count == kRestartSearchBytes) return fail(RestartMarkerBad);
  if (byte != kRst0 + nextRestartNumber) return fail(RestartMarkerBad);

  std::fill(dcPredictors, dcPredictors + kMaxComponents, 0);
  eobRun = 0;
  mcusLeftInInterval = restartInterval;
  nextRestartNumber = (nextRestartNumber + 1) & 7;
  (input.*kernels.primeEntropyReader)();
  return ok();
}

bool JpegDecoderState::restartIfDue() {
  if (restartInterval == 0 || mcusLeftInInterval != 0) return true;
  return processRestart();
}

bool JpegDecoderState::readEndOfImage() {
  input.primeHeaderReader();
  return processMarkers() >= 0;
}

namespace {

// A row of the scan, and after the last one the end of the image.
template <DecoderStep kDecodeRow>
bool DecodeRowAndEnd(JpegDecoderState& d) {
  if (!kDecodeRow(d)) return false;
  return d.linesLeftInImage > d.mcuHeight || d.readEndOfImage();
}

}  // namespace

DecoderStep ChooseSequentialRow(JpegEngine engine, bool useMmx) {
  if (RunsFastKernels(engine)) {
    return useMmx ? DecodeRowAndEnd<FastDecodeRow<FastWideReader>>
                  : DecodeRowAndEnd<FastDecodeRow<FastNarrowReader>>;
  }
  return useMmx ? DecodeRowAndEnd<DecodeRow<WideReader, false>>
                : DecodeRowAndEnd<DecodeRow<NarrowReader, true>>;
}
