// Input buffering, the byte readers and the bit readers.
//
// Both 32-bit readers keep up to four fetched bytes of look-ahead: the low 16
// bits of the buffer are the next 16 bits of the stream, the high 16 bits the
// bytes fetched after them (of which bitsLeft are still unread), and two bytes
// are fetched at a time.  The header reader fetches plain bytes; the entropy
// reader fetches through nextEntropyByte, so that it stops in front of a
// marker.
#include <algorithm>

#include "image/jpeg/jpeg_decoder_state.h"

namespace {

constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kEndOfImageCode = 0xD9;

uint32_t RotateLeft(uint32_t value, int count) {
  return (value << count) | (value >> ((32 - count) & 31));
}

uint32_t LowBits(uint32_t value, int count) {
  return count == 0 ? 0 : value & (0xFFFFFFFFu >> (32 - count));
}

}  // namespace

void JpegInput::attach(JpegSource* source, JpegFailure* failure) {
  source_ = source;
  failure_ = failure;
}

void JpegInput::detachSource() {
  source_ = nullptr;
  sourceEnded_ = true;
}

void JpegInput::refill() {
  readPosition_ = kFrontRoom;
  bytesInBuffer_ = 0;
  if (sourceEnded_) return;
  while (bytesInBuffer_ < kDataSize && !sourceEnded_) {
    if (source_ == nullptr) {
      sourceEnded_ = true;
      break;
    }
    int room = kDataSize - bytesInBuffer_;
    bool endOfData = false;
    int got = source_->read(buffer_ + kFrontRoom + bytesInBuffer_, room, endOfData);
    if (got < 0) {
      // Nothing more is asked of a failed source; the reader sees the end.
      failure_->raise(SourceReadFailed);
      sourceEnded_ = true;
      bytesInBuffer_ = 0;
      break;
    }
    bytesInBuffer_ += std::min(got, room);
    if (endOfData) sourceEnded_ = true;
  }
  uint8_t* fill = buffer_ + kFrontRoom + bytesInBuffer_;
  for (int i = 0; i < 128; i += 2) {
    fill[i] = kMarkerPrefix;
    fill[i + 1] = kEndOfImageCode;
  }
}

int JpegInput::nextInputByte(bool& synthetic) {
  if (bytesInBuffer_ == 0) refill();
  if (bytesInBuffer_ == 0) {
    synthetic = true;
    endToggle_ = !endToggle_;
    return endToggle_ ? kMarkerPrefix : kEndOfImageCode;
  }
  synthetic = false;
  --bytesInBuffer_;
  return buffer_[readPosition_++];
}

int JpegInput::nextInputByte() {
  bool synthetic = false;
  return nextInputByte(synthetic);
}

void JpegInput::unreadByte(int byte) {
  // At most a handful of bytes are ever pushed back in front of the data;
  // the room in front is far larger, but it must never be overrun.
  if (readPosition_ == 0) {
    failure_->raise(InternalLimit);
    return;
  }
  buffer_[--readPosition_] = static_cast<uint8_t>(byte);
  ++bytesInBuffer_;
}

int JpegInput::nextEntropyByte() {
  bool synthetic = false;
  int byte = nextInputByte(synthetic);
  // After the end of the source the data reads as 1 bits, as in front of a
  // marker, and the synthetic end marker stays next in the input from its
  // first byte on: the rest of a cut picture decodes, and whatever looks for
  // a marker afterwards finds the end of the image.
  if (synthetic) {
    endToggle_ = false;
    return kMarkerPrefix;
  }
  if (byte != kMarkerPrefix) return byte;
  int next = nextInputByte(synthetic);
  if (synthetic) {
    endToggle_ = false;
    unreadByte(kMarkerPrefix);
    return kMarkerPrefix;
  }
  if (next == 0) return kMarkerPrefix;  // a stuffed zero
  unreadByte(next);
  unreadByte(kMarkerPrefix);
  return kMarkerPrefix;
}

uint32_t JpegInput::readBits(int count, bool entropy) {
  uint32_t result = LowBits(bitBuffer_ >> (16 - count), count);
  int oldBitsLeft = bitsLeft_;
  bitsLeft_ -= count;
  if (bitsLeft_ > 0) {
    bitBuffer_ = RotateLeft(bitBuffer_, count);
    return result;
  }
  bitBuffer_ = RotateLeft(bitBuffer_, oldBitsLeft);
  uint32_t first = static_cast<uint32_t>(entropy ? nextEntropyByte() : nextInputByte());
  uint32_t second = static_cast<uint32_t>(entropy ? nextEntropyByte() : nextInputByte());
  bitBuffer_ = (bitBuffer_ & 0xFFFFu) | (first << 24) | (second << 16);
  bitBuffer_ = RotateLeft(bitBuffer_, count - oldBitsLeft);
  bitsLeft_ += 16;
  return result;
}

void JpegInput::primeHeaderReader() {
  bitsLeft_ = 16;
  readBits(16, false);
  readBits(16, false);
}

uint32_t JpegInput::readHeaderBits(int count) { return readBits(count, false); }

int JpegInput::peekHeaderByte() const { return static_cast<int>((bitBuffer_ >> 8) & 0xFF); }

void JpegInput::handOverToEntropy() {
  // The undelivered bits in stream order: the low half, then the unread top
  // bits of the high half.
  int undelivered = 16 + bitsLeft_;
  uint64_t stream =
      (static_cast<uint64_t>(bitBuffer_ & 0xFFFFu) << bitsLeft_) | (bitBuffer_ >> (32 - bitsLeft_));
  for (int byte = 0; byte < undelivered / 8; ++byte) {
    unreadByte(static_cast<int>((stream >> (8 * byte)) & 0xFF));
  }
}

void JpegInput::primeEntropyReader() {
  bitsLeft_ = 16;
  readBits(16, true);
  readBits(16, true);
}

uint32_t JpegInput::readEntropyBits(int count) { return readBits(count, true); }

uint64_t JpegInput::fetchSixEntropyBytesOneByOne() {
  uint64_t bytes = 0;
  for (int i = 0; i < 6; ++i) bytes = (bytes << 8) | static_cast<uint64_t>(nextEntropyByte());
  return bytes;
}

void JpegInput::primeWideReader() {
  wideBitsLeft_ = 48;
  for (int i = 0; i < 4; ++i) readWideBits(16);
}

uint32_t JpegInput::readWideBits(int count) {
  uint32_t result = count == 0 ? 0 : static_cast<uint32_t>(wideBuffer_ >> (64 - count));
  int oldBitsLeft = wideBitsLeft_;
  wideBitsLeft_ -= count;
  if (wideBitsLeft_ > 0) {
    wideBuffer_ <<= count;
    return result;
  }
  wideBuffer_ <<= oldBitsLeft;
  wideBuffer_ = (wideBuffer_ & 0xFFFF000000000000ull) | fetchSixEntropyBytes();
  wideBuffer_ <<= count - oldBitsLeft;
  wideBitsLeft_ += 48;
  return result;
}
