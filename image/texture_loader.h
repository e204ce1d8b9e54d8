// From an image resource of the program to a GL texture: the resource's JPEG
// bytes are decoded by the program's own decoder into an RGB block, bottom row
// first, from which a mip-mapped texture is built into a slot of SceneTextures.
#pragma once
#include <cstdint>

#include "image/image_buffer.h"

// Builds the texture of slot `slot` from the "JPG" resource `resourceId`.
// Needs a current GL context.  False after a message box when the resource is
// missing or cannot be decoded; the slot's texture name is then left as it was.
bool LoadJpegTexture(int resourceId, int slot);

// Decodes `size` JPEG bytes at `data` into `image` (width, height,
// bitsPerPixel 24, format kGlRgb, pixels).  False after a message box on any
// failure, with no pixel block held.
bool DecodeJpegImage(ImageBuffer& image, const uint8_t* data, uint32_t size);

// Turns a block of `height` rows of `rowBytes` bytes upside down in place.
void FlipRows(uint8_t* pixels, size_t rowBytes, int height);
