#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* NextByte(const char* p) { return *p ? p + 1 : p; }

std::string Arguments(const char* commandLine) { return ArgumentText(commandLine, NextByte); }

TEST(ArgumentText, SkipsTheProgramNameAndTheSeparatorsAfterIt) {
  struct Case { const char* line; const char* arguments; } cases[] = {
      {"nivarel.scr /s", "/s"},  {"nivarel.scr", ""},  {"", ""},
      {"nivarel.scr \t  /p 1234", "/p 1234"},
      {"\"C:\\Program Files\\nivarel.scr\" /c:1234", "/c:1234"},
      {"\"C:\\Program Files\\nivarel.scr\"/s", "/s"},
      {"\"C:\\Program Files\\nivarel.scr /s", ""},  // unterminated quote: all name
      {"\"\" /s", "/s"},
      {"na\xE9me.scr /s", "/s"},        // bytes 0x80 and above belong to the name
      {"nivarel.scr \xA0/s", "\xA0/s"},  // ...and stop the separator skip
  };
  for (const Case& c : cases) EXPECT_EQ(Arguments(c.line), c.arguments) << c.line;
}

// The plain requests ("/s", "/p 1234", "/c", "/save", "/p:1234", "/a", "/x")
// are end-to-end tests of the saver itself; the window number is read from
// the leading decimal digits.
TEST(ReadSaverRequest, OnlyTheFirstSignificantCharacterCounts) {
  using M = SaverMode;
  struct Case { const char* arguments; SaverMode mode; uint32_t window; bool ownedByForeground; } cases[] = {
      {"", M::Configure, 0, false},          {" -/ //--", M::Configure, 0, false},
      {"-S", M::FullScreen, 0, false},       {" s", M::FullScreen, 0, false},
      {"/p1234", M::Preview, 1234, false},   {"/P   77", M::Preview, 77, false},
      {"/l 99", M::Preview, 99, false},      {"/p", M::Preview, 0, false},
      {"/p 42abc", M::Preview, 42, false},   {"/p 4294967301", M::Preview, 5, false},  // wraps
      {"/c", M::Configure, 0, true},         {"C", M::Configure, 0, true},
      {"/c:1234", M::Configure, 0, true},  // the number after /c is ignored
      {"/a 5678", M::ChangePassword, 5678, false},
      {"1234", M::None, 0, false},           {"\xE9", M::None, 0, false},
      {"\t/s", M::None, 0, false},  // only blanks, dashes and slashes are skipped
  };
  for (const Case& c : cases) {
    SaverRequest request = ReadSaverRequest(c.arguments);
    EXPECT_EQ(request.mode, c.mode) << c.arguments;
    EXPECT_EQ(request.window, c.window) << c.arguments;
    EXPECT_EQ(request.ownedByForeground, c.ownedByForeground) << c.arguments;
  }
}

}  // namespace
