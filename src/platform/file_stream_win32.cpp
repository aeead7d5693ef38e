#include <windows.h>

#include <algorithm>

#include "platform/file_native.h"

namespace {

HANDLE AsHandle(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

// ReadFile and WriteFile take 32-bit counts.
DWORD ClampCount(size_t count) {
  return static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED overlapped = {};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

}  // namespace

bool NativeIsFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int NativeOpen(const std::string& path, FileMode mode, intptr_t* file,
               uint64_t* size) {
  // Share mode 0: while held, every other open of the file fails with a
  // sharing violation, so CREATE_ALWAYS cannot empty a file this process
  // reads, whatever name or link reaches it.
  bool reading = mode == FileMode::kOpenRead;
  HANDLE handle = CreateFileA(
      path.c_str(), reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0,
      nullptr, reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
      nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  LARGE_INTEGER length = {};
  if (reading && !GetFileSizeEx(handle, &length)) length.QuadPart = 0;
  *file = reinterpret_cast<intptr_t>(handle);
  *size = static_cast<uint64_t>(length.QuadPart);
  return 0;
}

void NativeClose(intptr_t file) { CloseHandle(AsHandle(file)); }

int64_t NativeReadAt(intptr_t file, void* data, size_t count, uint64_t offset) {
  OVERLAPPED overlapped = At(offset);
  DWORD got = 0;
  if (!ReadFile(AsHandle(file), data, ClampCount(count), &got, &overlapped))
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  return got;
}

int64_t NativeWriteAt(intptr_t file, const void* data, size_t count,
                      uint64_t offset) {
  OVERLAPPED overlapped = At(offset);
  DWORD put = 0;
  if (!WriteFile(AsHandle(file), data, ClampCount(count), &put, &overlapped))
    return -1;
  return put;
}

bool NativeTruncate(intptr_t file, uint64_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(AsHandle(file), position, nullptr, FILE_BEGIN) &&
         SetEndOfFile(AsHandle(file));
}

int64_t NativeCopy(intptr_t, uint64_t, intptr_t, uint64_t, uint64_t) {
  // Windows has no positional kernel copy between open handles; the large
  // buffers do the work.
  return -1;
}
