#ifndef FSDPACK_PLATFORM_SYSTEM_ERROR_H_
#define FSDPACK_PLATFORM_SYSTEM_ERROR_H_

#include <string>

// The operating system's text for one of its error codes (errno on POSIX,
// GetLastError on Windows), without trailing blanks, line ends or periods:
// the failure report adds the final period itself.
std::string SystemErrorText(int code);

// Removes trailing blanks, line ends and periods.
std::string TrimErrorText(std::string text);

#endif  // FSDPACK_PLATFORM_SYSTEM_ERROR_H_
