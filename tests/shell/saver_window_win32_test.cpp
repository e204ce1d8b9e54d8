#include "shell/saver_window_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/platform_win32.h"
#include "shell/run_state.h"
#include "shell/saver_start_win32.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/memory_registry.h"
#include "tests/view/win32_services.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/registry_store.h"

namespace {

constexpr char kHostClassName[] = "NivarelTestHost";

// The system's password dialog, as the saver sees it: it answers as told and
// counts how often it was asked.
int g_passwordAsked = 0;
BOOL g_passwordRight = FALSE;
BOOL WINAPI AnswerPassword(HWND) {
  ++g_passwordAsked;
  return g_passwordRight;
}

// A control panel stand-in around the preview: records what reaches it.
std::vector<MSG> g_hostReceived;
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HELP || message == WM_CONTEXTMENU) {
    MSG received = {};
    received.hwnd = window;
    received.message = message;
    received.wParam = wParam;
    received.lParam = lParam;
    g_hostReceived.push_back(received);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ResetSaverState() {
  g_bPreview = g_bCloseApproved = g_bVerifying = false;
  g_dwLastVerify = 0xFFFFFFFF;
  g_pfnVerifyPassword = nullptr;
  g_hPasswordLib = nullptr;
  g_bWin9x = false;
  g_bSaverWindow = g_bFullScreen = g_bStop = g_bClosed = g_bInFrame = false;
  g_hSaverWindow = nullptr;
  g_fDepth = 40.0f;
  g_moduleTable = ModuleTable{};
  g_nCurrentModule = 1;
  g_registryStore = RegistryStore{kSettingsKeyPath, ""};
  g_passwordAsked = 0;
  g_passwordRight = FALSE;
  g_hostReceived.clear();
}

// Leaves nothing queued for the next test; in particular the WM_QUIT that a
// destroyed saver window posts.
void DiscardPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

bool CloseIsQueued(HWND window) {
  MSG message;
  return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
}

POINT CursorAt(int x, int y) {
  SetCursorPos(x, y);
  POINT where;
  GetCursorPos(&where);
  return where;
}

class SaverWindowRules : public testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    g_hInstance = GetModuleHandleA(nullptr);
    WNDCLASSA saverClass = {};
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = g_hInstance;
    saverClass.lpszClassName = kSaverClassName;
    ASSERT_TRUE(RegisterClassA(&saverClass));
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = g_hInstance;
    hostClass.lpszClassName = kHostClassName;
    ASSERT_TRUE(RegisterClassA(&hostClass));
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    if (IsWindow(host_)) DestroyWindow(host_);
    DiscardPendingMessages();
    UnregisterClassA(kSaverClassName, g_hInstance);
    UnregisterClassA(kHostClassName, g_hInstance);
    ResetSaverState();
  }

  HWND CreateFullScreen() {
    window_ = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kFullScreenTitle,
                              WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, g_hInstance,
                              nullptr);
    g_hSaverWindow = FromHwnd(window_);
    return window_;
  }

  HWND CreatePreview() {
    host_ = CreateWindowExA(0, kHostClassName, "Display", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                            300, 200, nullptr, nullptr, g_hInstance, nullptr);
    g_bPreview = true;
    window_ = CreateWindowExA(0, kSaverClassName, kPreviewTitle, WS_CHILD | WS_VISIBLE, 0, 0, 152,
                              112, host_, nullptr, g_hInstance, nullptr);
    g_hSaverWindow = FromHwnd(window_);
    return window_;
  }

  std::optional<int32_t> StoredDepth() const {
    return registry.Dword(RegistryRoot::CurrentUser, kSettingsKeyPath, "mod1 depth");
  }

  FakePlatform clock;
  FakeScene scene{clock};
  ScopedScene scopedScene{scene};
  ScopedPlatform scopedPlatform{Win32Services()};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
  HWND window_ = nullptr;
  HWND host_ = nullptr;
};

TEST_F(SaverWindowRules, MouseMovementBeyondOneHundredPixelsFromTheStartCloses) {
  const POINT start = CursorAt(400, 300);
  HWND window = CreateFullScreen();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(g_ptReference.x, start.x);
  EXPECT_EQ(g_ptReference.y, start.y);

  struct Move {
    int dx, dy;
    bool closes;
  } moves[] = {
      {60, 40, false}, {-100, 0, false}, {50, -50, false}, {0, 100, false},  // a wobble
      {60, 41, true},
  };
  for (const Move& move : moves) {
    SCOPED_TRACE(testing::Message() << move.dx << "," << move.dy);
    const POINT now = CursorAt(start.x + move.dx, start.y + move.dy);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(CloseIsQueued(window), move.closes);
    if (move.closes) {
      EXPECT_EQ(g_ptReference.x, now.x);
      EXPECT_EQ(g_ptReference.y, now.y);
    }
  }
}

