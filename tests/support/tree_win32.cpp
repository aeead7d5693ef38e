#include <windows.h>

#include <filesystem>
#include <functional>

#include "platform/wide_win32.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// The C run-time's file functions stop at MAX_PATH; the wide API does not,
// given the "\\?\" form of an absolute path.
std::wstring LongForm(const fs::path& path) {
  return L"\\\\?\\" + fs::absolute(path).wstring();
}

// Calls `visit(relative, whole, attributes)` for everything below
// `directory`, children before their directory; links are not followed.
void Walk(const std::wstring& directory, const std::wstring& relative,
          const std::function<void(const std::wstring&, const std::wstring&, DWORD)>& visit) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring whole = directory + L"\\" + name;
    std::wstring below = relative.empty() ? name : relative + L"/" + name;
    DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      Walk(whole, below, visit);
    visit(below, whole, attributes);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::map<std::string, std::string> SnapshotFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  Walk(LongForm(root), L"", [&](const std::wstring& relative, const std::wstring& whole,
                               DWORD attributes) {
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return;
    files[Narrow(relative)] = ReadBytes(fs::path(whole));
  });
  return files;
}

void RemoveTree(const fs::path& root) {
  std::wstring top = LongForm(root);
  Walk(top, L"", [](const std::wstring&, const std::wstring& whole, DWORD attributes) {
    SetFileAttributesW(whole.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveDirectoryW(whole.c_str());
    else
      DeleteFileW(whole.c_str());
  });
  RemoveDirectoryW(top.c_str());
}
