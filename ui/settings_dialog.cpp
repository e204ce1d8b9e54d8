#include "ui/settings_dialog.h"

#include <cstdio>

#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/render_frame.h"
#include "view/module_table.h"
#include "view/registry_store.h"
#include "view/settings.h"

namespace {

constexpr intptr_t kDialogResult = 1;
// The low-frame-rate command carries -1 as its parameter.
constexpr intptr_t kNoLParam = -1;
constexpr int kCycleTimeSpinLowest = 1;
constexpr int kCycleTimeSpinHighest = 9999;

void KeepSettings(SettingsDialogHost& host) {
  char text[kCycleTimeDigits + 1];
  host.GetText(IDC_CYCLE_TIME_EDIT, text, sizeof text);
  g_nCycleTime = ParseCycleTime(text);
  StoreModule(g_nCurrentModule);
  SaveSettings();
  WriteUserDword("enable sound", g_bEnableSound ? 1 : 0);
}

// The advice is shown whatever the rate; only a rate too low even for a
// slow preview switches the world off, so that an OK stores it switched off.
void AdviseLowFrameRate(SettingsDialogHost& host) {
  if (g_fFrameRate < kLowestDrawableRate) {
    g_moduleTable.modules[1].active = false;
    host.SetChecked(IDC_MODULE1_CHECKBOX, false);
  }
  PlatformNotices().RunDialog(IDD_ADVICE, host.Dialog());
}

}  // namespace

WindowHandle SettingsDialogHost::SurfaceWindow() { return Control(IDC_PREVIEW_PANE); }

void SettingsDialogHost::SettingsLoaded() {
  CentreOnDesktop();
  SetChecked(IDC_MODULE1_CHECKBOX, g_moduleTable.modules[1].active);
  char text[16];
  std::snprintf(text, sizeof text, "%d", g_nCycleTime);
  SetSpinRange(IDC_CYCLE_TIME_SPIN, kCycleTimeSpinLowest, kCycleTimeSpinHighest);
  SetText(IDC_CYCLE_TIME_EDIT, text);
}

// Posted behind the first frame, so the advice appears over a running preview.
void SettingsDialogHost::Started() {
  if (!g_bRateOk) {
    PlatformWindows().PostWindowMessage(Dialog(), kWmCommand, CommandLowFrameRate, kNoLParam);
  }
}

void SettingsDialogHost::Closed() { EndDialog(kDialogResult); }

void HandleSettingsCommand(SettingsDialogHost& host, int command) {
  switch (command) {
    case kIdOk:
      KeepSettings(host);
      RequestStop(host);
      break;
    case kIdCancel:
      RequestStop(host);
      break;
    case IDC_ABOUT_BUTTON:
      PlatformNotices().RunDialog(IDD_ABOUT, host.Dialog());
      break;
    case CommandLowFrameRate:
      AdviseLowFrameRate(host);
      break;
    default:
      break;
  }
}

int32_t ParseCycleTime(const char* text) {
  int sign = 1;
  int index = 0;
  if (text[0] == '-' || text[0] == '+') {
    if (text[0] == '-') sign = -1;
    index = 1;
  }
  int32_t value = 0;
  for (; index < kCycleTimeDigits && text[index] >= '0' && text[index] <= '9'; ++index) {
    value = value * 10 + (text[index] - '0');
  }
  return sign * value;
}
