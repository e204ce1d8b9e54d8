#include "tests/support/fake_platform.h"

#include <cstring>

void FakePlatform::GetWindowClassName(WindowHandle window, char* buffer, int size) {
  if (size <= 0) return;
  buffer[0] = '\0';
  if (!window) return;
  std::strncpy(buffer, className.c_str(), static_cast<size_t>(size) - 1);
  buffer[size - 1] = '\0';
}

ScopedPlatform::ScopedPlatform(PlatformServices& services) : previous_(CurrentPlatformOrNull()) {
  InstallPlatform(&services);
}

ScopedPlatform::~ScopedPlatform() { InstallPlatform(previous_); }
