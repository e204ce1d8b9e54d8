// The window system's numbers that cross the platform seam: message ids,
// virtual keys, message-box styles and results, pixel-format flags.  They
// keep the values of the Win32 API, so the Win32 host passes them through
// unchanged and every other host (the X11 window, the test fakes) translates
// its own events into them.  The portable core never sees <windows.h>, so
// they live here under names of their own (the Win32 macros WM_..., VK_...
// and MB_... would collide with same-named constants).
#pragma once
#include <cstdint>

// Window messages.
constexpr unsigned kWmSize = 0x0005;  // lParam: height << 16 | width
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmPaint = 0x000F;
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmChar = 0x0102;
constexpr unsigned kWmSysKeyDown = 0x0104;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmMouseMove = 0x0200;
constexpr unsigned kWmLButtonDown = 0x0201;
constexpr unsigned kWmRButtonDown = 0x0204;
constexpr unsigned kWmMButtonDown = 0x0207;

// Virtual keys.
constexpr unsigned kVkBack = 8;
constexpr unsigned kVkReturn = 13;
constexpr unsigned kVkShift = 16;
constexpr unsigned kVkEscape = 27;
constexpr unsigned kVkPrior = 33;  // Page Up
constexpr unsigned kVkNext = 34;   // Page Down
constexpr unsigned kVkHome = 36;
constexpr unsigned kVkLeft = 37;
constexpr unsigned kVkUp = 38;
constexpr unsigned kVkRight = 39;
constexpr unsigned kVkDown = 40;
constexpr unsigned kVkNumpad2 = 98;
constexpr unsigned kVkNumpad3 = 99;
constexpr unsigned kVkNumpad4 = 100;
constexpr unsigned kVkNumpad5 = 101;
constexpr unsigned kVkNumpad6 = 102;
constexpr unsigned kVkNumpad8 = 104;
constexpr unsigned kVkNumpad9 = 105;
constexpr unsigned kVkF1 = 112;
constexpr unsigned kVkF2 = 113;
constexpr unsigned kVkF3 = 114;
constexpr unsigned kVkF4 = 115;
constexpr unsigned kVkF5 = 116;
constexpr unsigned kVkF6 = 117;
constexpr unsigned kVkF7 = 118;
constexpr unsigned kVkF8 = 119;
constexpr unsigned kVkF9 = 120;
constexpr unsigned kVkF11 = 122;
constexpr unsigned kVkF12 = 123;

// Message-box styles and the buttons' results (also the OK and Cancel
// commands of every dialog).
constexpr unsigned kMbOk = 0x00000000;
constexpr unsigned kMbIconExclamation = 0x00000030;
constexpr unsigned kMbIconInformation = 0x00000040;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Pixel-format flags and type.
constexpr uint32_t kPfdDoubleBuffer = 0x01;
constexpr uint32_t kPfdDrawToWindow = 0x04;
constexpr uint32_t kPfdSupportOpenGL = 0x20;
constexpr uint32_t kPfdGenericFormat = 0x40;
constexpr uint8_t kPfdTypeRgba = 0;
