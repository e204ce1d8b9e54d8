// Helpers for the Windows tests: the real platform services and the product's
// own resources.
// Included by *_win32_test.cpp only.
#pragma once
#include <windows.h>

#include "shell/platform_win32.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

// The real Win32 services of a seam, made once by `installWin32` without
// leaving them installed: fixtures install them with the seam's Scoped guard.
template <typename Services>
Services& Win32Seam(Services* (*current)(), void (*install)(Services*), void (*installWin32)()) {
  static Services* const services = [&] {
    Services* previous = current();
    installWin32();
    Services* win32 = current();
    install(previous);
    return win32;
  }();
  return *services;
}

inline PlatformServices& Win32Services() {
  return Win32Seam(CurrentPlatformOrNull, InstallPlatform, InstallWin32Platform);
}

// While it lives, nivarel.scr's resources (its dialog templates and pictures)
// are the program's own: g_hInstance is the product loaded as data.
class ProductResources {
 public:
  ProductResources()
      : module_(LoadLibraryExA(BuildPath("nivarel.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)),
        previous_(g_hInstance) {
    if (module_) g_hInstance = module_;
  }
  ~ProductResources() {
    g_hInstance = previous_;
    if (module_) FreeLibrary(module_);
  }
  ProductResources(const ProductResources&) = delete;
  ProductResources& operator=(const ProductResources&) = delete;

  HMODULE module() const { return module_; }

 private:
  HMODULE module_;
  HINSTANCE previous_;
};
