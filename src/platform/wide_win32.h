#ifndef FSDPACK_PLATFORM_WIDE_WIN32_H_
#define FSDPACK_PLATFORM_WIDE_WIN32_H_

// The boundary between the program's 8-bit text (UTF-8, or WTF-8 where a
// name is no valid UTF-16) and the wide Windows API. Every name passes here
// on its way in or out; nothing else in the program sees wchar_t.

#include <string>

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// `path` as the wide file functions take it at any length: as given while
// its full path is shorter than MAX_PATH, else that full path in its
// "\\?\" form ("\\?\UNC\" for a share), which the system takes whole.
std::wstring WidePath(const std::string& path);

// The full path of `path` as GetFullPathNameW makes it; empty when it fails.
std::wstring WideFullPath(const std::wstring& path);

#endif  // FSDPACK_PLATFORM_WIDE_WIN32_H_
