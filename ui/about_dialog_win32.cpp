#include "ui/about_dialog_win32.h"

#include <shellapi.h>

#include <string>

#include "platform/platform_win32.h"
#include "resources/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/browser_command.h"
#include "ui/browser_win32.h"

namespace {

void VisitWebSite() { OpenInBrowser((kNewWindowSwitch + std::string(kProductWebPage)).c_str()); }

// The mail program decides what to do with the address; whether it started
// is of no concern to the dialog.
void SendEmail() {
  ShellExecuteA(nullptr, nullptr, kMakerMailLink, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

// The links leave the dialog open, so the user can use both.
INT_PTR HandleCommand(HWND dialog, int command) {
  switch (command) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, 1);
      return TRUE;
    case IDC_VISIT_WEB_SITE:
      VisitWebSite();
      return TRUE;
    case IDC_SEND_EMAIL:
      SendEmail();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOnDesktop(dialog);
      return FALSE;
    case WM_COMMAND:
      return HandleCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}
