// nivarel-snapshot: renders the saver's world scene offscreen, with the same
// decoder, textures, projection and GL state as the saver, and writes it as
// a PNG file.
//
//   nivarel-snapshot [--frames N] [--size WxH] [--preview] OUT.png
//
// The picture is the frame drawn after N frames of spin; --preview spins at
// the settings dialog's slower rate.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/gl_api.h"
#include "render/gl_surface.h"
#include "render/scene.h"
#include "tools/snapshot/headless_platform.h"
#include "tools/snapshot/offscreen_context.h"
#include "tools/snapshot/png_file.h"
#include "view/module_table.h"
#include "view/run_state.h"

namespace {

struct Options {
  long frames = 0;
  int width = 1280;
  int height = 1024;
  bool preview = false;
  std::string output;
};

constexpr int kLargestSide = 8192;

int Usage() {
  std::fputs("usage: nivarel-snapshot [--frames N] [--size WxH] [--preview] OUT.png\n", stderr);
  return 2;
}

bool ParseCount(const char* text, long& count) {
  char* end = nullptr;
  count = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && count >= 0;
}

bool ParseSize(const char* text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text, &end, 10);
  if (end == text || *end != 'x') return false;
  const char* rest = end + 1;
  const long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  if (w < 1 || h < 1 || w > kLargestSide || h > kLargestSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--frames" && i + 1 < argc) {
      if (!ParseCount(argv[++i], options.frames)) return false;
    } else if (arg == "--size" && i + 1 < argc) {
      if (!ParseSize(argv[++i], options.width, options.height)) return false;
    } else if (arg == "--preview") {
      options.preview = true;
    } else if (arg.empty() || arg[0] == '-' || !options.output.empty()) {
      return false;
    } else {
      options.output = arg;
    }
  }
  return !options.output.empty();
}

// Module 1's built-in view, as a first run of the saver shows it.
void UseBuiltInView(bool preview) {
  ResetModuleTable();
  g_nCurrentModule = NextActiveModule(0);
  ApplyModule(g_nCurrentModule);
  g_bSaverWindow = !preview;
}

bool Render(const Options& options, OffscreenContext& context, std::string& error) {
  if (!context.Open(options.width, options.height, error)) return false;
  SetProjection(options.width, options.height);
  if (!InitGLState()) {
    error = "the scene's textures could not be made";
    return false;
  }
  for (long frame = 0; frame < options.frames; ++frame) DrawWorldScene();
  if (!DrawWorldScene()) {
    error = "GL reported an error while drawing";
    return false;
  }
  glFinish();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return Usage();
  HeadlessPlatform platform;
  InstallPlatform(platform.Services());
  UseBuiltInView(options.preview);

  OffscreenContext context;
  std::string error;
  if (!Render(options, context, error) ||
      !WritePngFile(options.output, options.width, options.height, context.ReadRgb(), error)) {
    std::fprintf(stderr, "nivarel-snapshot: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
