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

// Shows the frame just drawn.
void PresentGlxFrame();
