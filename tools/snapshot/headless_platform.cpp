#include "tools/snapshot/headless_platform.h"

#include <chrono>
#include <cstdio>
#include <strings.h>
#include <thread>

#include "tools/snapshot/embedded_images.h"

uint32_t HeadlessPlatform::TickCount() {
  using namespace std::chrono;
  const auto sinceStart = steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(duration_cast<milliseconds>(sinceStart).count());
}

void HeadlessPlatform::Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int HeadlessPlatform::MessageBox(WindowHandle, const char* text, const char* caption, unsigned) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return kIdOk;
}

ResourceBlock HeadlessPlatform::FindResourceBlock(const char* type, int resourceId) {
  // The pictures are the program's only resources of type "JPG".
  if (!type || strcasecmp(type, "jpg") != 0) return {};
  return FindEmbeddedImage(resourceId);
}

intptr_t HeadlessPlatform::RunDialog(int, WindowHandle) { return -1; }

PlatformServices HeadlessPlatform::Services() {
  PlatformServices services;
  services.clock = this;
  services.notices = this;
  services.resources = this;
  return services;
}
