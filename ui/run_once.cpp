#include "ui/run_once.h"

#include <cstdio>
#include <cstring>

#include "view/registry_store.h"

namespace {

constexpr char kRemovalText[] = "This Screen saver will be removed\nthe next time you start Windows.";
constexpr char kRemovalCaption[] = "Screen saver will be removed.";
constexpr char kRefusalText[] =
    "This Screen saver cannot be removed automatically:\n"
    "the name of the folder it is installed in is too long.";
constexpr char kRefusalCaption[] = "Screen saver will not be removed.";

bool RunOnceValueTaken(const char* name) {
  char value[kRunOnceTextSize];
  ReadMachineString(name, value, sizeof value, "");
  return value[0] != '\0';
}

}  // namespace

std::string FirstFreeRunOnceName(const std::function<bool(const char* name)>& isTaken) {
  char name[kRunOnceTextSize];
  std::snprintf(name, sizeof name, "%s", kRunOnceBaseName);
  for (unsigned long n = 1; isTaken(name); ++n) {
    std::snprintf(name, sizeof name, "%s%lu", kRunOnceBaseName, n);
  }
  return name;
}

std::string UninstallCommand(const char* installDir) {
  std::string command = std::string(installDir) + kUninstallerName;
  if (command.size() >= kRunOnceTextSize) return "";
  return command;
}

bool ScheduleSaverRemoval(WindowHandle dialog) {
  char installDir[kRunOnceTextSize];
  ReadMachineString("install_dir", installDir, sizeof installDir, "");
  const std::string command = UninstallCommand(installDir);
  if (command.empty()) {
    PlatformNotices().MessageBox(dialog, kRefusalText, kRefusalCaption, kMbOk);
    return false;
  }

  SelectRegistryKey(dialog, kRunOnceKeyPath);
  const std::string name = FirstFreeRunOnceName(RunOnceValueTaken);
  // A failed write is not reported: the user is told the same either way.
  WriteMachineString(name.c_str(), command.c_str());
  SelectRegistryKey(dialog, kSettingsKeyPath);

  PlatformNotices().MessageBox(dialog, kRemovalText, kRemovalCaption, kMbOk);
  return true;
}
