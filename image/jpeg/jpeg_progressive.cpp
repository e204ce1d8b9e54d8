// Progressive images: every scan is decoded into per-component coefficient
// buffers while decoding starts; rows are later copied out of them.
#include <algorithm>

#include "image/jpeg/jpeg_decoder_state.h"

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
  BlockCursor cursor;
  for (int mcuRow = 0; mcuRow < scanMcuRows; ++mcuRow) {
    for (int mcu = 0; mcu < scanMcusPerRow; ++mcu) {
      if (!restartIfDue()) return false;
      for (int b = 0; b < scanBlocksPerMcu; ++b) {
        int column = 0;
        int row = 0;
        nextBlockPosition(cursor, b, column, row);
        if (!decodeProgressiveBlock(mcuBlocks[b].component, column, row)) return false;
      }
      if (restartInterval != 0) --mcusLeftInInterval;
      if (!ok()) return false;
    }
    finishMcuRow(cursor);
  }
  return true;
}

bool JpegDecoderState::decodeProgressiveBlock(int component, int column, int row) {
  if (ss == 0) {
    int16_t* dc = dcBuffers[component].block(column, row);
    if (dc == nullptr) return fail(InternalLimit);
    if (ah == 0) return decodeDcFirst(component, dc);
    decodeDcRefine(dc);
    return true;
  }
  int16_t* block = acBuffers[component].block(column, row);
  if (block == nullptr) return fail(InternalLimit);
  return ah == 0 ? decodeAcFirst(component, block) : decodeAcRefine(component, block);
}

bool JpegDecoderState::decodeDcFirst(int component, int16_t* dc) {
  const FrameComponent& frameComponent = components[component];
  int size = DecodeSymbol(input, *huffmanTables[frameComponent.dcSlot]);
  if (size > 15) return fail(EntropyDataBad);
  int32_t difference = size == 0 ? 0 : ExtendSign(input.readEntropyBits(size), size);
  int32_t& predictor = dcPredictors[component];
  predictor = static_cast<int32_t>(static_cast<uint32_t>(predictor) +
                                   static_cast<uint32_t>(difference));
  *dc = Wrap16(ShiftLeft(predictor, al));
  return true;
}

void JpegDecoderState::decodeDcRefine(int16_t* dc) {
  if (input.readEntropyBits(1) != 0) *dc = Wrap16(static_cast<uint16_t>(*dc) | (1u << al));
}

bool JpegDecoderState::decodeAcFirst(int component, int16_t* block) {
  if (eobRun > 0) {
    --eobRun;
    return true;
  }
  const HuffmanDecodeTable& table = *huffmanTables[components[component].acSlot];
  for (int k = ss; k <= se; ++k) {
    int symbol = DecodeSymbol(input, table);
    int run = symbol >> 4;
    int size = symbol & 15;
    if (size != 0) {
      k += run;
      if (k > 63) return fail(EntropyDataBad);
      int32_t value = ExtendSign(input.readEntropyBits(size), size);
      block[kZigzagToNatural[k]] = Wrap16(ShiftLeft(value, al));
    } else if (run == 15) {
      k += 15;
      if (k > 63) return fail(EntropyDataBad);
    } else {
      eobRun = (1 << run) + static_cast<int>(input.readEntropyBits(run)) - 1;
      break;
    }
  }
  return true;
}

void JpegDecoderState::refineNonZero(int16_t& coefficient, int32_t plus, int32_t minus) {
  if (input.readEntropyBits(1) == 0 || (coefficient & plus) != 0) return;
  int32_t step = coefficient >= 0 ? plus : minus;
  coefficient = Wrap16(static_cast<uint32_t>(coefficient) + static_cast<uint32_t>(step));
}

bool JpegDecoderState::decodeAcRefine(int component, int16_t* block) {
  const int32_t plus = 1 << al;
  const int32_t minus = -plus;
  int k = ss;
  if (eobRun == 0) {
    const HuffmanDecodeTable& table = *huffmanTables[components[component].acSlot];
    for (; k <= se; ++k) {
      int symbol = DecodeSymbol(input, table);
      int run = symbol >> 4;
      int size = symbol & 15;
      int32_t newValue = 0;
      if (size != 0) {
        if (size != 1) return fail(EntropyDataBad);
        newValue = input.readEntropyBits(1) != 0 ? plus : minus;
      } else if (run != 15) {
        eobRun = (1 << run) + static_cast<int>(input.readEntropyBits(run));
        break;
      }
      // Walk past `run` zero positions, correcting the non-zero ones on the way.
      for (; k <= se; ++k) {
        int16_t& coefficient = block[kZigzagToNatural[k]];
        if (coefficient != 0) {
          refineNonZero(coefficient, plus, minus);
        } else if (--run < 0) {
          break;
        }
      }
      if (size != 0 && k < 64) block[kZigzagToNatural[k]] = Wrap16(static_cast<uint32_t>(newValue));
    }
  }
  if (eobRun > 0) {
    for (; k <= se; ++k) {
      int16_t& coefficient = block[kZigzagToNatural[k]];
      if (coefficient != 0) refineNonZero(coefficient, plus, minus);
    }
    --eobRun;
  }
  return true;
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
      if (!useMmx) DequantiseBlock(target, quantTables[components[c].quantSlot]);
    }
  }
  finishMcuRow(cursor);
  std::copy(cursor.rowBase, cursor.rowBase + kMaxComponents, rowLoadPositions);
  return true;
}
