#include "platform/command_line.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  // The shell has split the line already.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '\0') arguments.push_back(argv[i]);
  }
  return arguments;
}
