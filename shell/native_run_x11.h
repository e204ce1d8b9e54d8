// The native saver's run: the shared frame loop driven by the X11 host.
#pragma once
#include "shell/x11_host_x11.h"

// Runs on `window` until the close handling has run; returns the process's
// exit code (1 when no GL surface could be made).
int RunNativeSaver(X11Platform& platform, Display* display, Window window,
                   const NativeOptions& options);
