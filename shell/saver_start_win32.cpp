#include "shell/saver_start_win32.h"

#include <cstdint>

#include "resources/resource_ids.h"
#include "platform/platform_win32.h"
#include "shell/command_line.h"
#include "shell/saver_password_win32.h"
#include "shell/saver_window_win32.h"

bool g_bWin9x = false;

namespace {

using PwdChangePasswordFunction = DWORD(WINAPI*)(LPCSTR registryKeyName, HWND owner, DWORD, DWORD);

LPTOP_LEVEL_EXCEPTION_FILTER g_pfnPreviousFaultFilter = nullptr;

const char* NextCommandLineChar(const char* p) { return CharNextA(p); }

bool IsWindows9xFamily() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Window numbers on the command line carry the handle's significant 32 bits;
// a 64-bit handle is their sign extension.
HWND WindowFromNumber(uint32_t number) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(number)));
}

bool IsLiveWindow(HWND window) { return window && IsWindow(window); }

// The desktop window is no preview parent: a child of it would be a window
// over the whole screen that nothing ever closes.
bool IsUsablePreviewParent(HWND window) {
  return IsLiveWindow(window) && window != GetDesktopWindow();
}

// A fault that nothing handled: the system's own report first, then the
// system is told that no saver runs any more and the process ends with -1.
LONG WINAPI SaverFaultFilter(EXCEPTION_POINTERS* fault) {
  // The system's report calls the top-level filter itself; it must not find
  // this one again.
  SetUnhandledExceptionFilter(g_pfnPreviousFaultFilter);
  LONG verdict = UnhandledExceptionFilter(fault);
  if (verdict != EXCEPTION_EXECUTE_HANDLER) return verdict;
  SetSaverRunning(false);
  ExitProcess(static_cast<UINT>(kFailureExitCode));
}

int RunSettingsDialog(HWND owner) {
  return static_cast<int>(PlatformNotices().RunDialog(IDD_SETTINGS, FromHwnd(owner)));
}

int RunPreview(uint32_t parentNumber) {
  HWND parent = WindowFromNumber(parentNumber);
  if (!IsUsablePreviewParent(parent)) return kFailureExitCode;
  return RunSaverWindow(parent);
}

// The dialog belongs to the system; its result is not ours to judge.
int ChangePassword(uint32_t ownerNumber) {
  HWND owner = WindowFromNumber(ownerNumber);
  if (!IsLiveWindow(owner)) owner = GetForegroundWindow();
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (!library) return 0;
  auto change = LookUpFunction<PwdChangePasswordFunction>(library, "PwdChangePasswordA");
  if (change) change("SCRSAVE", owner, 0, 0);
  FreeLibrary(library);
  return 0;
}

int RunMode(const SaverRequest& request) {
  switch (request.mode) {
    case SaverMode::FullScreen:
      return RunSaverWindow(nullptr);
    case SaverMode::Preview:
      return RunPreview(request.window);
    case SaverMode::Configure:
      return RunSettingsDialog(request.ownedByForeground ? GetForegroundWindow() : nullptr);
    case SaverMode::ChangePassword:
      return g_bWin9x ? ChangePassword(request.window) : kFailureExitCode;
    case SaverMode::None:
      break;
  }
  return kFailureExitCode;
}

}  // namespace

int DispatchMode(HINSTANCE instance, const char* arguments) {
  g_hInstance = instance;
  g_bWin9x = IsWindows9xFamily();
  g_pfnPreviousFaultFilter = SetUnhandledExceptionFilter(SaverFaultFilter);
  int exitCode = kFailureExitCode;
  try {
    exitCode = RunMode(ReadSaverRequest(arguments));
  } catch (...) {
    // Our own code throws nothing across functions; whatever the library
    // throws (an allocation failure) ends the mode like a fault.
    SetSaverRunning(false);
    exitCode = kFailureExitCode;
  }
  SetUnhandledExceptionFilter(g_pfnPreviousFaultFilter);
  return exitCode;
}

void StartSaver() {
  const char* arguments = ArgumentText(GetCommandLineA(), NextCommandLineChar);
  ExitProcess(static_cast<UINT>(DispatchMode(GetModuleHandleA(nullptr), arguments)));
}
