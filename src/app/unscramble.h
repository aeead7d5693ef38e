#ifndef FSDPACK_APP_UNSCRAMBLE_H_
#define FSDPACK_APP_UNSCRAMBLE_H_

#include <stdint.h>

#include <array>
#include <string>

// The plain form of a scrambled text: character i (from 1) is XORed with
// (Key + i) mod 256. Its own inverse. The position counter is one byte wide,
// so only the first 255 characters count.
std::string Unscramble(uint8_t Key, const std::string& Text);

// The same at compile time, so that a text can be stored only scrambled.
template <size_t N>
constexpr std::array<char, N - 1> Scramble(uint8_t key, const char (&text)[N]) {
  std::array<char, N - 1> stored{};
  for (size_t i = 0; i + 1 < N; ++i)
    stored[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^
                                  static_cast<uint8_t>(key + i + 1));
  return stored;
}

#endif  // FSDPACK_APP_UNSCRAMBLE_H_
