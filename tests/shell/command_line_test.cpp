#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* NextByte(const char* p) { return *p ? p + 1 : p; }

std::string Arguments(const char* commandLine) { return ArgumentText(commandLine, NextByte); }

TEST(ArgumentText, SkipsTheProgramNameAndTheSeparatorsAfterIt) {
  struct Case { const char* line; const char* arguments; } cases[] = {
      {"nivarel.scr /s", "/s"},
      {"nivarel.scr", ""},
      {"nivarel.scr \t  /p 1234", "/p 1234"},
      {"\"C:\\Program Files\\nivarel.scr\" /c:1234", "/c:1234"},
      {"\"C:\\Program Files\\nivarel.scr\"/s", "/s"},
      {"\"C:\\Program Files\\nivarel.scr /s", ""},  // unterminated quote: all name
      {"\"\" /s", "/s"},
      {"na\xE9me.scr /s", "/s"},        // bytes 0x80 and above belong to the name
      {"nivarel.scr \xA0/s", "\xA0/s"},  // ...and stop the separator skip
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Arguments(c.line), c.arguments) << c.line;
}

TEST(ParseWindowHandle, ReadsLeadingDecimalDigitsOnly) {
  struct Case { const char* text; uint32_t value; } cases[] = {
      {"1234", 1234u},  {"1234 5", 1234u},       {"42abc", 42u},
      {"", 0u},         {":1234", 0u},           {"-5", 0u},
      {"0x10", 0u},     {"4294967295", 4294967295u},
      {"4294967296", 0u},  // wraps silently
      {"4294967301", 5u},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.value) << c.text;
}

// The plain requests ("/s", "/p 1234", "/c", "/save", "/p:1234", "/a", "/x")
// are end-to-end tests of the saver itself.
TEST(ReadSaverRequest, OnlyTheFirstSignificantCharacterCounts) {
  struct Case { const char* arguments; SaverMode mode; uint32_t window; bool ownedByForeground; } cases[] = {
      {"", SaverMode::Configure, 0, false},
      {" -/ //--", SaverMode::Configure, 0, false},
      {"-S", SaverMode::FullScreen, 0, false},
      {" s", SaverMode::FullScreen, 0, false},
      {"/p1234", SaverMode::Preview, 1234, false},
      {"/P   77", SaverMode::Preview, 77, false},
      {"/l 99", SaverMode::Preview, 99, false},
      {"/p", SaverMode::Preview, 0, false},
      {"/c", SaverMode::Configure, 0, true},
      {"/c:1234", SaverMode::Configure, 0, true},  // the number after /c is ignored
      {"C", SaverMode::Configure, 0, true},
      {"/a 5678", SaverMode::ChangePassword, 5678, false},
      {"1234", SaverMode::None, 0, false},
      {"\t/s", SaverMode::None, 0, false},  // only blanks, dashes and slashes are skipped
      {"\xE9", SaverMode::None, 0, false},
  };
  for (const Case& c : cases) {
    SaverRequest request = ReadSaverRequest(c.arguments);
    EXPECT_EQ(request.mode, c.mode) << c.arguments;
    EXPECT_EQ(request.window, c.window) << c.arguments;
    EXPECT_EQ(request.ownedByForeground, c.ownedByForeground) << c.arguments;
  }
}

}  // namespace
