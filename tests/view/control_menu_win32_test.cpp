#include "view/control_menu_win32.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"
#include "tests/support/win32_dialog_presser.h"
#include "tests/view/view_state.h"
#include "tests/view/win32_services.h"

// Rectangles compared and printed by value in the expectations below (found by
// argument-dependent look-up, so at global scope; internal to this file).
static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
static void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

const char kKeyList[] =
    "F1 - This Control Menu\nEsc - Quit\n\nPage Up - Zoom Out\nPage Down - Zoom In\n"
    "Arrow Keys - Up Down Right Left\nF2,F3 - Rotate Fwd/Bkwd\nF4,F5 - Rotate Vertical\n"
    "F6,F7 - Rotate Left/Right\nF8,F9 - Speed Up/Down\nHome - Restore Default Position";

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
    std::string product = BuildPath("nivarel.scr");
    module_ = LoadLibraryExA(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << product;
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    ClipCursor(nullptr);
    if (module_) FreeLibrary(module_);
    ResetViewState();
  }
  HWND Open() {
    dialog_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_CONTROL_MENU), nullptr,
                                 ControlMenuProcedure, 0);
    return dialog_;
  }

  HMODULE module_ = nullptr;
  HWND dialog_ = nullptr;
};

// The template's texts and default button, and the dialog centred with the
// focus on OK: the layout itself is the resource script's business.
TEST_F(ControlMenuTest, OpensCentredFromTheProductsTemplate) {
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), "Control Menu");
  HWND ok = GetDlgItem(dialog, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(TextOf(ok), "OK");
  EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 0xFFFF)), kKeyList);

  EXPECT_TRUE(IsWindowVisible(dialog));
  RECT desktop, own;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(dialog, &own);
  EXPECT_EQ(own.left, (desktop.right - (own.right - own.left)) / 2) << "centred";
  EXPECT_EQ(own.top, (desktop.bottom - (own.bottom - own.top)) / 2);
  EXPECT_EQ(GetFocus(), ok);
}

TEST_F(ControlMenuTest, OnlyOverTheSaverIsTheCursorShownAndKeptInsideUntilClosed) {
  for (auto [saver, closer] :
       {std::pair{true, IDOK}, std::pair{true, IDCANCEL}, std::pair{false, IDCANCEL}}) {
    SCOPED_TRACE(testing::Message() << "saver " << saver << " closer " << closer);
    g_bSaverWindow = saver;
    int count = CursorCount();
    RECT clip = CursorClip();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    EXPECT_EQ(CursorCount(), saver ? count + 1 : count);
    EXPECT_EQ(CursorClip(), saver ? bounds : clip);

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(closer, BN_CLICKED), 0);
    EXPECT_EQ(CursorCount(), count);
    EXPECT_EQ(CursorClip(), clip);
    DestroyWindow(dialog);
    dialog_ = nullptr;
  }
}

TEST_F(ControlMenuTest, RunsModallyThroughThePlatform) {
  ScopedPlatform scoped(Win32Services());
  HINSTANCE previousInstance = g_hInstance;
  g_hInstance = module_;
  DialogPresser presser(IDOK);
  ASSERT_TRUE(presser.installed());

  EXPECT_EQ(Platform().RunDialog(IDD_CONTROL_MENU, nullptr), 1);
  EXPECT_EQ(presser.lastCaption(), "Control Menu");

  g_hInstance = previousInstance;
}

}  // namespace
