// Native tests that draw: one offscreen GL context for the whole test
// program, made current once.  The scene's display list, quadric and
// textures belong to the context they were made in, just as the saver makes
// one context per process.
#pragma once

#if NIVAREL_OFFSCREEN_GL
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "render/gl_api.h"
#include "tests/support/test_paths.h"
#include "tools/snapshot/offscreen_context.h"

constexpr int kOffscreenSize = 128;

inline OffscreenContext& SharedOffscreenContext() {
  static OffscreenContext context;
  static const bool opened = [] {
    std::string error;
    const bool ok = context.Open(kOffscreenSize, kOffscreenSize, error);
    if (!ok) ADD_FAILURE() << "offscreen GL: " << error;
    return ok;
  }();
  (void)opened;
  return context;
}

inline void DiscardGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline void PrintTo(const Rgb& c, std::ostream* os) { *os << "{" << c.r << ", " << c.g << ", " << c.b << "}"; }

// A pixel of the drawn picture, x from the left and y from the top.
inline Rgb PixelAt(const std::vector<uint8_t>& picture, int x, int y) {
  const uint8_t* p = &picture[(static_cast<size_t>(y) * kOffscreenSize + x) * 3];
  return {p[0], p[1], p[2]};
}
#endif
