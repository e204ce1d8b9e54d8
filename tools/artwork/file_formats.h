// Writers for the file formats the artwork ships in: PPM (the encoder's
// input), BMP (the advice picture) and ICO (the icon, with a PNG entry).
#pragma once

#include <string>
#include <vector>

#include "tools/artwork/raster.h"

namespace artwork {

// Each writer returns false when the file cannot be written completely.
bool WritePpm(const std::string& path, const Picture& picture);

// Standard 24-bit bottom-up BMP with rows padded to four bytes.
bool WriteBmp24(const std::string& path, const Picture& picture);

// Icon file with one 32-bit entry per picture (straight alpha). Pictures of
// 256 pixels are stored as PNG, the smaller ones as bitmaps with an AND mask.
bool WriteIco(const std::string& path, const std::vector<RgbaPicture>& sizes);

}  // namespace artwork
