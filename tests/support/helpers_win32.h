// Helpers for the Windows tests: the real platform services and the product's
// own resources.
// Included by *_win32_test.cpp only.
#pragma once
#include <windows.h>

#include "platform/platform_win32.h"
#include "shell/dialog_table_win32.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

// The real Win32 services, the program's dialogs included; no scene surface.
inline PlatformServices Win32Services() { return Win32PlatformServices(DialogProcedureFor); }

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
