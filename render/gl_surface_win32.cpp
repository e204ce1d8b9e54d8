#include "render/gl_surface_win32.h"

#include "platform/platform.h"
#include "render/gl_api.h"

HDC g_hDC = nullptr;
HGLRC g_hRC = nullptr;

namespace {

// The surface was made on this window; its device context goes back to it.
HWND g_hSurfaceWindow = nullptr;

constexpr DWORD kSurfaceFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;

const char kNoAccelerationText[] =
    "Your video hardware doesn't appear to support hardware\n"
    "acceleration for OpenGL. Check the manufacturer's web\n"
    "site to make sure you have installed the most current\n"
    "video drivers for your video hardware.";

PIXELFORMATDESCRIPTOR BaseDescriptor() {
  PIXELFORMATDESCRIPTOR descriptor = {};
  descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  descriptor.nVersion = 1;
  descriptor.dwFlags = kSurfaceFlags;
  descriptor.iPixelType = PFD_TYPE_RGBA;
  return descriptor;
}

// What ChoosePixelFormat is asked; its answer only tells whether any format fits.
PIXELFORMATDESCRIPTOR RequestDescriptor() {
  PIXELFORMATDESCRIPTOR descriptor = BaseDescriptor();
  descriptor.cColorBits = 32;
  descriptor.cDepthBits = 24;
  return descriptor;
}

// Handed to SetPixelFormat with the chosen index, which alone decides the format.
PIXELFORMATDESCRIPTOR SetDescriptor(int colourBits) {
  PIXELFORMATDESCRIPTOR descriptor = BaseDescriptor();
  descriptor.cColorBits = static_cast<BYTE>(colourBits);
  descriptor.cDepthBits = 32;
  descriptor.iLayerType = PFD_MAIN_PLANE;
  return descriptor;
}

bool FailCreation(const char* text, const char* caption) {
  DestroyGLSurface();
  PlatformNotices().MessageBox(nullptr, text, caption, kMbOk | kMbIconExclamation);
  return false;
}

void ReportShutdownError(const char* text) {
  PlatformNotices().MessageBox(nullptr, text, "SHUTDOWN ERROR", kMbOk | kMbIconInformation);
}

void ApplyClientProjection(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  SetProjection(client.right - client.left, client.bottom - client.top);
}

}  // namespace

PixelFormatDescription DescribeForScore(const PIXELFORMATDESCRIPTOR& descriptor) {
  PixelFormatDescription format;
  format.flags = descriptor.dwFlags;
  format.pixelType = descriptor.iPixelType;
  format.colorBits = descriptor.cColorBits;
  format.depthBits = descriptor.cDepthBits;
  return format;
}

int SelectPixelFormat(HDC deviceContext, int colourBits) {
  PIXELFORMATDESCRIPTOR descriptor = {};
  const int formatCount = DescribePixelFormat(deviceContext, 1, sizeof descriptor, &descriptor);
  const PIXELFORMATDESCRIPTOR request = RequestDescriptor();
  if (ChoosePixelFormat(deviceContext, &request) == 0) return 0;
  auto describe = [deviceContext](int index, PixelFormatDescription& format) {
    PIXELFORMATDESCRIPTOR candidate = {};
    if (!DescribePixelFormat(deviceContext, index, sizeof candidate, &candidate)) return false;
    format = DescribeForScore(candidate);
    return true;
  };
  return PickBestPixelFormat(formatCount, describe, colourBits);
}

bool CreateGLSurface(HWND window, int colourBits) {
  g_hSurfaceWindow = window;
  g_hDC = GetDC(window);
  if (!g_hDC) return FailCreation("Can't Create A GL Device Context.", "ERROR");
  const int format = SelectPixelFormat(g_hDC, colourBits);
  if (format == 0) return FailCreation(kNoAccelerationText, "OpenGL Screen Saver Error");
  const PIXELFORMATDESCRIPTOR descriptor = SetDescriptor(colourBits);
  if (!SetPixelFormat(g_hDC, format, &descriptor)) {
    return FailCreation("Can't Set The PixelFormat.", "ERROR");
  }
  g_hRC = wglCreateContext(g_hDC);
  if (!g_hRC) return FailCreation("Can't Create A GL Rendering Context.", "ERROR");
  if (!wglMakeCurrent(g_hDC, g_hRC)) {
    return FailCreation("Can't Activate The GL Rendering Context.", "ERROR");
  }
  ApplyClientProjection(window);
  if (!InitGLState()) return FailCreation("Initialization Failed.", "ERROR");
  return true;
}

void DestroyGLSurface() {
  if (g_hRC) {
    if (!wglMakeCurrent(nullptr, nullptr)) ReportShutdownError("Release Of DC And RC Failed.");
    if (!wglDeleteContext(g_hRC)) ReportShutdownError("Release Rendering Context Failed.");
    g_hRC = nullptr;
  }
  if (g_hDC) {
    if (!ReleaseDC(g_hSurfaceWindow, g_hDC)) ReportShutdownError("Release Device Context Failed.");
    g_hDC = nullptr;
  }
  g_hSurfaceWindow = nullptr;
}
