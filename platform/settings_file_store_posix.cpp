#include "platform/settings_file_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every open key is this store's one key; the handle only has to be non-null.
RegistryKey KeyOf(SettingsFileStore* store) { return store; }

// "name=integer" with the integer in the signed 32-bit range, nothing else.
bool ParseLine(const std::string& line, std::string& name, int32_t& value) {
  const size_t equals = line.find('=');
  if (equals == 0 || equals == std::string::npos) return false;
  const char* text = line.c_str() + equals + 1;
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  if (number < INT32_MIN || number > INT32_MAX) return false;
  name = line.substr(0, equals);
  value = static_cast<int32_t>(number);
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

SettingsFileStore::SettingsFileStore(std::string path, bool readOnly)
    : path_(std::move(path)), readOnly_(readOnly) {}

std::string SettingsFileStore::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config && config[0] == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home ? home : "") + "/.config";
  }
  return folder + "/nivarel/settings.ini";
}

// Reread at every open, so that the file stays the one truth between runs.
void SettingsFileStore::Load() {
  values_.clear();
  struct stat status;
  const bool found = stat(path_.c_str(), &status) == 0;
  if (!found && errno == ENOENT) return;  // first run: defaults
  std::ifstream file;
  if (found && S_ISREG(status.st_mode)) file.open(path_);
  // A damaged line is skipped, so the sound lines around it still count.
  bool sound = file.is_open();
  std::string line, name;
  int32_t value;
  while (file.is_open() && std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (ParseLine(line, name, value)) {
      values_[name] = value;
    } else {
      sound = false;
    }
  }
  if (sound && !file.bad()) return;
  if (!warned_) {
    std::fprintf(stderr, "nivarel: %s is unreadable or damaged; its missing values take their defaults\n",
                 path_.c_str());
  }
  warned_ = true;
}

bool SettingsFileStore::Save() const {
  std::string text = "# Nivarel settings: view values in hundredths\n";
  for (const auto& [name, value] : values_) text += name + "=" + std::to_string(value) + "\n";
  const std::string folder = path_.substr(0, path_.rfind('/'));
  const std::string parent = folder.substr(0, folder.rfind('/'));
  mkdir(parent.c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  std::string temporary = path_ + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool written = WriteAll(fd, text) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), path_.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

RegistryKey SettingsFileStore::OpenOrCreateKey(RegistryRoot root, const char*, const char*,
                                               KeyAccess access) {
  if (root != RegistryRoot::CurrentUser) return nullptr;
  if (access == KeyAccess::Write && readOnly_) return nullptr;
  if (batchDepth_ == 0 || !loadedInBatch_) Load();
  loadedInBatch_ = batchDepth_ > 0;
  return KeyOf(this);
}

bool SettingsFileStore::QueryValue(RegistryKey key, const char* name, void* data, uint32_t* size,
                                   RegistryValueType* type) {
  const auto found = values_.find(name ? name : "");
  if (!key || found == values_.end() || *size < sizeof(int32_t)) return false;
  std::memcpy(data, &found->second, sizeof(int32_t));
  *size = sizeof(int32_t);
  *type = RegistryValueType::Dword;
  return true;
}

bool SettingsFileStore::SetDwordValue(RegistryKey key, const char* name, uint32_t value) {
  if (!key || readOnly_ || !name || !name[0] || std::strpbrk(name, "=\n") || name[0] == '#') {
    return false;
  }
  values_[name] = static_cast<int32_t>(value);
  if (batchDepth_ == 0) return Save();
  changedInBatch_ = true;
  return true;
}

bool SettingsFileStore::SetStringValue(RegistryKey, const char*, const char*, uint32_t) {
  return false;
}

void SettingsFileStore::CloseKey(RegistryKey) {}

void SettingsFileStore::BeginBatch() {
  if (batchDepth_++ == 0) loadedInBatch_ = changedInBatch_ = false;
}

void SettingsFileStore::EndBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0 || !changedInBatch_) return;
  if (!Save()) {
    std::fprintf(stderr, "nivarel: could not save the settings in %s: %s\n", path_.c_str(),
                 std::strerror(errno));
  }
}
