// nivarel-jpeg: decodes a JPEG file with the saver's own decoder and writes the
// pixels as binary PGM (grey) or PPM (colour), so that the decoder can be
// compared with other decoders and inspected by eye.
//
//   nivarel-jpeg [--mmx | --no-mmx] INPUT.jpg OUTPUT.pnm
//
// Exit codes: 0 decoded and written, nothing printed; 1 the decoder refused the
// stream, with "status: <code>" as the last line on standard error; 2 anything
// else (bad arguments, unreadable input, unwritable output).  The lines go to
// the file as they are decoded; a run that fails removes what it wrote.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_lines.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitOtherError = 2;

struct Options {
  bool useMmx = false;
  std::string input;
  std::string output;
};

const char kUsage[] = "usage: nivarel-jpeg [--mmx | --no-mmx] INPUT.jpg OUTPUT.pnm\n";

bool ParseArguments(int argc, char** argv, Options& options) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--mmx") {
      options.useMmx = true;
    } else if (arg == "--no-mmx") {
      options.useMmx = false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "nivarel-jpeg: unknown option %s\n", arg.c_str());
      return false;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return false;
  options.input = paths[0];
  options.output = paths[1];
  return true;
}

// Streams a file to the decoder, remembering whether the file itself failed so
// that a broken disk is not mistaken for a broken JPEG.
class FileSource final : public JpegSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}

  int read(uint8_t* buffer, int maxBytes, bool& endOfData) override {
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(maxBytes), file_);
    if (std::ferror(file_)) {
      readError_ = errno;
      return -1;
    }
    if (std::feof(file_)) endOfData = true;
    return static_cast<int>(got);
  }

  // 0 unless a read failed; then the error number of that failure.
  int readError() const { return readError_; }

 private:
  std::FILE* file_;
  int readError_ = 0;
};

// Writes a binary PGM or PPM as its lines come: each decoded line is reduced
// to the file's bytes straight into one buffer of whole lines, which goes to
// the file in large writes, so that the tool never holds the picture.
class PnmWriter {
 public:
  ~PnmWriter() { discard(); }

  // Creates the file and puts the header in the buffer; false when the file
  // cannot be created.
  bool open(const std::string& path, int width, int height, int channels) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return failed();
    path_ = path;
    // The buffer already does the batching; stdio's own would only copy again.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    width_ = width;
    channels_ = channels;
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    buffer_.resize(std::max(kBufferBytes, rowBytes + kHeaderBytes));
    used_ = static_cast<size_t>(std::snprintf(reinterpret_cast<char*>(buffer_.data()), kHeaderBytes,
                                              "%s\n%d %d\n255\n", channels == 1 ? "P5" : "P6",
                                              width, height));
    return true;
  }

  // Appends one decoder line: a grey line as it is, a colour line without
  // the fourth byte of each pixel.  False when a write failed.
  bool appendLine(const uint8_t* line) {
    const size_t rowBytes = static_cast<size_t>(width_) * channels_;
    if (buffer_.size() - used_ < rowBytes && !flush()) return false;
    uint8_t* out = buffer_.data() + used_;
    if (channels_ == 1) {
      std::memcpy(out, line, rowBytes);
    } else {
      RgbxToRgb(line, out, width_);
    }
    used_ += rowBytes;
    return true;
  }

  // Writes what is left and closes the file; false, with the file removed,
  // when that failed.
  bool finish() {
    if (!flush()) return false;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (closed) return true;
    failed();
    removePartialFile();
    return false;
  }

  // The error number of the first failure, 0 while none.
  int error() const { return error_; }

  // Closes and removes an unfinished file, so that a failed run leaves no
  // picture behind.
  void discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    removePartialFile();
  }

 private:
  static constexpr size_t kBufferBytes = 256 * 1024;
  static constexpr size_t kHeaderBytes = 32;  // "P6\n8192 8192\n255\n" and its terminator

  bool flush() {
    const bool written = std::fwrite(buffer_.data(), 1, used_, file_) == used_;
    used_ = 0;
    return written || failed();
  }

  // Only a plain file: an output such as /dev/null or a pipe stays.
  void removePartialFile() const {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path_, ignored)) std::filesystem::remove(path_, ignored);
  }

  bool failed() {
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
    return false;
  }

  // Four bytes a pixel (red, green, blue, unused) to three.  Four pixels at
  // a time: two 64-bit loads, shifts and masks, and two stores of 8 and 4
  // bytes, where a byte loop would cost a load and a store per byte.
  static void RgbxToRgb(const uint8_t* in, uint8_t* out, int pixels) {
    int x = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (; x + 4 <= pixels; x += 4, in += 16, out += 12) {
      uint64_t first, second;  // pixels 0 and 1, pixels 2 and 3
      std::memcpy(&first, in, 8);
      std::memcpy(&second, in + 8, 8);
      const uint64_t head = (first & 0xFFFFFFu) | (first >> 8 & 0xFFFFFF000000u) | second << 48;
      const uint32_t tail = static_cast<uint32_t>((second >> 16 & 0xFFu) | (second >> 24 & 0xFFFFFF00u));
      std::memcpy(out, &head, 8);
      std::memcpy(out + 8, &tail, 4);
    }
#endif
    for (; x < pixels; ++x, in += 4, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }

  std::FILE* file_ = nullptr;
  std::string path_;
  int width_ = 0;
  int channels_ = 0;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  int error_ = 0;
};

