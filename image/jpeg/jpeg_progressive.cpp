// Progressive images: every scan is decoded into per-component coefficient
// buffers while decoding starts; rows are later copied out of them.
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/jpeg/jpeg_decoder_state.h"
#include "image/jpeg/jpeg_fast_readers.h"

int16_t* CoefficientBuffer::block(int column, int row) const {
  if (column < 0 || column >= blocksAcross || row < 0 || row >= blocksDown) return nullptr;
  size_t index = static_cast<size_t>(row) * static_cast<size_t>(blocksAcross) +
                 static_cast<size_t>(column);
  return data + index * static_cast<size_t>(blockWidth * blockHeight);
}

namespace {

bool AllocateBuffer(JpegDecoderState& d, CoefficientBuffer& buffer, int across, int down,
                    int side) {
  buffer.blocksAcross = across;
  buffer.blocksDown = down;
  buffer.blockWidth = side;
  buffer.blockHeight = side;
  buffer.bytesPerBlock = side * side * 2;
  size_t blocks = static_cast<size_t>(across) * static_cast<size_t>(down);
  buffer.data = d.allocate<int16_t>(blocks * static_cast<size_t>(side * side));
  return buffer.data != nullptr;
}

// Multiplies the non-zero coefficients up to the last one in zigzag order by
// their quantisation values (zigzag order); products keep 16 bits.
void DequantiseBlock(int16_t* block, const uint16_t* quant) {
  int last = 0;
  for (int k = 63; k > 0 && last == 0; --k) {
    if (block[kZigzagToNatural[k]] != 0) last = k;
  }
  for (int k = last; k >= 0; --k) {
    int16_t& coefficient = block[kZigzagToNatural[k]];
    if (coefficient != 0) coefficient = Wrap16(static_cast<uint32_t>(coefficient) * quant[k]);
  }
}

// The two readers the block decoders run on: JpegInput's own 32-bit reader,
// and the fast engine's copy of it with its state in registers and symbols
// through the fast tables.
struct ReferenceReader {
  static constexpr bool kFastValues = false;
  JpegInput& input;
  int symbol(const HuffmanDecodeTable& table) { return DecodeSymbol(input, table); }
  uint32_t bits(int count) { return input.readEntropyBits(count); }
  void save() const {}
  void load() {}
};

class FastProgressiveReader : public FastNarrowReader {
 public:
  static constexpr bool kFastValues = true;
  using FastNarrowReader::FastNarrowReader;
  int symbol(const HuffmanDecodeTable& table) { return FastSymbol(*this, table); }
  int32_t peekValue(const HuffmanDecodeTable& table) const { return PeekFastValue(*this, table); }
};

template <class Reader>
bool DecodeDcFirst(JpegDecoderState& d, Reader& reader, int component, int16_t* dc) {
  const FrameComponent& frameComponent = d.components[component];
  const int size = reader.symbol(*d.huffmanTables[frameComponent.dcSlot]);
  if (size > 15) return d.fail(EntropyDataBad);
  const int32_t difference = size == 0 ? 0 : ExtendSign(reader.bits(size), size);
  int32_t& predictor = d.dcPredictors[component];
  predictor = static_cast<int32_t>(static_cast<uint32_t>(predictor) +
                                   static_cast<uint32_t>(difference));
  *dc = Wrap16(ShiftLeft(predictor, d.al));
  return true;
}

template <class Reader>
void DecodeDcRefine(const JpegDecoderState& d, Reader& reader, int16_t* dc) {
  if (reader.bits(1) != 0) *dc = Wrap16(static_cast<uint16_t>(*dc) | (1u << d.al));
}

template <class Reader>
bool DecodeAcFirst(JpegDecoderState& d, Reader& reader, int component, int16_t* block) {
  if (d.eobRun > 0) {
    --d.eobRun;
    return true;
  }
  const HuffmanDecodeTable& table = *d.huffmanTables[d.components[component].acSlot];
  for (int k = d.ss; k <= d.se; ++k) {
    if constexpr (Reader::kFastValues) {
      // A code and its whole value in one step; a run past the end is left
      // to the ordinary path, which fails it.
      const int32_t entry = reader.peekValue(table);
      if (entry != 0 && k + FastValueRun(entry) <= 63) {
        k += FastValueRun(entry);
        reader.take(FastValueLength(entry));
        block[kZigzagToNatural[k]] = Wrap16(ShiftLeft(FastValue(entry), d.al));
        continue;
      }
    }
    const int symbol = reader.symbol(table);
    const int run = symbol >> 4;
    const int size = symbol & 15;
    if (size != 0) {
      k += run;
      if (k > 63) return d.fail(EntropyDataBad);
      const int32_t value = ExtendSign(reader.bits(size), size);
      block[kZigzagToNatural[k]] = Wrap16(ShiftLeft(value, d.al));
    } else if (run == 15) {
      k += 15;
      if (k > 63) return d.fail(EntropyDataBad);
    } else {
      d.eobRun = (1 << run) + static_cast<int>(reader.bits(run)) - 1;
      break;
    }
  }
  return true;
}

template <class Reader>
void RefineNonZero(Reader& reader, int16_t& coefficient, int32_t plus, int32_t minus) {
  if (reader.bits(1) == 0 || (coefficient & plus) != 0) return;
  const int32_t step = coefficient >= 0 ? plus : minus;
  coefficient = Wrap16(static_cast<uint32_t>(coefficient) + static_cast<uint32_t>(step));
}

template <class Reader>
bool DecodeAcRefine(JpegDecoderState& d, Reader& reader, int component, int16_t* block) {
  const int32_t plus = 1 << d.al;
  const int32_t minus = -plus;
  const int se = d.se;
  int k = d.ss;
  if (d.eobRun == 0) {
    const HuffmanDecodeTable& table = *d.huffmanTables[d.components[component].acSlot];
    for (; k <= se; ++k) {
      const int symbol = reader.symbol(table);
      int run = symbol >> 4;
      const int size = symbol & 15;
      int32_t newValue = 0;
      if (size != 0) {
        if (size != 1) return d.fail(EntropyDataBad);
        newValue = reader.bits(1) != 0 ? plus : minus;
      } else if (run != 15) {
        d.eobRun = (1 << run) + static_cast<int>(reader.bits(run));
        break;
      }
      // Walk past `run` zero positions, correcting the non-zero ones on the way.
      for (; k <= se; ++k) {
        int16_t& coefficient = block[kZigzagToNatural[k]];
        if (coefficient != 0) {
          RefineNonZero(reader, coefficient, plus, minus);
        } else if (--run < 0) {
          break;
        }
      }
      if (size != 0 && k < 64) block[kZigzagToNatural[k]] = Wrap16(static_cast<uint32_t>(newValue));
    }
  }
  if (d.eobRun > 0) {
    for (; k <= se; ++k) {
      int16_t& coefficient = block[kZigzagToNatural[k]];
      if (coefficient != 0) RefineNonZero(reader, coefficient, plus, minus);
    }
    --d.eobRun;
  }
  return true;
}

template <class Reader>
bool DecodeBlock(JpegDecoderState& d, Reader& reader, int component, int column, int row) {
  if (d.ss == 0) {
    int16_t* dc = d.dcBuffers[component].block(column, row);
    if (dc == nullptr) return d.fail(InternalLimit);
    if (d.ah == 0) return DecodeDcFirst(d, reader, component, dc);
    DecodeDcRefine(d, reader, dc);
    return true;
  }
  int16_t* block = d.acBuffers[component].block(column, row);
  if (block == nullptr) return d.fail(InternalLimit);
  return d.ah == 0 ? DecodeAcFirst(d, reader, component, block)
                   : DecodeAcRefine(d, reader, component, block);
}

template <class Reader>
bool DecodeScan(JpegDecoderState& d, Reader& reader) {
  BlockCursor cursor;
  for (int mcuRow = 0; mcuRow < d.scanMcuRows; ++mcuRow) {
    for (int mcu = 0; mcu < d.scanMcusPerRow; ++mcu) {
      if (d.restartInterval != 0 && d.mcusLeftInInterval == 0) {
        reader.save();
        if (!d.processRestart()) return false;
        reader.load();
      }
      for (int b = 0; b < d.scanBlocksPerMcu; ++b) {
        // A one-component scan's MCU is the one block at its own position.
        int column = mcu;
        int row = mcuRow;
        if (d.scanComponentCount != 1) d.nextBlockPosition(cursor, b, column, row);
        if (!DecodeBlock(d, reader, d.mcuBlocks[b].component, column, row)) return false;
      }
      if (d.restartInterval != 0) --d.mcusLeftInInterval;
      if (!d.ok()) return false;
    }
    d.finishMcuRow(cursor);
  }
  return true;
}

// The same products for every position at once, with the table in natural
// order: a zero stays zero, so multiplying all of them changes nothing else.
// The low 16 bits of a product are the same signed or unsigned, so the vector
// multiply gives exactly the scalar wrap.
void DequantiseWhole(int16_t* block, const uint16_t* naturalQuant) {
#if defined(__SSE2__)
  for (int i = 0; i < 64; i += 8) {
    __m128i* lane = reinterpret_cast<__m128i*>(block + i);
    const __m128i quant = _mm_loadu_si128(reinterpret_cast<const __m128i*>(naturalQuant + i));
    _mm_storeu_si128(lane, _mm_mullo_epi16(_mm_loadu_si128(lane), quant));
  }
#else
  for (int i = 0; i < 64; ++i) {
    block[i] = Wrap16(static_cast<uint32_t>(block[i]) * naturalQuant[i]);
  }
#endif
}

}  // namespace

