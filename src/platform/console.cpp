#include "platform/console.h"

#include "platform/console_native.h"
#include "platform/failure.h"

namespace {

constexpr size_t kOutputBufferSize = 64 << 10;

std::string output;
bool output_is_terminal = false;

}  // namespace

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
  }
  return "I/O error " + std::to_string(code);
}

void ConsoleStart() {
  NativeConsoleStart();
  output_is_terminal = NativeStdoutIsTerminal();
  output.reserve(kOutputBufferSize);
}

void ConsoleWriteLine(std::string_view text) {
  output.append(text.data(), text.size());
  output.append("\r\n");
  if (output_is_terminal || output.size() >= kOutputBufferSize) ConsoleFlush();
}

void ConsoleFlush() {
  if (output.empty()) return;
  int code = NativeWriteStdout(output.data(), output.size());
  output.clear();
  if (code != 0) Raise(ErrorKind::EInOutError, InOutErrorMessage(code));
}

bool ConsoleReadLine() {
  // One byte at a time, so that nothing after the line is taken from the input.
  for (;;) {
    char byte;
    size_t got = 0;
    int code = NativeReadStdin(&byte, 1, &got);
    if (code != 0) Raise(ErrorKind::EInOutError, InOutErrorMessage(code));
    if (got == 0) return false;
    if (byte == '\n') return true;
  }
}

void ConsoleWriteFailureReport(const std::string& report) {
  if (!output.empty()) NativeWriteStdout(output.data(), output.size());
  output.clear();
  NativeWriteStderr(report);
}
