#include "view/keyboard_control.h"

#include <cmath>
#include <cstdio>

#include "platform/system_numbers.h"
#include "resources/resource_ids.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/run_state.h"

namespace {

constexpr float kTurnStep = 1.5f;
constexpr float kSpeedStep = 0.125f;
constexpr float kDepthFallbackStep = 0.3f;
constexpr float kShiftFallbackStep = 0.1f;
constexpr double kStepDivisor = 50.0;

bool g_bControlMenuOpen = false;

// Far away, one key moves the scene by a fiftieth of its distance in whole
// units; close in, by the fixed fallback.  Worked in double so that no depth,
// however large or odd, leaves the integer range (the whole-unit truncation
// and division give the same numbers as integer arithmetic would).
float DistanceStep(float depth, float fallback) {
  double fifties = std::trunc(std::trunc(static_cast<double>(depth)) / kStepDivisor);
  return fifties >= 1.0 ? static_cast<float>(fifties) : fallback;
}

void StepBackToPreviousModule() {
  StoreModule(g_nCurrentModule);
  g_nCurrentModule = PreviousActiveModule(g_nCurrentModule);
  ApplyModule(g_nCurrentModule);
  g_dwCycleStart = PlatformClock().TickCount();
}

void ShowParams(WindowHandle window) {
  char text[kParamsTextSize];
  std::snprintf(text, sizeof text,
                "g_fDepth %f\ng_fHorz  %f\ng_fVert  %f\ng_fXrot  %f\ng_fYrot  %f\n"
                "g_fZrot  %f\ng_fSpeed %f\n",
                static_cast<double>(g_fDepth), static_cast<double>(g_fHorz),
                static_cast<double>(g_fVert), static_cast<double>(g_fXrot),
                static_cast<double>(g_fYrot), static_cast<double>(g_fZrot),
                static_cast<double>(g_fSpeed));
  PlatformNotices().MessageBox(window, text, "Params", kMbOk);
}

// Returns false for a key that has no meaning of its own.
bool ApplyKey(WindowHandle window, uintptr_t key) {
  const float depthStep = DistanceStep(g_fDepth, kDepthFallbackStep);
  const float shiftStep = DistanceStep(g_fDepth, kShiftFallbackStep);
  switch (key) {
    case kVkBack: StepBackToPreviousModule(); break;
    case kVkReturn:
    case kVkEscape: g_bStop = true; break;
    case kVkPrior:
    case kVkNumpad9: g_fDepth += depthStep; break;
    case kVkNext:
    case kVkNumpad3: g_fDepth -= depthStep; break;
    case kVkHome: RestoreDefaultView(g_nCurrentModule); break;
    case kVkLeft:
    case kVkNumpad4: g_fHorz -= shiftStep; break;
    case kVkUp:
    case kVkNumpad8: g_fVert += shiftStep; break;
    case kVkRight:
    case kVkNumpad6: g_fHorz += shiftStep; break;
    case kVkDown:
    case kVkNumpad2: g_fVert -= shiftStep; break;
    case kVkF1: ShowControlMenu(window); break;
    case kVkF2: g_fXrot -= kTurnStep; break;
    case kVkF3: g_fXrot += kTurnStep; break;
    case kVkF4: g_fYrot -= kTurnStep; break;
    case kVkF5: g_fYrot += kTurnStep; break;
    case kVkF6: g_fZrot += kTurnStep; break;
    case kVkF7: g_fZrot -= kTurnStep; break;
    case kVkF8: g_fSpeed = ClampSpeed(g_fSpeed - kSpeedStep); break;
    case kVkF9: g_fSpeed = ClampSpeed(g_fSpeed + kSpeedStep); break;
    case kVkF11: ShowParams(window); break;
    default: return false;
  }
  return true;
}

}  // namespace

int HandleViewKey(WindowHandle window, unsigned message, uintptr_t key) {
  const bool controlPanelPreview = g_bSaverWindow && !g_bFullScreen;
  if (controlPanelPreview) return 0;
  if (message != kWmKeyDown && message != kWmSysKeyDown) return 0;
  // In the saver any other key means the user is back; the settings dialog
  // has its own buttons and ignores such keys.
  if (!ApplyKey(window, key) && g_bSaverWindow) g_bStop = true;
  return 0;
}

void ShowControlMenu(WindowHandle owner) {
  // The menu is modal, but a key can still reach this control through a nested
  // message loop while it is open; a second F1 must not stack a second menu.
  if (g_bControlMenuOpen) return;
  g_bControlMenuOpen = true;
  PlatformNotices().RunDialog(IDD_CONTROL_MENU, owner);
  g_bControlMenuOpen = false;
}
