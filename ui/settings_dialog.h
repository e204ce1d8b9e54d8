// The settings dialog (template IDD_SETTINGS): the running scene, live, in a
// pane that the keys steer as they steer the full-screen saver.  OK keeps the
// steered view and the settings for the next run; Cancel, Esc, Enter and the
// close button discard them.
//
// The preview needs no timer and no thread: the dialog posts itself the
// frame message after each frame, and each handling of it drains the
// dialog's pending messages (keys to the keyboard control) and draws one
// frame.  The logic here is portable; the Win32 dialog procedure
// (settings_dialog_win32.cpp) only forwards its messages to it through a
// SettingsDialogHost.
#pragma once
#include <cstdint>

#include "shell/platform.h"

// Controls of the settings dialog.  Of the hidden module-control group only
// module 1's checkbox and the cycle-time edit with its up-down take part.
constexpr int kModule1CheckBox = 1001;
constexpr int kCycleTimeSpin = 1100;
constexpr int kCycleTimeEdit = 1101;
constexpr int kPreviewPane = 1115;
constexpr int kAboutButton = 1200;

// Posted to the dialog as a command (lParam -1) when the frame-rate probe
// judged the machine too slow; no control has this identifier.
constexpr int CommandLowFrameRate = 1202;

// OK reads at most this many characters of the cycle-time edit, so the
// number always fits in 32 bits.
constexpr int kCycleTimeDigits = 9;
constexpr int kCycleTimeSpinLowest = 1;
constexpr int kCycleTimeSpinHighest = 9999;

// What the settings logic needs of its dialog window.  The GL surface on the
// preview pane, the probe and the frames go through the scene services and
// the run loop's RenderFrame, as the saver window's do.
class SettingsDialogHost {
 public:
  virtual ~SettingsDialogHost() = default;

  virtual WindowHandle Dialog() = 0;
  virtual WindowHandle Control(int control) = 0;
  virtual void CentreOnDesktop() = 0;
  virtual void EndDialog(intptr_t result) = 0;

  virtual void SetChecked(int control, bool checked) = 0;
  virtual void SetSpinRange(int control, int lowest, int highest) = 0;
  virtual void SetText(int control, const char* text) = 0;
  // Copies at most size - 1 characters and a terminator into `buffer`.
  virtual void GetText(int control, char* buffer, int size) = 0;
};

// The dialog's messages.  Initialisation returns true so that the dialog
// manager sets the default focus.
bool InitSettingsDialog(SettingsDialogHost& host);
void HandleSettingsFrame(SettingsDialogHost& host);
void CloseSettingsDialog(SettingsDialogHost& host);
void HandleSettingsCommand(SettingsDialogHost& host, int command);

// The cycle time as OK reads it from the edit's text: an optional sign, then
// decimal digits, up to the first other character; 0 without digits.  Only
// the first kCycleTimeDigits characters count.
int32_t ParseCycleTime(const char* text);
