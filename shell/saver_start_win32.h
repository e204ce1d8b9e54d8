// The process entry of the screen saver: the mode that the system asks for on
// the command line, and the exit code that answers it.
#pragma once
#include <windows.h>

// The platform belongs to the Windows 95 family, where the saver itself looks
// after screen-saver passwords and the screen-saver-running state.
extern bool g_bWin9x;

// The exit code of a request that is not understood, of a preview window that
// does not exist, of a window that cannot be made, and of a fault.
constexpr int kFailureExitCode = -1;

// Reads the command line, runs the mode it asks for and ends the process with
// the mode's exit code.  Never returns.
[[noreturn]] void StartSaver();

// Runs the mode that `arguments` asks for under the fault guard and returns
// the exit code: 0, the settings dialog's result, or -1 for a request that is
// not understood, a preview window that does not exist, or a fault.
int DispatchMode(HINSTANCE instance, const char* arguments);