bool JpegDecoderState::allocateCoefficientBuffers() {
  for (int c = 0; c < componentCount; ++c) {
    int across = mcusPerRow * components[c].h;
    int down = mcuRows * components[c].v;
    if (!AllocateBuffer(*this, dcBuffers[c], across, down, 1) ||
        !AllocateBuffer(*this, acBuffers[c], across, down, 8)) {
      return false;
    }
  }
  return true;
}

bool JpegDecoderState::decodeProgressiveImage() {
  if (!allocateCoefficientBuffers()) return false;
  for (;;) {
    bool found = false;
    if (!setUpScan(found)) return false;
    if (!found) break;
    if (!checkProgressiveScan() || !decodeProgressiveScan()) return false;
    input.primeHeaderReader();
  }
  // Rows are loaded with every component interleaved, in frame order.
  scanComponentCount = componentCount;
  for (int c = 0; c < componentCount; ++c) scanComponents[c] = c;
  if (!computeBlockOrder()) return false;
  // A component that no scan named was never checked for its table, yet
  // loading and transforming its rows needs one.
  for (int c = 0; c < componentCount; ++c) {
    if (!hasQuantTable(components[c])) return fail(QuantTableUndefined);
  }
  // The tables are final now that every scan is read.
  for (int slot = 0; slot < 4; ++slot) {
    if (quantTables[slot] == nullptr) continue;
    for (int k = 0; k < 64; ++k) naturalQuant[slot][kZigzagToNatural[k]] = quantTables[slot][k];
  }
  return true;
}

