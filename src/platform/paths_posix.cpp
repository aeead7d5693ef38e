#include "platform/paths.h"

#include <errno.h>
#include <unistd.h>

#include <vector>

const char kPathSeparator[] = "/";

std::string FullPath(const std::string& path) {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return path;
    buffer.resize(buffer.size() * 2);
  }
  return LexicalFullPath(buffer.data(), path);
}
