#ifndef FSDPACK_APP_FAILURE_REPORT_H_
#define FSDPACK_APP_FAILURE_REPORT_H_

#include <stdint.h>

#include <string>

// The report that ends a failed run:
//   Exception <kind> in module <module> at <address>.
//   <message>.
// and an empty line, each line ending in CR LF. The message gets its final
// period only when it has none.
std::string FailureReport(const std::string& kind, const std::string& module,
                          uint32_t address, const std::string& message);

// Flushes standard output, writes the report to standard error and returns
// the exit status of a failed run.
int ReportFailure(const std::string& kind, const std::string& message,
                  const void* address);

#endif  // FSDPACK_APP_FAILURE_REPORT_H_
