#include "app/console_flow.h"

#include <exception>
#include <new>
#include <vector>

#include "app/failure_report.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/failure.h"

// Every failure of a run travels here as an exception and ends the process
// through the one failure report, with exit status 1.
int RunConsoleTool(int argc, char** argv, const std::string& banner,
                   const std::string& usage, void (*pass)(const std::string& Path)) {
  try {
    ConsoleStart();
    ConsoleWriteLine(banner);
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    if (arguments.empty()) {
      ConsoleWriteLine(usage);
      ConsoleFlush();
      ConsoleReadLine();
    } else {
      pass(arguments[0]);
      ConsoleWriteLine("Done.");
    }
    ConsoleFlush();
    return 0;
  } catch (const Failure& failure) {
    return ReportFailure(KindName(failure.kind), failure.message, failure.address);
  } catch (const std::bad_alloc&) {
    return ReportFailure(KindName(ErrorKind::EOutOfMemory), kOutOfMemory, nullptr);
  } catch (const std::exception& error) {
    return ReportFailure("Exception", error.what(), nullptr);
  }
}
