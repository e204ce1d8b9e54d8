// A stand-in for the pieces of Windows that talk to a screen saver, for the
// end-to-end tests.  It reports what it sees as "key=value" lines on
// standard output; the test scripts judge them.
//
//   nivarel_e2e_host describe TITLE
//       the desktop window's number, and the top-level windows titled TITLE:
//       how many, and the first one's extended style, rectangle
//       and whether it is in the foreground.
//   nivarel_e2e_host preview SAVER
//       plays the Display control panel: makes a window, starts
//       "SAVER /p <its handle>", finds the preview child, asks it for help
//       and a context menu, then closes itself and reports how the saver ended.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kWaitMs = 30000;

// Whether help and the context menu request reached the host with its handle.
bool g_helpPassed = false;
bool g_menuPassed = false;

unsigned long Number(HWND window) { return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu); }

std::string ClientSize(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

int Describe(const char* title) {
  HWND window = FindWindowExA(nullptr, nullptr, nullptr, title);
  int count = 0;
  for (HWND w = window; w; w = FindWindowExA(nullptr, w, nullptr, title)) ++count;
  RECT rect = {};
  GetWindowRect(window, &rect);
  std::printf("desktop=%lu\ncount=%d\nexstyle=0x%08lX\nrect=%ld,%ld,%ld,%ld\nforeground=%d\n", Number(GetDesktopWindow()),
              count, static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), rect.left, rect.top, rect.right,
              rect.bottom, window && GetForegroundWindow() == window);
  return 0;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HELP) g_helpPassed = reinterpret_cast<HWND>(wParam) == window;
  if (message == WM_CONTEXTMENU) g_menuPassed = reinterpret_cast<HWND>(wParam) == window;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Handles the host's messages until `done` says so, for up to kWaitMs.
template <typename Done>
bool PumpUntil(Done done) {
  for (const DWORD start = GetTickCount(); !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
    if (GetTickCount() - start >= kWaitMs) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return true;
}

int Preview(const char* saver) {
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = HostProc;
  hostClass.lpszClassName = "NivarelE2eHost";
  RegisterClassA(&hostClass);
  HWND host = CreateWindowExA(0, hostClass.lpszClassName, "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
  std::printf("host_client=%s\n", ClientSize(host).c_str());
  // The number the system passes is the handle's significant 32 bits, in decimal.
  std::string command = std::string("\"") + saver + "\" /p " + std::to_string(Number(host));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 2;
  HWND preview = nullptr;
  PumpUntil([&] { return (preview = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Preview")); });
  std::printf("preview_client=%s\n", ClientSize(preview).c_str());
  HELPINFO help = {};
  help.cbSize = sizeof help;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help), SMTO_NORMAL, kWaitMs, &result);
  SendMessageTimeoutA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(30, 40),
                      SMTO_NORMAL, kWaitMs, &result);
  PumpUntil([] { return g_helpPassed && g_menuPassed; });
  std::printf("help=%d %d\n", g_helpPassed, g_menuPassed);

  DestroyWindow(host);
  DWORD code = 0;
  const bool ended = PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  if (ended) GetExitCodeProcess(process.hProcess, &code);
  std::printf("saver_exit=%s\n", ended ? std::to_string(static_cast<int>(code)).c_str() : "running");
  if (!ended) TerminateProcess(process.hProcess, 3);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "describe") return Describe(argv[2]);
  if (command == "preview") return Preview(argv[2]);
  std::fprintf(stderr, "usage: nivarel_e2e_host describe TITLE | preview SAVER\n");
  return 2;
}
