// Writes an 8-bit RGB picture as a PNG file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds height rows of width pixels, top row first.  False with `error`
// set when the file cannot be written.
bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                  std::string& error);
