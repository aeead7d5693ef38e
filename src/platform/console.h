#ifndef FSDPACK_PLATFORM_CONSOLE_H_
#define FSDPACK_PLATFORM_CONSOLE_H_

#include <string>
#include <string_view>

// Standard output, buffered here: on a terminal every line is written when it
// ends, to a file or a pipe in large blocks. Bytes go out exactly as given.
// A failed write or read raises EInOutError with the I/O result's message.

// Prepares the process's standard handles; call first.
void ConsoleStart();

// Writes `text` and CR LF.
void ConsoleWriteLine(std::string_view text);
void ConsoleFlush();

// Waits for one line on standard input (through its LF). False at the end of
// the input, which is no failure.
bool ConsoleReadLine();

// For the failure report: writes what output is buffered, ignoring failures,
// then writes `report` to standard error (in the OEM code page where the
// system has one).
void ConsoleWriteFailureReport(const std::string& report);

// The message of a failed console operation's I/O result code.
std::string InOutErrorMessage(int code);

#endif  // FSDPACK_PLATFORM_CONSOLE_H_
