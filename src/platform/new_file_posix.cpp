#include "platform/new_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "platform/directory.h"
#include "platform/failure.h"
#include "platform/long_path_posix.h"

namespace {

constexpr intptr_t kNoFile = -1;

// Set once a file system refuses unnamed files, so that a run asks once.
// New files may be made on several threads at once.
std::atomic<bool> temporary_names{false};
std::atomic<unsigned> temporary_counter{0};

// How an unnamed file gets its name. linkat with AT_EMPTY_PATH needs a
// privilege on older kernels; the /proc path of the descriptor works
// without one. Found out by the first file of a run.
enum class LinkWay { kUntried, kEmptyPath, kProcPath };
std::atomic<LinkWay> link_way{LinkWay::kUntried};

int LinkUnnamed(int fd, const std::string& path) {
  auto link_by = [&](LinkWay way) {
    return AtAnyLength(path, [&](int directory, const char* name) {
      if (way == LinkWay::kEmptyPath) return linkat(fd, "", directory, name, AT_EMPTY_PATH);
      std::string proc = "/proc/self/fd/" + std::to_string(fd);
      return linkat(AT_FDCWD, proc.c_str(), directory, name, AT_SYMLINK_FOLLOW);
    });
  };
  if (link_way != LinkWay::kUntried) return link_by(link_way) == 0 ? 0 : errno;
  for (LinkWay way : {LinkWay::kEmptyPath, LinkWay::kProcPath}) {
    if (link_by(way) == 0) {
      link_way = way;
      return 0;
    }
    // Refused for want of the privilege or of /proc: ENOENT either way.
    if (errno != ENOENT) return errno;
  }
  return ENOENT;
}

// Gives the temporary file its name unless the name is taken. Where the
// file system has no hard links, a rename that refuses to replace does it.
int LinkTemporary(const std::string& temporary, const std::string& path, bool* moved) {
  *moved = false;
  if (link(temporary.c_str(), path.c_str()) == 0) return 0;
  if (errno != EPERM && errno != EOPNOTSUPP) return errno;
  if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0)
    return errno;
  *moved = true;
  return 0;
}

}  // namespace

void UseTemporaryNamesForNewFiles(bool always) { temporary_names = always; }

NewFile::NewFile(const std::string& path) : path_(path), file_(kNoFile) {
  std::string directory = path.substr(0, DirectoryPartLength(path));
  if (!temporary_names) {
    int fd = AtAnyLength(directory + ".", [](int at, const char* name) {
      return openat(at, name, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    });
    if (fd >= 0) {
      file_ = fd;
      return;
    }
    // EISDIR: a kernel that does not know O_TMPFILE.
    if (errno != EOPNOTSUPP && errno != EISDIR)
      RaiseFileError(ErrorKind::EFCreateError, path, errno);
    temporary_names = true;
  }
  // The name starts with a dot and ends in ".tmp": never one that fsdpack
  // reads.
  for (;;) {
    temporary_ = directory + ".fsdunpack-" + std::to_string(getpid()) + "-" +
                 std::to_string(temporary_counter++) + ".tmp";
    int fd = open(temporary_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file_ = fd;
      return;
    }
    if (errno != EEXIST) {
      int error = errno;
      temporary_.clear();
      RaiseFileError(ErrorKind::EFCreateError, path, error);
    }
  }
}

NewFile::~NewFile() { Discard(); }

void NewFile::Discard() {
  if (file_ != kNoFile) close(static_cast<int>(file_));
  file_ = kNoFile;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

void NewFile::Write(const void* data, size_t count) {
  const char* in = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t put = write(static_cast<int>(file_), in, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Raise(ErrorKind::EWriteError, kStreamWriteError);
    in += put;
    count -= static_cast<size_t>(put);
  }
}

bool NewFile::Commit() {
  int fd = static_cast<int>(file_);
  int error = 0;
  bool moved = false;
  if (temporary_.empty()) {
    error = LinkUnnamed(fd, path_);
  } else {
    // Closed first: the data is all written once the name appears.
    file_ = kNoFile;
    if (close(fd) != 0) {
      Discard();
      Raise(ErrorKind::EWriteError, kStreamWriteError);
    }
    error = LinkTemporary(temporary_, path_, &moved);
    if (moved) temporary_.clear();
  }
  Discard();
  if (error == EEXIST) return false;
  if (error != 0) RaiseFileError(ErrorKind::EFCreateError, path_, error);
  return true;
}
