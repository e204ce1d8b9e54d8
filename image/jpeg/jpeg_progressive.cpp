// Progressive images: every scan is decoded into per-component coefficient
// buffers while decoding starts; rows are later copied out of them.
#include <algorithm>

#include "image/jpeg/jpeg_decoder_state.h"
#include "image/jpeg/jpeg_engine.h"
#include "image/jpeg/jpeg_fast_readers.h"
#include "image/jpeg/jpeg_position_masks.h"

int16_t* CoefficientBuffer::block(int column, int row) const {
  if (column < 0 || column >= blocksAcross || row < 0 || row >= blocksDown) return nullptr;
  size_t index =
      static_cast<size_t>(row) * static_cast<size_t>(blocksAcross) + static_cast<size_t>(column);
  return data + index * static_cast<size_t>(blockWidth * blockHeight);
}

namespace {

// AC buffers (side 8) carry the fast engine's masks of non-zero positions.
bool AllocateBuffer(JpegDecoderState& d, CoefficientBuffer& buffer, int across, int down,
                    int side) {
  buffer.blocksAcross = across;
  buffer.blocksDown = down;
  buffer.blockWidth = side;
  buffer.blockHeight = side;
  buffer.bytesPerBlock = side * side * 2;
  const size_t blocks = static_cast<size_t>(across) * static_cast<size_t>(down);
  const size_t coefficients = blocks * static_cast<size_t>(side * side);
  const bool withMasks = side == 8;
  const size_t maskSlots = withMasks ? blocks * (sizeof(uint64_t) / sizeof(int16_t)) : 0;
  buffer.data = d.allocate<int16_t>(coefficients + maskSlots);
  if (buffer.data == nullptr) return false;
  // The blocks take a multiple of 8 bytes, so the masks behind them stay aligned.
  if (withMasks) buffer.nonZero = reinterpret_cast<uint64_t*>(buffer.data + coefficients);
  return true;
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
  static constexpr bool kFast = false;
  JpegInput& input;
  int symbol(const HuffmanDecodeTable& table) { return DecodeSymbol(input, table); }
  uint32_t bits(int count) { return input.readEntropyBits(count); }
  void save() const {}
  void load() {}
};

class FastProgressiveReader : public FastNarrowReader {
 public:
  static constexpr bool kFast = true;
  using FastNarrowReader::FastNarrowReader;
  NIVAREL_JPEG_INLINE int symbol(const HuffmanDecodeTable& table) {
    return FastSymbol(*this, table);
  }
  NIVAREL_JPEG_INLINE int32_t peekValue(const HuffmanDecodeTable& table) const {
    return PeekFastValue(*this, table);
  }
};

// Keeps a block's mask of non-zero positions true after position k was
// written (a shifted value can wrap to 0).
NIVAREL_JPEG_INLINE void MarkPosition(uint64_t& nonZero, int k, int16_t value) {
  const uint64_t bit = 1ull << k;
  nonZero = value != 0 ? nonZero | bit : nonZero & ~bit;
}

template <class Reader>
NIVAREL_JPEG_INLINE bool DecodeDcFirst(JpegDecoderState& d, Reader& reader, int component,
                                       int16_t* dc) {
  const HuffmanDecodeTable& table = *d.huffmanTables[d.components[component].dcSlot];
  int32_t difference = 0;
  if constexpr (Reader::kFast) {
    if (!FastDcDifference(reader, table, difference, d.failure)) return false;
  } else {
    const int size = reader.symbol(table);
    if (size > 15) return d.fail(EntropyDataBad);
    difference = size == 0 ? 0 : ExtendSign(reader.bits(size), size);
  }
  int32_t& predictor = d.dcPredictors[component];
  predictor =
      static_cast<int32_t>(static_cast<uint32_t>(predictor) + static_cast<uint32_t>(difference));
  *dc = Wrap16(ShiftLeft(predictor, d.al));
  return true;
}

template <class Reader>
NIVAREL_JPEG_INLINE void DecodeDcRefine(const JpegDecoderState& d, Reader& reader, int16_t* dc) {
  if (reader.bits(1) != 0) *dc = Wrap16(static_cast<uint16_t>(*dc) | (1u << d.al));
}

template <class Reader>
NIVAREL_JPEG_INLINE bool DecodeAcFirst(JpegDecoderState& d, Reader& reader, int component,
                                       int16_t* block, uint64_t* nonZero) {
  if (d.eobRun > 0) {
    --d.eobRun;
    return true;
  }
  const HuffmanDecodeTable& table = *d.huffmanTables[d.components[component].acSlot];
  for (int k = d.ss; k <= d.se; ++k) {
    if constexpr (Reader::kFast) {
      // A code and its whole value in one step; a run past the end is left
      // to the ordinary path, which fails it.
      const int32_t entry = reader.peekValue(table);
      if (entry != 0 && k + FastValueRun(entry) <= 63) {
        k += FastValueRun(entry);
        reader.take(FastValueLength(entry));
        int16_t& coefficient = block[kZigzagToNatural[k]];
        coefficient = Wrap16(ShiftLeft(FastValue(entry), d.al));
        MarkPosition(*nonZero, k, coefficient);
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
      int16_t& coefficient = block[kZigzagToNatural[k]];
      coefficient = Wrap16(ShiftLeft(value, d.al));
      if constexpr (Reader::kFast) MarkPosition(*nonZero, k, coefficient);
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
NIVAREL_JPEG_INLINE void RefineNonZero(Reader& reader, int16_t& coefficient, int32_t plus,
                                       int32_t minus) {
  if (reader.bits(1) == 0 || (coefficient & plus) != 0) return;
  const int32_t step = coefficient >= 0 ? plus : minus;
  coefficient = Wrap16(static_cast<uint32_t>(coefficient) + static_cast<uint32_t>(step));
}

template <class Reader>
NIVAREL_JPEG_INLINE bool DecodeAcRefine(JpegDecoderState& d, Reader& reader, int component,
                                        int16_t* block) {
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

// ---- Refinement on masks (fast engine) ------------------------------------------
//
// The same bits in the same order as DecodeAcRefine, with its position walks
// done on a 64-bit mask of the block's non-zero zigzag positions (refining
// never makes a value zero or non-zero, so the mask only gains the positions
// that new values are written to), and the correction bits of a stretch of
// non-zero values taken up to 16 at a time.

// One correction bit for each non-zero position in `positions`, lowest first.
// The bits are close to random, so the correction is applied by arithmetic
// rather than by branches the processor would mispredict half the time.
template <class Positions, class Reader>
NIVAREL_JPEG_INLINE void CorrectPositions(Reader& reader, int16_t* block, uint64_t positions,
                                          int32_t plus, int32_t minus) {
  while (positions != 0) {
    const int count = std::min(Positions::count(positions), kMaxTake);
    const uint32_t corrections = reader.bits(count);
    for (int i = count - 1; i >= 0; --i, positions &= positions - 1) {
      int16_t& coefficient = block[kZigzagToNatural[LowestPosition(positions)]];
      const int32_t value = coefficient;
      // All ones when the bit is 1 and the value lacks the bit being refined.
      const int32_t apply = -static_cast<int32_t>(((corrections >> i) & 1) & ((value & plus) == 0));
      const int32_t step = value >= 0 ? plus : minus;
      coefficient = Wrap16(static_cast<uint32_t>(value) + static_cast<uint32_t>(step & apply));
    }
  }
}

template <class Positions, class Reader>
NIVAREL_JPEG_INLINE bool FastAcRefine(JpegDecoderState& d, Reader& reader, int component,
                                      int16_t* block, uint64_t& nonZeroKept) {
  const int32_t plus = 1 << d.al;
  const int32_t minus = -plus;
  const int se = d.se;
  int k = d.ss;
  uint64_t nonZero = nonZeroKept;
  if (d.eobRun == 0) {
    const HuffmanDecodeTable& table = *d.huffmanTables[d.components[component].acSlot];
    for (; k <= se; ++k) {
      int run = 0;
      int size = 0;
      int32_t newValue = 0;
      // A new value's code and its sign bit are one fast entry of value +-1.
      const int32_t entry = reader.peekValue(table);
      if (entry != 0 && (FastValue(entry) == 1 || FastValue(entry) == -1)) {
        reader.take(FastValueLength(entry));
        run = FastValueRun(entry);
        size = 1;
        newValue = FastValue(entry) > 0 ? plus : minus;
      } else {
        const int symbol = reader.symbol(table);
        run = symbol >> 4;
        size = symbol & 15;
        if (size != 0) {
          if (size != 1) return d.fail(EntropyDataBad);
          newValue = reader.bits(1) != 0 ? plus : minus;
        }
      }
      if (size == 0 && run != 15) {
        d.eobRun = (1 << run) + static_cast<int>(reader.bits(run));
        break;
      }
      // The walk stops on the zero that takes `run` below 0, or after se.
      const int stop = Positions::select(~nonZero & PositionRange(k, se), run, se + 1);
      CorrectPositions<Positions>(reader, block, nonZero & PositionRange(k, stop - 1), plus, minus);
      k = stop;
      if (size != 0 && k < 64) {
        block[kZigzagToNatural[k]] = Wrap16(static_cast<uint32_t>(newValue));
        nonZero |= 1ull << k;
      }
    }
  }
  if (d.eobRun > 0) {
    CorrectPositions<Positions>(reader, block, nonZero & PositionRange(k, se), plus, minus);
    --d.eobRun;
  }
  nonZeroKept = nonZero;
  return true;
}

template <class Reader>
NIVAREL_JPEG_INLINE bool DecodeBlock(JpegDecoderState& d, Reader& reader, int component, int column,
                                     int row) {
  if (d.ss == 0) {
    int16_t* dc = d.dcBuffers[component].block(column, row);
    if (dc == nullptr) return d.fail(InternalLimit);
    if (d.ah == 0) return DecodeDcFirst(d, reader, component, dc);
    DecodeDcRefine(d, reader, dc);
    return true;
  }
  int16_t* block = d.acBuffers[component].block(column, row);
  if (block == nullptr) return d.fail(InternalLimit);
  uint64_t* nonZero = Reader::kFast ? &d.acBuffers[component].nonZeroOf(block) : nullptr;
  if (d.ah == 0) return DecodeAcFirst(d, reader, component, block, nonZero);
  if constexpr (Reader::kFast) {
    // The cursor's path serves only unusual scans: the portable form will do.
    return FastAcRefine<PortablePositions>(d, reader, component, block, *nonZero);
  } else {
    return DecodeAcRefine(d, reader, component, block);
  }
}

// Any scan, block by block through the interleaving cursor.  The reader
// lives here, so that its state can stay in registers.
template <class Reader>
bool DecodeScan(JpegDecoderState& d) {
  Reader reader{d.input};
  BlockCursor cursor;
  bool decoded = true;
  for (int mcuRow = 0; mcuRow < d.scanMcuRows && decoded; ++mcuRow) {
    for (int mcu = 0; mcu < d.scanMcusPerRow && decoded; ++mcu) {
      decoded = RestartIfDue(d, reader);
      for (int b = 0; b < d.scanBlocksPerMcu && decoded; ++b) {
        // A one-component scan's MCU is the one block at its own position.
        int column = mcu;
        int row = mcuRow;
        if (d.scanComponentCount != 1) d.nextBlockPosition(cursor, b, column, row);
        decoded = DecodeBlock(d, reader, d.mcuBlocks[b].component, column, row);
      }
      decoded = decoded && FinishMcu(d);
    }
    d.finishMcuRow(cursor);
  }
  reader.save();
  return decoded;
}

enum class ScanKind { DcFirst, DcRefine, AcFirst, AcRefine };

// A one-component scan whose blocks all lie inside its buffer, for the fast
// engine: the blocks are visited straight through the buffer and the kind of
// scan is settled once, not per block.
template <ScanKind kKind, class Positions = PortablePositions>
bool DecodeBlocksInOrder(JpegDecoderState& d, const CoefficientBuffer& buffer, int component) {
  FastProgressiveReader reader(d.input);
  const size_t stride = static_cast<size_t>(buffer.blockWidth * buffer.blockHeight);
  bool decoded = true;
  for (int row = 0; row < d.scanMcuRows && decoded; ++row) {
    size_t index = static_cast<size_t>(row) * static_cast<size_t>(buffer.blocksAcross);
    for (int column = 0; column < d.scanMcusPerRow && decoded; ++column, ++index) {
      int16_t* block = buffer.data + index * stride;
      decoded = RestartIfDue(d, reader);
      if (!decoded) break;
      if constexpr (kKind == ScanKind::DcFirst)
        decoded = DecodeDcFirst(d, reader, component, block);
      if constexpr (kKind == ScanKind::DcRefine) DecodeDcRefine(d, reader, block);
      if constexpr (kKind == ScanKind::AcFirst) {
        decoded = DecodeAcFirst(d, reader, component, block, &buffer.nonZero[index]);
      }
      if constexpr (kKind == ScanKind::AcRefine) {
        decoded = FastAcRefine<Positions>(d, reader, component, block, buffer.nonZero[index]);
      }
      decoded = decoded && FinishMcu(d);
    }
  }
  reader.save();
  return decoded;
}

// An interleaved DC scan whose blocks all lie inside their buffers, for the
// fast engine: each block of the MCU sits at a fixed offset from the MCU's
// corner in its component's buffer (dx, dy within the component's H x V).
template <ScanKind kKind>
bool DecodeInterleavedDc(JpegDecoderState& d) {
  struct Place {
    const CoefficientBuffer* buffer;
    int component;
    int h, v;
    size_t offset;  // from the MCU's corner
  };
  Place places[JpegDecoderState::kMaxMcuBlocks];
  int inComponent = 0;
  for (int b = 0; b < d.scanBlocksPerMcu; ++b) {
    const int c = d.mcuBlocks[b].component;
    if (b > 0 && c != places[b - 1].component) inComponent = 0;
    const FrameComponent& component = d.components[c];
    const CoefficientBuffer& buffer = d.dcBuffers[c];
    const size_t dx = static_cast<size_t>(inComponent % component.h);
    const size_t dy = static_cast<size_t>(inComponent / component.h);
    places[b] = {&buffer, c, component.h, component.v,
                 dy * static_cast<size_t>(buffer.blocksAcross) + dx};
    ++inComponent;
  }
  FastProgressiveReader reader(d.input);
  bool decoded = true;
  for (int mcuRow = 0; mcuRow < d.scanMcuRows && decoded; ++mcuRow) {
    for (int mcu = 0; mcu < d.scanMcusPerRow && decoded; ++mcu) {
      decoded = RestartIfDue(d, reader);
      for (int b = 0; b < d.scanBlocksPerMcu && decoded; ++b) {
        const Place& place = places[b];
        const size_t corner = static_cast<size_t>(mcuRow) * static_cast<size_t>(place.v) *
                                  static_cast<size_t>(place.buffer->blocksAcross) +
                              static_cast<size_t>(mcu) * static_cast<size_t>(place.h);
        int16_t* dc = place.buffer->data + corner + place.offset;
        if constexpr (kKind == ScanKind::DcFirst)
          decoded = DecodeDcFirst(d, reader, place.component, dc);
        if constexpr (kKind == ScanKind::DcRefine) DecodeDcRefine(d, reader, dc);
      }
      decoded = decoded && FinishMcu(d);
    }
  }
  reader.save();
  return decoded;
}

// Whether every block of an interleaved scan lies inside its buffer.  A scan
// that names a component twice steps that component's blocks on past its
// MCU, which only the cursor follows.
bool InterleavedScanFits(const JpegDecoderState& d) {
  for (int i = 0; i < d.scanComponentCount; ++i) {
    const int c = d.scanComponents[i];
    for (int j = 0; j < i; ++j) {
      if (d.scanComponents[j] == c) return false;
    }
    const CoefficientBuffer& buffer = d.dcBuffers[c];
    if (d.scanMcusPerRow * d.components[c].h > buffer.blocksAcross ||
        d.scanMcuRows * d.components[c].v > buffer.blocksDown) {
      return false;
    }
  }
  return true;
}

template <class Positions>
bool DecodeScanFast(JpegDecoderState& d) {
  if (d.scanComponentCount > 1 && d.ss == 0 && InterleavedScanFits(d)) {
    return d.ah == 0 ? DecodeInterleavedDc<ScanKind::DcFirst>(d)
                     : DecodeInterleavedDc<ScanKind::DcRefine>(d);
  }
  const int c = d.mcuBlocks[0].component;
  const CoefficientBuffer& buffer = d.ss == 0 ? d.dcBuffers[c] : d.acBuffers[c];
  if (d.scanComponentCount != 1 || d.scanMcusPerRow > buffer.blocksAcross ||
      d.scanMcuRows > buffer.blocksDown) {
    return DecodeScan<FastProgressiveReader>(d);
  }
  if (d.ss == 0) {
    return d.ah == 0 ? DecodeBlocksInOrder<ScanKind::DcFirst>(d, buffer, c)
                     : DecodeBlocksInOrder<ScanKind::DcRefine>(d, buffer, c);
  }
  return d.ah == 0 ? DecodeBlocksInOrder<ScanKind::AcFirst>(d, buffer, c)
                   : DecodeBlocksInOrder<ScanKind::AcRefine, Positions>(d, buffer, c);
}

// A row of the image from the coefficient buffers: each block's DC value and
// its 63 AC values.  kDequantise: the reference engine's plain path
// dequantises them here; elsewhere the transform does.
template <bool kDequantise>
bool LoadRow(JpegDecoderState& d) {
  BlockCursor cursor;
  std::copy(d.rowLoadPositions, d.rowLoadPositions + JpegDecoderState::kMaxComponents,
            cursor.rowBase);
  int blockIndex = 0;
  for (int mcu = 0; mcu < d.scanMcusPerRow; ++mcu) {
    for (int b = 0; b < d.scanBlocksPerMcu; ++b, ++blockIndex) {
      const int c = d.mcuBlocks[b].component;
      int column = 0;
      int row = 0;
      d.nextBlockPosition(cursor, b, column, row);
      const int16_t* dc = d.dcBuffers[c].block(column, row);
      const int16_t* ac = d.acBuffers[c].block(column, row);
      if (dc == nullptr || ac == nullptr) return d.fail(InternalLimit);
      int16_t* target = d.coefficientRow + 64 * blockIndex;
      target[0] = *dc;
      std::copy(ac + 1, ac + 64, target + 1);
      if (kDequantise) DequantiseBlock(target, d.quantTables[d.components[c].quantSlot]);
    }
  }
  d.finishMcuRow(cursor);
  std::copy(cursor.rowBase, cursor.rowBase + JpegDecoderState::kMaxComponents,
            d.rowLoadPositions);
  return true;
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
    if (!checkProgressiveScan() || !kernels.decodeProgressiveScan(*this)) return false;
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
  return true;
}

bool JpegDecoderState::checkProgressiveScan() {
  if (se < ss || se > 63) return fail(SpectralRangeBad);
  if (ss == 0 && se != 0) return fail(SpectralRangeBad);
  if (ss > 0 && scanComponentCount != 1) return fail(SpectralRangeBad);
  if (ah != 0 && al != ah - 1) return fail(ApproximationBad);
  return true;
}

DecoderStep ChooseProgressiveScan(JpegEngine engine) {
  if (!RunsFastKernels(engine)) return DecodeScan<ReferenceReader>;
  // The refinement's position walks, on the bit-deposit instructions where
  // the processor runs them at full speed.
  return RunsBitDeposit(engine) ? DecodeScanFast<DepositPositions>
                                : DecodeScanFast<PortablePositions>;
}

DecoderStep ChooseProgressiveRowLoad(JpegEngine engine, bool useMmx) {
  return !RunsFastKernels(engine) && !useMmx ? LoadRow<true> : LoadRow<false>;
}
