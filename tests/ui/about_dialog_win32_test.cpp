// The About dialog, built from the product's own template in nivarel.scr.
#include "ui/about_dialog_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"
#include "tests/view/win32_services.h"

namespace {

std::string TextOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

RECT BoxOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Origin and size converted each on its own, as the dialog manager does.
// Etched lines keep the system's line thickness, so only their origin counts.
bool SameBox(HWND dialog, const RECT& box, int x, int y, int width, int height, bool originOnly) {
  RECT units = {x, y, width, height};
  MapDialogRect(dialog, &units);
  if (box.left != units.left || box.top != units.top) return false;
  return originOnly || (box.right == units.left + units.right && box.bottom == units.top + units.bottom);
}

class AboutDialogWin32 : public testing::Test {
 protected:
  void SetUp() override {
    std::string product = BuildPath("nivarel.scr");
    module_ = LoadLibraryExA(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << product;
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(AboutDialogWin32, TemplateHoldsNameCreditsAndLinks) {
  HWND dialog = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), "Nivarel Screen Saver");
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & WS_MINIMIZEBOX, 0);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_TRUE(SameBox(dialog, client, 0, 0, 244, 212, false));

  struct Control {
    int id;
    LONG type;  // SS_TYPEMASK for statics, BS_TYPEMASK for buttons
    int x, y, width, height;
  } expected[] = {
      {-1, SS_ETCHEDFRAME, 7, 7, 228, 198},  {-1, SS_CENTER, 49, 18, 141, 25},
      {-1, SS_CENTER, 92, 117, 59, 18},      {-1, SS_ETCHEDHORZ, 69, 110, 104, 2},
      {-1, SS_CENTER, 42, 138, 160, 9},      {-1, SS_CENTER, 42, 149, 160, 9},
      {-1, SS_CENTER, 42, 160, 160, 10},     {1105, BS_PUSHBUTTON, 13, 178, 70, 18},
      {1112, BS_PUSHBUTTON, 86, 178, 70, 18}, {IDOK, BS_DEFPUSHBUTTON, 159, 178, 70, 18},
  };
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const Control& c : expected) {
    ASSERT_NE(child, nullptr);
    SCOPED_TRACE(testing::Message() << "control at " << c.x << "," << c.y);
    EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(child)), c.id);
    const LONG childStyle = GetWindowLongA(child, GWL_STYLE);
    EXPECT_EQ(childStyle & (c.id > 0 ? BS_TYPEMASK : SS_TYPEMASK), c.type);
    EXPECT_TRUE(SameBox(dialog, BoxOf(child), c.x, c.y, c.width, c.height, c.type == SS_ETCHEDHORZ));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  std::string name = TextOf(GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDNEXT));
  EXPECT_EQ(name.rfind("Nivarel v1.01\n", 0), 0u) << name;
  EXPECT_EQ(std::count(name.begin(), name.end(), '\n'), 2) << "three lines";
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1105)), "Visit My Web Site");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1112)), "Send Me Email");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), "OK");
  DestroyWindow(dialog);
}

// Presses the chosen button in the About dialog as soon as it is up.
HHOOK g_presser = nullptr;
int g_button = IDOK;
LRESULT CALLBACK PressOnInit(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG) {
    PostMessageA(call->hwnd, WM_COMMAND, MAKEWPARAM(g_button, BN_CLICKED), 0);
  }
  return CallNextHookEx(g_presser, code, wParam, lParam);
}

TEST_F(AboutDialogWin32, OkAndEscEndItWithResultOneAndOtherCommandsDoNot) {
  ScopedPlatform scoped(Win32Services());
  HINSTANCE previousInstance = g_hInstance;
  g_hInstance = module_;
  g_presser = SetWindowsHookExA(WH_CALLWNDPROCRET, PressOnInit, nullptr, GetCurrentThreadId());
  ASSERT_NE(g_presser, nullptr);
  for (int button : {IDOK, IDCANCEL}) {
    g_button = button;
    EXPECT_EQ(Platform().RunDialog(IDD_ABOUT, nullptr), 1) << button;
  }
  UnhookWindowsHookEx(g_presser);
  g_hInstance = previousInstance;

  HWND dialog = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1200, BN_CLICKED), 0);
  EXPECT_TRUE(IsWindow(dialog));
  DestroyWindow(dialog);
}

}  // namespace
