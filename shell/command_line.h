// Reading the screen-saver request from the process command line.
//
// The system starts a screen saver with a mode letter ("/s", "/p 1234", "/c",
// "/a 1234" and their variants); only the first significant character of the
// argument text counts.  These rules are pure so that every odd command line
// the system (or a user) may produce is tested without starting anything.
#pragma once
#include <cstdint>

enum class SaverMode {
  None,            // an unrecognised request: nothing is shown, exit code -1
  FullScreen,      // "/s"
  Preview,         // "/p <window>" or "/l <window>": drawn into the given window
  Configure,       // "/c" or no argument: the settings dialog
  ChangePassword,  // "/a <window>": the system's change-password dialog
};

struct SaverRequest {
  SaverMode mode = SaverMode::None;
  // The window named after "/p", "/l" or "/a"; 0 when none is given.
  uint32_t window = 0;
  // Configure only: "/c" is owned by the foreground window, an empty argument
  // text by no window at all.
  bool ownedByForeground = false;
};

// Advances one character of the command line (CharNextA on Windows, which
// steps over double-byte characters whole).  Never moves past the NUL.
using NextCharFunction = const char* (*)(const char*);

// The argument text of a full command line: the program name (quoted or not)
// and the separators after it skipped.
const char* ArgumentText(const char* commandLine, NextCharFunction next);

// The decimal number at the start of `text`, in wrapping 32-bit arithmetic;
// 0 when the text starts with no digit.  No sign, no hexadecimal.
uint32_t ParseWindowHandle(const char* text);

// The mode and window that the argument text asks for.
SaverRequest ReadSaverRequest(const char* arguments);
