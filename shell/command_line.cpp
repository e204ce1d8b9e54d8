#include "shell/command_line.h"

namespace {

// Bytes 0x80 and above belong to names and modes, never to separators.
bool IsSeparatorByte(char c) { return static_cast<unsigned char>(c) <= 32; }

const char* SkipSpaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

}  // namespace

const char* ArgumentText(const char* commandLine, NextCharFunction next) {
  const char* p = commandLine;
  if (*p == '"') {
    // A quoted path may hold spaces; an unterminated quote takes the whole line.
    p = next(p);
    while (*p != '\0' && *p != '"') p = next(p);
    if (*p == '"') p = next(p);
  } else {
    while (*p != '\0' && !IsSeparatorByte(*p)) p = next(p);
  }
  while (*p != '\0' && IsSeparatorByte(*p)) p = next(p);
  return p;
}

uint32_t ParseWindowHandle(const char* text) {
  uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10u + static_cast<uint32_t>(*text - '0');
  }
  return value;
}

SaverRequest ReadSaverRequest(const char* arguments) {
  SaverRequest request;
  for (const char* p = arguments;; ++p) {
    switch (*p) {
      case '\0':
        request.mode = SaverMode::Configure;
        return request;
      case ' ':
      case '-':
      case '/':
        continue;
      case 'S':
      case 's':
        request.mode = SaverMode::FullScreen;
        return request;
      case 'P':
      case 'p':
      case 'L':
      case 'l':
        request.mode = SaverMode::Preview;
        request.window = ParseWindowHandle(SkipSpaces(p + 1));
        return request;
      case 'C':
      case 'c':
        request.mode = SaverMode::Configure;
        request.ownedByForeground = true;
        return request;
      case 'A':
      case 'a':
        request.mode = SaverMode::ChangePassword;
        request.window = ParseWindowHandle(SkipSpaces(p + 1));
        return request;
      default:
        return request;
    }
  }
}
