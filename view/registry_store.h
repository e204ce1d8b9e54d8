// All of the program's registry access: value operations on one current key
// path, each opening (or creating) the key under a fixed root, doing one
// value operation and closing the key again, so no handle ever stays open.
//
// The key path is shared: whoever selects a path other than the settings path
// selects kSettingsKeyPath again as soon as its own reads and writes are done.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

constexpr char kSettingsKeyPath[] = "Software\\Orrinvale\\Nivarel";

// Room for a window class name, terminator included, when it becomes the key class.
constexpr int kKeyClassBufferSize = 40;

struct RegistryStore {
  std::string keyPath;   // the key every value operation opens
  std::string keyClass;  // class given to keys that an open creates
};

extern RegistryStore g_registryStore;

// Selects `keyPath` and takes the window's class name as the key class (empty
// without a window).
void SelectRegistryKey(WindowHandle window, const char* keyPath);

// Per-user 32-bit values.  A key that cannot be opened, a missing value, one
// that is not a DWORD (text typed in by hand, a binary blob, a 64-bit value)
// or one longer than four bytes reads as `defaultValue`; a shorter DWORD
// fills the low bytes and reads the rest as zero.
int32_t ReadUserDword(const char* name, int32_t defaultValue);
bool WriteUserDword(const char* name, int32_t value);

// Makes the value operations of its lifetime one batch of the settings store.
// The batch ends in the store it began in.
class SettingsBatch {
 public:
  SettingsBatch() : store_(PlatformSettings()) { store_.BeginBatch(); }
  ~SettingsBatch() { store_.EndBatch(); }
  SettingsBatch(const SettingsBatch&) = delete;
  SettingsBatch& operator=(const SettingsBatch&) = delete;

 private:
  SettingsStore& store_;
};

// Per-machine and class-root strings.  The result in `buffer` is always
// NUL-terminated within `bufferSize`; a failed read, or a string that does not
// fit with its terminator, leaves `defaultText` there (cut to fit).
char* ReadMachineString(const char* name, char* buffer, size_t bufferSize, const char* defaultText);
bool WriteMachineString(const char* name, const char* text);
char* ReadClassesString(const char* name, char* buffer, size_t bufferSize, const char* defaultText);
