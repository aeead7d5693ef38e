#ifndef FSDPACK_PLATFORM_FAILURE_H_
#define FSDPACK_PLATFORM_FAILURE_H_

#include <string>

// Every failure of a run is one Failure, thrown where the fault is found and
// caught only by the failure report in main.
enum class ErrorKind {
  EFOpenError,
  EFCreateError,
  EReadError,
  EWriteError,
  ERangeError,
  EOutOfMemory,
  EInOutError,
};

struct Failure {
  ErrorKind kind;
  std::string message;
  // Code address of the place that raised the failure; null when unknown.
  const void* address;
};

const char* KindName(ErrorKind kind);

// Throws a Failure that records the caller as the place that raised it.
[[noreturn]] void Raise(ErrorKind kind, const std::string& message);

// Throws EFOpenError or EFCreateError for `path`:
// Cannot open file "<full path>". <system error text>
[[noreturn]] void RaiseFileError(ErrorKind kind, const std::string& path,
                                 int system_error);

extern const char kStreamReadError[];
extern const char kStreamWriteError[];
extern const char kRangeCheckError[];
extern const char kOutOfMemory[];

#endif  // FSDPACK_PLATFORM_FAILURE_H_
