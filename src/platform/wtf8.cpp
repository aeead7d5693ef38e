#include "platform/wtf8.h"

#include <stdint.h>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(std::string* out, uint32_t code) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | code >> 6);
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | code >> 12);
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | code >> 18);
    *out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUnits(std::u16string* out, uint32_t code) {
  if (code < 0x10000) {
    *out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    *out += static_cast<char16_t>(0xD800 | code >> 10);
    *out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
  }
}

}  // namespace

std::string Wtf8FromUtf16(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      uint32_t low = text[++i];
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendCodePoint(&out, unit);  // a lone surrogate as itself
  }
  return out;
}

std::u16string Utf16FromWtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    uint32_t lead = byte(i);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F
                  : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length != 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      valid = (byte(i + k) & 0xC0) == 0x80;
      code = code << 6 | (byte(i + k) & 0x3F);
    }
    // No overlong forms, nothing past U+10FFFF. Surrogates pass: that is
    // what makes it WTF-8.
    if (valid && ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))))
      valid = false;
    if (!valid) {
      out += kReplacement;
      ++i;
      continue;
    }
    AppendUnits(&out, code);
    i += length;
  }
  return out;
}
