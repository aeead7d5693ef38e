#include <windows.h>

#include <vector>

#include "platform/paths.h"

const char kPathSeparator[] = "\\";

std::string FullPath(const std::string& path) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                    buffer.data(), nullptr);
    if (length == 0) return path;
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length + 1);
  }
}
