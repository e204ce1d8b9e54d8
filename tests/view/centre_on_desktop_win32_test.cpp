#include "ui/centre_on_desktop.h"

#include <gtest/gtest.h>

namespace {

const char kClass[] = "NivarelCentreTestClass";

HWND PopupWindow(int x, int y, int width, int height) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, kClass, "centre", WS_POPUP, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(CentreOnDesktop, MovesAndShowsTheWindowWhereTheFormulaSays) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const struct {
    int x, y, width, height;
  } cases[] = {
      {5, 7, 300, 200},
      {-40, 900, 301, 201},  // odd sizes: the half rounds toward zero
      // Larger than the desktop: a negative half, still rounded toward zero.
      {0, 0, static_cast<int>(desktop.right) + 3, static_cast<int>(desktop.bottom) + 5},
  };
  // One window for every case: under Wine each unmapping of a window costs seconds.
  HWND window = PopupWindow(0, 0, 10, 10);
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(IsWindowVisible(window)) << "shown by CentreOnDesktop, not before";
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    SetWindowPos(window, nullptr, c.x, c.y, c.width, c.height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT before;
    GetWindowRect(window, &before);

    CentreOnDesktop(window);

    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, (desktop.right + before.left - before.right) / 2);
    EXPECT_EQ(after.top, (desktop.bottom + before.top - before.bottom) / 2);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_TRUE(IsWindowVisible(window));
  }
  DestroyWindow(window);
}

}  // namespace