enum class DecodeResult { Decoded, Refused, Inconsistent, WriteFailed };

// Streams every line to the writer, checking that the decoder hands out
// exactly the lines its header announced.
DecodeResult WriteLines(JpegDecoder& decoder, PnmWriter& writer, std::string& problem) {
  const int width = decoder.imageWidth();
  const int height = decoder.imageHeight();
  const int expectedBytes = width * decoder.outputBytesPerPixel();
  int rows = 0;
  bool writeFailed = false;
  const int result = ReadAllLines(decoder, [&](int row, const uint8_t* line, int byteCount) {
    if (row == height || byteCount != expectedBytes || line == nullptr) {
      problem = "decoder handed out an unexpected line " + std::to_string(row) + " of " +
                std::to_string(byteCount) + " bytes";
      return false;
    }
    writeFailed = !writer.appendLine(line);
    rows = row + 1;
    return !writeFailed;
  });
  if (result < 0) return DecodeResult::Refused;
  if (writeFailed) return DecodeResult::WriteFailed;
  if (result == 0) return DecodeResult::Inconsistent;
  if (rows != height) {
    problem = "decoder ended after " + std::to_string(rows) + " of " + std::to_string(height) +
              " lines";
    return DecodeResult::Inconsistent;
  }
  return writer.finish() ? DecodeResult::Decoded : DecodeResult::WriteFailed;
}

DecodeResult Decode(JpegDecoder& decoder, const std::string& output, PnmWriter& writer,
                    std::string& problem) {
  if (decoder.status() != 0 || decoder.startDecoding() != 0) return DecodeResult::Refused;
  const int outputBytes = decoder.outputBytesPerPixel();
  if (outputBytes != 1 && outputBytes != 4) {
    problem = "decoder reports " + std::to_string(outputBytes) + " bytes per pixel";
    return DecodeResult::Inconsistent;
  }
  if (!writer.open(output, decoder.imageWidth(), decoder.imageHeight(), outputBytes == 1 ? 1 : 3)) {
    return DecodeResult::WriteFailed;
  }
  return WriteLines(decoder, writer, problem);
}

int ReportError(const std::string& message) {
  std::fprintf(stderr, "nivarel-jpeg: %s\n", message.c_str());
  return kExitOtherError;
}

int Run(const Options& options) {
  std::FILE* file = std::fopen(options.input.c_str(), "rb");
  if (!file) return ReportError("cannot open " + options.input + ": " + std::strerror(errno));

  FileSource source(file);
  PnmWriter writer;
  std::string problem;
  int status = 0;
  DecodeResult result;
  {
    JpegDecoder decoder(&source, options.useMmx);
    result = Decode(decoder, options.output, writer, problem);
    status = decoder.status();
  }
  std::fclose(file);
  if (result != DecodeResult::Decoded) writer.discard();

  if (source.readError() != 0) {
    return ReportError("cannot read " + options.input + ": " + std::strerror(source.readError()));
  }
  if (result == DecodeResult::Inconsistent) return ReportError(problem);
  if (result == DecodeResult::Refused) {
    std::fprintf(stderr, "status: %d\n", status != 0 ? status : static_cast<int>(Failed));
    return kExitRefused;
  }
  if (result == DecodeResult::WriteFailed) {
    return ReportError("cannot write " + options.output + ": " + std::strerror(writer.error()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return kExitOtherError;
  }
  return Run(options);
}
