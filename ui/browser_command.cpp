#include "ui/browser_command.h"

#include "view/registry_store.h"

namespace {

constexpr char kExe[] = ".exe";
constexpr size_t kExeLength = sizeof(kExe) - 1;
// Only the quoted form is recognised: an unquoted %1 stays in the parameters.
constexpr char kQuotedPlaceholder[] = "\"%1\"";

// Where the system registers the command line of the browser for http addresses.
constexpr char kHttpOpenCommandKey[] = "HTTP\\shell\\open\\command";
// What a missing or unreadable command reads as: no ".exe", so the default program.
constexpr char kNoRegisteredCommand[] = "dummy";

std::string RegisteredBrowserCommand() {
  char command[kBrowserCommandBufferSize];
  SelectRegistryKey(nullptr, kHttpOpenCommandKey);
  ReadClassesString("", command, sizeof command, kNoRegisteredCommand);
  SelectRegistryKey(nullptr, kSettingsKeyPath);
  return command;
}

BrowserLaunch DefaultLaunch(const std::string& address) {
  return {kDefaultBrowserProgram, kNewWindowSwitch + address};
}

std::string ProgramBefore(const std::string& command, size_t exeEnd) {
  std::string program = command.substr(0, exeEnd);
  if (!program.empty() && program[0] == '"') program.erase(0, 1);
  return program;
}

std::string ParametersAfter(const std::string& command, size_t exeEnd, const std::string& address) {
  // The character right after ".exe" is its closing quote or the blank
  // before the arguments; the arguments start after it.
  size_t restStart = exeEnd + 1;
  if (restStart >= command.size()) return address;
  std::string rest = command.substr(restStart);
  size_t placeholder = rest.find(kQuotedPlaceholder);
  if (placeholder == std::string::npos) return rest + " " + address;
  return rest.substr(0, placeholder) + address;
}

}  // namespace

std::string LowerCased(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string AddressInCommandText(const std::string& commandText) {
  size_t start = commandText.find("http");
  return start == std::string::npos ? std::string() : commandText.substr(start);
}

BrowserLaunch ChooseBrowserLaunch(const std::string& address, const std::string& registeredCommand) {
  std::string command = LowerCased(registeredCommand);
  if (command.find(kDefaultBrowserProgram) != std::string::npos) return DefaultLaunch(address);
  size_t exe = command.find(kExe);
  if (exe == std::string::npos) return DefaultLaunch(address);
  size_t exeEnd = exe + kExeLength;
  return {ProgramBefore(command, exeEnd), ParametersAfter(command, exeEnd, address)};
}

bool PlanBrowserLaunch(const char* commandText, BrowserLaunch* launch) {
  std::string address = AddressInCommandText(LowerCased(commandText ? commandText : ""));
  if (address.empty()) return false;
  *launch = ChooseBrowserLaunch(address, RegisteredBrowserCommand());
  return true;
}
