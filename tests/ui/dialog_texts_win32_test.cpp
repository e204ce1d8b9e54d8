// Every text that a dialog shows fits its control, measured as the control
// lays it out, in the dialog's own font.  Run at the scale this Wine prefix
// starts with; tests/ui/at_dpi.sh runs it again at 144 and 192 DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/resource_ids.h"
#include "tests/support/helpers_win32.h"

namespace {

INT_PTR CALLBACK TemplateOnly(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Whether a text static's text fits it at the width it has.
bool TextFits(HWND control, HFONT font, const char* text) {
  RECT box, need;
  GetClientRect(control, &box);
  need = box;
  const bool centred = (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER;
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, font);
  DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (centred ? DT_CENTER : 0));
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return need.right - need.left <= box.right && need.bottom - need.top <= box.bottom;
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
      char className[16] = "", text[256] = "";
      GetClassNameA(control, className, sizeof className);
      const LONG style = GetWindowLongA(control, GWL_STYLE);
      // Only what the user sees: texts of the hidden module group never show.
      if (lstrcmpiA(className, "Static") == 0 && (style & WS_VISIBLE) && (style & SS_TYPEMASK) <= SS_RIGHT &&
          GetWindowTextA(control, text, sizeof text)) {
        EXPECT_TRUE(TextFits(control, font, text)) << "dialog " << id << " at " << dpi << " DPI: \"" << text << "\"";
      }
    }
    DestroyWindow(dialog);
  }
}

}  // namespace
