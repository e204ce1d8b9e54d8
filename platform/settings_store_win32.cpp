#include "platform/platform_win32.h"

namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
  }
  return HKEY_CURRENT_USER;
}

HKEY ToHkey(RegistryKey key) { return static_cast<HKEY>(key); }

REGSAM Rights(KeyAccess access) { return access == KeyAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE; }

RegistryValueType ValueType(DWORD type) {
  switch (type) {
    case REG_DWORD: return RegistryValueType::Dword;
    case REG_SZ:
    case REG_EXPAND_SZ: return RegistryValueType::String;
    default: return RegistryValueType::Other;
  }
}

class Win32Registry final : public SettingsStore {
 public:
  RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char* keyClass,
                              KeyAccess access) override {
    HKEY key = nullptr;
    // The API takes the class as a writable string but only reads it.
    LONG status = RegCreateKeyExA(RootKey(root), path, 0, const_cast<char*>(keyClass),
                                  REG_OPTION_NON_VOLATILE, Rights(access), nullptr, &key, nullptr);
    return status == ERROR_SUCCESS ? static_cast<RegistryKey>(key) : nullptr;
  }

  bool QueryValue(RegistryKey key, const char* name, void* data, uint32_t* size,
                  RegistryValueType* type) override {
    DWORD length = *size;
    DWORD stored = REG_NONE;
    LONG status = RegQueryValueExA(ToHkey(key), name, nullptr, &stored,
                                   static_cast<BYTE*>(data), &length);
    if (status != ERROR_SUCCESS) return false;
    *size = length;
    *type = ValueType(stored);
    return true;
  }

  bool SetDwordValue(RegistryKey key, const char* name, uint32_t value) override {
    DWORD data = value;
    return RegSetValueExA(ToHkey(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
  }

  bool SetStringValue(RegistryKey key, const char* name, const char* text,
                      uint32_t length) override {
    return RegSetValueExA(ToHkey(key), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          length) == ERROR_SUCCESS;
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(ToHkey(key)); }
};

}  // namespace

SettingsStore& Win32SettingsStore() {
  static Win32Registry registry;
  return registry;
}
