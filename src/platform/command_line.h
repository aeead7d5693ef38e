#ifndef FSDPACK_PLATFORM_COMMAND_LINE_H_
#define FSDPACK_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <vector>

// The arguments after the program's name, in order. Empty ones are left out,
// the way an empty pair of double quotes is no argument on Windows.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Splits a Windows command line, the program's name included. Blanks (every
// character up to and including the space) separate arguments; a double-quoted
// section keeps its blanks and loses its quotes; there is no escape character;
// an empty pair of quotes where an argument starts is skipped.
std::vector<std::string> SplitCommandLine(const std::string& line);

#endif  // FSDPACK_PLATFORM_COMMAND_LINE_H_