TEST_F(SaverWindowRules, TheTitleNeverChanges) {
  HWND window = CreateFullScreen();
  ASSERT_NE(window, nullptr);
  SetWindowTextA(window, "Something else");
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, kFullScreenTitle);
}

TEST_F(SaverWindowRules, OutsideTheWindows95FamilyACloseSavesAndDestroys) {
  HWND window = CreateFullScreen();
  ASSERT_NE(window, nullptr);
  g_fDepth = 189.0f;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(StoredDepth(), 18900);
  EXPECT_EQ(g_passwordAsked, 0);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(SaverWindowRules, ARefusedPasswordKeepsTheWindowAndSavesOnlyOnce) {
  g_bWin9x = true;
  g_pfnVerifyPassword = AnswerPassword;
  HWND window = CreateFullScreen();
  ASSERT_NE(window, nullptr);
  g_fDepth = 189.0f;
  const POINT refusedAt = CursorAt(123, 234);

  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(g_passwordAsked, 1);
  EXPECT_FALSE(g_bCloseApproved);
  EXPECT_TRUE(g_bStop) << "no frame is drawn any more";
  EXPECT_EQ(g_ptReference.x, refusedAt.x) << "movement counts afresh from the refusal";
  EXPECT_EQ(g_ptReference.y, refusedAt.y);
  EXPECT_EQ(StoredDepth(), 18900);

  // Asked again within 200 ms of the last check: refused without asking.
  g_dwLastVerify = GetTickCount();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_passwordAsked, 1);
  EXPECT_TRUE(IsWindow(window));

  // Later, the right password closes it; the view is not saved a second time.
  g_dwLastVerify = GetTickCount() - 250;
  g_passwordRight = TRUE;
  g_fDepth = 10.0f;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_passwordAsked, 2);
  EXPECT_TRUE(g_bCloseApproved);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(StoredDepth(), 18900);
  EXPECT_EQ(scene.Count("destroy"), 1);
}

TEST_F(SaverWindowRules, OnTheWindows95FamilyWithoutAPasswordACloseIsApproved) {
  g_bWin9x = true;
  HWND window = CreateFullScreen();
  ASSERT_NE(window, nullptr);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(g_bCloseApproved);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(SaverWindowRules, ThePreviewPassesHelpToTheControlPanelWithItsHandle) {
  HWND preview = CreatePreview();
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(g_bFullScreen);

  const WPARAM clicked = reinterpret_cast<WPARAM>(preview);
  EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, clicked, MAKELPARAM(5, 6)), 1);
  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.hItemHandle = preview;
  EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);

  // Only the host's help messages: the preview's own frames would run on forever.
  MSG message;
  for (UINT id : {WM_CONTEXTMENU, WM_HELP}) {
    while (PeekMessageA(&message, host_, id, id, PM_REMOVE)) DispatchMessageA(&message);
  }
  ASSERT_EQ(g_hostReceived.size(), 2u);
  for (const MSG& received : g_hostReceived) {
    SCOPED_TRACE(testing::Message() << "message " << received.message);
    EXPECT_EQ(received.wParam, reinterpret_cast<WPARAM>(host_));
    if (received.message == WM_CONTEXTMENU) {
      EXPECT_EQ(received.lParam, MAKELPARAM(5, 6));
    } else {
      EXPECT_EQ(received.message, static_cast<UINT>(WM_HELP));
      EXPECT_EQ(received.lParam, reinterpret_cast<LPARAM>(&help));
    }
  }
}

TEST_F(SaverWindowRules, ThePreviewHasNoMouseRuleAndClosesWithoutAPassword) {
  g_bWin9x = true;
  g_pfnVerifyPassword = AnswerPassword;
  const POINT start = CursorAt(400, 300);
  HWND preview = CreatePreview();
  ASSERT_NE(preview, nullptr);
  CursorAt(start.x + 300, start.y + 300);
  SendMessageA(preview, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(CloseIsQueued(preview));
  SendMessageA(preview, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(preview));
  EXPECT_EQ(g_passwordAsked, 0);
}

}  // namespace
