// The registry seam: the handful of key and value operations the settings
// store needs.  The Win32 layer implements it on the real registry
// (view/registry_backend_win32.cpp) and installs it at process start; native
// tests install an in-memory registry with the same rules.
#pragma once
#include <cstdint>

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// The rights a key is opened with: reading asks for read rights only, so a key
// the user may read but not change still yields its values.
enum class KeyAccess { Read, Write };

// What a value holds, as far as the store cares: a 32-bit number, a string,
// or anything else (binary, 64-bit, multi-string, ...).
enum class RegistryValueType { Dword, String, Other };

// An open key; nullptr means no key.
using RegistryKey = void*;

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

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
};

// The back end in force, or nullptr when none is installed; without one every
// key fails to open, so reads yield their defaults and writes are dropped.
RegistryBackend* CurrentRegistryBackend();
void InstallRegistryBackend(RegistryBackend* backend);
