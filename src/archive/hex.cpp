#include "archive/hex.h"

namespace {
const char kDigits[] = "0123456789ABCDEF";
}

std::string FormatHex(uint32_t value, int digits) {
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(text.size()) < digits)
    text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
  return text;
}

void AppendHex8(std::string* out, uint32_t value) {
  char digits[8];
  for (int i = 7; i >= 0; --i) {
    digits[i] = kDigits[value & 0xF];
    value >>= 4;
  }
  out->append(digits, 8);
}
