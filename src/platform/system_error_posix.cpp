#include "platform/system_error.h"

#include <string.h>

std::string SystemErrorText(int code) {
  // strerror is not thread-safe, but fsdpack has one thread.
  const char* text = strerror(code);
  if (text == nullptr || *text == '\0')
    return "System error " + std::to_string(code);
  return TrimErrorText(text);
}
