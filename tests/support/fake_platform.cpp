#include "tests/support/fake_platform.h"

#include <cstring>

void FakePlatform::GetWindowClassName(WindowHandle window, char* buffer, int size) {
  if (size <= 0) return;
  buffer[0] = '\0';
  if (!window) return;
  std::strncpy(buffer, className.c_str(), static_cast<size_t>(size) - 1);
  buffer[size - 1] = '\0';
}

ResourceBlock FakePlatform::FindResourceBlock(const char*, int resourceId) {
  ResourceBlock block;
  auto found = resources.find(resourceId);
  if (found != resources.end() && !found->second.empty()) {
    block.data = found->second.data();
    block.size = static_cast<uint32_t>(found->second.size());
  }
  return block;
}

bool FakePlatform::PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                                     intptr_t lParam) {
  WindowMessage posting;
  posting.window = window;
  posting.message = message;
  posting.wParam = wParam;
  posting.lParam = lParam;
  posting.time = now;
  posted.push_back(posting);
  queue.push_back(posting);
  return true;
}

bool FakePlatform::TakeWindowMessage(WindowHandle window, WindowMessage* message) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (it->window != window) continue;
    *message = *it;
    queue.erase(it);
    return true;
  }
  return false;
}

void FakePlatform::Queue(WindowHandle window, unsigned message, uintptr_t wParam) {
  WindowMessage queued;
  queued.window = window;
  queued.message = message;
  queued.wParam = wParam;
  queue.push_back(queued);
}

std::vector<unsigned> FakePlatform::PostedIds() const {
  std::vector<unsigned> ids;
  for (const WindowMessage& m : posted) ids.push_back(m.message);
  return ids;
}

void FakePlatform::DispatchWindowMessage(const WindowMessage& message) {
  dispatched.push_back(message);
  if (onDispatch) onDispatch(message);
}

// Any address that no test uses as a window of its own.
WindowHandle FakePlatform::DesktopWindow() { return &desktopWidth; }

int FakePlatform::ClientWidth(WindowHandle window) {
  if (window == DesktopWindow()) return desktopWidth;
  auto found = clientWidths.find(window);
  return found == clientWidths.end() ? 0 : found->second;
}