bool JpegDecoderState::checkProgressiveScan() {
  if (se < ss || se > 63) return fail(SpectralRangeBad);
  if (ss == 0 && se != 0) return fail(SpectralRangeBad);
  if (ss > 0 && scanComponentCount != 1) return fail(SpectralRangeBad);
  if (ah != 0 && al != ah - 1) return fail(ApproximationBad);
  return true;
}

bool JpegDecoderState::decodeProgressiveScan() {
  if (fast) {
    FastProgressiveReader reader(input);
    const bool decoded = DecodeScan(*this, reader);
    reader.save();
    return decoded;
  }
  ReferenceReader reader{input};
  return DecodeScan(*this, reader);
}

bool JpegDecoderState::loadProgressiveRow() {
  BlockCursor cursor;
  std::copy(rowLoadPositions, rowLoadPositions + kMaxComponents, cursor.rowBase);
  int blockIndex = 0;
  for (int mcu = 0; mcu < scanMcusPerRow; ++mcu) {
    for (int b = 0; b < scanBlocksPerMcu; ++b, ++blockIndex) {
      int c = mcuBlocks[b].component;
      int column = 0;
      int row = 0;
      nextBlockPosition(cursor, b, column, row);
      const int16_t* dc = dcBuffers[c].block(column, row);
      const int16_t* ac = acBuffers[c].block(column, row);
      if (dc == nullptr || ac == nullptr) return fail(InternalLimit);
      int16_t* target = coefficientRow + 64 * blockIndex;
      target[0] = *dc;
      std::copy(ac + 1, ac + 64, target + 1);
      if (useMmx) continue;
      if (fast) {
        DequantiseWhole(target, naturalQuant[components[c].quantSlot]);
      } else {
        DequantiseBlock(target, quantTables[components[c].quantSlot]);
      }
    }
  }
  finishMcuRow(cursor);
  std::copy(cursor.rowBase, cursor.rowBase + kMaxComponents, rowLoadPositions);
  return true;
}
