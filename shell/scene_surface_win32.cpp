// The scene surface of nivarel.scr: the WGL surface of render/, the scenes and
// the frame-rate probe, as the frame loop reaches them through the seam.
#include "shell/scene_surface_win32.h"

#include "render/gl_surface_win32.h"
#include "render/scene.h"
#include "shell/frame_rate_probe.h"

namespace {

class WglSceneSurface final : public SceneSurface {
 public:
  bool CreateSurface(WindowHandle window, int colourBits) override {
    return CreateGLSurface(ToHwnd(window), colourBits);
  }
  void DestroySurface() override { DestroyGLSurface(); }
  // The GL context is current on the surface's own device context for as
  // long as the surface lives, whichever window the frame loop serves.
  void PresentFrame() override { SwapBuffers(g_hDC); }
  void ProbeFrameRate() override { ::ProbeFrameRate(); }
  bool DrawBlankScene() override { return ::DrawBlankScene(); }
  bool DrawWorldScene() override { return ::DrawWorldScene(); }
  bool DrawClearScene() override { return ::DrawClearScene(); }
};

}  // namespace

SceneSurface& Win32SceneSurface() {
  static WglSceneSurface surface;
  return surface;
}
