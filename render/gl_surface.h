// The GL state of the saver's surface that does not depend on the window
// system: the projection for a client area, the fixed state of the scene and
// the sphere's quadric.  The window binding itself is gl_surface_win32.h.
#pragma once

struct GLUquadric;

// The sphere's quadric (smooth normals, texture coordinates); made once per
// surface by InitGLState and kept for the life of the process.
extern GLUquadric* g_pQuadric;

// The colour depth that both the saver window and the settings preview ask for.
constexpr int kSurfaceColourBits = 32;

// Viewport and perspective projection for a client area; a height of 0 counts
// as 1.  Leaves the identity model-view matrix selected.
void SetProjection(int width, int height);

// Loads both scene textures, then sets the fixed state: depth test, culling,
// texturing, light 0 and the quadric.  False (with nothing else set) when a
// texture cannot be loaded; the loader has told the user why.
bool InitGLState();
