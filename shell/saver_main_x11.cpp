// Process entry of the native Linux saver, nivarel: the options, the X
// display and window, and the services behind the platform seam.
#include <cstdio>

#include "platform/settings_file_store.h"
#include "shell/native_run_x11.h"
#include "tools/snapshot/headless_platform.h"

int main(int argc, char** argv) {
  NativeOptions options;
  const std::string complaint = ParseNativeOptions(argc, argv, options);
  if (!complaint.empty()) {
    std::fprintf(stderr, "nivarel: %s (usage: nivarel [--window | --fullscreen | --root | "
                 "--window-id ID] [--depth N] [--speed N] [--fps]; --depth and --speed "
                 "apply to this run only and save nothing)\n", complaint.c_str());
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fputs("nivarel: cannot open the X display\n", stderr);
    return 1;
  }
  InstallStopHandlers();
  const Window window = OpenSaverWindow(display, options);
  int code = 1;
  if (window) {
    // The snapshot tool's platform: the clock, message boxes on stderr and
    // the built-in pictures.
    HeadlessPlatform headless;
    PlatformServices services = headless.Services();
    X11Platform platform(display, window, options, services);
    X11SceneSurface surface(display, options.showFps);
    SettingsFileStore store(SettingsFileStore::DefaultPath(), !WritesSettings(options));
    services.clock = &platform;
    services.windows = &platform;
    services.notices = &platform;
    services.surface = &surface;
    services.settings = &store;
    InstallPlatform(services);
    code = RunNativeSaver(platform, display, window, options);
    InstallPlatform({});
  }
  XCloseDisplay(display);
  return code;
}
