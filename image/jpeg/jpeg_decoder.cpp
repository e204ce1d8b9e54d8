// The public operations of the decoder, its lifecycle and failure handling.
//
// A failure inside any operation is recorded as the decoder's status; the
// operation then releases all memory and the source at once and reports.
#include "image/jpeg/jpeg_decoder.h"

#include <new>

#include "image/jpeg/jpeg_decoder_state.h"

namespace {

constexpr int kSequentialFrame = 0xC0;
constexpr int kExtendedFrame = 0xC1;
constexpr int kProgressiveFrame = 0xC2;
constexpr int kArithmeticFrame = 0xC9;
constexpr int kNoColourTransform = 0;  // the Adobe segment's transform for RGB samples

// Everything up to and including the frame header.
bool ParseHeaders(JpegDecoderState& d) {
  d.input.refill();
  d.input.primeHeaderReader();
  if (!d.findStartOfImage()) return false;
  int code = d.processMarkers();
  if (code < 0) return false;
  if (code == kArithmeticFrame) return d.fail(ArithmeticUnsupported);
  if (code != kSequentialFrame && code != kExtendedFrame && code != kProgressiveFrame) {
    return d.fail(FrameTypeUnsupported);
  }
  d.progressive = code == kProgressiveFrame;
  return d.parseFrameHeader();
}

}  // namespace

void JpegDecoderState::releaseMemory() {
  if (source != nullptr) {
    JpegSource* releasing = source;
    source = nullptr;
    input.detachSource();
    releasing->endUse();
  }
  pool.releaseAll();
  lineA = lineB = nullptr;
  coefficientRow = nullptr;
  zigzagFill = nullptr;
  sampleRow = nullptr;
}

void JpegDecoderState::chooseKernels() {
  kernels.fillCoefficientRow = progressive ? ChooseProgressiveRowLoad(engine, useMmx)
                                           : ChooseSequentialRow(engine, useMmx);
  kernels.transformRow = ChooseRowTransform(engine, useMmx);
  kernels.decodeProgressiveScan = ChooseProgressiveScan(engine);
  kernels.primeEntropyReader =
      progressive || !useMmx ? &JpegInput::primeEntropyReader : &JpegInput::primeWideReader;
}

bool JpegDecoderState::holdsRgb() const {
  // The usual rule for JPEG files: a JFIF segment means YCbCr; else
  // the Adobe segment's transform decides; else component ids 'R', 'G', 'B'.
  if (componentCount != 3 || sawJfif) return false;
  if (adobeTransform >= 0) return adobeTransform == kNoColourTransform;
  return components[0].id == 'R' && components[1].id == 'G' && components[2].id == 'B';
}

void JpegDecoderState::chooseRowQuant() {
  // The plain path's transforms take the tables in natural order.  The tables
  // are as every block is decoded with them: a sequential scan's data holds
  // no table segments, and a progressive image's scans are done.
  if (!useMmx) {
    for (int slot = 0; slot < 4; ++slot) {
      if (quantTables[slot] == nullptr) continue;
      for (int k = 0; k < 64; ++k) naturalQuant[slot][kZigzagToNatural[k]] = quantTables[slot][k];
    }
  }
  // Each block of the MCU is dequantised with its own component's table.
  for (int b = 0; b < layoutBlocksPerMcu; ++b) {
    const McuBlock& mcuBlock = mcuBlocks[b < scanBlocksPerMcu ? b : b % scanBlocksPerMcu];
    const int slot = components[mcuBlock.component].quantSlot;
    rowQuant[b] = useMmx ? quantTables[slot] : naturalQuant[slot];
  }
}

bool JpegDecoderState::produceMcuRow() {
  if (!kernels.fillCoefficientRow(*this)) return false;
  kernels.transformRow(coefficientRow, mcusPerRow, layoutBlocksPerMcu, rowQuant, sampleRow);
  return ok();
}

JpegDecoder::JpegDecoder(JpegSource* source, bool useMmx, JpegEngine engine)
    : state_(new (std::nothrow) JpegDecoderState()) {
  if (source != nullptr) source->beginUse();
  if (!state_) {
    if (source != nullptr) source->endUse();
    return;
  }
  JpegDecoderState& d = *state_;
  d.source = source;
  d.useMmx = useMmx;
  d.engine = engine;
  d.input.attach(source, &d.failure);
  if (!ParseHeaders(d) || !d.ok()) d.releaseMemory();
}

JpegDecoder::~JpegDecoder() {
  if (state_) state_->releaseMemory();
}

int JpegDecoder::status() const { return state_ ? state_->failure.status() : OutOfMemory; }

int JpegDecoder::imageWidth() const { return state_ ? state_->imageWidth : 0; }

int JpegDecoder::imageHeight() const { return state_ ? state_->imageHeight : 0; }

int JpegDecoder::startDecoding() {
  // A failure is reported even after a successful start.
  if (status() != Ok) return Failed;
  JpegDecoderState& d = *state_;
  if (d.started) return Ok;
  bool prepared = d.setUpFrame();
  d.chooseKernels();
  if (prepared && d.progressive) {
    prepared = d.decodeProgressiveImage();
  } else if (prepared) {
    bool found = false;
    prepared = d.setUpScan(found) && (found || d.fail(MarkerUnexpected));
  }
  if (!prepared || !d.ok()) {
    d.releaseMemory();
    return Failed;
  }
  // The colours are known once the headers up to the first scan are read.
  d.kernels.convertLines = ChooseLineConversion(d.engine, d.layout, d.holdsRgb());
  d.chooseRowQuant();
  d.started = true;
  return Ok;
}

int JpegDecoder::outputBytesPerPixel() const { return state_ ? state_->bytesPerPixel : 0; }

int JpegDecoder::nextScanLine(const uint8_t** line, int* byteCount) {
  if (status() != Ok || !state_->started) return Failed;
  JpegDecoderState& d = *state_;
  if (d.linesLeftInImage == 0) return Done;
  if (d.linesLeftInMcuRow == 0) {
    if (!d.produceMcuRow()) {
      d.releaseMemory();
      return EntropyDataBad;
    }
    d.linesLeftInMcuRow = d.mcuHeight;
  }
  // Two lines that share a chroma row are made at once; the second is
  // already waiting in lineB when its turn comes.
  const uint8_t* converted = d.lineB;
  if (d.linesPerConversion == 1 || d.linesLeftInMcuRow % 2 == 0) {
    const int r = d.mcuHeight - d.linesLeftInMcuRow;
    d.kernels.convertLines(d.colorTables, d.sampleRow, d.mcusPerRow, r, d.lineA, d.lineB);
    converted = d.lineA;
  }
  --d.linesLeftInImage;
  --d.linesLeftInMcuRow;
  if (line != nullptr) *line = converted;
  if (byteCount != nullptr) *byteCount = d.deliveredLineBytes;
  return Ok;
}
