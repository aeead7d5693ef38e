#include <windows.h>

#include "platform/program_info.h"
#include "platform/wide_win32.h"

std::string ProgramFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return "";
    if (length < buffer.size()) {
      std::string path = Narrow(buffer.substr(0, length));
      return path.substr(path.find_last_of("\\/") + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

uint32_t ImageRelativeAddress(const void* code) {
  HMODULE module = nullptr;
  if (code == nullptr ||
      !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const wchar_t*>(code), &module))
    return 0;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code) -
                               reinterpret_cast<uintptr_t>(module));
}
