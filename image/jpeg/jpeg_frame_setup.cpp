// Frame setup (layout, geometry, row and line buffers) and scan setup (scan
// header, block order, tables, prediction reset, hand-over to entropy data).
#include <algorithm>

#include "image/jpeg/jpeg_decoder_state.h"

namespace {

constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;

struct LayoutShape {
  JpegLayout layout;
  int lumaH;
  int lumaV;
  int blocksPerMcu;
  int mcuWidth;
  int mcuHeight;
  int linesPerConversion;
};

constexpr LayoutShape kColourLayouts[] = {
    {Layout444, 1, 1, 3, 8, 8, 1},
    {Layout422, 2, 1, 4, 16, 8, 1},
    {Layout440, 1, 2, 4, 8, 16, 2},
    {Layout420, 2, 2, 6, 16, 16, 2},
};
constexpr LayoutShape kGreyLayout = {LayoutGrey, 1, 1, 1, 8, 8, 1};

int CeilDiv(int value, int divisor) { return (value + divisor - 1) / divisor; }

}  // namespace

bool JpegDecoderState::setUpFrame() {
  const LayoutShape* shape = nullptr;
  if (componentCount == 1) {
    // Grey ignores the sampling factors, but a factor of 0 would leave the
    // block grid without a size.
    if (components[0].h == 0 || components[0].v == 0) return fail(SamplingUnsupported);
    shape = &kGreyLayout;
  } else if (componentCount == 3) {
    const FrameComponent* c = components;
    bool chromaFull = c[1].h == 1 && c[1].v == 1 && c[2].h == 1 && c[2].v == 1;
    for (const LayoutShape& candidate : kColourLayouts) {
      if (chromaFull && c[0].h == candidate.lumaH && c[0].v == candidate.lumaV) {
        shape = &candidate;
      }
    }
    if (shape == nullptr) return fail(SamplingUnsupported);
  } else {
    return fail(ColourLayoutUnsupported);
  }
  layout = shape->layout;
  layoutBlocksPerMcu = shape->blocksPerMcu;
  mcuWidth = shape->mcuWidth;
  mcuHeight = shape->mcuHeight;
  linesPerConversion = shape->linesPerConversion;
  mcusPerRow = CeilDiv(imageWidth, mcuWidth);
  mcuRows = CeilDiv(imageHeight, mcuHeight);

  bytesPerPixel = layout == LayoutGrey ? 1 : 4;
  paddedLineBytes = ((imageWidth + 15) / 16 * 16) * bytesPerPixel;
  deliveredLineBytes = imageWidth * bytesPerPixel;
  lineA = allocate<uint8_t>(static_cast<size_t>(paddedLineBytes) + 8);
  lineB = lineA ? allocate<uint8_t>(static_cast<size_t>(paddedLineBytes) + 8) : nullptr;
  if (lineB == nullptr) return false;

  blocksPerRow = mcusPerRow * layoutBlocksPerMcu;
  if (blocksPerRow > kMaxBlocksPerRow) return fail(InternalLimit);
  coefficientRow = allocate<int16_t>(static_cast<size_t>(blocksPerRow) * 64);
  sampleRow = coefficientRow ? allocate<uint8_t>(static_cast<size_t>(blocksPerRow) * 64) : nullptr;
  zigzagFill = sampleRow ? allocate<int>(static_cast<size_t>(blocksPerRow)) : nullptr;
  if (zigzagFill == nullptr) return false;
  std::fill(zigzagFill, zigzagFill + blocksPerRow, 64);

  linesLeftInImage = imageHeight;
  linesLeftInMcuRow = 0;
  BuildColorTables(colorTables);
  return true;
}

bool JpegDecoderState::setUpScan(bool& found) {
  found = false;
  int code = processMarkers();
  if (code < 0) return false;
  if (code == kEoi) return true;
  if (code != kSos) return fail(MarkerUnexpected);
  if (!parseScanHeader() || !computeBlockOrder() || !checkScanTables()) return false;
  resetPrediction();
  input.handOverToEntropy();
  (input.*kernels.primeEntropyReader)();
  found = true;
  return ok();
}

