#include "support/run_program.h"

#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

RunResult RunProgram(const std::string& program,
                     const std::vector<std::string>& arguments,
                     const fs::path& directory, const RunOptions& options) {
  ScratchDir capture;
  WriteBytes(capture / "in", options.input);
  std::string in = (capture / "in").string();
  std::string out = (capture / "out").string();
  std::string err = (capture / "err").string();
  int pipe_ends[2] = {-1, -1};
  if (options.stdout_to == StdoutTo::kClosedPipe) {
    if (pipe(pipe_ends) != 0) throw std::runtime_error("pipe");
    close(pipe_ends[0]);
  }
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

#ifdef __GLIBC__
  // A child's peak memory starts at what this process holds when it forks:
  // hand the heap's free pages back first, so the peak is the tool's own.
  malloc_trim(0);
#endif
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    if (chdir(directory.c_str()) != 0) _exit(120);
    dup2(open(in.c_str(), O_RDONLY), 0);
    if (options.stdout_to == StdoutTo::kCapture)
      dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    else if (options.stdout_to == StdoutTo::kFullDevice)
      dup2(open("/dev/full", O_WRONLY), 1);
    else if (options.stdout_to == StdoutTo::kClosedPipe)
      dup2(pipe_ends[1], 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    // Closed last, so that no open above takes the handle's place.
    if (options.input_closed) close(0);
    if (options.stdout_to == StdoutTo::kClosed) close(1);
    if (options.file_size_limit != 0) {
      struct rlimit limit = {options.file_size_limit, options.file_size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.address_space_limit != 0) {
      struct rlimit limit = {options.address_space_limit, options.address_space_limit};
      setrlimit(RLIMIT_AS, &limit);
    }
    // A run that hangs is killed and fails its test instead of stalling the suite.
    alarm(120);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pipe_ends[1] >= 0) close(pipe_ends[1]);
  int wait_status = 0;
  struct rusage usage = {};
  while (wait4(child, &wait_status, 0, &usage) < 0) {
  }
  RunResult result;
  result.peak_memory_kib = static_cast<uint64_t>(usage.ru_maxrss);
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  if (options.stdout_to == StdoutTo::kCapture) result.out = ReadBytes(out);
  result.err = ReadBytes(err);
  return result;
}

FileHold::FileHold(const fs::path& path) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0)
    throw std::runtime_error("cannot hold " + path.string());
  handle_ = fd;
}

FileHold::~FileHold() { close(static_cast<int>(handle_)); }

const char kExecutableSuffix[] = "";

std::string TextOf(SystemError error) {
  switch (error) {
    case SystemError::kPathNotFound:
    case SystemError::kFileNotFound: return SystemErrorText(ENOENT);
    case SystemError::kHeld: return SystemErrorText(EWOULDBLOCK);
    case SystemError::kIsDirectory: return SystemErrorText(EISDIR);
    case SystemError::kAccessDenied: return SystemErrorText(EACCES);
    case SystemError::kNotAFile: return SystemErrorText(ENXIO);
  }
  return "";
}

std::string ReportBytes(const std::string& text) { return text; }
