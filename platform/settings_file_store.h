// The settings store on Linux: the per-user settings key kept as a small text
// file of "name=value" lines, with the same value names and signed-hundredths
// integers as the Windows registry, so LoadSettings and SaveSettings run
// unchanged on it.
//
// Only the current user's root opens; the machine-wide and class roots fail
// to open, so their reads give their defaults.  Every write replaces the whole
// file atomically (a temporary file in the same folder, flushed to disk, then
// renamed over the old one): a crash or a kill leaves the old file or the new
// one, never a half-written one.  Inside a batch the file is read at the first
// open only, and written once, at the batch's end; a save that fails there
// says so on stderr.  A file that cannot be read, or a line that
// is not "name=integer" within the 32-bit range, counts as missing values,
// with one warning on stderr for the whole file.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "platform/platform.h"

class SettingsFileStore final : public SettingsStore {
 public:
  // `readOnly` refuses every open for writing, for runs that must never
  // change the stored settings.
  explicit SettingsFileStore(std::string path, bool readOnly = false);

  // $XDG_CONFIG_HOME/nivarel/settings.ini, or ~/.config/nivarel/settings.ini.
  static std::string DefaultPath();

  RegistryKey OpenOrCreateKey(RegistryRoot root, const char* path, const char* keyClass,
                              KeyAccess access) override;
  bool QueryValue(RegistryKey key, const char* name, void* data, uint32_t* size,
                  RegistryValueType* type) override;
  bool SetDwordValue(RegistryKey key, const char* name, uint32_t value) override;
  // The file holds numbers only.
  bool SetStringValue(RegistryKey key, const char* name, const char* text,
                      uint32_t length) override;
  void CloseKey(RegistryKey key) override;
  void BeginBatch() override;
  void EndBatch() override;

 private:
  void Load();
  bool Save() const;

  std::string path_;
  bool readOnly_;
  bool warned_ = false;
  int batchDepth_ = 0;
  bool loadedInBatch_ = false;
  bool changedInBatch_ = false;
  std::map<std::string, int32_t> values_;
};
