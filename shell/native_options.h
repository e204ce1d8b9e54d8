// The native Linux saver's command line, in the manner of xscreensaver's
// hacks: every option may be spelt with one dash or two.
//
//   nivarel [--window | --fullscreen | --root | --window-id ID]
//           [--depth N] [--speed N] [--fps]
#pragma once
#include <string>

enum class NativeMode {
  Window,      // an ordinary 800x600 window titled "Nivarel", steered like the settings preview
  FullScreen,  // the full-screen saver, with the stop rules of the Windows saver
  Root,        // the root window, or the window named by XSCREENSAVER_WINDOW
  WindowId,    // an existing window given by its id, as a settings-dialog preview
};

struct NativeOptions {
  NativeMode mode = NativeMode::Window;
  unsigned long windowId = 0;  // WindowId only
  bool hasDepth = false;       // --depth overrides the stored depth for this run, saving nothing
  float depth = 0.0f;
  bool hasSpeed = false;       // --speed overrides the stored speed for this run, saving nothing
  float speed = 0.0f;
  bool showFps = false;        // --fps: the measured rate on stderr once a second
};

// Fills `options` from the arguments; returns "" when they are sound, else a
// one-line complaint that names the offending argument.
std::string ParseNativeOptions(int argc, const char* const* argv, NativeOptions& options);

// Whether the run may change the stored settings: the window and the full
// screen save the view on close, unless --depth or --speed make the run a
// one-off look; root and window-id runs never write (xscreensaver may run
// one per monitor, and a preview beside the saver).
bool WritesSettings(const NativeOptions& options);

// A window id in decimal or 0x hex; 0 when the text is not one.
unsigned long ParseWindowId(const char* text);
