#include <windows.h>

#include "platform/system_error.h"

std::string SystemErrorText(int code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0,
      nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : "";
  if (text != nullptr) LocalFree(text);
  message = TrimErrorText(message);
  if (message.empty()) return "System error " + std::to_string(code);
  return message;
}
