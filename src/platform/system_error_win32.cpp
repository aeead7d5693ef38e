#include <windows.h>

#include "platform/system_error.h"
#include "platform/wide_win32.h"

std::string SystemErrorText(int code) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0,
      nullptr);
  std::string message = length > 0 && text != nullptr ? Narrow(std::wstring(text, length)) : "";
  if (text != nullptr) LocalFree(text);
  message = TrimErrorText(message);
  if (message.empty()) return "System error " + std::to_string(code);
  return message;
}
