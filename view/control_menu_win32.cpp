#include "view/control_menu_win32.h"

#include "platform/platform_win32.h"
#include "view/run_state.h"

namespace {

// Over the full-screen saver the cursor is hidden; the menu needs it, kept
// inside the menu so that a stray move cannot reach the saver window.
void FreeCursorInside(HWND dialog) {
  ShowCursor(TRUE);
  RECT bounds;
  GetWindowRect(dialog, &bounds);
  ClipCursor(&bounds);
}

void HideCursorAgain() {
  ShowCursor(FALSE);
  ClipCursor(nullptr);
}

}  // namespace

INT_PTR CALLBACK ControlMenuProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOnDesktop(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));
      if (g_bSaverWindow) FreeCursorInside(dialog);
      return FALSE;  // the focus is set already
    case WM_COMMAND: {
      int control = LOWORD(wParam);
      if (control != IDOK && control != IDCANCEL) return TRUE;
      if (g_bSaverWindow) HideCursorAgain();
      EndDialog(dialog, 1);
      return FALSE;
    }
    default:
      return FALSE;
  }
}
