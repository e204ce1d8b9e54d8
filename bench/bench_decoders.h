// The decoders the benchmark races, each behind the same call: a whole JPEG
// held in memory in, every pixel of the picture out.  A decode includes the
// header parsing, as the program's start-up does.
#pragma once
#include <cstdint>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"

// A decoded picture, top line first.  The buffer belongs to the caller and is
// reused from one decode to the next, so a timed decode pays no allocation for
// it once the first decode has sized it.
struct DecodedPicture {
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;
  std::vector<uint8_t> pixels;
};

// The program's decoder over a memory source, line by line into the picture,
// as the texture loader drives it (colour lines carry four bytes a pixel).
// False when the decoder refuses the stream.
bool DecodeWithOurs(const std::vector<uint8_t>& jpeg, bool useMmx, JpegEngine engine,
                    DecodedPicture& picture);

// The libjpeg API of libjpeg-turbo: accurate integer transform, plain
// (replicating) chroma upsampling, RGB out.  A refused stream ends the process
// with libjpeg's own message.
bool DecodeWithLibjpegTurbo(const std::vector<uint8_t>& jpeg, DecodedPicture& picture);

// stb_image, three components.  Its API hands back a buffer of its own, so its
// time includes that allocation; the pixels are released, not copied.
bool DecodeWithStbImage(const std::vector<uint8_t>& jpeg, DecodedPicture& picture);
