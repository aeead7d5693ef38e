#include "platform/wide_win32.h"

#include <windows.h>

#include "platform/wtf8.h"

// wchar_t is one UTF-16 code unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

std::wstring Widen(const std::string& text) {
  std::u16string units = Utf16FromWtf8(text);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(const std::wstring& text) {
  return Wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring WideFullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                                    &full[0], nullptr);
    if (length == 0) return L"";
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length + 1);
  }
}

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.empty()) return wide;
  std::wstring full = WideFullPath(wide);
  if (full.size() < MAX_PATH) return wide;
  // Already a device or "\\?\" path: the system takes it as it is.
  if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}
