#include "view/control_menu_win32.h"

#include <gtest/gtest.h>

#include <ostream>

#include "resources/resource_ids.h"
#include "tests/support/win32_helpers.h"
#include "tests/view/view_state.h"

// Rectangles compared and printed by value in the expectations below (found by
// argument-dependent look-up, so at global scope; internal to this file).
static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
static void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

int CursorCount() {
  ShowCursor(TRUE);
  return ShowCursor(FALSE);
}

RECT CursorClip() {
  RECT clip;
  GetClipCursor(&clip);
  return clip;
}

// The dialog template is the product's own: read from nivarel.scr itself.
class ControlMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewState();
    ASSERT_NE(product_.module(), nullptr);
  }
  void TearDown() override {
    ClipCursor(nullptr);
    ResetViewState();
  }

  ProductResources product_;
};

// Centred with the focus on OK; over the saver the cursor is shown and kept
// inside the menu until it closes.
TEST_F(ControlMenuTest, OnlyOverTheSaverIsTheCursorShownAndKeptInsideUntilClosed) {
  for (auto [saver, closer] :
       {std::pair{true, IDOK}, std::pair{true, IDCANCEL}, std::pair{false, IDCANCEL}}) {
    SCOPED_TRACE(testing::Message() << "saver " << saver << " closer " << closer);
    g_bSaverWindow = saver;
    int count = CursorCount();
    RECT clip = CursorClip();
    HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_CONTROL_MENU), nullptr,
                                     ControlMenuProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    RECT desktop, bounds;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &bounds);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(bounds.left, (desktop.right - (bounds.right - bounds.left)) / 2) << "centred";
    EXPECT_EQ(bounds.top, (desktop.bottom - (bounds.bottom - bounds.top)) / 2);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    EXPECT_EQ(CursorCount(), saver ? count + 1 : count);
    EXPECT_EQ(CursorClip(), saver ? bounds : clip);

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(closer, BN_CLICKED), 0);
    EXPECT_EQ(CursorCount(), count);
    EXPECT_EQ(CursorClip(), clip);
    DestroyWindow(dialog);
  }
}

}  // namespace
