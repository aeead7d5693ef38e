#include "platform/new_file.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/directory.h"
#include "platform/failure.h"
#include "platform/wide_win32.h"

namespace {

HANDLE AsHandle(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

const intptr_t kNoFile = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);

// New files may be made on several threads at once.
std::atomic<unsigned> temporary_counter{0};

}  // namespace

// Windows has no unnamed files: every new file takes a temporary name.
void UseTemporaryNamesForNewFiles(bool) {}

NewFile::NewFile(const std::string& path) : path_(path), file_(kNoFile) {
  std::string directory = path.substr(0, DirectoryPartLength(path));
  // The name starts with a dot and ends in ".tmp": never one that fsdpack
  // reads.
  for (;;) {
    temporary_ = directory + ".fsdunpack-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(temporary_counter++) + ".tmp";
    HANDLE handle = CreateFileW(WidePath(temporary_).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file_ = reinterpret_cast<intptr_t>(handle);
      return;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      temporary_.clear();
      RaiseFileError(ErrorKind::EFCreateError, path, static_cast<int>(error));
    }
  }
}

NewFile::~NewFile() { Discard(); }

void NewFile::Discard() {
  if (file_ != kNoFile) CloseHandle(AsHandle(file_));
  file_ = kNoFile;
  if (!temporary_.empty()) DeleteFileW(WidePath(temporary_).c_str());
  temporary_.clear();
}

void NewFile::Write(const void* data, size_t count) {
  const char* in = static_cast<const char*>(data);
  while (count > 0) {
    DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    DWORD put = 0;
    if (!WriteFile(AsHandle(file_), in, chunk, &put, nullptr) || put == 0)
      Raise(ErrorKind::EWriteError, kStreamWriteError);
    in += put;
    count -= put;
  }
}

bool NewFile::Commit() {
  // Closed first: the data is all written once the name appears.
  bool closed = CloseHandle(AsHandle(file_)) != 0;
  file_ = kNoFile;
  if (!closed) {
    Discard();
    Raise(ErrorKind::EWriteError, kStreamWriteError);
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  DWORD error =
      MoveFileExW(WidePath(temporary_).c_str(), WidePath(path_).c_str(), 0) ? 0 : GetLastError();
  if (error == 0) temporary_.clear();
  Discard();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  if (error != 0) RaiseFileError(ErrorKind::EFCreateError, path_, static_cast<int>(error));
  return true;
}
