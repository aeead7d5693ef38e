#include <windows.h>

#include "platform/directory.h"

size_t DirectoryPartLength(const std::string& path) {
  size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? 0 : separator + 1;
}

bool ListDirectory(const std::string& directory_part,
                   const std::function<void(const std::string& name)>& visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory_part + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    visit(found.cFileName);
  } while (FindNextFileA(search, &found));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}
