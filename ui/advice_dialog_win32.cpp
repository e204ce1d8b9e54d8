#include "ui/advice_dialog_win32.h"

#include "platform/platform_win32.h"
#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "ui/advice_dialog.h"
#include "ui/run_once.h"
#include "view/run_state.h"

namespace {

constexpr INT_PTR kAdviceResult = 1;

void ShowFrameRate(HWND dialog) {
  char text[kFrameRateTextSize];
  FormatFrameRateText(text, sizeof text, g_fFrameRate);
  SetWindowTextA(GetDlgItem(dialog, IDC_FRAME_RATE_TEXT), text);
}

void RemoveSaver(HWND dialog) {
  // The full-screen saver is topmost; below everything it cannot hide the
  // message box that follows.  It is not activated on the way, which would
  // raise it again.  Without a saver window this does nothing.
  SetWindowPos(ToHwnd(g_hSaverWindow), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ScheduleSaverRemoval(FromHwnd(dialog));
}

}  // namespace

INT_PTR CALLBACK AdviceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOnDesktop(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));
      ShowFrameRate(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, kAdviceResult);
          return TRUE;
        case IDC_REMOVE_SAVER:
          RemoveSaver(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
