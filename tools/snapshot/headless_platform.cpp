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

void HeadlessPlatform::GetWindowClassName(WindowHandle, char* buffer, int size) {
  if (size > 0) buffer[0] = '\0';
}

bool HeadlessPlatform::PostWindowMessage(WindowHandle, unsigned, uintptr_t, intptr_t) { return false; }

bool HeadlessPlatform::TakeWindowMessage(WindowHandle, WindowMessage*) { return false; }

void HeadlessPlatform::DispatchWindowMessage(const WindowMessage&) {}

WindowHandle HeadlessPlatform::DesktopWindow() { return nullptr; }

int HeadlessPlatform::ClientWidth(WindowHandle) { return 0; }

void HeadlessPlatform::RaiseToTop(WindowHandle) {}

void HeadlessPlatform::PresentFrame() {}
