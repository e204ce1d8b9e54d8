// Process entry of the native Linux saver, nivarel: the options, the X
// display and window, and the services behind the platform seam.
#include <cstdio>

#include "platform/settings_file_store.h"
#include "shell/native_run_x11.h"

int main(int argc, char** argv) {
  NativeOptions options;
  const std::string complaint = ParseNativeOptions(argc, argv, options);
  if (!complaint.empty()) {
    std::fprintf(stderr, "nivarel: %s (usage: nivarel [--window | --fullscreen | --root | "
                 "--window-id ID] [--depth N] [--speed N] [--fps])\n", complaint.c_str());
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
    X11Platform platform(display, window, options);
    InstallPlatform(&platform);
    const bool readOnly = options.mode == NativeMode::Root || options.mode == NativeMode::WindowId;
    SettingsFileStore store(SettingsFileStore::DefaultPath(), readOnly);
    InstallRegistryBackend(&store);
    X11SceneServices scene(display);
    InstallSceneServices(&scene);
    code = RunNativeSaver(platform, ToHandle(window), options);
    InstallSceneServices(nullptr);
    InstallRegistryBackend(nullptr);
    InstallPlatform(nullptr);
  }
  XCloseDisplay(display);
  return code;
}
