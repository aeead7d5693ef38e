#include <windows.h>

#include <string.h>

#include <algorithm>
#include <string>

#include "platform/file_native.h"
#include "platform/paths.h"
#include "platform/wide_win32.h"

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

// "\\?\C:\..." and "\\?\UNC\server\..." as the plain full path they stand for.
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

}  // namespace

bool NativeIsFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool NativeNameExists(const std::string& path) {
  // A link is asked about itself, not what it leads to.
  return !path.empty() &&
         GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int HeldFileError() { return ERROR_SHARING_VIOLATION; }

int NativeOpen(const std::string& path, FileMode mode, intptr_t* file,
               uint64_t* size) {
  // Share mode 0: while held, every other open of the file fails with a
  // sharing violation, whatever name or link reaches it. OPEN_ALWAYS rather
  // than CREATE_ALWAYS: the caller empties a created file once it knows
  // what that destroys.
  bool reading = mode != FileMode::kOpenOrCreate;
  HANDLE handle = CreateFileW(
      WidePath(path).c_str(), reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0,
      nullptr, reading ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  // A device or pipe ("NUL", "CON", "\\.\pipe\...") reads as empty or
  // endless and keeps nothing written to it: it is no archive and no
  // replacement file.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return ERROR_OPEN_FAILED;
  }
  LARGE_INTEGER length = {};
  if (!GetFileSizeEx(handle, &length)) length.QuadPart = 0;
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

int NativeTruncate(intptr_t file, uint64_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(AsHandle(file), position, nullptr, FILE_BEGIN) &&
                 SetEndOfFile(AsHandle(file))
             ? 0
             : static_cast<int>(GetLastError());
}

bool NativeIsSameFile(intptr_t file, const std::string& path) {
  // No access asked for, only the file's identity: that open succeeds even
  // on a file held without sharing.
  HANDLE other = CreateFileW(WidePath(path).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (other == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION mine, theirs;
  bool same = GetFileInformationByHandle(AsHandle(file), &mine) &&
              GetFileInformationByHandle(other, &theirs) &&
              mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
              mine.nFileIndexHigh == theirs.nFileIndexHigh &&
              mine.nFileIndexLow == theirs.nFileIndexLow;
  CloseHandle(other);
  return same;
}

bool NativeMayHaveOtherNames(intptr_t file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(file), &info) || info.nNumberOfLinks != 1)
    return true;
  // The name the system resolved the handle to, links and junctions
  // followed, differs from the full path exactly when one lay on the way.
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetFinalPathNameByHandleW(AsHandle(file), &resolved[0],
                                             static_cast<DWORD>(resolved.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return true;
    if (length < resolved.size()) {
      resolved.resize(length);
      break;
    }
    resolved.resize(length + 1);
  }
  std::wstring final_path = WithoutLongPrefix(resolved);
  std::wstring full = WithoutLongPrefix(WideFullPath(Widen(path)));
  // File names compare without case on Windows.
  return CompareStringOrdinal(final_path.data(), static_cast<int>(final_path.size()),
                              full.data(), static_cast<int>(full.size()),
                              TRUE) != CSTR_EQUAL;
}

// A second open of a file this process holds fails with a sharing
// violation whoever holds it: reads of two names of one file on two threads
// would fail where one thread's would not.
bool ConcurrentBriefReads() { return false; }

bool NativeErrorMeansNoFile(int error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

uint64_t NativeReadScattered(intptr_t file, const NativeSlice* slices, size_t count,
                             uint64_t offset) {
  // No positional scattered read on Windows: the consecutive bytes are read
  // in one piece where the first slice starts, then moved out to their
  // slices from the last one back, each to the right of where it landed.
  uint64_t total = 0;
  for (size_t i = 0; i < count; ++i) total += slices[i].size;
  uint64_t got = 0;
  while (got < total) {
    int64_t n = NativeReadAt(file, slices[0].data + got, static_cast<size_t>(total - got),
                             offset + got);
    if (n <= 0) break;
    got += static_cast<uint64_t>(n);
  }
  uint64_t landed = total;
  for (size_t i = count; i-- > 0;) {
    landed -= slices[i].size;
    if (landed < got)
      memmove(slices[i].data, slices[0].data + landed,
              static_cast<size_t>(std::min<uint64_t>(slices[i].size, got - landed)));
  }
  // The gaps between the slices held data on its way: zeros again.
  for (size_t i = 0; i + 1 < count; ++i) {
    char* gap = slices[i].data + slices[i].size;
    memset(gap, 0, static_cast<size_t>(slices[i + 1].data - gap));
  }
  return got;
}

int64_t NativeCopy(intptr_t, uint64_t, intptr_t, uint64_t, uint64_t) {
  // Windows has no positional kernel copy between open handles; the large
  // buffers do the work.
  return -1;
}
