#ifndef FSDPACK_APP_CONSOLE_FLOW_H_
#define FSDPACK_APP_CONSOLE_FLOW_H_

#include <string>

// The run both tools share: the banner; with no argument the usage line and
// a wait for one input line; else `pass` on the first argument, exactly as
// the command line gives it, and "Done.". Every failure of the run ends here
// in the failure report. Returns the exit status: 0, or 1 after a failure.
int RunConsoleTool(int argc, char** argv, const std::string& banner,
                   const std::string& usage, void (*pass)(const std::string& Path));

#endif  // FSDPACK_APP_CONSOLE_FLOW_H_
