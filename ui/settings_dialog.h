// The settings dialog (template IDD_SETTINGS): the running scene, live, in a
// pane that the keys steer as they steer the full-screen saver.  OK keeps the
// steered view and the settings for the next run; Cancel, Esc, Enter and the
// close button discard them.
//
// The preview is the shared frame loop (shell/frame_loop.h) on the dialog's
// own modal message loop, with the GL surface on the pane.  What is the
// dialog's own is here: its controls (module 1's checkbox, the cycle time,
// About, OK and Cancel) and the low-frame-rate command.  The Win32 dialog
// procedure (settings_dialog_win32.cpp) forwards its messages to it through a
// SettingsDialogHost.
#pragma once
#include <cstdint>

#include "shell/frame_loop.h"

// Posted to the dialog as a command (lParam -1) when the frame-rate probe
// judged the machine too slow; no control has this identifier.
constexpr int CommandLowFrameRate = 1202;

// OK reads at most this many characters of the cycle-time edit, so the
// number always fits in 32 bits.
constexpr int kCycleTimeDigits = 9;

// What the settings logic needs of its dialog window.  As a frame host the
// dialog is never the saver window, never full-screen, and saves only on OK.
class SettingsDialogHost : public FrameHost {
 public:
  virtual WindowHandle Dialog() = 0;
  virtual WindowHandle Control(int control) = 0;
  virtual void CentreOnDesktop() = 0;
  virtual void EndDialog(intptr_t result) = 0;

  virtual void SetChecked(int control, bool checked) = 0;
  virtual void SetSpinRange(int control, int lowest, int highest) = 0;
  virtual void SetText(int control, const char* text) = 0;
  // Copies at most size - 1 characters and a terminator into `buffer`.
  virtual void GetText(int control, char* buffer, int size) = 0;

  WindowHandle Window() final { return Dialog(); }
  WindowHandle SurfaceWindow() final;
  bool IsSaverWindow() final { return false; }
  bool IsFullScreen() final { return false; }
  bool SavesOnClose() final { return false; }
  void SettingsLoaded() final;
  void Started() final;
  void Closed() final;
};

// WM_COMMAND of the dialog, by control id.
void HandleSettingsCommand(SettingsDialogHost& host, int command);

// The cycle time as OK reads it from the edit's text: an optional sign, then
// decimal digits, up to the first other character; 0 without digits.  Only
// the first kCycleTimeDigits characters count.
int32_t ParseCycleTime(const char* text);
