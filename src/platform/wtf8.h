#ifndef FSDPACK_PLATFORM_WTF8_H_
#define FSDPACK_PLATFORM_WTF8_H_

#include <string>

// Text is 8-bit inside the program, UTF-16 in the Windows API. Names there
// need not be valid UTF-16: a lone surrogate is a legal code unit of a file
// name. WTF-8 keeps every such name: it is UTF-8 in which a lone surrogate is
// encoded like any other code point, so that UTF-16 -> WTF-8 -> UTF-16 gives
// back every sequence of code units unchanged, and valid UTF-16 becomes
// plain UTF-8.

std::string Wtf8FromUtf16(const std::u16string& text);

// The reverse. Bytes that are no WTF-8 (a stray continuation byte, a cut or
// overlong sequence, a value past U+10FFFF) become U+FFFD one byte at a time.
std::u16string Utf16FromWtf8(const std::string& text);

#endif  // FSDPACK_PLATFORM_WTF8_H_
