#ifndef FSDPACK_PLATFORM_CONSOLE_NATIVE_H_
#define FSDPACK_PLATFORM_CONSOLE_NATIVE_H_

// The operating system's standard handles beneath the console, one
// implementation per OS. Failures come back as I/O result codes, the codes
// InOutErrorMessage knows.

#include <stddef.h>

#include <string>

void NativeConsoleStart();
bool NativeStdoutIsTerminal();
// Writes all of `data`: 0, or the I/O result code of the failure.
int NativeWriteStdout(const char* data, size_t count);
// Reads what is there, at most `count` bytes: 0 and `*got` (0 at the end of
// the input), or the I/O result code.
int NativeReadStdin(char* data, size_t count, size_t* got);
// Best effort: a report that cannot be written has nowhere else to go.
void NativeWriteStderr(const std::string& text);

#endif  // FSDPACK_PLATFORM_CONSOLE_NATIVE_H_
