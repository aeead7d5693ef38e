#include <windows.h>

#include <vector>

#include "platform/console_native.h"
#include "platform/wide_win32.h"

namespace {

// The console's I/O result codes are Windows error codes already, but for a
// full disk, which the run-time reports as its own code 101.
int InOutResult(DWORD error) {
  if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return 101;
  return static_cast<int>(error);
}

bool IsHandle(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void NativeConsoleStart() {
  // No error boxes: a console tool reports on standard error and goes on.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

bool NativeStdoutIsTerminal() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  return IsHandle(out) && GetFileType(out) == FILE_TYPE_CHAR;
}

int NativeWriteStdout(const char* data, size_t count) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!IsHandle(out)) return ERROR_INVALID_HANDLE;
  while (count > 0) {
    DWORD put = 0;
    DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    // A pipe whose reader is gone fails here with ERROR_BROKEN_PIPE or
    // ERROR_NO_DATA, which is a failed write like any other.
    if (!WriteFile(out, data, chunk, &put, nullptr)) return InOutResult(GetLastError());
    if (put == 0) return 101;
    data += put;
    count -= put;
  }
  return 0;
}

int NativeReadStdin(char* data, size_t count, size_t* got) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  *got = 0;
  // No input handle, or a pipe whose writer is gone: the end of the input.
  if (!IsHandle(in)) return 0;
  DWORD read = 0;
  if (!ReadFile(in, data, static_cast<DWORD>(count), &read, nullptr)) {
    DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? 0 : InOutResult(error);
  }
  *got = read;
  return 0;
}

void NativeWriteStderr(const std::string& text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsHandle(err) || text.empty()) return;
  std::wstring wide = Widen(text);
  DWORD mode = 0;
  if (GetConsoleMode(err, &mode)) {
    // A console shows every character: the user reads the real name.
    const wchar_t* data = wide.data();
    DWORD left = static_cast<DWORD>(wide.size());
    while (left > 0) {
      DWORD put = 0;
      if (!WriteConsoleW(err, data, left, &put, nullptr) || put == 0) return;
      data += put;
      left -= put;
    }
    return;
  }
  // A file or a pipe gets the bytes of the OEM code page, as a console of
  // that code page would show them; what it cannot spell becomes "?".
  int size = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), static_cast<int>(wide.size()),
                                 nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  std::vector<char> oem(static_cast<size_t>(size));
  WideCharToMultiByte(CP_OEMCP, 0, wide.data(), static_cast<int>(wide.size()), oem.data(),
                      size, nullptr, nullptr);
  const char* data = oem.data();
  DWORD left = static_cast<DWORD>(oem.size());
  while (left > 0) {
    DWORD put = 0;
    if (!WriteFile(err, data, left, &put, nullptr) || put == 0) return;
    data += put;
    left -= put;
  }
}
