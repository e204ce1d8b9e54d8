// What only the real registry decides: which stored types count as a number,
// and the rights a key is opened with.  The buffer and default rules are the
// portable store's tests'.
#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/helpers_win32.h"
#include "tests/view/view_state.h"
#include "view/registry_store.h"
#include "view/settings.h"

namespace {

// Every test works below a throw-away key of its own, deleted afterwards.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    SelectRegistryKey(nullptr, path_.c_str());
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    ResetSaverState();
  }
  // Puts a security descriptor (in the descriptor language) on the settings
  // key, as a locked-down account's policy does.
  bool Lock(const char* descriptor) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR security = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptor, SDDL_REVISION_1, &security, nullptr);
    const LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security);
    LocalFree(security);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }

  const std::string base_ = "Software\\NivarelTests-" + std::to_string(GetCurrentProcessId());
  const std::string path_ = base_ + "\\Store";
  ScopedPlatform scopedPlatform{Win32Services()};
};

// Only a REG_DWORD is a number: text typed in by hand, blobs of any size and
// 64-bit values read as missing.
TEST_F(Win32RegistryTest, OnlyDwordsReadAsNumbers) {
  EXPECT_TRUE(WriteUserDword("dword", INT32_MIN));
  EXPECT_EQ(ReadUserDword("dword", 0), INT32_MIN);
  const struct { DWORD type, size; } others[] = {
      {REG_BINARY, 8}, {REG_BINARY, 4}, {REG_BINARY, 2}, {REG_QWORD, 8}, {REG_SZ, 4}};
  for (const auto& other : others) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, path_.c_str(), "value", other.type, "150\0abcd", other.size), 0);
    EXPECT_EQ(ReadUserDword("value", -9999), -9999) << "type " << other.type << " of " << other.size << " bytes";
  }
}

// A key the user may read but not change still gives the stored view, and
// saving quietly writes nothing; a key nobody may open gives the built-in one.
TEST_F(Win32RegistryTest, ALockedKeyIsStillReadAndNothingIsWritten) {
  ASSERT_TRUE(WriteUserDword("mod1 depth", 15000));
  ASSERT_TRUE(Lock("D:(A;;KR;;;WD)"));  // everyone may read
  LoadSettings();
  EXPECT_EQ(g_fDepth, 150.0f);
  SaveSettings();
  ASSERT_TRUE(Lock("D:(D;;KA;;;WD)"));  // nobody may open it
  LoadSettings();
  EXPECT_EQ(g_fDepth, 192.0f);
  ASSERT_TRUE(Lock("D:(A;;KA;;;WD)"));
  EXPECT_EQ(ReadUserDword("mod1 depth", 0), 15000);
  EXPECT_EQ(ReadUserDword("mod1 horz", -1), -1) << "nothing was written";
}

}  // namespace
