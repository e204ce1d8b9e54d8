// The GL surface on a window: a hardware-accelerated pixel format chosen by
// our own score, a rendering context made current on the window's device
// context, the projection for its client area and the scene's fixed state.
#pragma once
#include <windows.h>

#include "render/gl_surface.h"
#include "render/pixel_format.h"

extern HDC g_hDC;    // device context of the window carrying the surface; null when none
extern HGLRC g_hRC;  // the rendering context current on g_hDC; null when none

// True with the context current and the scene ready to draw; false after a
// message box, with everything acquired released again.
bool CreateGLSurface(HWND window, int colourBits);

// Releases the context and the device context; silent when there is nothing
// left to release.  The quadric and the textures stay for the process.
void DestroyGLSurface();

// The best-scoring pixel format of the device context; 0 when none is acceptable.
int SelectPixelFormat(HDC deviceContext, int colourBits);

// The score's view of a Win32 pixel-format descriptor.
PixelFormatDescription DescribeForScore(const PIXELFORMATDESCRIPTOR& descriptor);
