#include "ui/settings_dialog.h"

#include <cstdio>

#include "render/gl_surface.h"
#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/render_frame.h"
#include "shell/run_state.h"
#include "shell/scene_services.h"
#include "view/module_table.h"
#include "view/registry_store.h"
#include "view/settings.h"

namespace {

constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCommand = 0x0111;
constexpr intptr_t kDialogResult = 1;
// The low-frame-rate command carries -1 as its parameter.
constexpr intptr_t kNoLParam = -1;

void Post(SettingsDialogHost& host, unsigned message, uintptr_t wParam, intptr_t lParam) {
  Platform().PostWindowMessage(host.Dialog(), message, wParam, lParam);
}

void ShowCycleTime(SettingsDialogHost& host) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", g_nCycleTime);
  host.SetSpinRange(kCycleTimeSpin, kCycleTimeSpinLowest, kCycleTimeSpinHighest);
  host.SetText(kCycleTimeEdit, text);
}

void StartPreview(SettingsDialogHost& host) {
  g_dwCycleStart = Platform().TickCount();
  Scene().ProbeFrameRate();
  PostRenderFrame(host.Dialog());
  // Posted behind the first frame, so the advice appears over a running preview.
  if (!g_bRateOk) Post(host, kWmCommand, CommandLowFrameRate, kNoLParam);
}

// The drain ends the preview once a stop is set; a stop set outside a frame
// (a command that did not come through the drain) has nobody to end it, so
// the close is asked for here.
void RequestStop(SettingsDialogHost& host) {
  g_bStop = true;
  if (!g_bInFrame && !g_bClosed) Post(host, kWmClose, 0, 0);
}

void KeepSettings(SettingsDialogHost& host) {
  char text[kCycleTimeDigits + 1];
  host.GetText(kCycleTimeEdit, text, sizeof text);
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
    host.SetChecked(kModule1CheckBox, false);
  }
  Platform().RunDialog(IDD_ADVICE, host.Dialog());
}

}  // namespace

bool InitSettingsDialog(SettingsDialogHost& host) {
  g_bSaverWindow = false;
  SelectRegistryKey(host.Dialog(), kSettingsKeyPath);
  LoadSettings();
  host.CentreOnDesktop();
  bool surfaceMade = Scene().CreateSurface(host.Control(kPreviewPane), kSurfaceColourBits);
  host.SetChecked(kModule1CheckBox, g_moduleTable.modules[1].active);
  ShowCycleTime(host);
  if (surfaceMade) {
    StartPreview(host);
  } else {
    Post(host, kWmClose, 0, 0);
  }
  return true;
}

// One frame of the preview.  A frame message that arrives while another is
// being handled (through a modal dialog opened from the drain) does nothing;
// the outer handling posts the next one.
void HandleSettingsFrame(SettingsDialogHost& host) {
  if (g_bInFrame || g_bStop) return;
  g_bInFrame = true;
  DrainFrameMessages(host.Dialog());
  if (g_bStop && !g_bClosed) Post(host, kWmClose, 0, 0);
  if (!g_bStop) {
    RenderFrame(host.Dialog());
    PostRenderFrame(host.Dialog());
  }
  g_bInFrame = false;
}

void CloseSettingsDialog(SettingsDialogHost& host) {
  if (g_bClosed) return;
  g_bClosed = true;
  g_bStop = true;
  Scene().DestroySurface();
  host.EndDialog(kDialogResult);
}

void HandleSettingsCommand(SettingsDialogHost& host, int command) {
  switch (command) {
    case kIdOk:
      KeepSettings(host);
      RequestStop(host);
      break;
    case kIdCancel:
      RequestStop(host);
      break;
    case kAboutButton:
      Platform().RunDialog(IDD_ABOUT, host.Dialog());
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
