#ifndef FSDPACK_TESTS_SUPPORT_RUN_PROGRAM_H_
#define FSDPACK_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <stdint.h>

#include <filesystem>
#include <string>
#include <vector>

enum class StdoutTo {
  kCapture,     // captured into RunResult::out
  kFullDevice,  // /dev/full: every write fails with ENOSPC
  kClosedPipe,  // a pipe whose reader is gone
  kClosed,      // no standard output handle at all
};

struct RunOptions {
  std::string input;  // standard input, then its end
  bool input_closed = false;  // no standard input handle at all
  StdoutTo stdout_to = StdoutTo::kCapture;
  uint64_t file_size_limit = 0;  // RLIMIT_FSIZE where nonzero
  uint64_t address_space_limit = 0;  // RLIMIT_AS where nonzero
  // Windows: the command line after the program's name exactly as given,
  // instead of the arguments each in double quotes.
  std::string raw_command_line;
};

struct RunResult {
  int status = -1;  // exit status; -1 when killed by a signal
  std::string out;
  std::string err;
  uint64_t peak_memory_kib = 0;  // resident set, where the system tells
};

// Runs `program` with `arguments` in `directory` and waits for it.
RunResult RunProgram(const std::string& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& directory,
                     const RunOptions& options = {});

// Holds `path` the way a running fsdpack holds its files, until destroyed.
class FileHold {
 public:
  explicit FileHold(const std::filesystem::path& path);
  ~FileHold();
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;

 private:
  intptr_t handle_;
};

#endif  // FSDPACK_TESTS_SUPPORT_RUN_PROGRAM_H_

// What differs between systems in what fsdpack prints, stated once.
extern const char kExecutableSuffix[];  // "" or ".exe"
enum class SystemError {
  kPathNotFound,  // a directory on the way is missing
  kFileNotFound,  // the file itself is missing
  kHeld,          // the file is held open by another stream
  kIsDirectory,   // a file was wanted, a directory is there
  kAccessDenied,  // no right to open the file
  kNotAFile,      // a FIFO, socket or device where a file was wanted
};
std::string TextOf(SystemError error);

// The bytes a failure report's text becomes in a file: on Windows those of
// the OEM code page, elsewhere the text itself.
std::string ReportBytes(const std::string& text);
