#include "ui/browser_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/browser_command.h"

bool OpenInBrowser(const char* commandText) {
  BrowserLaunch launch;
  if (!PlanBrowserLaunch(commandText, &launch)) return false;

  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = GetDesktopWindow();
  info.lpFile = launch.program.c_str();
  info.lpParameters = launch.parameters.c_str();
  info.nShow = SW_RESTORE;
  bool started = ShellExecuteExA(&info) != FALSE;
  // The browser runs on its own; nothing here waits for it.
  if (info.hProcess) CloseHandle(info.hProcess);
  return started;
}
