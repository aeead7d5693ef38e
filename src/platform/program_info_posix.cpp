#include "platform/program_info.h"

#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

#include <vector>

std::string ProgramFileName() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  std::string path = length > 0 && static_cast<size_t>(length) < buffer.size()
                         ? std::string(buffer.data(), static_cast<size_t>(length))
                         : std::string(program_invocation_name);
  return path.substr(path.rfind('/') + 1);
}

uint32_t ImageRelativeAddress(const void* code) {
  Dl_info info;
  if (code == nullptr || dladdr(code, &info) == 0 || info.dli_fbase == nullptr)
    return 0;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code) -
                               reinterpret_cast<uintptr_t>(info.dli_fbase));
}
