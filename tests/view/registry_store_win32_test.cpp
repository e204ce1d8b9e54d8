#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/memory_registry.h"
#include "tests/support/win32_helpers.h"
#include "tests/view/view_state.h"
#include "view/registry_store.h"
#include "view/settings.h"

namespace {

// Every test works below a throw-away key of its own, deleted afterwards under all three roots.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    base_ = "Software\\NivarelTests-" + std::to_string(GetCurrentProcessId());
    path_ = base_ + "\\Store";
    SelectRegistryKey(nullptr, path_.c_str());
  }
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
      RegDeleteTreeA(root, base_.c_str());
      RegDeleteKeyA(root, base_.c_str());
    }
    if (window_) DestroyWindow(window_);
    ResetSaverState();
  }


  void PutRaw(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueA(root, path_.c_str(), name, type, data, size), ERROR_SUCCESS);
  }

  // The stored type and length of a value, read straight from the registry.
  std::pair<DWORD, DWORD> TypeAndSize(HKEY root, const char* name) {
    DWORD type = 0, size = 0;
    RegGetValueA(root, path_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size);
    return {type, size};
  }

  std::string base_;
  std::string path_;
  HWND window_ = nullptr;
  ScopedPlatform scopedPlatform{Win32Services()};
};

TEST_F(Win32RegistryTest, ReadOfAMissingKeyCreatesItEmptyWithTheWindowsClass) {
  // A window of the system's "Static" class, whose name becomes the key class.
  window_ = CreateWindowA("Static", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SelectRegistryKey(FromHwnd(window_), path_.c_str());
  EXPECT_EQ(ReadUserDword("absent", 17), 17);

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  char keyClass[64] = "";
  DWORD classLength = sizeof keyClass;
  DWORD values = 99;
  RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, &values,
                   nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_STREQ(keyClass, "Static");
  EXPECT_EQ(values, 0u);
}

TEST_F(Win32RegistryTest, DwordsRoundTripUnderTheCurrentUserOrReadAsTheDefault) {
  for (int32_t value : {0, -1, 19200, INT32_MIN, INT32_MAX}) {
    EXPECT_TRUE(WriteUserDword("mod1 depth", value));
    EXPECT_EQ(ReadUserDword("mod1 depth", 12345), value);
  }
  EXPECT_EQ(TypeAndSize(HKEY_CURRENT_USER, "mod1 depth"), std::make_pair(DWORD{REG_DWORD}, DWORD{4}));

  // Only a REG_DWORD is a number: text typed in by hand, blobs of any size
  // and 64-bit values read as missing.
  const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  PutRaw(HKEY_CURRENT_USER, "binary8", REG_BINARY, eight, sizeof eight);
  PutRaw(HKEY_CURRENT_USER, "binary4", REG_BINARY, eight, 4);
  PutRaw(HKEY_CURRENT_USER, "binary2", REG_BINARY, eight, 2);
  PutRaw(HKEY_CURRENT_USER, "qword", REG_QWORD, eight, 8);
  PutRaw(HKEY_CURRENT_USER, "text", REG_SZ, "150", 4);
  for (const char* name : {"missing", "binary8", "binary4", "binary2", "qword", "text"}) {
    EXPECT_EQ(ReadUserDword(name, -9999), -9999) << name;
  }
  // So a depth typed in as text shows the built-in view, which the save then
  // stores as the number it is.
  PutRaw(HKEY_CURRENT_USER, "mod1 depth", REG_SZ, "150", 4);
  LoadSettings();
  EXPECT_EQ(g_fDepth, 192.0f);
  SaveSettings();
  EXPECT_EQ(TypeAndSize(HKEY_CURRENT_USER, "mod1 depth"), std::make_pair(DWORD{REG_DWORD}, DWORD{4}));
  EXPECT_EQ(ReadUserDword("mod1 depth", 0), 19200);
}

TEST_F(Win32RegistryTest, StringsRoundTripUnderTheLocalMachineAndReadUnderTheClassesRoot) {
  const std::string text = "C:\\Program Files\\Orrinvale\\Nivarel";
  ASSERT_TRUE(WriteMachineString("install_dir", text.c_str()));
  EXPECT_EQ(TypeAndSize(HKEY_LOCAL_MACHINE, "install_dir"),
            std::make_pair(DWORD{REG_SZ}, static_cast<DWORD>(text.size() + 1)));
  char buffer[64];
  EXPECT_EQ(std::string(ReadMachineString("install_dir", buffer, sizeof buffer, "none")), text);
  EXPECT_STREQ(ReadMachineString("install_dir", buffer, 8, "none"), "none") << "too long";
  EXPECT_STREQ(ReadMachineString("missing", buffer, sizeof buffer, "none"), "none");

  PutRaw(HKEY_LOCAL_MACHINE, "bare", REG_SZ, "abcd", 4);  // stored without its terminator
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  EXPECT_STREQ(ReadMachineString("bare", buffer, sizeof buffer, "none"), "abcd");

  PutRaw(HKEY_CLASSES_ROOT, "", REG_SZ, "browser.exe \"%1\"", 17);  // the key's default value
  EXPECT_STREQ(ReadClassesString("", buffer, sizeof buffer, "none"), "browser.exe \"%1\"");
  EXPECT_STREQ(ReadClassesString("missing", buffer, sizeof buffer, "none"), "none");
}

}  // namespace
