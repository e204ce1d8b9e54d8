// A legacy (compatibility-profile) GL context that draws into an offscreen
// buffer, without any window system: Mesa through EGL's surfaceless platform.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class OffscreenContext {
 public:
  OffscreenContext() = default;
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // Makes a width x height RGBA buffer with a 24-bit depth buffer and a
  // context current on it.  False with `error` set when that is impossible.
  bool Open(int width, int height, std::string& error);

  // The buffer's pixels as RGB, top row first.
  std::vector<uint8_t> ReadRgb() const;

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void Close();

  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
