#ifndef FSDPACK_PLATFORM_LONG_PATH_POSIX_H_
#define FSDPACK_PLATFORM_LONG_PATH_POSIX_H_

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

// Runs `call(directory, name)` on `path`: as it is where the system takes it
// whole, else (a path of PATH_MAX bytes or more) on its last component from
// the directory reached one component at a time, so that paths of any length
// work.
template <typename Call>
inline int AtAnyLength(const std::string& path, Call call) {
  int result = call(AT_FDCWD, path.c_str());
  if (result >= 0 || errno != ENAMETOOLONG) return result;
  size_t last_slash = path.rfind('/');
  int directory = open(path[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  size_t start = 0;
  while (directory >= 0 && start < last_slash) {
    size_t end = path.find('/', start);
    std::string component = path.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    int next = openat(directory, component.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    close(directory);
    directory = next;
  }
  if (directory < 0) return -1;
  result = call(directory, path.c_str() + last_slash + 1);
  int error = errno;
  close(directory);
  errno = error;
  return result;
}

#endif  // FSDPACK_PLATFORM_LONG_PATH_POSIX_H_
