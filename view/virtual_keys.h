// Window-message ids and virtual-key codes that the keyboard control acts on,
// with the numbers of the Win32 API.  The portable core never sees
// <windows.h>, so the numbers live here under names of their own (the Win32
// macros VK_... and WM_... would collide with same-named constants).
#pragma once

constexpr unsigned kWmKeyDown = 256;     // WM_KEYDOWN
constexpr unsigned kWmKeyUp = 257;       // WM_KEYUP
constexpr unsigned kWmSysKeyDown = 260;  // WM_SYSKEYDOWN

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
