#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/console_native.h"

namespace {

int InOutResult(int error) {
  switch (error) {
    case ENOENT: return 2;
    case EMFILE: return 4;
    case EACCES:
    case EPERM: return 5;
    case ENOSPC: return 101;
  }
  return error;
}

}  // namespace

void NativeConsoleStart() {
  // A reader that goes away makes writes fail with EPIPE instead of killing
  // the process halfway through an archive.
  signal(SIGPIPE, SIG_IGN);
  // Likewise a file size limit: a write past it fails with EFBIG and is
  // reported, instead of the process dying with its output unwritten.
  signal(SIGXFSZ, SIG_IGN);
  // A closed standard handle would be reused by the first file opened, and
  // the listing would land in the new archive. Fill it with /dev/null opened
  // read-only: reading finds the end at once, writing fails.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      int opened = open("/dev/null", O_RDONLY);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
  }
}

bool NativeStdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

int NativeWriteStdout(const char* data, size_t count) {
  while (count > 0) {
    ssize_t put = write(STDOUT_FILENO, data, count);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return InOutResult(errno);
    if (put == 0) return 101;
    data += put;
    count -= static_cast<size_t>(put);
  }
  return 0;
}

int NativeReadStdin(char* data, size_t count, size_t* got) {
  ssize_t n;
  do {
    n = read(STDIN_FILENO, data, count);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return InOutResult(errno);
  *got = static_cast<size_t>(n);
  return 0;
}

void NativeWriteStderr(const std::string& text) {
  const char* data = text.data();
  size_t count = text.size();
  while (count > 0) {
    ssize_t put = write(STDERR_FILENO, data, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    data += put;
    count -= static_cast<size_t>(put);
  }
}
