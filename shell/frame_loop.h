// The frame loop that every host runs: the start of a run, one frame per
// private frame message with the window's pending input handled in between,
// the close handling that runs once, and the end.
//
// Nothing here waits for anything but the frame pacing: the host's own
// message loop (the saver window's, the settings dialog's modal loop, the X11
// event loop) hands over one WM_RENDER_FRAME at a time and each handling posts
// the next, so input is never more than one frame late.  Modal dialogs opened
// from inside the drain run nested loops; g_bInFrame makes a nested frame
// message do nothing and g_bClosed makes a second close skip the teardown.
//
// A host is one FrameHost: what differs between the full-screen saver, the
// control panel's preview, the settings dialog's pane and the X11 window.  A
// host implements it and, on its own events:
//   - window ready           StartFrameLoop(host)
//   - WM_RENDER_FRAME        HandleFrameMessage(host)
//   - WM_CLOSE               HandleCloseRequest(host)
//   - window being destroyed EndFrameLoop()
//   - stop from outside a frame (a button, SIGTERM)  RequestStop(host)
// Its queue (the platform's WindowQueue) delivers key presses as WM_KEYDOWN /
// WM_KEYUP with the virtual keys of platform/system_numbers.h and a close as
// WM_CLOSE; the drain takes them from there.
#pragma once

#include "platform/platform.h"

class FrameHost {
 public:
  virtual ~FrameHost() = default;

  // The window whose queue carries the frame messages; its class names the
  // settings key's class.
  virtual WindowHandle Window() = 0;
  // The window the GL surface is made on: the window itself, or a pane in it.
  virtual WindowHandle SurfaceWindow() { return Window(); }
  // The saver window (full-screen or preview, g_bSaverWindow): modules cycle,
  // the scene spins at full speed, and keys without a meaning stop the run.
  virtual bool IsSaverWindow() = 0;
  // Asked once the settings are loaded (g_bFullScreen): the run fills the
  // screen, so keys steer it and a machine too slow for the scene gets the
  // advice dialog and the run closes.  Elsewhere such a machine gets the
  // blank scene, and a saver window that is not full-screen ignores keys.
  virtual bool IsFullScreen() = 0;
  // Whether the close handling stores the steered view and saves the settings.
  virtual bool SavesOnClose() = 0;

  // The settings are loaded; the surface is about to be made.
  virtual void SettingsLoaded() {}
  // The surface is made, the rate probed and the first frame message posted.
  virtual void Started() {}
  // A frame has been drawn: the host may put its window back on top.
  virtual void FrameDrawn() {}
  // The close handling has run: a dialog ends here, a window goes on to be
  // destroyed by its own close handling.
  virtual void Closed() {}
};

// The start: selects the settings key with the host's window, loads the
// settings, makes the surface, probes the frame rate and posts the first
// frame message.  A surface that cannot be made posts WM_CLOSE instead; false.
bool StartFrameLoop(FrameHost& host);

// WM_RENDER_FRAME: the low-frame-rate exit of a full-screen run, the drain,
// one frame, and the next frame message.
void HandleFrameMessage(FrameHost& host);

// WM_CLOSE: runs once, whatever number of close requests arrive: the surface
// is released, the view stored and saved where the host saves, and the host
// told.
void HandleCloseRequest(FrameHost& host);

// The window is being destroyed.  A preview's window goes when the control
// panel closes its own, without any close request: the surface that the close
// handling did not release is released now, while its window still exists
// (a GL context left on a vanished window can hang the process's exit).
// Nothing is saved: only a close request saves.
void EndFrameLoop();

// Asks for a stop from outside the drain; the close is posted here when no
// frame is under way to post it.
void RequestStop(FrameHost& host);

// Takes the window's pending messages until none is left or a stop is asked
// for: key messages go to the keyboard control instead of being dispatched,
// WM_CLOSE becomes a stop request, everything else is dispatched.
void DrainFrameMessages(WindowHandle window);
