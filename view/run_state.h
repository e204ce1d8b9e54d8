// The run state of the frame loop (shell/frame_loop.h): which window it
// serves, whether a stop was asked for, and the module-cycle and frame timers.
// Kept with the view because the keyboard control and the scene read it too.
#pragma once
#include <cstdint>

#include "platform/platform.h"

extern bool g_bSaverWindow;     // the frame loop serves the saver window, not the settings dialog
extern bool g_bFullScreen;      // the saver window is as wide as the desktop (not the small preview)
extern bool g_bStop;            // a stop was requested; the frame pump ends
extern bool g_bClosed;          // the close handling has run
extern bool g_bInFrame;         // a frame message is being handled
extern uint32_t g_dwCycleStart; // tick count (ms) of the last module switch
extern uint32_t g_dwLastFrame;  // tick count (ms) at the start of the last drawn frame

// The saver window (full-screen or preview); none in the settings dialog.
extern WindowHandle g_hSaverWindow;

// The private frame message; both of its parameters are -1.
constexpr unsigned WM_RENDER_FRAME = 0x1D03;
