// The native saver's run: the shared frame loop driven by the X11 host.
#pragma once
#include "shell/x11_host_x11.h"

// Runs until a close request; returns the process's exit code.
int RunNativeSaver(X11Platform& platform, WindowHandle window, const NativeOptions& options);
