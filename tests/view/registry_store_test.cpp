#include "view/registry_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSaverState(); }
  // Reads through a buffer with guard bytes on both sides to catch any write outside it.
  std::string ReadGuarded(RegistryRoot root, const char* name, size_t size, const char* defaultText) {
    std::vector<char> memory(size + 16, '#');
    char* buffer = memory.data() + 8;
    EXPECT_EQ(root == kMachine ? ReadMachineString(name, buffer, size, defaultText)
                               : ReadClassesString(name, buffer, size, defaultText), buffer);
    EXPECT_EQ(std::string(memory.data(), 8) + std::string(buffer + size, 8), std::string(16, '#'));
    if (size == 0) return "<untouched>";
    EXPECT_NE(std::memchr(buffer, '\0', size), nullptr) << "not terminated within the buffer";
    return buffer;
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
};

TEST_F(RegistryStoreTest, SelectionHoldsAnyPathAndTheClassCutToFortyBytes) {
  platform.className = std::string(60, 'C');
  std::string longPath = "Software\\" + std::string(300, 'p') + "\\Deep";
  SelectRegistryKey(reinterpret_cast<WindowHandle>(0x77), longPath.c_str());
  EXPECT_TRUE(WriteUserDword("x", 5));
  EXPECT_EQ(registry.Values(RegistryRoot::CurrentUser, longPath).count("x"), 1u);
  EXPECT_EQ(g_registryStore.keyClass, std::string(kKeyClassBufferSize - 1, 'C'));
  SelectRegistryKey(nullptr, "Software\\Elsewhere");
  EXPECT_EQ(g_registryStore.keyClass, "");
}

TEST_F(RegistryStoreTest, StringsAreTerminatedWithinTheBufferWhenReadAndWithTheirNulWhenWritten) {
  registry.PutRaw(kClasses, kSettingsKeyPath, "terminated", RegistryValueType::String, Bytes(std::string("abc\0", 4)));
  registry.PutRaw(kClasses, kSettingsKeyPath, "bare", RegistryValueType::String, Bytes("abcd"));
  const struct { const char* name; size_t size; const char* defaultText; std::string expected; } cases[] = {
      {"terminated", 4, "dflt", "abc"},  // fits exactly with its own NUL
      {"terminated", 3, "dflt", "df"},   // too long: the default, cut to fit
      {"bare", 5, "dflt", "abcd"},       // no NUL of its own: terminated after it
      {"bare", 4, "dflt", "dfl"},        // no room left for the NUL: too long
      {"missing", 16, nullptr, ""},
      {"missing", 0, "dflt", "<untouched>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadGuarded(kClasses, c.name, c.size, c.defaultText), c.expected) << c.name << " in " << c.size;
  }
  EXPECT_EQ(ReadGuarded(kMachine, "terminated", 16, "dflt"), "dflt") << "each root is its own";
  registry.failingRoots.insert(kClasses);
  EXPECT_EQ(ReadGuarded(kClasses, "terminated", 16, "dflt"), "dflt");
  // A string goes to the registry with its terminator, as Windows requires
  // (Wine adds one itself, so only this test can tell).
  EXPECT_TRUE(WriteMachineString("a", "x"));
  EXPECT_EQ(registry.Values(kMachine, kSettingsKeyPath)["a"].data, Bytes(std::string("x\0", 2)));
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
