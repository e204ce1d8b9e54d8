// How a web address is opened in a new browser window: which program to
// start and with which parameters, from the command line that the system
// registers for http addresses.
//
// The registered command is started directly rather than through the shell's
// "open", because the shell would hand the address to a browser window that
// is already open.
#pragma once
#include <cstddef>
#include <string>

// The program started when no usable browser command is registered, and the
// switch that asks it for a new window.
constexpr char kDefaultBrowserProgram[] = "iexplore.exe";
constexpr char kNewWindowSwitch[] = "-new ";

// Room for the registered browser command as read from the registry,
// terminator included; a longer command reads as not registered.
constexpr size_t kBrowserCommandBufferSize = 256;

struct BrowserLaunch {
  std::string program;
  std::string parameters;
};

// `text` with the letters A to Z lower-cased (no locale involved).
std::string LowerCased(std::string text);

// The address inside a lower-cased command text ("-new http://..."): the part
// that begins at the first "http"; empty when there is none.
std::string AddressInCommandText(const std::string& commandText);

// Picks program and parameters for `address` from the registered browser
// command (taken in lower case):
//  - a command naming iexplore.exe, or one without ".exe" at all: the
//    default program with "-new " and the address;
//  - otherwise the program is the command up to its first ".exe" (an opening
//    quote dropped).  What follows the one character after ".exe" becomes the
//    parameters, its first "%1" in quotes replaced by the address (which also
//    drops whatever came after it), or, without that placeholder, followed by
//    a blank and the address.  With nothing there, the address alone.
// Both texts are sized to their content, so nothing is ever cut.
BrowserLaunch ChooseBrowserLaunch(const std::string& address, const std::string& registeredCommand);

// Steps before the start: lower-cases `commandText`, takes the address from
// it, reads the browser command registered for http addresses (selecting its
// key without a window, then the settings key again) and picks program and
// parameters.  False, with `launch` untouched, when the text holds no address.
bool PlanBrowserLaunch(const char* commandText, BrowserLaunch* launch);
