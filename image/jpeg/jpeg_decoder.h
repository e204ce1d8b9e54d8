// The program's own JPEG decoder: turns a baseline or progressive JPEG byte
// stream into lines of 8-bit pixels, one line per call.
//
// Calling order: construct over a JpegSource, check status() and the
// dimensions, startDecoding(), read outputBytesPerPixel(), call nextScanLine()
// until it returns non-zero, check status() again, destroy.  The first failure
// anywhere releases all of the decoder's memory and the source at once; every
// later call then reports -1.
#pragma once
#include <cstdint>
#include <memory>

// The byte stream the decoder reads from.  Owned by the caller; the decoder
// only borrows it between construction and endUse().
class JpegSource {
 public:
  virtual ~JpegSource();
  // Copies up to maxBytes bytes into buffer and returns how many were copied;
  // sets endOfData once no more bytes will come (possibly on a call that
  // returns 0).  Returns -1 on failure.
  virtual int read(uint8_t* buffer, int maxBytes, bool& endOfData) = 0;
  // Called once while the decoder is constructed.
  virtual void beginUse();
  // Called once when the decoder releases its memory (at destruction, or at
  // its first failure, whichever comes first).
  virtual void endUse();
};

// The decoder's status numbers; they reach the user as numbers.
enum JpegStatus : int {
  Ok = 0,
  Done = 1,
  Failed = -1,
  HuffCountsOverflow = -200,
  HuffSlotInvalid = -201,
  HuffSegmentBad = -202,
  QuantSegmentBad = -203,
  QuantSlotInvalid = -204,
  PrecisionUnsupported = -205,
  HeightInvalid = -206,
  WidthInvalid = -207,
  TooManyComponents = -208,
  FrameHeaderBad = -209,
  SegmentLengthBad = -210,
  RestartDefinitionBad = -211,
  ScanHeaderBad = -212,
  ScanComponentUnknown = -213,
  ArithmeticUnsupported = -215,
  MarkerUnexpected = -216,
  NotJpeg = -217,
  FrameTypeUnsupported = -218,
  QuantSegmentShort = -219,
  BlockPoolFull = -221,
  QuantTableUndefined = -222,
  HuffTableUndefined = -223,
  ColourLayoutUnsupported = -225,
  SamplingUnsupported = -226,
  EntropyDataBad = -227,
  RestartMarkerBad = -228,
  InternalLimit = -229,
  SpectralRangeBad = -230,
  ApproximationBad = -231,
  SourceReadFailed = -232,
  OutOfMemory = -233,
};

struct JpegDecoderState;

// Which implementation computes the pixels: the fast one (vector kernels, bulk
// bit reading) or the plain reference that it must match bit for bit.  Fast
// also uses what the processor offers beyond the x86-64 baseline (AVX2, fast
// bit counting and deposit); FastPortable is the fast engine on the baseline
// alone.  All give the same lines, statuses and source reads; only their
// speed differs.
enum class JpegEngine { Fast, FastPortable, Reference };

class JpegDecoder {
 public:
  // Parses the stream up to and including the frame header.  Never fails
  // visibly: a refused stream leaves the decoder failed, and status() tells.
  JpegDecoder(JpegSource* source, bool useMmx, JpegEngine engine = JpegEngine::Fast);
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // 0 while nothing failed, else the negative status of the first failure.
  int status() const;
  // From the frame header; 0 when construction failed before it.
  int imageWidth() const;
  int imageHeight() const;

  // Prepares decoding (a progressive image is decoded completely here).
  // 0 on success or when already started; -1 on failure or after one.
  int startDecoding();
  // 1 for grey images, 4 for colour images (red, green, blue, unused byte).
  int outputBytesPerPixel() const;

  // Hands out the next image line, top first: 0 with *line and *byteCount
  // set (the line stays valid until the next call), 1 once every line has
  // been handed out, -1 after a failure or before startDecoding() succeeded,
  // -227 when producing the line failed (the cause is in status()).
  int nextScanLine(const uint8_t** line, int* byteCount);

 private:
  std::unique_ptr<JpegDecoderState> state_;
};
