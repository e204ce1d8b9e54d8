// nivarel-jpeg: decodes a JPEG file with the saver's own decoder and writes the
// pixels as binary PGM (grey) or PPM (colour), so that the decoder can be
// compared with other decoders and inspected by eye.
//
//   nivarel-jpeg [--mmx | --no-mmx] INPUT.jpg OUTPUT.pnm
//
// Exit codes: 0 decoded and written, nothing printed; 1 the decoder refused the
// stream, with "status: <code>" as the last line on standard error; 2 anything
// else (bad arguments, unreadable input, unwritable output).
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"

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

struct Picture {
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;
  std::vector<uint8_t> rgbOrGrey;  // 3 or 1 bytes per pixel, top line first
};

enum class DecodeResult { Decoded, Refused, Inconsistent };

// Appends one decoded line, dropping the fourth byte of each colour pixel.
void AppendLine(const uint8_t* line, Picture& picture) {
  if (picture.bytesPerPixel == 1) {
    picture.rgbOrGrey.insert(picture.rgbOrGrey.end(), line, line + picture.width);
    return;
  }
  for (int x = 0; x < picture.width; ++x) {
    picture.rgbOrGrey.insert(picture.rgbOrGrey.end(), line + 4 * x, line + 4 * x + 3);
  }
}

DecodeResult DecodeLines(JpegDecoder& decoder, Picture& picture, std::string& problem) {
  const int expectedBytes = picture.width * picture.bytesPerPixel;
  for (int y = 0;; ++y) {
    const uint8_t* line = nullptr;
    int byteCount = 0;
    const int result = decoder.nextScanLine(&line, &byteCount);
    if (result < 0) return DecodeResult::Refused;
    if (result == 1) {
      if (y == picture.height) return DecodeResult::Decoded;
      problem = "decoder ended after " + std::to_string(y) + " of " +
                std::to_string(picture.height) + " lines";
      return DecodeResult::Inconsistent;
    }
    if (y == picture.height || byteCount != expectedBytes || line == nullptr) {
      problem = "decoder handed out an unexpected line " + std::to_string(y) + " of " +
                std::to_string(byteCount) + " bytes";
      return DecodeResult::Inconsistent;
    }
    AppendLine(line, picture);
  }
}

DecodeResult Decode(JpegDecoder& decoder, Picture& picture, std::string& problem) {
  if (decoder.status() != 0 || decoder.startDecoding() != 0) return DecodeResult::Refused;
  picture.width = decoder.imageWidth();
  picture.height = decoder.imageHeight();
  const int outputBytes = decoder.outputBytesPerPixel();
  if (outputBytes != 1 && outputBytes != 4) {
    problem = "decoder reports " + std::to_string(outputBytes) + " bytes per pixel";
    return DecodeResult::Inconsistent;
  }
  picture.bytesPerPixel = outputBytes;
  picture.rgbOrGrey.reserve(static_cast<size_t>(picture.width) * picture.height *
                            (outputBytes == 1 ? 1 : 3));
  return DecodeLines(decoder, picture, problem);
}

bool WritePnm(const std::string& path, const Picture& picture) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const char* magic = picture.bytesPerPixel == 1 ? "P5" : "P6";
  const bool written =
      std::fprintf(file, "%s\n%d %d\n255\n", magic, picture.width, picture.height) > 0 &&
      std::fwrite(picture.rgbOrGrey.data(), 1, picture.rgbOrGrey.size(), file) ==
          picture.rgbOrGrey.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

int ReportError(const std::string& message) {
  std::fprintf(stderr, "nivarel-jpeg: %s\n", message.c_str());
  return kExitOtherError;
}

int Run(const Options& options) {
  std::FILE* file = std::fopen(options.input.c_str(), "rb");
  if (!file) return ReportError("cannot open " + options.input + ": " + std::strerror(errno));

  FileSource source(file);
  Picture picture;
  std::string problem;
  int status = 0;
  DecodeResult result;
  {
    JpegDecoder decoder(&source, options.useMmx);
    result = Decode(decoder, picture, problem);
    status = decoder.status();
  }
  std::fclose(file);

  if (source.readError() != 0) {
    return ReportError("cannot read " + options.input + ": " + std::strerror(source.readError()));
  }
  if (result == DecodeResult::Inconsistent) return ReportError(problem);
  if (result == DecodeResult::Refused) {
    std::fprintf(stderr, "status: %d\n", status != 0 ? status : static_cast<int>(Failed));
    return kExitRefused;
  }
  if (!WritePnm(options.output, picture)) {
    return ReportError("cannot write " + options.output + ": " + std::strerror(errno));
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
