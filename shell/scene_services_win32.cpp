#include "shell/scene_services_win32.h"

#include "render/gl_surface_win32.h"
#include "render/scene.h"
#include "shell/frame_rate_probe.h"
#include "shell/platform_win32.h"
#include "shell/scene_services.h"

namespace {

class Win32SceneServices final : public SceneServices {
 public:
  bool CreateSurface(WindowHandle window, int colourBits) override {
    return CreateGLSurface(ToHwnd(window), colourBits);
  }
  void DestroySurface() override { DestroyGLSurface(); }
  void ProbeFrameRate() override { ::ProbeFrameRate(); }
  bool DrawBlankScene() override { return ::DrawBlankScene(); }
  bool DrawWorldScene() override { return ::DrawWorldScene(); }
  bool DrawClearScene() override { return ::DrawClearScene(); }
};

}  // namespace

void InstallWin32SceneServices() {
  static Win32SceneServices services;
  InstallSceneServices(&services);
}
