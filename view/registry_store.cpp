#include "view/registry_store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/platform.h"

// Until a window selects it, the settings path is already the current one, so
// no operation can ever address the bare root of a hive.
RegistryStore g_registryStore = {kSettingsKeyPath, ""};

namespace {

// One open-or-create of the current key path under `root`, with the rights
// the operation needs, closed when it goes out of scope.
class OpenedKey {
 public:
  OpenedKey(RegistryRoot root, KeyAccess access) : store_(PlatformSettings()) {
    key_ = store_.OpenOrCreateKey(root, g_registryStore.keyPath.c_str(),
                                  g_registryStore.keyClass.c_str(), access);
  }
  ~OpenedKey() {
    if (key_) store_.CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  bool IsOpen() const { return key_ != nullptr; }
  SettingsStore& Store() const { return store_; }
  RegistryKey Key() const { return key_; }

 private:
  SettingsStore& store_;
  RegistryKey key_ = nullptr;
};

const char* OrEmpty(const char* text) { return text ? text : ""; }

void CopyCutToFit(char* buffer, size_t bufferSize, const char* text) {
  size_t length = std::min(std::strlen(text), bufferSize - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

// Reads a string value into `buffer` and terminates it there.  A string that
// fills the whole buffer without a terminator of its own counts as too long.
bool QueryTerminatedString(RegistryRoot root, const char* name, char* buffer, size_t bufferSize) {
  OpenedKey opened(root, KeyAccess::Read);
  if (!opened.IsOpen()) return false;
  size_t room = std::min<size_t>(bufferSize, std::numeric_limits<uint32_t>::max());
  uint32_t length = static_cast<uint32_t>(room);
  RegistryValueType type;
  if (!opened.Store().QueryValue(opened.Key(), OrEmpty(name), buffer, &length, &type)) {
    return false;
  }
  if (length < room) {
    buffer[length] = '\0';
    return true;
  }
  return buffer[room - 1] == '\0';
}

char* ReadString(RegistryRoot root, const char* name, char* buffer, size_t bufferSize,
                 const char* defaultText) {
  if (!buffer || bufferSize == 0) return buffer;
  if (!QueryTerminatedString(root, name, buffer, bufferSize)) {
    CopyCutToFit(buffer, bufferSize, OrEmpty(defaultText));
  }
  return buffer;
}

}  // namespace

void SelectRegistryKey(WindowHandle window, const char* keyPath) {
  g_registryStore.keyPath = OrEmpty(keyPath);
  char className[kKeyClassBufferSize] = "";
  if (window) PlatformWindows().GetWindowClassName(window, className, kKeyClassBufferSize);
  className[kKeyClassBufferSize - 1] = '\0';
  g_registryStore.keyClass = className;
}

int32_t ReadUserDword(const char* name, int32_t defaultValue) {
  OpenedKey opened(RegistryRoot::CurrentUser, KeyAccess::Read);
  if (!opened.IsOpen()) return defaultValue;
  unsigned char bytes[4] = {0, 0, 0, 0};
  uint32_t length = sizeof bytes;
  RegistryValueType type;
  // A value of another type (text entered by hand, a binary blob) is not a
  // number this program stored: it counts as missing.
  if (!opened.Store().QueryValue(opened.Key(), OrEmpty(name), bytes, &length, &type) ||
      type != RegistryValueType::Dword) {
    return defaultValue;
  }
  // Little-endian, as REG_DWORD is; a short value leaves the high bytes zero.
  uint32_t value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t{bytes[3]} << 24);
  return static_cast<int32_t>(value);
}

bool WriteUserDword(const char* name, int32_t value) {
  OpenedKey opened(RegistryRoot::CurrentUser, KeyAccess::Write);
  if (!opened.IsOpen()) return false;
  return opened.Store().SetDwordValue(opened.Key(), OrEmpty(name), static_cast<uint32_t>(value));
}

char* ReadMachineString(const char* name, char* buffer, size_t bufferSize, const char* defaultText) {
  return ReadString(RegistryRoot::LocalMachine, name, buffer, bufferSize, defaultText);
}

bool WriteMachineString(const char* name, const char* text) {
  OpenedKey opened(RegistryRoot::LocalMachine, KeyAccess::Write);
  if (!opened.IsOpen()) return false;
  text = OrEmpty(text);
  // The terminator is stored with the text, as string values must be, so that
  // every reader (the system's own included) finds the string's end.
  size_t length = std::strlen(text) + 1;
  if (length > std::numeric_limits<uint32_t>::max()) return false;
  return opened.Store().SetStringValue(opened.Key(), OrEmpty(name), text,
                                         static_cast<uint32_t>(length));
}

char* ReadClassesString(const char* name, char* buffer, size_t bufferSize, const char* defaultText) {
  return ReadString(RegistryRoot::ClassesRoot, name, buffer, bufferSize, defaultText);
}
