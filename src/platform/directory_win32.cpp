#include <windows.h>

#include "platform/directory.h"
#include "platform/wide_win32.h"

size_t DirectoryPartLength(const std::string& path) {
  // The separators are ASCII, which no byte of a longer UTF-8 sequence is.
  size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? 0 : separator + 1;
}

bool ListDirectory(const std::string& directory_part,
                   const std::function<void(const std::string& name, bool may_be_link)>& visit) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WidePath(directory_part + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    visit(Narrow(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
  } while (FindNextFileW(search, &found));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}
