// An in-memory registry for native tests, with the rules of the real one:
// opening a key creates it, a query fails for a missing
// value or one longer than the room given, and an empty value name addresses
// the key's default value.  Key paths and value names must be spelt alike
// (stricter than the real registry).  Opens can be made to fail, and open
// handles are counted so that tests can prove none stays open.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "view/registry_store.h"

struct RegistryValue { RegistryValueType kind; std::vector<uint8_t> data; };
using RegistryValues = std::map<std::string, RegistryValue>;  // a key's values, by name

class MemoryRegistry : public SettingsStore {
 public:
  std::set<RegistryRoot> failingRoots;  // opens under these roots fail
  bool failWrites = false;              // every set fails and changes nothing

  RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char*, KeyAccess) override {
    if (failingRoots.count(root)) return nullptr;
    RegistryValues* key = &keys_[{root, path}];
    openHandles_.insert(key);  // a handle is the address of its key, once for each open
    return key;
  }
  bool QueryValue(RegistryKey handle, const char* name, void* data, uint32_t* size,
                  RegistryValueType* type) override {
    auto value = Opened(handle)->find(name);
    if (value == Opened(handle)->end() || value->second.data.size() > *size) return false;
    std::copy(value->second.data.begin(), value->second.data.end(), static_cast<uint8_t*>(data));
    *size = static_cast<uint32_t>(value->second.data.size());
    *type = value->second.kind;
    return true;
  }
  bool SetDwordValue(RegistryKey handle, const char* name, uint32_t value) override {
    if (!failWrites) (*Opened(handle))[name] = Dword(value);
    return !failWrites;
  }
  bool SetStringValue(RegistryKey handle, const char* name, const char* text, uint32_t length) override {
    if (!failWrites) (*Opened(handle))[name] = {RegistryValueType::String, {text, text + length}};
    return !failWrites;
  }
  void CloseKey(RegistryKey handle) override { openHandles_.erase(openHandles_.find(Opened(handle))); }

  // Inspection and set-up from the tests.
  size_t OpenHandles() const { return openHandles_.size(); }
  RegistryValues Values(RegistryRoot root, const std::string& path) const {
    auto key = keys_.find({root, path});
    return key == keys_.end() ? RegistryValues() : key->second;
  }
  void PutRaw(RegistryRoot root, const std::string& path, const std::string& name,
              RegistryValueType kind, std::vector<uint8_t> data) {
    keys_[{root, path}][name] = {kind, std::move(data)};
  }
  // A string value as Windows stores it, with its terminating NUL.
  void PutString(RegistryRoot root, const std::string& path, const std::string& name, const std::string& text) {
    PutRaw(root, path, name, RegistryValueType::String, {text.c_str(), text.c_str() + text.size() + 1});
  }

  // The saver's own values: those under the current user's settings key.
  RegistryValues Settings() const { return Values(RegistryRoot::CurrentUser, kSettingsKeyPath); }
  std::optional<int32_t> Setting(const std::string& name) const {
    auto values = Settings();
    auto value = values.find(name);
    if (value == values.end() || value->second.kind != RegistryValueType::Dword) return std::nullopt;
    int32_t dword;
    std::memcpy(&dword, value->second.data.data(), 4);  // both builds run little-endian
    return dword;
  }
  void PutSetting(const std::string& name, int32_t value) {
    keys_[{RegistryRoot::CurrentUser, kSettingsKeyPath}][name] = Dword(static_cast<uint32_t>(value));
  }

 private:
  static RegistryValue Dword(uint32_t value) {
    return {RegistryValueType::Dword, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}};
  }
  // The key a handle stands for; a test failure (and the end of the test) if it is not open.
  RegistryValues* Opened(RegistryKey handle) {
    if (openHandles_.count(static_cast<RegistryValues*>(handle))) return static_cast<RegistryValues*>(handle);
    ADD_FAILURE() << "a key used through a handle that is not open";
    std::abort();
  }

  std::map<std::pair<RegistryRoot, std::string>, RegistryValues> keys_;  // by root and path
  std::multiset<RegistryValues*> openHandles_;
};
