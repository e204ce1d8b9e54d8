// An in-memory registry for native tests, with the rules of the real one:
// opening a key creates it with the given class, a query fails for a missing
// value or one longer than the room given, and an empty value name addresses
// the key's default value.  Key paths and value names must be spelt alike
// (stricter than the real registry).  Opens can be made to fail, and every
// open handle is counted so that tests can prove none stays open.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/scoped_seam.h"
#include "view/registry_backend.h"
#include "view/registry_store.h"

enum class RegistryValueKind { Dword, String, Binary };

struct RegistryValue { RegistryValueKind kind; std::vector<uint8_t> data; };

class MemoryRegistry : public RegistryBackend {
 public:
  std::set<RegistryRoot> failingRoots;  // opens under these roots fail
  bool failWrites = false;              // every set fails and changes nothing
  int opens = 0;                        // successful opens, ever

  RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char* keyClass) override;
  bool QueryValue(RegistryKey key, const char* name, void* data, uint32_t* size) override;
  bool SetDwordValue(RegistryKey key, const char* name, uint32_t value) override;
  bool SetStringValue(RegistryKey key, const char* name, const char* text, uint32_t length) override;
  void CloseKey(RegistryKey key) override;

  // Inspection and set-up from the tests.
  bool KeyExists(RegistryRoot root, const std::string& path) const;
  std::string KeyClass(RegistryRoot root, const std::string& path) const;
  std::map<std::string, RegistryValue> Values(RegistryRoot root, const std::string& path) const;
  std::optional<int32_t> Dword(RegistryRoot root, const std::string& path, const std::string& name) const;
  void PutDword(RegistryRoot root, const std::string& path, const std::string& name, int32_t value);
  void PutRaw(RegistryRoot root, const std::string& path, const std::string& name,
              RegistryValueKind kind, std::vector<uint8_t> data);
  size_t OpenHandles() const { return openHandles_.size(); }
  // The saver's own values: those under the current user's settings key.
  std::map<std::string, RegistryValue> Settings() const {
    return Values(RegistryRoot::CurrentUser, kSettingsKeyPath);
  }
  std::optional<int32_t> Setting(const std::string& name) const {
    return Dword(RegistryRoot::CurrentUser, kSettingsKeyPath, name);
  }
  void PutSetting(const std::string& name, int32_t value) {
    PutDword(RegistryRoot::CurrentUser, kSettingsKeyPath, name, value);
  }

 private:
  struct Key {
    std::string keyClass;
    std::map<std::string, RegistryValue> values;  // by name
  };

  const Key* Find(RegistryRoot root, const std::string& path) const;
  Key& Create(RegistryRoot root, const std::string& path, const std::string& keyClass);
  Key* OpenKey(RegistryKey handle, const char* use);  // null (and a failure) if not open
  bool Set(RegistryKey handle, const char* name, RegistryValue value);

  std::map<std::pair<RegistryRoot, std::string>, Key> keys_;  // by path
  // An open handle is the address of the key it opened, once for each open.
  std::multiset<Key*> openHandles_;
};

using ScopedRegistryBackend =
    ScopedSeam<RegistryBackend, CurrentRegistryBackend, InstallRegistryBackend>;
