#include "view/registry_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewState();
    SelectRegistryKey(reinterpret_cast<WindowHandle>(0x77), kSettingsKeyPath);
  }
  // Reads through a buffer with guard bytes on both sides to catch any write outside it.
  std::string ReadGuarded(RegistryRoot root, const char* name, size_t size, const char* defaultText) {
    std::vector<char> memory(size + 16, '#');
    char* buffer = memory.data() + 8;
    char* result = root == kMachine ? ReadMachineString(name, buffer, size, defaultText)
                                    : ReadClassesString(name, buffer, size, defaultText);
    EXPECT_EQ(result, buffer);
    EXPECT_EQ(std::string(memory.data(), 8), "########");
    EXPECT_EQ(std::string(buffer + size, 8), "########");
    if (size == 0) return "<untouched>";
    EXPECT_NE(std::memchr(buffer, '\0', size), nullptr) << "not terminated within the buffer";
    return buffer;
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
};

TEST_F(RegistryStoreTest, SelectionHoldsAnyPathAndTheClassCutToFortyBytes) {
  platform.className = std::string(60, 'C');
  std::string longPath = "Software\\" + std::string(300, 'p') + "\\Deep";
  SelectRegistryKey(reinterpret_cast<WindowHandle>(0x77), longPath.c_str());
  EXPECT_EQ(ReadUserDword("x", 5), 5);
  EXPECT_TRUE(registry.KeyExists(kUser, longPath));
  EXPECT_EQ(registry.KeyClass(kUser, longPath), std::string(kKeyClassBufferSize - 1, 'C'));

  SelectRegistryKey(nullptr, "Software\\Elsewhere");
  EXPECT_EQ(g_registryStore.keyClass, "");
}

TEST_F(RegistryStoreTest, DwordsReadBackOrFallBackToTheDefault) {
  EXPECT_TRUE(WriteUserDword("stored", -123456));
  registry.PutDword(kUser, kSettingsKeyPath, "", 77);
  registry.PutRaw(kUser, kSettingsKeyPath, "short", RegistryValueKind::Binary, {0x34, 0x12});
  registry.PutRaw(kUser, kSettingsKeyPath, "text", RegistryValueKind::String, Bytes(std::string("ab\0", 3)));
  registry.PutRaw(kUser, kSettingsKeyPath, "long", RegistryValueKind::Binary, {1, 2, 3, 4, 5});
  const struct {
    const char* name;
    int32_t expected;
  } cases[] = {{"stored", -123456}, {"STORED", -123456}, {"", 77},  {"short", 0x1234},
               {"text", 0x6261},    {"long", -9999},     {"missing", -9999}};
  for (const auto& c : cases) EXPECT_EQ(ReadUserDword(c.name, -9999), c.expected) << c.name;
  EXPECT_FALSE(registry.KeyExists(kMachine, kSettingsKeyPath)) << "per user only";

  registry.failingRoots.insert(kUser);
  EXPECT_EQ(ReadUserDword("stored", 31), 31);
  EXPECT_FALSE(WriteUserDword("stored", 1));
}

TEST_F(RegistryStoreTest, StringsAreWrittenWithTheirTerminator) {
  EXPECT_TRUE(WriteMachineString("install_dir", "C:\\Nivarel"));
  auto values = registry.Values(kMachine, kSettingsKeyPath);
  EXPECT_EQ(values["install_dir"].kind, RegistryValueKind::String);
  EXPECT_EQ(values["install_dir"].data, Bytes(std::string("C:\\Nivarel\0", 11)));
  EXPECT_EQ(ReadGuarded(kMachine, "install_dir", 64, "none"), "C:\\Nivarel");

  registry.failWrites = true;
  EXPECT_FALSE(WriteMachineString("install_dir", "D:\\"));
}

TEST_F(RegistryStoreTest, StringReadsStayInsideTheBufferAndAreAlwaysTerminated) {
  registry.PutRaw(kClasses, kSettingsKeyPath, "terminated", RegistryValueKind::String, Bytes(std::string("abc\0", 4)));
  registry.PutRaw(kClasses, kSettingsKeyPath, "bare", RegistryValueKind::String, Bytes("abcd"));
  const struct { const char* name; size_t size; const char* defaultText; std::string expected; } cases[] = {
      {"terminated", 4, "dflt", "abc"},  // fits exactly with its own NUL
      {"terminated", 3, "dflt", "df"},   // too long: the default, cut to fit
      {"bare", 5, "dflt", "abcd"},       // no NUL of its own: terminated after it
      {"bare", 4, "dflt", "dfl"},        // no room left for the NUL: too long
      {"bare", 1, "dflt", ""},
      {"missing", 16, "default text", "default text"},
      {"missing", 16, nullptr, ""},
      {"missing", 0, "dflt", "<untouched>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " in " << c.size);
    EXPECT_EQ(ReadGuarded(kClasses, c.name, c.size, c.defaultText), c.expected);
  }
  EXPECT_EQ(ReadGuarded(kMachine, "terminated", 16, "dflt"), "dflt") << "each root is its own";
  registry.failingRoots.insert(kClasses);
  EXPECT_EQ(ReadGuarded(kClasses, "terminated", 16, "dflt"), "dflt");
}

TEST_F(RegistryStoreTest, EveryOperationOpensAndClosesItsKeyOnce) {
  char buffer[8];
  const std::function<void()> operations[] = {
      [] { ReadUserDword("a", 0); }, [] { WriteUserDword("a", 1); }, [] { WriteMachineString("a", "x"); },
      [&] { ReadMachineString("a", buffer, sizeof buffer, ""); },
      [&] { ReadClassesString("a", buffer, sizeof buffer, ""); }};
  for (size_t i = 0; i < std::size(operations); ++i) {
    const int opensBefore = registry.opens;
    operations[i]();
    EXPECT_EQ(registry.opens, opensBefore + 1) << i;
    EXPECT_EQ(registry.OpenHandles(), 0u) << i;
  }
}

}  // namespace
