#include "support/run_program.h"

#include <windows.h>

#include <stdexcept>

#include "platform/system_error.h"
#include "platform/wide_win32.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

HANDLE Inheritable(const fs::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE handle = CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              write ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path.u8string());
  return handle;
}

}  // namespace

RunResult RunProgram(const std::string& program,
                     const std::vector<std::string>& arguments,
                     const fs::path& directory, const RunOptions& options) {
  ScratchDir capture;
  WriteBytes(capture / "in", options.input);
  HANDLE in = options.input_closed ? nullptr : Inheritable(capture / "in", false);
  HANDLE out = nullptr;
  HANDLE pipe_read = nullptr;
  if (options.stdout_to == StdoutTo::kCapture) {
    out = Inheritable(capture / "out", true);
  } else if (options.stdout_to == StdoutTo::kClosedPipe) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&pipe_read, &out, &inherit, 0)) throw std::runtime_error("pipe");
    CloseHandle(pipe_read);
  }
  HANDLE err = Inheritable(capture / "err", true);

  std::string line = "\"" + program + "\"";
  if (!options.raw_command_line.empty()) {
    line += " " + options.raw_command_line;
  } else {
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
  }
  // The line as the user's shell would pass it: wide, any name spelled.
  std::wstring wide_line = Widen(line);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(Widen(program).c_str(), &wide_line[0], nullptr, nullptr, TRUE, 0,
                      nullptr, directory.c_str(), &startup, &process))
    throw std::runtime_error("cannot start " + program + ": error " +
                             std::to_string(GetLastError()));
  // A run that hangs is killed and fails its test instead of stalling the suite.
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 255);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (HANDLE handle : {in, out, err})
    if (handle != nullptr) CloseHandle(handle);

  RunResult result;
  result.status = static_cast<int>(exit_code);
  if (options.stdout_to == StdoutTo::kCapture) result.out = ReadBytes(capture / "out");
  result.err = ReadBytes(capture / "err");
  return result;
}

FileHold::FileHold(const fs::path& path) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + path.u8string());
  handle_ = reinterpret_cast<intptr_t>(handle);
}

FileHold::~FileHold() { CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

const char kExecutableSuffix[] = ".exe";

std::string TextOf(SystemError error) {
  switch (error) {
    case SystemError::kPathNotFound: return SystemErrorText(ERROR_PATH_NOT_FOUND);
    case SystemError::kFileNotFound: return SystemErrorText(ERROR_FILE_NOT_FOUND);
    case SystemError::kHeld: return SystemErrorText(ERROR_SHARING_VIOLATION);
    case SystemError::kIsDirectory:
    case SystemError::kAccessDenied: return SystemErrorText(ERROR_ACCESS_DENIED);
    case SystemError::kNotAFile: return SystemErrorText(ERROR_OPEN_FAILED);
  }
  return "";
}

std::string ReportBytes(const std::string& text) {
  std::wstring wide = Widen(text);
  int size = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), static_cast<int>(wide.size()),
                                 nullptr, 0, nullptr, nullptr);
  std::string oem(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_OEMCP, 0, wide.data(), static_cast<int>(wide.size()), &oem[0], size,
                      nullptr, nullptr);
  return oem;
}
