#include "ui/advice_dialog_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/run_state.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/test_paths.h"
#include "tests/support/win32_dialog_presser.h"
#include "tests/view/win32_services.h"
#include "ui/advice_dialog.h"
#include "ui/run_once.h"
#include "view/registry_store.h"

namespace {

constexpr char kTitle[] = "Oops, looks like there is a problem...";

struct Box {
  LONG left, top, right, bottom;
  bool operator==(const Box& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

void PrintTo(const Box& box, std::ostream* os) {
  *os << "{" << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << "}";
}

Box ClientBoxOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// The dialog manager converts a control's origin and its size separately.
Box DialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT origin = {x, y, 0, 0};
  RECT size = {width, height, 0, 0};
  MapDialogRect(dialog, &origin);
  MapDialogRect(dialog, &size);
  return {origin.left, origin.top, origin.left + size.left, origin.top + size.top};
}

// Pictures size their control to the picture: only the origin is the template's.
Box Origin(const Box& box) { return {box.left, box.top, box.left, box.top}; }

// Whether `upper` lies above `lower` in the z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == upper) return true;
    if (window == lower) return false;
  }
  return false;
}

// The dialog template is the product's own: read from nivarel.scr itself.
class AdviceDialog : public testing::Test {
 protected:
  void SetUp() override {
    g_fFrameRate = 2.54f;
    g_hSaverWindow = nullptr;
    g_registryStore = RegistryStore{kSettingsKeyPath, ""};
    std::string product = BuildPath("nivarel.scr");
    module_ = LoadLibraryExA(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << product;
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    if (module_) FreeLibrary(module_);
    g_fFrameRate = 33.0f;
    g_hSaverWindow = nullptr;
  }
  HWND Open() {
    dialog_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_ADVICE), nullptr, AdviceDialogProc, 0);
    return dialog_;
  }

  HMODULE module_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_F(AdviceDialog, IsBuiltFromTheProductsTemplate) {
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), kTitle);
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & WS_SYSMENU, 0);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ((Box{client.left, client.top, client.right, client.bottom}),
            DialogUnits(dialog, 0, 0, 320, 241));

  struct Control {
    int id;
    const char* className;
    LONG type;  // SS_TYPEMASK for statics, BS_TYPEMASK for buttons
    const char* text;
    int x, y, width, height;
  } expected[] = {
      {-1, "Static", SS_ETCHEDFRAME, "", 6, 6, 306, 227},
      {IDOK, "Button", BS_DEFPUSHBUTTON, "OK", 200, 200, 88, 18},
      {-1, "Static", SS_BITMAP, nullptr, 13, 12, 161, 215},
      {-1, "Static", SS_LEFT,
       "Oops, there seems to be a problem running this screen saver on your computer.  Ideally the "
       "animation should run at 30 frames per second.",
       188, 20, 117, 32},
      {-1, "Static", SS_CENTER,
       "If you wish, you can remove this screen saver by clicking the button below.", 191, 115, 104, 27},
      {kRemoveSaverButton, "Button", BS_PUSHBUTTON, "Remove Screen Saver", 187, 144, 110, 18},
      {-1, "Static", SS_CENTER, nullptr, 215, 171, 57, 25},
      {-1, "Static", SS_ICON, nullptr, 196, 173, 20, 20},
      {-1, "Static", SS_ICON, nullptr, 271, 173, 20, 20},
      {kFrameRateText, "Static", SS_LEFT, "The current frame rate is:\n2.5 frames per second.", 188,
       57, 111, 19},
      {-1, "Static", SS_LEFT,
       "I recommend you either upgrade\nyour video card, or check on the manufacturer's web site "
       "for more recent video drivers for your card.",
       188, 78, 117, 33},
  };
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const Control& c : expected) {
    ASSERT_NE(child, nullptr) << "missing control at " << c.x << "," << c.y;
    SCOPED_TRACE(testing::Message() << "control at " << c.x << "," << c.y);
    EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(child)), c.id);
    EXPECT_EQ(ClassOf(child), c.className);
    const LONG childStyle = GetWindowLongA(child, GWL_STYLE);
    EXPECT_EQ(childStyle & (ClassOf(child) == "Button" ? BS_TYPEMASK : SS_TYPEMASK), c.type);
    if (c.text) {
      EXPECT_EQ(TextOf(child), c.text);
    }
    const Box box = DialogUnits(dialog, c.x, c.y, c.width, c.height);
    if (c.type == SS_BITMAP || c.type == SS_ICON) {
      EXPECT_EQ(Origin(ClientBoxOf(child)), Origin(box));
    } else {
      EXPECT_EQ(ClientBoxOf(child), box);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template has";

  // The greeting ends in a signature line of its own.
  std::string greeting = TextOf(GetWindow(GetDlgItem(dialog, kRemoveSaverButton), GW_HWNDNEXT));
  EXPECT_EQ(greeting.rfind("In gratitude, joy, and love,\n", 0), 0u) << greeting;
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
}

TEST_F(AdviceDialog, RemoveSchedulesTheUninstallerBelowTheSaverAndStaysOpen) {
  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  HWND saver = CreateWindowExA(0, "Static", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  g_hSaverWindow = saver;
  ASSERT_TRUE(IsAbove(saver, dialog));

  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kRemoveSaverButton, BN_CLICKED), 0);

  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(IsAbove(dialog, saver)) << "the saver went to the bottom";
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].owner, FromHwnd(dialog));
  EXPECT_EQ(platform.messageBoxes[0].caption, "Screen saver will be removed.");
  EXPECT_TRUE(registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).count("kill_saver"));
  DestroyWindow(saver);
}

TEST_F(AdviceDialog, OkAndEscBothEndItWithResultOne) {
  ScopedPlatform scoped(Win32Services());
  HINSTANCE previousInstance = g_hInstance;
  g_hInstance = module_;
  DialogPresser presser(IDOK);
  ASSERT_TRUE(presser.installed());
  for (int button : {IDOK, IDCANCEL}) {
    presser.SetButton(button);
    EXPECT_EQ(Platform().RunDialog(IDD_ADVICE, nullptr), 1) << button;
  }
  g_hInstance = previousInstance;
}

}  // namespace
