// The platform seam on the real Win32 API, and the Win32 helpers that every
// Win32 file of the program shares.
//
// Implemented here: Clock, WindowQueue, Notices and Resources
// (platform_win32.cpp) and the SettingsStore on the registry
// (settings_store_win32.cpp).  The SceneSurface on WGL lives with the shell
// (shell/scene_surface_win32.cpp), which owns the frame-rate probe.
#pragma once
#include <windows.h>

#include "platform/platform.h"

// The program's module instance: dialogs, the window class and resources come
// from it.  Set once, by the process entry's mode dispatch.
extern HINSTANCE g_hInstance;

// Which procedure runs a dialog template; null for a template the program
// does not have.
using DialogProcedureLookup = DLGPROC (*)(int templateId);

// The Win32 services: clock, window queue, notices (RunDialog asks `dialogs`
// for the procedure), resources and the registry.  No scene surface.
PlatformServices Win32PlatformServices(DialogProcedureLookup dialogs);

// The registry as a settings store.
SettingsStore& Win32SettingsStore();

inline HWND ToHwnd(WindowHandle window) { return static_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return static_cast<WindowHandle>(window); }

// Looks up a function of a library bound late (one the program only sometimes
// needs, or that older systems lack); null when the library has no such
// function.  The cast through a plain function pointer keeps the compiler from
// warning about the conversion of GetProcAddress's result.
template <typename Function>
Function LookUpFunction(HMODULE library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Moves `window` (size unchanged) to the centre of the desktop window and
// shows it; every dialog calls it when it opens.
void CentreOnDesktop(HWND window);
