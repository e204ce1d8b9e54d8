// An in-memory registry for native tests, with the rules of the real one:
// opening a key creates it with the given class, a query fails for a missing
// value or one longer than the room given, and an empty value name addresses
// the key's default value.  Key paths and value names must be spelt alike
// (stricter than the real registry).  Opens can be made to fail, and every
// open handle is counted so that tests can prove none stays open.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "view/registry_store.h"

struct RegistryValue { RegistryValueType kind; std::vector<uint8_t> data; };

class MemoryRegistry : public SettingsStore {
 public:
  std::set<RegistryRoot> failingRoots;  // opens under these roots fail
  std::set<RegistryRoot> readOnlyRoots; // opens for writing under these roots fail
  bool failWrites = false;              // every set fails and changes nothing
  int opens = 0;                        // successful opens, ever

  RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char* keyClass,
                              KeyAccess access) override {
    if (failingRoots.count(root)) return nullptr;
    if (access == KeyAccess::Write && readOnlyRoots.count(root)) return nullptr;
    Key* key = &Create(root, path, keyClass);
    openHandles_.insert(key);
    ++opens;
    return key;
  }
  bool QueryValue(RegistryKey handle, const char* name, void* data, uint32_t* size,
                  RegistryValueType* type) override {
    const Key* key = OpenKey(handle, "query");
    if (!key) return false;
    auto value = key->values.find(name);
    if (value == key->values.end() || value->second.data.size() > *size) return false;
    const std::vector<uint8_t>& bytes = value->second.data;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    *type = value->second.kind;
    return true;
  }
  bool SetDwordValue(RegistryKey handle, const char* name, uint32_t value) override {
    return Set(handle, name, {RegistryValueType::Dword, LittleEndian(value)});
  }
  bool SetStringValue(RegistryKey handle, const char* name, const char* text, uint32_t length) override {
    return Set(handle, name, {RegistryValueType::String, std::vector<uint8_t>(text, text + length)});
  }
  void CloseKey(RegistryKey handle) override {
    if (OpenKey(handle, "close")) openHandles_.erase(openHandles_.find(static_cast<Key*>(handle)));
  }

  // Inspection and set-up from the tests.
  std::string KeyClass(RegistryRoot root, const std::string& path) const {
    const Key* key = Find(root, path);
    return key ? key->keyClass : std::string();
  }
  std::map<std::string, RegistryValue> Values(RegistryRoot root, const std::string& path) const {
    const Key* key = Find(root, path);
    return key ? key->values : std::map<std::string, RegistryValue>();
  }
  std::optional<int32_t> Dword(RegistryRoot root, const std::string& path, const std::string& name) const {
    auto values = Values(root, path);
    auto value = values.find(name);
    if (value == values.end() || value->second.kind != RegistryValueType::Dword) return std::nullopt;
    int32_t dword;
    std::memcpy(&dword, value->second.data.data(), 4);  // both builds run little-endian
    return dword;
  }
  void PutDword(RegistryRoot root, const std::string& path, const std::string& name, int32_t value) {
    PutRaw(root, path, name, RegistryValueType::Dword, LittleEndian(static_cast<uint32_t>(value)));
  }
  void PutRaw(RegistryRoot root, const std::string& path, const std::string& name,
              RegistryValueType kind, std::vector<uint8_t> data) {
    Create(root, path, "").values[name] = {kind, std::move(data)};
  }
  // A string value as Windows stores it, with its terminating NUL.
  void PutString(RegistryRoot root, const std::string& path, const std::string& name,
                 const std::string& text) {
    PutRaw(root, path, name, RegistryValueType::String, {text.c_str(), text.c_str() + text.size() + 1});
  }
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

  static std::vector<uint8_t> LittleEndian(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  }
  const Key* Find(RegistryRoot root, const std::string& path) const {
    auto found = keys_.find({root, path});
    return found == keys_.end() ? nullptr : &found->second;
  }
  Key& Create(RegistryRoot root, const std::string& path, const std::string& keyClass) {
    return keys_.emplace(std::make_pair(root, path), Key{keyClass, {}}).first->second;
  }
  // The key a handle stands for; null, and a test failure, if it is not open.
  Key* OpenKey(RegistryKey handle, const char* use) {
    Key* key = static_cast<Key*>(handle);
    if (openHandles_.count(key)) return key;
    ADD_FAILURE() << use << " through a handle that is not open";
    return nullptr;
  }
  bool Set(RegistryKey handle, const char* name, RegistryValue value) {
    Key* key = OpenKey(handle, "write");
    if (!key || failWrites) return false;
    key->values[name] = std::move(value);
    return true;
  }

  std::map<std::pair<RegistryRoot, std::string>, Key> keys_;  // by path
  // An open handle is the address of the key it opened, once for each open.
  std::multiset<Key*> openHandles_;
};
