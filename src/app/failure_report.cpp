#include "app/failure_report.h"

#include "archive/hex.h"
#include "platform/console.h"
#include "platform/program_info.h"

std::string FailureReport(const std::string& kind, const std::string& module,
                          uint32_t address, const std::string& message) {
  std::string report = "Exception " + kind + " in module " + module + " at " +
                       FormatHex(address, 8) + ".\r\n" + message;
  if (!message.empty() && message.back() != '.') report += '.';
  report += "\r\n\r\n";
  return report;
}

int ReportFailure(const std::string& kind, const std::string& message,
                  const void* address) {
  ConsoleWriteFailureReport(FailureReport(
      kind, ProgramFileName(), ImageRelativeAddress(address), message));
  return 1;
}
