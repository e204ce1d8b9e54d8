// OpenGL 1.1 and GLU for the portable core.
//
// Windows' GL headers expect <windows.h> for two calling-convention macros;
// the core never includes it, so the two macros are given here just for the
// GL declarations and taken back afterwards, leaving <windows.h> (in the
// Win32 layer) free to define them its own way.
#pragma once

#if defined(_WIN32) && !(defined(WINGDIAPI) && defined(APIENTRY))
#define NIVAREL_GL_CALLING_MACROS
#define WINGDIAPI __declspec(dllimport)
#define APIENTRY __stdcall
#define CALLBACK __stdcall
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef NIVAREL_GL_CALLING_MACROS
#undef NIVAREL_GL_CALLING_MACROS
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#endif
