// The start-of-image search, the marker dispatcher and the segment parsers.
// Every field is big-endian and every length counts its own two bytes.
#include <cstring>

#include "image/jpeg/jpeg_decoder_state.h"
#include "image/jpeg/jpeg_transform.h"

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kDht = 0xC4;
constexpr int kDqt = 0xDB;
constexpr int kDri = 0xDD;
constexpr int kDac = 0xCC;
constexpr int kJpg = 0xC8;
constexpr int kTem = 0x01;
constexpr int kRst0 = 0xD0;
constexpr int kRst7 = 0xD7;
constexpr int kApp0 = 0xE0;
constexpr int kApp14 = 0xEE;
// The bytes of an APP0 or APP14 segment that say what its colours are: the
// identifier, and in the Adobe segment the colour transform after it.
constexpr int kColourHintBytes = 12;
constexpr int kAdobeTransformAt = 11;
// The SOI marker's D8 may lie at offset 512 at the latest.
constexpr int kSoiSearchBytes = 511;
constexpr int kMaxDimension = 8192;

bool IsFrameHeader(int code) {
  return code >= 0xC0 && code <= 0xCF && code != kDht && code != kJpg && code != kDac;
}

}  // namespace

bool JpegDecoderState::findStartOfImage() {
  int previous = static_cast<int>(input.readHeaderBits(8));
  int current = static_cast<int>(input.readHeaderBits(8));
  if (previous == 0xFF && current == kSoi) return true;
  for (int i = 0; i < kSoiSearchBytes; ++i) {
    previous = current;
    current = static_cast<int>(input.readHeaderBits(8));
    if (previous == 0xFF && current == kSoi) {
      // Found after junk: it must at least be followed by another marker.
      return input.peekHeaderByte() == 0xFF || fail(NotJpeg);
    }
  }
  return fail(NotJpeg);
}

int JpegDecoderState::nextMarker() {
  for (;;) {
    int byte;
    do {
      byte = static_cast<int>(input.readHeaderBits(8));
    } while (byte != 0xFF);
    do {
      byte = static_cast<int>(input.readHeaderBits(8));
    } while (byte == 0xFF);
    if (byte != 0) return byte;
  }
}

int JpegDecoderState::processMarkers() {
  while (ok()) {
    int code = nextMarker();
    bool parsed = true;
    if (IsFrameHeader(code) || code == kSoi || code == kEoi || code == kSos) {
      if (ok()) return code;
    } else if (code == kDht) {
      parsed = parseHuffmanTables();
    } else if (code == kDqt) {
      parsed = parseQuantTables();
    } else if (code == kDri) {
      parsed = parseRestartInterval();
    } else if (code == kDac) {
      parsed = fail(ArithmeticUnsupported);
    } else if (code == kJpg || code == kTem || (code >= kRst0 && code <= kRst7)) {
      parsed = fail(MarkerUnexpected);
    } else {
      parsed = skipSegment(code);
    }
    if (!parsed) return -1;
  }
  return -1;
}

