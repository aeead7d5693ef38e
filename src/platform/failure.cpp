#include "platform/failure.h"

#include "platform/code_address.h"
#include "platform/paths.h"
#include "platform/system_error.h"

const char kStreamReadError[] = "Stream read error";
const char kStreamWriteError[] = "Stream write error";
const char kRangeCheckError[] = "Range check error";
const char kOutOfMemory[] = "Out of memory";

const char* KindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::EFOpenError: return "EFOpenError";
    case ErrorKind::EFCreateError: return "EFCreateError";
    case ErrorKind::EReadError: return "EReadError";
    case ErrorKind::EWriteError: return "EWriteError";
    case ErrorKind::ERangeError: return "ERangeError";
    case ErrorKind::EOutOfMemory: return "EOutOfMemory";
    case ErrorKind::EInOutError: return "EInOutError";
  }
  return "Exception";
}

namespace {

// A return address points after the call; one byte back is inside the call
// instruction, which is what addr2line should name.
const void* CallSite(void* return_address) {
  return return_address == nullptr ? nullptr
                                   : static_cast<const char*>(return_address) - 1;
}

}  // namespace

FSDPACK_NOINLINE void Raise(ErrorKind kind, const std::string& message) {
  throw Failure{kind, message, CallSite(FSDPACK_RETURN_ADDRESS())};
}

FSDPACK_NOINLINE void RaiseFileError(ErrorKind kind, const std::string& path,
                                     int system_error) {
  const void* address = CallSite(FSDPACK_RETURN_ADDRESS());
  const char* verb = kind == ErrorKind::EFCreateError ? "create" : "open";
  throw Failure{kind,
                std::string("Cannot ") + verb + " file \"" + FullPath(path) +
                    "\". " + SystemErrorText(system_error),
                address};
}
