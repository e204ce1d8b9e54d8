#include "ui/settings_dialog_win32.h"

#include <commctrl.h>

#include "shell/platform_win32.h"
#include "shell/run_state.h"
#include "ui/centre_on_desktop.h"
#include "ui/settings_dialog.h"

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
      return InitSettingsDialog(host) ? TRUE : FALSE;
    case WM_RENDER_FRAME:
      HandleSettingsFrame(host);
      return TRUE;
    case WM_CLOSE:
      CloseSettingsDialog(host);
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
