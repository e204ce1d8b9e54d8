#include "render/gl_surface_glx.h"

#include <cstdio>

#include "render/gl_surface.h"

namespace {

Display* g_pDisplay = nullptr;
Window g_window = 0;
GLXContext g_context = nullptr;
bool g_bDoubleBuffered = false;

int ConfigOf(Display* display, XVisualInfo* visual, int attribute) {
  int value = 0;
  return glXGetConfig(display, visual, attribute, &value) == 0 ? value : 0;
}

}  // namespace

XVisualInfo* ChooseSaverVisual(Display* display) {
  int attributes[] = {GLX_RGBA,       GLX_DOUBLEBUFFER, GLX_RED_SIZE,   8, GLX_GREEN_SIZE, 8,
                      GLX_BLUE_SIZE,  8,                GLX_DEPTH_SIZE, 16, None};
  return glXChooseVisual(display, DefaultScreen(display), attributes);
}

bool CreateGlxSurface(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  XVisualInfo wanted = {};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  if (!visual || !ConfigOf(display, visual, GLX_USE_GL) || !ConfigOf(display, visual, GLX_RGBA)) {
    std::fprintf(stderr, "nivarel: window 0x%lx has no GL visual\n", window);
    if (visual) XFree(visual);
    return false;
  }
  g_bDoubleBuffered = ConfigOf(display, visual, GLX_DOUBLEBUFFER) != 0;
  g_context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (!g_context || !glXMakeCurrent(display, window, g_context)) {
    std::fputs("nivarel: no GL context could be made on the window\n", stderr);
    if (g_context) glXDestroyContext(display, g_context);
    g_context = nullptr;
    return false;
  }
  g_pDisplay = display;
  g_window = window;
  SetProjection(attributes.width, attributes.height);
  if (!InitGLState()) {
    DestroyGlxSurface();
    return false;
  }
  return true;
}

void DestroyGlxSurface() {
  if (!g_context) return;
  glXMakeCurrent(g_pDisplay, None, nullptr);
  glXDestroyContext(g_pDisplay, g_context);
  g_context = nullptr;
}

void PresentGlxFrame() {
  if (!g_context) return;
  if (g_bDoubleBuffered) {
    glXSwapBuffers(g_pDisplay, g_window);
  } else {
    glFlush();
  }
}