bool JpegDecoderState::computeBlockOrder() {
  int hMax = 0;
  int vMax = 0;
  for (int c = 0; c < componentCount; ++c) {
    hMax = std::max(hMax, components[c].h);
    vMax = std::max(vMax, components[c].v);
  }
  for (int c = 0; c < componentCount; ++c) {
    FrameComponent& component = components[c];
    component.blocksAcross = CeilDiv(CeilDiv(imageWidth * component.h, hMax), 8);
    component.blocksDown = CeilDiv(CeilDiv(imageHeight * component.v, vMax), 8);
  }
  if (scanComponentCount == 1) {
    const FrameComponent& only = components[scanComponents[0]];
    scanBlocksPerMcu = 1;
    scanMcusPerRow = only.blocksAcross;
    scanMcuRows = only.blocksDown;
    mcuBlocks[0] = McuBlock{scanComponents[0], nullptr, nullptr};
  } else {
    scanMcusPerRow = CeilDiv(CeilDiv(imageWidth, 8), hMax);
    scanMcuRows = CeilDiv(CeilDiv(imageHeight, 8), vMax);
    scanBlocksPerMcu = 0;
    for (int i = 0; i < scanComponentCount; ++i) {
      const FrameComponent& component = components[scanComponents[i]];
      // A scan naming a component more than once can ask for more blocks
      // than an MCU has room for.
      if (scanBlocksPerMcu + component.h * component.v > kMaxMcuBlocks) {
        return fail(InternalLimit);
      }
      for (int b = 0; b < component.h * component.v; ++b) {
        mcuBlocks[scanBlocksPerMcu++] = McuBlock{scanComponents[i], nullptr, nullptr};
      }
    }
  }
  // Sequential rows are decoded into the coefficient row; a scan whose MCU
  // row is longer than the frame's would overrun it.  A progressive scan
  // writes only inside its coefficient buffers, and its own checks speak.
  if (!progressive && scanMcusPerRow * scanBlocksPerMcu > blocksPerRow) return fail(InternalLimit);
  return true;
}

bool JpegDecoderState::hasDcTable(const FrameComponent& component) const {
  // DC selectors above 3 would name AC slots or slots that do not exist.
  return component.dcSlot <= 3 && huffmanCounts[component.dcSlot] != nullptr;
}

bool JpegDecoderState::hasAcTable(const FrameComponent& component) const {
  return component.acSlot <= 7 && huffmanCounts[component.acSlot] != nullptr;
}

bool JpegDecoderState::hasQuantTable(const FrameComponent& component) const {
  return component.quantSlot <= 3 && quantTables[component.quantSlot] != nullptr;
}

bool JpegDecoderState::checkScanTables() {
  for (int i = 0; i < scanComponentCount; ++i) {
    const FrameComponent& component = components[scanComponents[i]];
    if ((ss == 0 && !hasDcTable(component)) || (se > 0 && !hasAcTable(component))) {
      return fail(HuffTableUndefined);
    }
  }
  if (!buildHuffmanTables()) return false;
  for (int b = 0; b < scanBlocksPerMcu; ++b) {
    const FrameComponent& component = components[mcuBlocks[b].component];
    mcuBlocks[b].dcTable = hasDcTable(component) ? huffmanTables[component.dcSlot] : nullptr;
    mcuBlocks[b].acTable = hasAcTable(component) ? huffmanTables[component.acSlot] : nullptr;
  }
  for (int i = 0; i < scanComponentCount; ++i) {
    if (!hasQuantTable(components[scanComponents[i]])) return fail(QuantTableUndefined);
  }
  return true;
}

bool JpegDecoderState::buildHuffmanTables() {
  for (int slot = 0; slot < 8; ++slot) {
    if (huffmanCounts[slot] == nullptr) continue;
    if (huffmanTables[slot] == nullptr) {
      huffmanTables[slot] = allocate<HuffmanDecodeTable>(1);
      if (huffmanTables[slot] == nullptr) return false;
    }
    if (!BuildHuffmanDecodeTable(huffmanCounts[slot], huffmanValues[slot], *huffmanTables[slot])) {
      return fail(HuffSegmentBad);
    }
    if (fastLookupStale[slot]) {
      BuildHuffmanFastLookup(*huffmanTables[slot], slot < 4);
      fastLookupStale[slot] = false;
    }
  }
  return true;
}

void JpegDecoderState::resetPrediction() {
  std::fill(dcPredictors, dcPredictors + kMaxComponents, 0);
  eobRun = 0;
  if (restartInterval != 0) {
    mcusLeftInInterval = restartInterval;
    nextRestartNumber = 0;
  }
}

void JpegDecoderState::nextBlockPosition(BlockCursor& cursor, int blockIndex, int& column,
                                         int& row) const {
  int c = mcuBlocks[blockIndex].component;
  if (scanComponentCount == 1) {
    column = cursor.columnBase[c]++;
    row = cursor.rowBase[c];
    return;
  }
  const FrameComponent& component = components[c];
  column = cursor.columnBase[c] + cursor.dx;
  row = cursor.rowBase[c] + cursor.dy;
  if (++cursor.dx == component.h) {
    cursor.dx = 0;
    if (++cursor.dy == component.v) {
      cursor.dy = 0;
      cursor.columnBase[c] += component.h;
    }
  }
}

void JpegDecoderState::finishMcuRow(BlockCursor& cursor) const {
  std::fill(cursor.columnBase, cursor.columnBase + kMaxComponents, 0);
  cursor.dx = 0;
  cursor.dy = 0;
  for (int i = 0; i < scanComponentCount; ++i) {
    int c = scanComponents[i];
    cursor.rowBase[c] += scanComponentCount == 1 ? 1 : components[c].v;
  }
}
