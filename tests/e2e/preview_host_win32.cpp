// A stand-in for the pieces of Windows that talk to a screen saver, for the
// end-to-end tests.  It reports what it sees as "key=value" lines on
// standard output; the test scripts judge them.
//
//   nivarel_e2e_host describe TITLE
//       the top-level windows titled TITLE: how many, and the first one's
//       class, styles, rectangle, whether it is in the foreground and the
//       texts of its children; and the desktop window's number.
//   nivarel_e2e_host lock-settings read|none
//       lets everyone read the settings key but not change it, or nobody
//       open it, until its standard input closes; then gives everyone full
//       access again.  (Wine keeps a key's security only while its server
//       runs, which this program keeps it doing.)
//   nivarel_e2e_host preview SAVER
//       plays the Display control panel: makes a window, starts
//       "SAVER /p <its handle>", finds the preview child, sends it keys, help
//       and context-menu requests, then closes itself and reports how the
//       saver ended.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr char kHostClass[] = "NivarelE2eHost";
constexpr DWORD kPreviewWaitMs = 30000;
constexpr DWORD kExitWaitMs = 30000;

HWND g_host = nullptr;
// How often each help message reached the host, and whether the last one
// carried the host's own handle.
std::map<UINT, int> g_received;
std::map<UINT, bool> g_carriedHost;

void Report(const char* key, const std::string& value) { std::printf("%s=%s\n", key, value.c_str()); }
void Report(const char* key, long long value) { std::printf("%s=%lld\n", key, value); }
void ReportHex(const char* key, unsigned long value) { std::printf("%s=0x%08lX\n", key, value); }

std::string ClientSize(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string ChildTexts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[512] = "";
    GetWindowTextA(child, text, sizeof text);
    texts += std::string(text) + "|";
  }
  for (char& c : texts) c = c == '\n' ? ' ' : c;
  return texts;
}

int Describe(const char* title) {
  Report("desktop", static_cast<long long>(reinterpret_cast<uintptr_t>(GetDesktopWindow()) & 0xFFFFFFFFu));
  HWND window = FindWindowExA(nullptr, nullptr, nullptr, title);
  long long count = 0;
  for (HWND w = window; w; w = FindWindowExA(nullptr, w, nullptr, title)) ++count;
  Report("count", count);
  if (!window) return 0;
  RECT rect;
  GetWindowRect(window, &rect);
  Report("class", ClassOf(window));
  ReportHex("style", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
  ReportHex("exstyle", static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
  Report("rect", std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                     std::to_string(rect.right) + "," + std::to_string(rect.bottom));
  Report("foreground", GetForegroundWindow() == window ? 1 : 0);
  Report("texts", ChildTexts(window));
  return 0;
}

bool SetSettingsSecurity(const std::string& how) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orrinvale\\Nivarel", 0, nullptr, 0, WRITE_DAC,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) unsigned char aclBuffer[256];
  ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
  InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
  if (how == "none") {
    AddAccessDeniedAce(acl, ACL_REVISION, KEY_READ | KEY_WRITE, everyone);
  } else {
    AddAccessAllowedAce(acl, ACL_REVISION, how == "read" ? KEY_READ : KEY_ALL_ACCESS, everyone);
  }
  SECURITY_DESCRIPTOR security;
  InitializeSecurityDescriptor(&security, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&security, TRUE, acl, FALSE);
  const LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &security);
  FreeSid(everyone);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

int LockSettings(const std::string& how) {
  Report("locked", SetSettingsSecurity(how) ? how : "failed");
  while (std::getchar() != EOF) {
  }
  return SetSettingsSecurity("open") ? 0 : 2;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_HELP && message != WM_CONTEXTMENU) return DefWindowProcA(window, message, wParam, lParam);
  ++g_received[message];
  g_carriedHost[message] = reinterpret_cast<HWND>(wParam) == window;
  return message == WM_HELP;
}

// Handles the host's messages for up to `milliseconds`, or until `done` says so.
template <typename Done>
bool PumpUntil(DWORD milliseconds, Done done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= milliseconds) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

bool StartSaver(const char* saver, PROCESS_INFORMATION* process) {
  // The number the system passes is the handle's significant 32 bits, in decimal.
  const unsigned long number = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_host) & 0xFFFFFFFFu);
  std::string command = std::string("\"") + saver + "\" /p " + std::to_string(number);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        process) != FALSE;
}

void SendKeys(HWND preview) {
  for (WPARAM key : {VK_NEXT, VK_ESCAPE, VK_RETURN, VK_F12, VK_SHIFT}) {
    PostMessageA(preview, WM_KEYDOWN, key, 1);
    PostMessageA(preview, WM_KEYUP, key, 0xC0000001);
  }
}

void AskForHelp(HWND preview) {
  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_WINDOW;
  help.hItemHandle = preview;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help), SMTO_NORMAL, 10000, &result);
  SendMessageTimeoutA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(30, 40),
                      SMTO_NORMAL, 10000, &result);
}

int Preview(const char* saver) {
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = HostProc;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  hostClass.lpszClassName = kHostClass;
  RegisterClassA(&hostClass);
  g_host = CreateWindowExA(0, kHostClass, "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                           100, 400, 300, nullptr, nullptr, hostClass.hInstance, nullptr);
  if (!g_host) return 2;
  Report("host_client", ClientSize(g_host));

  PROCESS_INFORMATION process = {};
  if (!StartSaver(saver, &process)) {
    Report("started", 0);
    return 2;
  }
  Report("started", 1);
  HWND preview = nullptr;
  PumpUntil(kPreviewWaitMs, [&] {
    return (preview = FindWindowExA(g_host, nullptr, "WindowsScreenSaverClass", "Preview")) != nullptr;
  });
  Report("preview_found", preview ? 1 : 0);
  if (preview) {
    Report("preview_client", ClientSize(preview));
    Report("preview_class", ClassOf(preview));

    SendKeys(preview);
    PumpUntil(1500, [] { return false; });
    // Read once the saver has finished creating it (a window is shown after
    // its creation has been handled).
    ReportHex("preview_style", static_cast<unsigned long>(GetWindowLongA(preview, GWL_STYLE)));
    Report("preview_alive_after_keys", IsWindow(preview) ? 1 : 0);
    Report("saver_running_after_keys", WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT ? 1 : 0);

    AskForHelp(preview);
    PumpUntil(5000, [] { return g_received[WM_HELP] > 0 && g_received[WM_CONTEXTMENU] > 0; });
    Report("help_received", g_received[WM_HELP]);
    Report("help_wparam_is_host", g_carriedHost[WM_HELP] ? 1 : 0);
    Report("contextmenu_received", g_received[WM_CONTEXTMENU]);
    Report("contextmenu_wparam_is_host", g_carriedHost[WM_CONTEXTMENU] ? 1 : 0);
  }

  DestroyWindow(g_host);
  bool ended = PumpUntil(kExitWaitMs, [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  DWORD code = 0;
  if (ended) GetExitCodeProcess(process.hProcess, &code);
  Report("saver_ended", ended ? 1 : 0);
  Report("saver_exit", static_cast<long long>(static_cast<int>(code)));
  if (!ended) TerminateProcess(process.hProcess, 3);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 3 && std::string(argv[1]) == "describe") return Describe(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "preview") return Preview(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "lock-settings") return LockSettings(argv[2]);
  std::fprintf(stderr, "usage: nivarel_e2e_host describe TITLE | preview SAVER | lock-settings HOW\n");
  return 2;
}
