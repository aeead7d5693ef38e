#include <windows.h>

#include "platform/command_line.h"
#include "platform/wide_win32.h"

std::vector<std::string> CommandLineArguments(int, char**) {
  // Split by the system's own rule from the raw line; the C run-time's argv
  // treats backslashes before quotes as escapes, which Windows users do not,
  // and spells names in the ANSI code page, which cannot spell most of them.
  // The splitter looks only at blanks and quotes, which are the same
  // characters in the wide line and in its UTF-8 form.
  std::vector<std::string> words = SplitCommandLine(Narrow(GetCommandLineW()));
  if (!words.empty()) words.erase(words.begin());
  return words;
}
