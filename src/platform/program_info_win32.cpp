#include <windows.h>

#include <vector>

#include "platform/program_info.h"

std::string ProgramFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return "fsdpack.exe";
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      return path.substr(path.find_last_of("\\/") + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

uint32_t ImageRelativeAddress(const void* code) {
  HMODULE module = nullptr;
  if (code == nullptr ||
      !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char*>(code), &module))
    return 0;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code) -
                               reinterpret_cast<uintptr_t>(module));
}
