// The one place where the X11 host meets the frame loop: the host description
// of each mode, and the event loop that hands the queued messages to the loop
// as the Win32 saver window's procedure does.
#include "shell/native_run_x11.h"

#include "shell/frame_loop.h"
#include "view/live_view.h"
#include "view/run_state.h"

namespace {

// The window mode steers as the settings dialog's preview does; root and
// window-id draw as the small preview (no keys, the blank scene when too
// slow); full screen is the saver itself.
class X11FrameHost final : public FrameHost {
 public:
  X11FrameHost(Display* display, ::Window window, const NativeOptions& options)
      : display_(display), window_(window), options_(options) {}

  WindowHandle Window() override { return ToHandle(window_); }
  bool IsSaverWindow() override { return options_.mode != NativeMode::Window; }
  bool IsFullScreen() override { return options_.mode == NativeMode::FullScreen; }
  bool SavesOnClose() override { return WritesSettings(options_); }
  // The overrides replace the stored values after they are loaded.
  void SettingsLoaded() override {
    if (options_.hasDepth) g_fDepth = options_.depth;
    if (options_.hasSpeed) g_fSpeed = options_.speed;
  }
  // The full-screen saver stays above whatever else opens.
  void FrameDrawn() override {
    if (IsFullScreen()) XRaiseWindow(display_, window_);
  }

 private:
  Display* display_;
  ::Window window_;
  const NativeOptions& options_;
};

}  // namespace

int RunNativeSaver(X11Platform& platform, Display* display, Window window,
                   const NativeOptions& options) {
  X11FrameHost host(display, window, options);
  if (!StartFrameLoop(host)) {
    EndFrameLoop();
    return 1;
  }
  WindowMessage message;
  while (!g_bClosed && platform.WaitWindowMessage(&message)) {
    switch (message.message) {
      case WM_RENDER_FRAME:
        HandleFrameMessage(host);
        break;
      case kWmClose:
        HandleCloseRequest(host);
        break;
      default:
        platform.DispatchWindowMessage(message);
        break;
    }
  }
  EndFrameLoop();
  return 0;
}
