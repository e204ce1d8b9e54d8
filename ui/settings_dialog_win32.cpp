#include "ui/settings_dialog_win32.h"

#include <commctrl.h>

#include "platform/platform_win32.h"
#include "ui/settings_dialog.h"
#include "view/run_state.h"

namespace {

class Win32SettingsHost final : public SettingsDialogHost {
 public:
  explicit Win32SettingsHost(HWND dialog) : dialog_(dialog) {}

  WindowHandle Dialog() override { return FromHwnd(dialog_); }
  WindowHandle Control(int control) override { return FromHwnd(GetDlgItem(dialog_, control)); }
  void CentreOnDesktop() override { ::CentreOnDesktop(dialog_); }
  void EndDialog(intptr_t result) override { ::EndDialog(dialog_, result); }

  void SetChecked(int control, bool checked) override {
    CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void SetSpinRange(int control, int lowest, int highest) override {
    SendDlgItemMessageA(dialog_, control, UDM_SETRANGE32, static_cast<WPARAM>(lowest), highest);
  }
  void SetText(int control, const char* text) override { SetDlgItemTextA(dialog_, control, text); }
  void GetText(int control, char* buffer, int size) override {
    if (size <= 0) return;
    buffer[0] = '\0';
    GetWindowTextA(GetDlgItem(dialog_, control), buffer, size);
  }

 private:
  HWND dialog_;
};

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  Win32SettingsHost host(dialog);
  switch (message) {
    case WM_INITDIALOG:
      // TRUE whatever the start: the dialog manager sets the default focus.
      StartFrameLoop(host);
      return TRUE;
    case WM_RENDER_FRAME:
      HandleFrameMessage(host);
      return TRUE;
    case WM_CLOSE:
      HandleCloseRequest(host);
      return TRUE;
    case WM_COMMAND:
      HandleSettingsCommand(host, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

DLGPROC PrepareSettingsDialog() {
  INITCOMMONCONTROLSEX classes = {};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&classes);
  return SettingsDialogProc;
}
