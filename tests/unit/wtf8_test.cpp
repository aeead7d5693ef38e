// The boundary between 8-bit names and UTF-16 ones: UTF-8 for valid text,
// and every sequence of UTF-16 code units back unchanged.

#include <gtest/gtest.h>

#include <random>

#include "platform/wtf8.h"

namespace {

TEST(Wtf8, EncodesCodePointsAndLoneSurrogates) {
  struct {
    std::u16string utf16;
    std::string wtf8;
  } cases[] = {
      {u"data.fsd", "data.fsd"},
      {u"\u00E9t\u00E9", "\xC3\xA9t\xC3\xA9"},                          // two bytes
      {u"\u30C7\u30FC\u30BF", "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF"},  // three
      {u"\U0001F3AE", "\xF0\x9F\x8E\xAE"},                              // a pair: four
      {std::u16string(1, char16_t(0xD83C)), "\xED\xA0\xBC"},             // lone high
      {std::u16string(1, char16_t(0xDFAE)) + u"x", "\xED\xBE\xAEx"},     // lone low
      {std::u16string{char16_t(0xDFAE), char16_t(0xD83C)}, "\xED\xBE\xAE\xED\xA0\xBC"},
      {std::u16string(1, char16_t(0)), std::string(1, '\0')},
      {u"\uFFFF\u0800\u07FF\u0080\u007F", "\xEF\xBF\xBF\xE0\xA0\x80\xDF\xBF\xC2\x80\x7F"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Wtf8FromUtf16(c.utf16), c.wtf8) << c.wtf8;
    EXPECT_EQ(Utf16FromWtf8(c.wtf8), c.utf16) << c.wtf8;
  }
}

TEST(Wtf8, BytesThatAreNoWtf8BecomeReplacementCharacters) {
  const std::u16string kBad(1, char16_t(0xFFFD));
  struct {
    std::string bytes;
    std::u16string utf16;
  } cases[] = {
      {"\xFF", kBad},
      {"a\x80" "b", u"a" + kBad + u"b"},         // stray continuation byte
      {"\xE3\x83", kBad + kBad},                  // cut short
      {"\xC0\xAF", kBad + kBad},                  // overlong "/"
      {"\xE0\x80\xAF", kBad + kBad + kBad},       // overlong in three
      {"\xF4\x90\x80\x80", kBad + kBad + kBad + kBad},  // past U+10FFFF
      {"\xE3\x83" "x", kBad + kBad + u"x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16FromWtf8(c.bytes), c.utf16);
}

TEST(Wtf8, EveryUtf16SequenceComesBackUnchanged) {
  std::mt19937 random(11);
  // Surrogates often, so that pairs, lone ones and their mixes all occur.
  const char16_t kUnits[] = {u'a', 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xD800, 0xDBFF,
                             0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFF, u'\\', u'.'};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    for (size_t n = random() % 12; n > 0; --n) text += kUnits[random() % 15];
    ASSERT_EQ(Utf16FromWtf8(Wtf8FromUtf16(text)), text) << "round " << round;
  }
}

}  // namespace
