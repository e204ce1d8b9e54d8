// Removal of the screen saver at the next start of Windows: the product's own
// uninstaller is put on the system's per-machine run-once list under the first
// free "kill_saver" name, so that an existing entry is never overwritten.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "platform/platform.h"

constexpr char kRunOnceKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceBaseName[] = "kill_saver";
constexpr char kUninstallerName[] = "\\uninstal.exe";
// Room for the install folder, the command and every value read, terminator
// included.
constexpr size_t kRunOnceTextSize = 356;

// The first of "kill_saver", "kill_saver1", "kill_saver2", ... that is not
// taken.  A value that is present but empty counts as free.
std::string FirstFreeRunOnceName(const std::function<bool(const char* name)>& isTaken);

// The uninstaller's command for an install folder, or "" when it would not
// fit kRunOnceTextSize.
std::string UninstallCommand(const char* installDir);

// Puts the uninstaller on the run-once list and tells the user, in a message
// box owned by `dialog`.  The install folder is read from the currently
// selected key (the settings key); the settings key is selected again
// afterwards.  An install folder too long for the command is refused, with a
// message that says so.  False when refused.
bool ScheduleSaverRemoval(WindowHandle dialog);
