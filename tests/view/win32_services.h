// The real Win32 platform services for Windows tests, without leaving them
// installed: fixtures install them with ScopedPlatform.
#pragma once
#include "shell/platform_win32.h"

inline PlatformServices& Win32Services() {
  static PlatformServices* services = [] {
    PlatformServices* previous = CurrentPlatformOrNull();
    InstallWin32Platform();
    PlatformServices* win32 = CurrentPlatformOrNull();
    InstallPlatform(previous);
    return win32;
  }();
  return *services;
}