bool JpegDecoderState::skipSegment(int code) {
  int length = static_cast<int>(input.readHeaderBits(16));
  if (length < 2) return fail(SegmentLengthBad);
  uint8_t head[kColourHintBytes] = {};
  int kept = 0;
  for (int i = 2; i < length && ok(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(input.readHeaderBits(8));
    if (kept < kColourHintBytes) head[kept++] = byte;
  }
  // The identifiers are compared with their terminating zero ("JFIF\0") or
  // without it ("Adobe").
  if (code == kApp0 && kept >= 5 && std::memcmp(head, "JFIF", 5) == 0) sawJfif = true;
  if (code == kApp14 && kept == kColourHintBytes && std::memcmp(head, "Adobe", 5) == 0) {
    adobeTransform = head[kAdobeTransformAt];
  }
  return ok();
}

bool JpegDecoderState::parseRestartInterval() {
  if (input.readHeaderBits(16) != 4) return fail(RestartDefinitionBad);
  restartInterval = static_cast<int>(input.readHeaderBits(16));
  return ok();
}

bool JpegDecoderState::parseQuantTables() {
  int length = static_cast<int>(input.readHeaderBits(16));
  if (length < 2) return fail(QuantSegmentBad);
  int remaining = length - 2;
  while (remaining > 0) {
    if (!readQuantTable(remaining)) return false;
  }
  return ok();
}

bool JpegDecoderState::readQuantTable(int& remaining) {
  int precisionAndSlot = static_cast<int>(input.readHeaderBits(8));
  int slot = precisionAndSlot & 0x0F;
  bool sixteenBit = (precisionAndSlot >> 4) != 0;
  if (slot >= 4) return fail(QuantSlotInvalid);
  if (quantTables[slot] == nullptr) {
    quantTables[slot] = allocate<uint16_t>(64);
    if (quantTables[slot] == nullptr) return false;
  }
  uint16_t* table = quantTables[slot];
  for (int k = 0; k < 64; ++k) {
    uint16_t value = static_cast<uint16_t>(input.readHeaderBits(sixteenBit ? 16 : 8));
    if (useMmx) {
      int natural = kZigzagToNatural[k];
      table[natural] = PrescaleQuantValue(value, natural);
    } else {
      table[k] = value;
    }
  }
  int tableBytes = sixteenBit ? 129 : 65;
  if (remaining < tableBytes) return fail(QuantSegmentShort);
  remaining -= tableBytes;
  return ok();
}

bool JpegDecoderState::parseHuffmanTables() {
  int length = static_cast<int>(input.readHeaderBits(16));
  if (length < 2) return fail(HuffSegmentBad);
  int remaining = length - 2;
  while (remaining > 0) {
    if (!readHuffmanDefinition(remaining)) return false;
  }
  return ok();
}

bool JpegDecoderState::readHuffmanDefinition(int& remaining) {
  int classAndId = static_cast<int>(input.readHeaderBits(8));
  uint8_t counts[17] = {};
  int total = 0;
  for (int length = 1; length <= 16; ++length) {
    counts[length] = static_cast<uint8_t>(input.readHeaderBits(8));
    total += counts[length];
  }
  if (total > 255) return fail(HuffCountsOverflow);
  uint8_t values[256] = {};
  for (int i = 0; i < total; ++i) values[i] = static_cast<uint8_t>(input.readHeaderBits(8));
  if (remaining < 17 + total) return fail(HuffSegmentBad);
  // Bit 4 selects AC; the three highest bits are ignored.
  int slot = (classAndId & 0x0F) + 4 * ((classAndId >> 4) & 1);
  if (slot >= 8) return fail(HuffSlotInvalid);
  if (!BuildHuffmanDecodeTable(counts, values, scratchTable)) return fail(HuffSegmentBad);
  if (huffmanCounts[slot] == nullptr) {
    huffmanCounts[slot] = allocate<uint8_t>(17);
    huffmanValues[slot] = huffmanCounts[slot] ? allocate<uint8_t>(256) : nullptr;
    if (huffmanValues[slot] == nullptr) return false;
  }
  std::memcpy(huffmanCounts[slot], counts, sizeof counts);
  std::memcpy(huffmanValues[slot], values, sizeof values);
  fastLookupStale[slot] = true;
  remaining -= 17 + total;
  return ok();
}

bool JpegDecoderState::parseFrameHeader() {
  int length = static_cast<int>(input.readHeaderBits(16));
  if (input.readHeaderBits(8) != 8) return fail(PrecisionUnsupported);
  int height = static_cast<int>(input.readHeaderBits(16));
  if (height < 1 || height > kMaxDimension) return fail(HeightInvalid);
  imageHeight = height;
  int width = static_cast<int>(input.readHeaderBits(16));
  if (width < 1 || width > kMaxDimension) return fail(WidthInvalid);
  imageWidth = width;
  int count = static_cast<int>(input.readHeaderBits(8));
  if (count > kMaxComponents) return fail(TooManyComponents);
  if (length != 3 * count + 8) return fail(FrameHeaderBad);
  componentCount = count;
  for (int i = 0; i < count; ++i) {
    FrameComponent& component = components[i];
    component.id = static_cast<int>(input.readHeaderBits(8));
    component.h = static_cast<int>(input.readHeaderBits(4));
    component.v = static_cast<int>(input.readHeaderBits(4));
    component.quantSlot = static_cast<int>(input.readHeaderBits(8));
  }
  return ok();
}

bool JpegDecoderState::parseScanHeader() {
  int length = static_cast<int>(input.readHeaderBits(16));
  int count = static_cast<int>(input.readHeaderBits(8));
  if (length != 2 * count + 6 || count < 1 || count > kMaxComponents) {
    return fail(ScanHeaderBad);
  }
  scanComponentCount = count;
  for (int i = 0; i < count; ++i) {
    int selector = static_cast<int>(input.readHeaderBits(8));
    int tables = static_cast<int>(input.readHeaderBits(8));
    int found = -1;
    for (int c = 0; c < componentCount && found < 0; ++c) {
      if (components[c].id == selector) found = c;
    }
    if (found < 0) return fail(ScanComponentUnknown);
    components[found].dcSlot = tables >> 4;
    components[found].acSlot = (tables & 0x0F) + 4;
    scanComponents[i] = found;
  }
  ss = static_cast<int>(input.readHeaderBits(8));
  se = static_cast<int>(input.readHeaderBits(8));
  ah = static_cast<int>(input.readHeaderBits(4));
  al = static_cast<int>(input.readHeaderBits(4));
  if (!progressive) {
    ss = 0;
    se = 63;
  }
  return ok();
}
