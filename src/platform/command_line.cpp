#include "platform/command_line.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  const char* p = line.c_str();  // the terminating NUL ends every loop
  for (;;) {
    for (;;) {
      while (*p != '\0' && IsBlank(*p)) ++p;
      if (p[0] == '"' && p[1] == '"')
        p += 2;
      else
        break;
    }
    if (*p == '\0') return arguments;
    std::string argument;
    while (*p != '\0' && !IsBlank(*p)) {
      if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') argument += *p++;
        if (*p != '\0') ++p;
      } else {
        argument += *p++;
      }
    }
    if (!argument.empty()) arguments.push_back(argument);
  }
}
