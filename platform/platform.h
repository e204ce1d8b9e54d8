// The platform seam: what the portable core needs from the system it runs on.
//
// Services (each a small interface below; a host installs those it has):
//   Clock          tick count in ms, wrapping at 2^32, and a blocking sleep
//   WindowQueue    posting to a window, draining its queue without blocking,
//                  dispatching, a window's class name (the settings key class)
//   Notices        modal message boxes, and the program's modal dialogs by
//                  template id
//   Resources      read-only blocks of the program's own data (the pictures)
//   SettingsStore  registry-shaped keys and values that outlive the process
//   SceneSurface   the GL surface on a window, presenting a frame, the
//                  frame-rate probe and the three scenes
//
// Implementations:
//   Win32 (nivarel.scr)    all six: platform/platform_win32.cpp,
//                          platform/settings_store_win32.cpp (the registry),
//                          shell/scene_surface_win32.cpp (WGL)
//   headless snapshot tool Clock, Notices (printed to stderr), Resources (the
//                          built-in pictures); no windows, settings or surface
//   test fakes             tests/support/fake_platform.h (Clock, WindowQueue,
//                          Notices, Resources), tests/support/memory_registry.h
//                          (SettingsStore), tests/shell/fake_scene.h (SceneSurface)
//   X11 host (nivarel)     Clock, WindowQueue (X events as WindowMessage
//                          records), Notices (stderr) and SceneSurface (GLX):
//                          shell/x11_host_x11.cpp; the snapshot tool's
//                          Resources; SettingsStore from the settings file,
//                          platform/settings_file_store_posix.cpp
//
// Limits: everything runs on the one thread that owns the windows; a modal
// dialog runs a nested message loop, so a frame message can arrive while
// another is being handled (the frame loop guards against it).  Numbers that
// cross the seam keep their Win32 values (platform/system_numbers.h).
//
// One install call, InstallPlatform, puts a set of services in force.  A
// service that is not installed is a programming error: its first use names
// it on stderr and aborts, so a host that forgot one fails at the cause.
#pragma once
#include <cstdint>

#include "platform/system_numbers.h"

// An opaque window handle (an HWND on Windows, an X window id on Linux); 0
// means no window.
using WindowHandle = void*;

// One message taken from a window's queue, with everything that dispatching
// it needs.
struct WindowMessage {
  WindowHandle window = nullptr;
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;  // tick count when it was queued
  int32_t cursorX = 0;
  int32_t cursorY = 0;
};

// A read-only block of the program's own data (a locked resource, which lives
// as long as the program); data is null and size 0 when there is none.
struct ResourceBlock {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the system started, wrapping at 2^32 (GetTickCount).
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

class WindowQueue {
 public:
  virtual ~WindowQueue() = default;
  // Posting fails only when the window is gone.
  virtual bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                                 intptr_t lParam) = 0;
  // Removes the next pending message of the window (or of one of its child
  // windows) without waiting; false when none is pending.  Messages of other
  // windows and of the thread stay queued.
  virtual bool TakeWindowMessage(WindowHandle window, WindowMessage* message) = 0;
  // Translates (key messages produce their character messages) and dispatches.
  virtual void DispatchWindowMessage(const WindowMessage& message) = 0;
  // The window's class name, cut to fit `size` bytes (NUL included); "" when
  // there is no window.
  virtual void GetWindowClassName(WindowHandle window, char* buffer, int size) = 0;
};

class Notices {
 public:
  virtual ~Notices() = default;
  // A modal message box; returns the button pressed (kIdOk, ...).
  virtual int MessageBox(WindowHandle owner, const char* text, const char* caption,
                         unsigned style) = 0;
  // Runs the dialog template `templateId` modally with its own procedure and
  // returns the dialog's result; -1 for a template the host does not have.
  virtual intptr_t RunDialog(int templateId, WindowHandle owner) = 0;
};

class Resources {
 public:
  virtual ~Resources() = default;
  // The program's resource `resourceId` of the named type (type names match
  // without regard to case, as Windows resource types do).
  virtual ResourceBlock FindResourceBlock(const char* type, int resourceId) = 0;
};

// --- the settings store ---------------------------------------------------------

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// The rights a key is opened with: reading asks for read rights only, so a key
// the user may read but not change still yields its values.
enum class KeyAccess { Read, Write };

// What a value holds, as far as the store cares: a 32-bit number, a string,
// or anything else (binary, 64-bit, multi-string, ...).
enum class RegistryValueType { Dword, String, Other };

// An open key; nullptr means no key.
using RegistryKey = void*;

// The handful of key and value operations that view/registry_store.h builds
// every registry access on: the Windows registry, a settings file, or memory.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens `path` under `root` with the rights `access` asks for, creating it
  // (and the keys above it) with `keyClass` as its class when missing.
  // nullptr on failure.
  virtual RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char* keyClass,
                                      KeyAccess access) = 0;

  // Copies the value's data, whatever its type, into `data` and tells its
  // type.  On entry *size is the room in bytes; on success it becomes the
  // data's length.  Fails when the value is missing or longer than the room.
  // The data is not terminated: a string value may or may not carry its NUL.
  virtual bool QueryValue(RegistryKey key, const char* name, void* data, uint32_t* size,
                          RegistryValueType* type) = 0;

  virtual bool SetDwordValue(RegistryKey key, const char* name, uint32_t value) = 0;
  // Sets a string value of exactly `length` bytes of `text`.
  virtual bool SetStringValue(RegistryKey key, const char* name, const char* text,
                              uint32_t length) = 0;

  virtual void CloseKey(RegistryKey key) = 0;

  // Brackets the value operations of one whole load or save.  A store that
  // keeps every value in one file reads it once at the start and replaces it
  // once at the end, so a save cut short at any moment leaves all of the old
  // values or all of the new ones.  The registry writes each value as it comes.
  virtual void BeginBatch() {}
  virtual void EndBatch() {}
};

// --- the GL surface and the scene ----------------------------------------------

class SceneSurface {
 public:
  virtual ~SceneSurface() = default;

  // Makes the GL surface on the window (its failure has been shown to the
  // user when this returns false) and releases it again; releasing is safe
  // when nothing or only part of the surface exists.
  virtual bool CreateSurface(WindowHandle window, int colourBits) = 0;
  virtual void DestroySurface() = 0;
  // Shows the frame just drawn: swaps the buffers of the current surface.
  virtual void PresentFrame() = 0;

  // Sets g_bRateOk and g_fFrameRate.
  virtual void ProbeFrameRate() = 0;

  // Each draws one frame into the current context; true when it may be shown.
  virtual bool DrawBlankScene() = 0;
  virtual bool DrawWorldScene() = 0;
  virtual bool DrawClearScene() = 0;
};

// --- installing ----------------------------------------------------------------

struct PlatformServices {
  Clock* clock = nullptr;
  WindowQueue* windows = nullptr;
  Notices* notices = nullptr;
  Resources* resources = nullptr;
  SettingsStore* settings = nullptr;
  SceneSurface* surface = nullptr;
};

// Puts `services` in force (replacing every earlier one), at start-up or in a
// test fixture.
void InstallPlatform(const PlatformServices& services);
// The services in force; unset members are not installed.
const PlatformServices& InstalledPlatform();

// Each service in force; aborts when it is not installed.
Clock& PlatformClock();
WindowQueue& PlatformWindows();
Notices& PlatformNotices();
Resources& PlatformResources();
SettingsStore& PlatformSettings();
SceneSurface& PlatformSurface();
