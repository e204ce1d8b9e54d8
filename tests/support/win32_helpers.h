// Helpers for the Windows tests: the real platform services, the product's own
// resources, window texts, and a presser that ends modal dialogs by themselves.
// Included by *_win32_test.cpp only.
#pragma once
#include <windows.h>

#include <string>

#include "shell/platform_win32.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

// The real Win32 platform services, without leaving them installed: fixtures
// install them with ScopedPlatform.
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

inline std::string TextOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// While it lives, presses `button` in every dialog of this thread (or only in
// those captioned `caption`) as soon as the dialog has been initialised, so that
// a modal run ends by itself. One presser at a time.
class DialogPresser {
 public:
  explicit DialogPresser(int button, std::string caption = "")
      : button_(button), caption_(std::move(caption)) {
    active_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, OnCallReturn, nullptr, GetCurrentThreadId());
  }
  ~DialogPresser() {
    if (hook_) UnhookWindowsHookEx(hook_);
    active_ = nullptr;
  }
  DialogPresser(const DialogPresser&) = delete;
  DialogPresser& operator=(const DialogPresser&) = delete;

  bool installed() const { return hook_ != nullptr; }
  void SetButton(int button) { button_ = button; }
  int presses() const { return presses_; }
  const std::string& lastCaption() const { return lastCaption_; }

 private:
  static LRESULT CALLBACK OnCallReturn(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    DialogPresser* self = active_;
    if (self && code == HC_ACTION && call->message == WM_INITDIALOG) {
      const std::string caption = TextOf(call->hwnd);
      if (self->caption_.empty() || caption == self->caption_) {
        self->lastCaption_ = caption;
        ++self->presses_;
        PostMessageA(call->hwnd, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED), 0);
      }
    }
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
  }

  static inline DialogPresser* active_ = nullptr;
  HHOOK hook_ = nullptr;
  int button_;
  std::string caption_;
  int presses_ = 0;
  std::string lastCaption_;
};
