#include "platform/paths.h"

#include "platform/wide_win32.h"

const char kPathSeparator[] = "\\";

std::string FullPath(const std::string& path) {
  std::wstring full = WideFullPath(Widen(path));
  return full.empty() ? path : Narrow(full);
}
