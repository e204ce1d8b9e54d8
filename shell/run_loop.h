// The spine of a saver run: the start on window creation, one frame per
// private frame message with the window's pending input handled in between,
// and the close handling that tears the surface down and saves the view.
//
// Nothing here waits for anything but the frame pacing: the window's own
// message loop dispatches one WM_RENDER_FRAME at a time and each handling
// posts the next, so input is never more than one frame late.
#pragma once

#include "shell/platform.h"
#include "shell/render_frame.h"

// Start of a run, on the saver window's creation: settings, GL surface,
// frame-rate probe and the first frame message.  A surface that cannot be
// made closes the window instead.
void BeginSaverRun(WindowHandle window);

// The saver window's WM_RENDER_FRAME: the low-frame-rate exit, the drain,
// one frame, and the next frame message.
void HandleRenderFrame(WindowHandle window);

// The close handling, run once whatever number of close requests arrive:
// the surface is released and the steered view stored and saved.
void HandleSaverClose();

// The window is being destroyed.  A preview's window goes when the control
// panel closes its own, without any close request: the surface that the close
// handling did not release is released now, while its window still exists
// (a GL context left on a vanished window can hang the process's exit).
// Nothing is saved: only a close request saves.
void EndSaverRun();
