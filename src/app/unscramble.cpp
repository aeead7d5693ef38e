#include "app/unscramble.h"

std::string Unscramble(uint8_t Key, const std::string& Text) {
  std::string plain;
  size_t count = Text.size() < 255 ? Text.size() : 255;
  for (size_t i = 1; i <= count; ++i) {
    plain += static_cast<char>(static_cast<unsigned char>(Text[i - 1]) ^
                               static_cast<uint8_t>(Key + i));
  }
  return plain;
}
