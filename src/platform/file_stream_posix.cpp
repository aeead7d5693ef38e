#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/file_native.h"
#include "platform/long_path_posix.h"
#include "platform/paths.h"

namespace {

// Files this process holds. flock keeps other processes out, but whether two
// descriptors of one process exclude each other depends on the file system,
// so the same file is refused here first. Streams may be opened and closed
// on several threads.
struct HeldFile {
  int fd;
  dev_t device;
  ino_t inode;
  bool brief;
  bool closing;
};
std::mutex held_mutex;
std::condition_variable held_released;
std::vector<HeldFile> held_files;

const HeldFile* HolderOf(const struct stat& info) {
  for (const HeldFile& held : held_files)
    if (held.device == info.st_dev && held.inode == info.st_ino) return &held;
  return nullptr;
}

int CloseWithError(int fd, int error) {
  close(fd);
  return error;
}

}  // namespace

bool NativeIsFile(const std::string& path) {
  struct stat info;
  return AtAnyLength(path, [&](int directory, const char* name) {
           return fstatat(directory, name, &info, 0);
         }) == 0 &&
         !S_ISDIR(info.st_mode);
}

bool NativeNameExists(const std::string& path) {
  struct stat info;
  return AtAnyLength(path, [&](int directory, const char* name) {
           return fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW);
         }) == 0;
}

int HeldFileError() { return EWOULDBLOCK; }

int NativeOpen(const std::string& path, FileMode mode, intptr_t* file,
               uint64_t* size) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
  // below with everything else that is no regular file. No O_TRUNC: the
  // caller empties a created file once it knows what that destroys.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= mode == FileMode::kOpenOrCreate ? O_RDWR | O_CREAT : O_RDONLY;
  int fd = AtAnyLength(path, [&](int directory, const char* name) {
    return openat(directory, name, flags, 0666);
  });
  if (fd < 0) return errno;
  struct stat info;
  if (fstat(fd, &info) != 0) return CloseWithError(fd, errno);
  if (S_ISDIR(info.st_mode)) return CloseWithError(fd, EISDIR);
  // A FIFO, socket or device reads as empty or endless and keeps nothing
  // written to it: it is no archive and no replacement file. ENXIO is also
  // what opening a socket fails with.
  if (!S_ISREG(info.st_mode)) return CloseWithError(fd, ENXIO);
  bool brief = mode == FileMode::kReadBriefly;
  {
    std::unique_lock<std::mutex> lock(held_mutex);
    // A brief read waits for another brief read of the same file; every
    // other second hold fails.
    while (const HeldFile* holder = HolderOf(info)) {
      if (!brief || !holder->brief) return CloseWithError(fd, EWOULDBLOCK);
      held_released.wait(lock);
    }
    held_files.push_back({fd, info.st_dev, info.st_ino, brief, false});
  }
  // Where the file system has no locks, go on without one.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    NativeClose(fd);
    return EWOULDBLOCK;
  }
  *file = fd;
  *size = static_cast<uint64_t>(info.st_size);
  return 0;
}

void NativeClose(intptr_t file) {
  // Struck off only once closed, so that its lock is gone by the time a
  // waiting stream takes it; marked first, as the descriptor's number may be
  // another file's by the time it is struck off.
  auto closing = [&](const HeldFile& held) { return held.fd == file && held.closing; };
  {
    std::lock_guard<std::mutex> lock(held_mutex);
    for (HeldFile& held : held_files)
      if (held.fd == file) held.closing = true;
  }
  close(static_cast<int>(file));
  {
    std::lock_guard<std::mutex> lock(held_mutex);
    held_files.erase(std::remove_if(held_files.begin(), held_files.end(), closing),
                     held_files.end());
  }
  held_released.notify_all();
}

bool ConcurrentBriefReads() { return true; }

bool NativeErrorMeansNoFile(int error) {
  return error == ENOENT || error == ENOTDIR || error == EISDIR;
}

uint64_t NativeReadScattered(intptr_t file, const NativeSlice* slices, size_t count,
                             uint64_t offset) {
  struct iovec vectors[kMaxSlices];
  for (size_t i = 0; i < count; ++i) vectors[i] = {slices[i].data, slices[i].size};
  struct iovec* next = vectors;
  uint64_t total = 0;
  while (count > 0) {
    ssize_t got = preadv(static_cast<int>(file), next, static_cast<int>(count),
                         static_cast<off_t>(offset + total));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<uint64_t>(got);
    // Past the slices filled whole, into the one filled in part.
    size_t left = static_cast<size_t>(got);
    while (count > 0 && left >= next->iov_len) {
      left -= next->iov_len;
      ++next;
      --count;
    }
    if (count > 0) {
      next->iov_base = static_cast<char*>(next->iov_base) + left;
      next->iov_len -= left;
    }
  }
  return total;
}

int64_t NativeReadAt(intptr_t file, void* data, size_t count, uint64_t offset) {
  ssize_t got;
  do {
    got = pread(static_cast<int>(file), data, count, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return got;
}

int64_t NativeWriteAt(intptr_t file, const void* data, size_t count,
                      uint64_t offset) {
  ssize_t put;
  do {
    put = pwrite(static_cast<int>(file), data, count, static_cast<off_t>(offset));
  } while (put < 0 && errno == EINTR);
  return put;
}

int NativeTruncate(intptr_t file, uint64_t size) {
  return ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0 ? 0 : errno;
}

bool NativeIsSameFile(intptr_t file, const std::string& path) {
  struct stat mine, theirs;
  return fstat(static_cast<int>(file), &mine) == 0 &&
         AtAnyLength(path, [&](int directory, const char* name) {
           return fstatat(directory, name, &theirs, 0);
         }) == 0 &&
         mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

bool NativeMayHaveOtherNames(intptr_t file, const std::string& path) {
  struct stat info;
  if (fstat(static_cast<int>(file), &info) != 0 || info.st_nlink != 1) return true;
  // The path resolved with its links followed differs from the path folded
  // lexically exactly when a link lies on the way. A path the system cannot
  // resolve in one piece counts as passing through one.
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return true;
  bool through_link = FullPath(path) != resolved;
  free(resolved);
  return through_link;
}

int64_t NativeCopy(intptr_t from, uint64_t from_offset, intptr_t to,
                   uint64_t to_offset, uint64_t count) {
#if defined(__linux__) && FSDPACK_FAST_PATHS
  off_t in = static_cast<off_t>(from_offset);
  off_t out = static_cast<off_t>(to_offset);
  // One call moves at most about 2 GiB.
  size_t length = static_cast<size_t>(std::min<uint64_t>(count, 1u << 30));
  ssize_t copied;
  do {
    copied = copy_file_range(static_cast<int>(from), &in, static_cast<int>(to),
                             &out, length, 0);
  } while (copied < 0 && errno == EINTR);
  return copied < 0 ? -1 : copied;
#else
  (void)from, (void)from_offset, (void)to, (void)to_offset, (void)count;
  return -1;
#endif
}
