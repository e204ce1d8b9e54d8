#include "tools/snapshot/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

#include "render/gl_api.h"

namespace {

EGLDisplay SurfacelessDisplay() {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return EGL_NO_DISPLAY;
  return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

bool ChooseConfig(EGLDisplay display, EGLConfig& config) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                               EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24,
                               EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLint count = 0;
  return eglChooseConfig(display, attributes, &config, 1, &count) && count == 1;
}

}  // namespace

OffscreenContext::~OffscreenContext() { Close(); }

bool OffscreenContext::Open(int width, int height, std::string& error) {
  Close();
  EGLDisplay display = SurfacelessDisplay();
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    error = "no surfaceless EGL display (Mesa's EGL is needed)";
    return false;
  }
  display_ = display;
  EGLConfig config = nullptr;
  if (!ChooseConfig(display, config)) {
    error = "no RGBA pixel-buffer configuration with a depth buffer";
    return false;
  }
  const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface_ = eglCreatePbufferSurface(display, config, size);
  // Desktop GL without attributes: the compatibility profile, fixed functions included.
  if (surface_ == EGL_NO_SURFACE || !eglBindAPI(EGL_OPENGL_API)) {
    error = "cannot make a pixel buffer for desktop GL";
    return false;
  }
  context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context_ == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface_, surface_, context_)) {
    error = "cannot make a GL context current";
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

std::vector<uint8_t> OffscreenContext::ReadRgb() const {
  const size_t rowBytes = static_cast<size_t>(width_) * 3;
  std::vector<uint8_t> bottomUp(rowBytes * height_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> topDown(bottomUp.size());
  for (int row = 0; row < height_; ++row) {
    std::memcpy(&topDown[row * rowBytes], &bottomUp[(height_ - 1 - row) * rowBytes], rowBytes);
  }
  return topDown;
}

void OffscreenContext::Close() {
  if (!display_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display_, context_);
  if (surface_) eglDestroySurface(display_, surface_);
  eglTerminate(display_);
  display_ = surface_ = context_ = nullptr;
  width_ = height_ = 0;
}
