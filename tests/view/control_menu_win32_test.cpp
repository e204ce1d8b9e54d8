#include "view/control_menu_win32.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/support/helpers_win32.h"
#include "tests/view/view_state.h"

namespace {

int CursorCount() {
  ShowCursor(TRUE);
  return ShowCursor(FALSE);
}

bool CursorClipIs(const RECT& expected) {
  RECT clip;
  GetClipCursor(&clip);
  return EqualRect(&clip, &expected) != 0;
}

// The dialog template is the product's own: read from nivarel.scr itself.
class ControlMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    ASSERT_NE(product_.module(), nullptr);
  }
  void TearDown() override {
    ClipCursor(nullptr);
    ResetSaverState();
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
    RECT clip;
    GetClipCursor(&clip);
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
    EXPECT_TRUE(CursorClipIs(saver ? bounds : clip));

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(closer, BN_CLICKED), 0);
    EXPECT_EQ(CursorCount(), count);
    EXPECT_TRUE(CursorClipIs(clip));
    DestroyWindow(dialog);
  }
}

}  // namespace
