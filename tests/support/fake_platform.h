// A fake of the platform seam: a clock that only moves when told (or when the
// code under test sleeps), and message boxes, dialogs and window messages that
// are recorded instead of shown.  ScopedPlatform puts it in force for a test,
// with the settings store and scene surface the test gives it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedMessageBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
  bool operator==(const RecordedMessageBox& o) const {
    return owner == o.owner && text == o.text && caption == o.caption && style == o.style;
  }
};

inline void PrintTo(const RecordedMessageBox& box, std::ostream* os) {
  *os << "{" << box.owner << ", \"" << box.text << "\", \"" << box.caption << "\", " << box.style << "}";
}

struct RecordedDialog {
  int templateId;
  WindowHandle owner;
  bool operator==(const RecordedDialog& o) const { return templateId == o.templateId && owner == o.owner; }
};

inline void PrintTo(const RecordedDialog& dialog, std::ostream* os) {
  *os << "{" << dialog.templateId << ", " << dialog.owner << "}";
}

class FakePlatform : public Clock, public WindowQueue, public Notices, public Resources {
 public:
  uint32_t now = 0;                       // the tick count, in ms
  std::vector<uint32_t> sleeps;           // every Sleep, in order
  std::vector<RecordedMessageBox> messageBoxes;
  std::vector<RecordedDialog> dialogs;
  std::function<void(int templateId)> onDialog;  // runs while a dialog is "open"
  std::string className = "NivarelTestClass";
  // The message queue of every window: posts join it, TakeWindowMessage takes
  // the window's first message and leaves the others.
  std::deque<WindowMessage> queue;
  std::vector<WindowMessage> posted;      // every post, in order
  std::vector<WindowMessage> dispatched;  // every dispatch, in order
  std::function<void(const WindowMessage&)> onDispatch;  // what a dispatched message does
  std::map<int, std::vector<uint8_t>> resources;  // by identifier, whatever the type
  SettingsStore* settings = nullptr;  // installed with the fake when set
  SceneSurface* surface = nullptr;

  uint32_t TickCount() override { return now; }
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    now += milliseconds;
  }
  int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) override {
    messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", style});
    return kIdOk;
  }
  intptr_t RunDialog(int templateId, WindowHandle owner) override {
    dialogs.push_back({templateId, owner});
    if (onDialog) onDialog(templateId);
    return kIdOk;
  }
  void GetWindowClassName(WindowHandle window, char* buffer, int size) override {
    if (size <= 0) return;
    std::snprintf(buffer, static_cast<size_t>(size), "%s", window ? className.c_str() : "");
  }
  bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) override {
    Queue(window, message, wParam, lParam);
    posted.push_back(queue.back());
    return true;
  }
  bool TakeWindowMessage(WindowHandle window, WindowMessage* message) override {
    auto it = std::find_if(queue.begin(), queue.end(),
                           [&](const WindowMessage& m) { return m.window == window; });
    if (it == queue.end()) return false;
    *message = *it;
    queue.erase(it);
    return true;
  }
  void DispatchWindowMessage(const WindowMessage& message) override {
    dispatched.push_back(message);
    if (onDispatch) onDispatch(message);
  }
  ResourceBlock FindResourceBlock(const char*, int resourceId) override {
    auto found = resources.find(resourceId);
    if (found == resources.end() || found->second.empty()) return {};
    return {found->second.data(), static_cast<uint32_t>(found->second.size())};
  }

  // Puts a message at the end of the queue, as if the system had sent it.
  void Queue(WindowHandle window, unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    queue.push_back({window, message, wParam, lParam, now});
  }
  // The ids of every post, in order.
  std::vector<unsigned> PostedIds() const {
    std::vector<unsigned> ids;
    for (const WindowMessage& m : posted) ids.push_back(m.message);
    return ids;
  }
  // Its own four services with the store and surface set above.
  operator PlatformServices() {
    PlatformServices services;
    services.clock = this;
    services.windows = this;
    services.notices = this;
    services.resources = this;
    services.settings = settings;
    services.surface = surface;
    return services;
  }
};

// Puts services in force for its lifetime and the previous ones back afterwards.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(const PlatformServices& services) : previous_(InstalledPlatform()) {
    InstallPlatform(services);
  }
  ~ScopedPlatform() { InstallPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  PlatformServices previous_;
};

// The services in force with the settings store, or the scene surface, replaced.
inline PlatformServices WithSettings(SettingsStore& settings) {
  PlatformServices services = InstalledPlatform();
  services.settings = &settings;
  return services;
}
inline PlatformServices WithSurface(SceneSurface& surface) {
  PlatformServices services = InstalledPlatform();
  services.surface = &surface;
  return services;
}
