// The saver window's close rules on the Windows 95 family, which the
// end-to-end tests cannot reach: Wine reports NT, so the family is forced here.
// The mouse rule, help in the preview and the plain close are end-to-end tests.
#include "shell/saver_window_win32.h"

#include <gtest/gtest.h>

#include "view/run_state.h"
#include "shell/saver_password_win32.h"
#include "shell/saver_start_win32.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/memory_registry.h"
#include "tests/support/helpers_win32.h"
#include "tests/view/view_state.h"

namespace {

// The system's password dialog, as the saver sees it: it answers as told and
// counts how often it was asked.
int g_passwordAsked = 0;
BOOL g_passwordRight = FALSE;
BOOL WINAPI AnswerPassword(HWND) {
  ++g_passwordAsked;
  return g_passwordRight;
}

POINT CursorAt(int x, int y) {
  SetCursorPos(x, y);
  POINT where;
  GetCursorPos(&where);
  return where;
}

class SaverWindowOnWindows95 : public testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    g_bPreview = g_bCloseApproved = g_bVerifying = false;
    g_dwLastVerify = 0xFFFFFFFF;
    g_bWin9x = true;
    g_pfnVerifyPassword = AnswerPassword;
    g_passwordAsked = 0;
    g_passwordRight = FALSE;
    g_hInstance = GetModuleHandleA(nullptr);
    WNDCLASSA saverClass = {};
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = g_hInstance;
    saverClass.lpszClassName = kSaverClassName;
    ASSERT_TRUE(RegisterClassA(&saverClass));
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    if (IsWindow(host_)) DestroyWindow(host_);
    // Nothing stays queued for the next test, the destroyed window's WM_QUIT included.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(kSaverClassName, g_hInstance);
    g_bWin9x = g_bPreview = false;
    g_pfnVerifyPassword = nullptr;
    g_hSaverWindow = nullptr;
  }

  HWND Create(bool preview) {
    g_bPreview = preview;
    if (preview) {
      host_ = CreateWindowExA(0, "Static", "Display", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
      window_ = CreateWindowExA(0, kSaverClassName, kPreviewTitle, WS_CHILD | WS_VISIBLE, 0, 0, 152,
                                112, host_, nullptr, g_hInstance, nullptr);
    } else {
      window_ = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kFullScreenTitle, WS_POPUP | WS_VISIBLE,
                                0, 0, 320, 240, nullptr, nullptr, g_hInstance, nullptr);
    }
    g_hSaverWindow = FromHwnd(window_);
    return window_;
  }

  FakeScene scene;
  ScopedPlatform scopedPlatform{Win32Services()};
  ScopedPlatform scopedScene{WithSurface(scene)};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
  HWND window_ = nullptr;
  HWND host_ = nullptr;
};

TEST_F(SaverWindowOnWindows95, ARefusedPasswordKeepsTheWindowAndSavesOnlyOnce) {
  HWND window = Create(false);
  ASSERT_NE(window, nullptr);
  g_fDepth = 189.0f;
  const POINT refusedAt = CursorAt(123, 234);

  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(g_passwordAsked, 1);
  EXPECT_TRUE(g_bStop) << "no frame is drawn any more";
  EXPECT_EQ(g_ptReference.x, refusedAt.x) << "movement counts afresh from the refusal";
  EXPECT_EQ(g_ptReference.y, refusedAt.y);
  EXPECT_EQ(registry.Setting("mod1 depth"), 18900);

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
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(registry.Setting("mod1 depth"), 18900);
  EXPECT_EQ(scene.Count("destroy"), 1);
}

TEST_F(SaverWindowOnWindows95, ThePreviewHasNoMouseRuleAndClosesWithoutAPassword) {
  const POINT start = CursorAt(400, 300);
  HWND preview = Create(true);
  ASSERT_NE(preview, nullptr);
  CursorAt(start.x + 300, start.y + 300);
  SendMessageA(preview, WM_MOUSEMOVE, 0, 0);
  MSG close;
  EXPECT_FALSE(PeekMessageA(&close, preview, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
  SendMessageA(preview, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(preview));
  EXPECT_EQ(g_passwordAsked, 0);
}

}  // namespace
