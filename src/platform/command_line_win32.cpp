#include <windows.h>

#include "platform/command_line.h"

std::vector<std::string> CommandLineArguments(int, char**) {
  // Split by the system's own rule from the raw line; the C run-time's argv
  // treats backslashes before quotes as escapes, which Windows users do not.
  std::vector<std::string> words = SplitCommandLine(GetCommandLineA());
  if (!words.empty()) words.erase(words.begin());
  return words;
}
