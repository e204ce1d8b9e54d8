#include "render/gl_surface_glx.h"

#include <cstdio>
#include <iterator>

#include "render/gl_surface.h"
#include "render/scene.h"

namespace {

Display* g_pDisplay = nullptr;
Window g_window = 0;
GLXContext g_context = nullptr;
bool g_bDoubleBuffered = false;

int ConfigOf(Display* display, XVisualInfo* visual, int attribute) {
  int value = 0;
  return glXGetConfig(display, visual, attribute, &value) == 0 ? value : 0;
}

int AttributeOf(Display* display, GLXFBConfig config, int attribute) {
  int value = 0;
  return glXGetFBConfigAttrib(display, config, attribute, &value) == Success ? value : 0;
}

// What the picture depends on: a configuration that differs from the
// window's visual in none of these draws the same frames on it (the first,
// RGBA, is asked of the visual; a configuration says it in its render type).
constexpr int kPictureAttributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, GLX_GREEN_SIZE,
                                      GLX_BLUE_SIZE, GLX_DEPTH_SIZE};
// Buffers the scene never touches, yet a software renderer keeps in every
// frame: a stencil beside the depth buffer makes each depth-only clear a
// masked read-modify-write; destination alpha, accumulation and multisample
// buffers are memory it fills for nothing.
constexpr int kUnusedBufferAttributes[] = {GLX_STENCIL_SIZE, GLX_ALPHA_SIZE, GLX_ACCUM_RED_SIZE,
                                           GLX_ACCUM_ALPHA_SIZE, GLX_AUX_BUFFERS, GLX_SAMPLES};

bool PutsSamePixels(Display* display, GLXFBConfig config, const XVisualInfo& window) {
  XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
  if (!visual) return false;
  const bool same = visual->depth == window.depth && visual->c_class == window.c_class &&
                    visual->red_mask == window.red_mask && visual->green_mask == window.green_mask &&
                    visual->blue_mask == window.blue_mask;
  XFree(visual);
  return same;
}

// The configuration to draw on a window of this visual with: the one that
// matches it in everything the picture depends on and has the fewest bits of
// unused buffers; null when none has fewer than the visual's own.  The
// display's own choice narrows the list first (each attribute query of a
// configuration searches the whole list of them).
GLXFBConfig LeanConfigFor(Display* display, XVisualInfo* window) {
  int wanted[std::size(kPictureAttributes)];
  for (size_t a = 0; a < std::size(kPictureAttributes); ++a) {
    wanted[a] = ConfigOf(display, window, kPictureAttributes[a]);
  }
  int ownUnused = 0;
  for (int attribute : kUnusedBufferAttributes) ownUnused += ConfigOf(display, window, attribute);
  const int request[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                         GLX_X_RENDERABLE, True, GLX_DOUBLEBUFFER, wanted[1], GLX_RED_SIZE, wanted[2],
                         GLX_GREEN_SIZE, wanted[3], GLX_BLUE_SIZE, wanted[4], GLX_DEPTH_SIZE, wanted[5],
                         None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, window->screen, request, &count);
  GLXFBConfig best = nullptr;
  int bestUnused = ownUnused;
  for (int i = 0; i < count; ++i) {
    bool matches = true;
    for (size_t a = 1; a < std::size(kPictureAttributes) && matches; ++a) {
      matches = AttributeOf(display, configs[i], kPictureAttributes[a]) == wanted[a];
    }
    if (!matches) continue;
    int unused = 0;
    for (int attribute : kUnusedBufferAttributes) unused += AttributeOf(display, configs[i], attribute);
    if (unused < bestUnused && PutsSamePixels(display, configs[i], *window)) {
      best = configs[i];
      bestUnused = unused;
    }
  }
  if (configs) XFree(configs);
  return best;
}

int g_trappedError = 0;
int TrapXError(Display*, XErrorEvent* error) {
  g_trappedError = error->error_code;
  return 0;
}

// A context in the lean configuration made current on the window; null when
// there is none or the display refuses it on this window (the caller then
// uses the window's own visual).
GLXContext MakeLeanContextCurrent(Display* display, Window window, XVisualInfo* visual) {
  const GLXFBConfig config = LeanConfigFor(display, visual);
  if (!config) return nullptr;
  XSync(display, False);
  g_trappedError = 0;
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(TrapXError);
  GLXContext context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
  const bool current = context && glXMakeCurrent(display, window, context);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (current && g_trappedError == 0) return context;
  if (current) glXMakeCurrent(display, None, nullptr);
  if (context) glXDestroyContext(display, context);
  return nullptr;
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
  g_context = MakeLeanContextCurrent(display, window, visual);
  if (!g_context) g_context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (!g_context || (glXGetCurrentContext() != g_context && !glXMakeCurrent(display, window, g_context))) {
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

void WarmUpGlxDrawing() {
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float spinAngle = g_fSpinAngle, spinStep = g_fSpinStep;
  const int spinFrames = g_nSpinFrames;
  glViewport(0, 0, 1, 1);
  DrawWorldScene();
  glFinish();
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  g_fSpinAngle = spinAngle;
  g_fSpinStep = spinStep;
  g_nSpinFrames = spinFrames;
}
