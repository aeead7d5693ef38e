#include <exception>
#include <new>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/failure_report.h"
#include "app/unscramble.h"
#include "archive/rebuild.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/failure.h"

// Every failure of a run travels here as an exception and ends the process
// through the one failure report, with exit status 1.
int main(int argc, char** argv) {
  try {
    ConsoleStart();
    ConsoleWriteLine(Unscramble(kBannerKey, StoredBanner()));
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    if (arguments.empty()) {
      ConsoleWriteLine("Give me a archive!");
      ConsoleFlush();
      ConsoleReadLine();
    } else {
      RebuildArchive(arguments[0]);
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
