#include "tests/support/memory_registry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<uint8_t> LittleEndian(uint32_t value) {
  return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

}  // namespace

const MemoryRegistry::Key* MemoryRegistry::Find(RegistryRoot root, const std::string& path) const {
  auto found = keys_.find({root, path});
  return found == keys_.end() ? nullptr : &found->second;
}

MemoryRegistry::Key& MemoryRegistry::Create(RegistryRoot root, const std::string& path,
                                            const std::string& keyClass) {
  return keys_.emplace(std::make_pair(root, path), Key{keyClass, {}}).first->second;
}

RegistryKey MemoryRegistry::OpenOrCreateKey(RegistryRoot root, const char* path,
                                            const char* keyClass) {
  if (failingRoots.count(root)) return nullptr;
  Key* key = &Create(root, path, keyClass);
  openHandles_.insert(key);
  ++opens;
  return key;
}

MemoryRegistry::Key* MemoryRegistry::OpenKey(RegistryKey handle, const char* use) {
  Key* key = static_cast<Key*>(handle);
  if (openHandles_.count(key)) return key;
  ADD_FAILURE() << use << " through a handle that is not open";
  return nullptr;
}

bool MemoryRegistry::QueryValue(RegistryKey handle, const char* name, void* data, uint32_t* size) {
  const Key* key = OpenKey(handle, "query");
  if (!key) return false;
  auto value = key->values.find(name);
  if (value == key->values.end()) return false;
  const std::vector<uint8_t>& bytes = value->second.data;
  if (bytes.size() > *size) return false;
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  *size = static_cast<uint32_t>(bytes.size());
  return true;
}

bool MemoryRegistry::Set(RegistryKey handle, const char* name, RegistryValue value) {
  Key* key = OpenKey(handle, "write");
  if (!key || failWrites) return false;
  key->values[name] = std::move(value);
  return true;
}

bool MemoryRegistry::SetDwordValue(RegistryKey handle, const char* name, uint32_t value) {
  return Set(handle, name, {RegistryValueKind::Dword, LittleEndian(value)});
}

bool MemoryRegistry::SetStringValue(RegistryKey handle, const char* name, const char* text,
                                    uint32_t length) {
  return Set(handle, name, {RegistryValueKind::String, std::vector<uint8_t>(text, text + length)});
}

void MemoryRegistry::CloseKey(RegistryKey handle) {
  auto open = openHandles_.find(static_cast<Key*>(handle));
  if (open == openHandles_.end()) {
    ADD_FAILURE() << "close of a handle that is not open";
    return;
  }
  openHandles_.erase(open);
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::string& path) const {
  return Find(root, path) != nullptr;
}

std::string MemoryRegistry::KeyClass(RegistryRoot root, const std::string& path) const {
  const Key* key = Find(root, path);
  return key ? key->keyClass : std::string();
}

std::map<std::string, RegistryValue> MemoryRegistry::Values(RegistryRoot root,
                                                            const std::string& path) const {
  const Key* key = Find(root, path);
  return key ? key->values : std::map<std::string, RegistryValue>();
}

std::optional<int32_t> MemoryRegistry::Dword(RegistryRoot root, const std::string& path,
                                             const std::string& name) const {
  auto values = Values(root, path);
  auto value = values.find(name);
  if (value == values.end() || value->second.kind != RegistryValueKind::Dword ||
      value->second.data.size() != 4) {
    return std::nullopt;
  }
  int32_t dword;
  std::memcpy(&dword, value->second.data.data(), 4);  // both builds run little-endian
  return dword;
}

void MemoryRegistry::PutDword(RegistryRoot root, const std::string& path, const std::string& name,
                              int32_t value) {
  PutRaw(root, path, name, RegistryValueKind::Dword, LittleEndian(static_cast<uint32_t>(value)));
}

void MemoryRegistry::PutRaw(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryValueKind kind, std::vector<uint8_t> data) {
  Create(root, path, "").values[name] = {kind, std::move(data)};
}
