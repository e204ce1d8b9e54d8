// The GL surface on an X11 window through GLX: a context made current on the
// window, the projection for its size and the scene's fixed state.
#pragma once
#include <X11/Xlib.h>
#include <GL/glx.h>

// The visual that windows made for the saver ask for: true colour with a
// double buffer and a depth buffer; null when the display has none.
XVisualInfo* ChooseSaverVisual(Display* display);

// True with the context current and the scene ready to draw; false after a
// message on stderr, with everything acquired released again.  A window made
// by someone else is drawn on in whatever GL visual it has.
bool CreateGlxSurface(Display* display, Window window);

// Releases the context; silent when there is none.
void DestroyGlxSurface();

// Mesa compiles its drawing code on a first draw, which can take a second
// with a cold shader cache (a daemon's fresh user): this draws the world once,
// untimed and unseen, so that the frame-rate probe times the scene and not the
// compiler.  The draw goes to a one-pixel viewport, which compiles the same
// code without filling the screen, and the spin is put back, so that the probe
// and the first frame start from where they would without it.
void WarmUpGlxDrawing();

// Shows the frame just drawn.
void PresentGlxFrame();
