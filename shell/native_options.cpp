#include "shell/native_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "view/live_view.h"

namespace {

// X resource ids fit in 29 bits.
constexpr unsigned long kLargestWindowId = 0x1FFFFFFF;

bool ParseNumber(const char* text, float& value) {
  char* end = nullptr;
  value = std::strtof(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

}  // namespace

bool WritesSettings(const NativeOptions& options) {
  const bool ownWindow = options.mode == NativeMode::Window || options.mode == NativeMode::FullScreen;
  return ownWindow && !options.hasDepth && !options.hasSpeed;
}

unsigned long ParseWindowId(const char* text) {
  if (!text || !*text || *text == '-' || *text == '+') return 0;
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);
  return *end == '\0' && id <= kLargestWindowId ? id : 0;
}

std::string ParseNativeOptions(int argc, const char* const* argv, NativeOptions& options) {
  bool modeGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* name = arg[0] == '-' ? arg + (arg[1] == '-' ? 2 : 1) : "";
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    const bool takesValue = !std::strcmp(name, "window-id") || !std::strcmp(name, "depth") ||
                            !std::strcmp(name, "speed");
    if (takesValue && !value) return std::string("option '") + arg + "' needs a value";
    const NativeMode* mode = nullptr;
    static const NativeMode kModes[] = {NativeMode::Window, NativeMode::FullScreen,
                                        NativeMode::Root, NativeMode::WindowId};
    if (!std::strcmp(name, "window")) mode = &kModes[0];
    else if (!std::strcmp(name, "fullscreen")) mode = &kModes[1];
    else if (!std::strcmp(name, "root")) mode = &kModes[2];
    else if (!std::strcmp(name, "window-id")) mode = &kModes[3];

    if (mode) {
      if (modeGiven) return std::string("option '") + arg + "' names a second mode";
      modeGiven = true;
      options.mode = *mode;
      if (*mode == NativeMode::WindowId && !(options.windowId = ParseWindowId(value))) {
        return std::string("'") + value + "' is not a window id";
      }
    } else if (!std::strcmp(name, "depth")) {
      if (!ParseNumber(value, options.depth)) return std::string("'") + value + "' is not a depth";
      options.hasDepth = true;
    } else if (!std::strcmp(name, "speed")) {
      if (!ParseNumber(value, options.speed) || options.speed < kMinSpeed || options.speed > kMaxSpeed) {
        return std::string("'") + value + "' is not a speed from 0.0625 to 10";
      }
      options.hasSpeed = true;
    } else if (!std::strcmp(name, "fps")) {
      options.showFps = true;
    } else {
      return std::string("unknown argument '") + arg + "'";
    }
    if (takesValue) ++i;
  }
  return "";
}
