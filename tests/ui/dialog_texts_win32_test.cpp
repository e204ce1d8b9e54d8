// Every text that a dialog shows fits its control, measured as the control
// lays it out, in the dialog's own font.  Run at the scale this Wine prefix
// starts with; tests/ui/at_dpi.sh runs it again at 144 and 192 DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/resource_ids.h"
#include "tests/support/win32_helpers.h"

namespace {

INT_PTR CALLBACK TemplateOnly(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The size that a text static's text needs at the width it has.
SIZE TextNeeds(HWND control, HFONT font, const char* text) {
  RECT need;
  GetClientRect(control, &need);
  const LONG kind = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, font);
  DrawTextA(dc, text, -1, &need,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (kind == SS_CENTER ? DT_CENTER : 0));
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return {need.right - need.left, need.bottom - need.top};
}

TEST(DialogTexts, EveryShownTextFitsItsControl) {
  SetProcessDPIAware();  // as the program's manifest asks
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (const char* expected = std::getenv("NIVAREL_EXPECTED_DPI")) {
    ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's scale did not take";
  }

  ProductResources product;
  ASSERT_NE(product.module(), nullptr);
  for (int id : {IDD_SETTINGS, IDD_CONTROL_MENU, IDD_ABOUT, IDD_ADVICE}) {
    HWND dialog = CreateDialogParamA(product.module(), MAKEINTRESOURCEA(id), nullptr, TemplateOnly, 0);
    ASSERT_NE(dialog, nullptr) << id;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
      char className[16] = "";
      char text[256] = "";
      GetClassNameA(control, className, sizeof className);
      const LONG style = GetWindowLongA(control, GWL_STYLE);
      // Only what the user sees: texts of the hidden module group never show.
      if (lstrcmpiA(className, "Static") != 0 || !(style & WS_VISIBLE) ||
          (style & SS_TYPEMASK) > SS_RIGHT || !GetWindowTextA(control, text, sizeof text)) {
        continue;
      }
      RECT box;
      GetClientRect(control, &box);
      const SIZE need = TextNeeds(control, font, text);
      EXPECT_TRUE(need.cx <= box.right && need.cy <= box.bottom)
          << "dialog " << id << " at " << dpi << " DPI: \"" << text << "\" needs " << need.cx << "x"
          << need.cy << ", has " << box.right << "x" << box.bottom;
    }
    DestroyWindow(dialog);
  }
}

}  // namespace
