// The texts fsdpack builds: hexadecimal numbers, the banner, the failure
// report and the console's I/O messages.

#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/failure_report.h"
#include "app/unscramble.h"
#include "archive/hex.h"
#include "platform/console.h"

namespace {

TEST(FormatHex, PadsButNeverCuts) {
  struct {
    uint32_t value;
    int digits;
    const char* text;
  } cases[] = {
      {0, 2, "00"},      {10, 2, "0A"},           {0xFF, 2, "FF"},
      {0x100, 2, "100"}, {0xABCDE, 1, "ABCDE"},   {0, 8, "00000000"},
      {0xC0, 8, "000000C0"}, {0xFFFFFFFF, 8, "FFFFFFFF"}, {0x80000000, 2, "80000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatHex(c.value, c.digits), c.text);
    if (c.digits == 8) {
      std::string appended = "x";
      AppendHex8(&appended, c.value);
      EXPECT_EQ(appended, std::string("x") + c.text);
    }
  }
}

TEST(Unscramble, UndoesItselfAndMatchesCompileTimeScramble) {
  // Character i (from 1) is XORed with Key + i.
  EXPECT_EQ(Unscramble(0x10, std::string("\x11\x12\x13", 3)), std::string("\0\0\0", 3));
  EXPECT_EQ(Unscramble(0xFF, "A"), "A");  // (0xFF + 1) mod 256 is 0
  constexpr auto stored = Scramble(0x41, "Hello, archive");
  std::string scrambled(stored.data(), stored.size());
  EXPECT_NE(scrambled, "Hello, archive");
  EXPECT_EQ(Unscramble(0x41, scrambled), "Hello, archive");
  EXPECT_EQ(Unscramble(0x41, Unscramble(0x41, "round trip")), "round trip");
}

TEST(Unscramble, StopsAtTheOneBytePositionCounter) {
  std::string long_text(300, 'x');
  EXPECT_EQ(Unscramble(1, long_text).size(), 255u);
}

TEST(Banner, IsEighteenCharactersOfText) {
  std::string banner = Unscramble(kBannerKey, StoredBanner());
  ASSERT_EQ(banner.size(), 18u);
  for (char c : banner) EXPECT_TRUE(c >= ' ' && c <= '~') << banner;
}

TEST(FailureReport, AddsThePeriodOnlyWhenMissing) {
  EXPECT_EQ(FailureReport("EReadError", "fsdpack", 0x1A2B, "Stream read error"),
            "Exception EReadError in module fsdpack at 00001A2B.\r\n"
            "Stream read error.\r\n\r\n");
  EXPECT_EQ(FailureReport("EInOutError", "fsdpack.exe", 0, "Ends."),
            "Exception EInOutError in module fsdpack.exe at 00000000.\r\n"
            "Ends.\r\n\r\n");
  EXPECT_EQ(FailureReport("Exception", "fsdpack", 0xFFFFFFFF, ""),
            "Exception Exception in module fsdpack at FFFFFFFF.\r\n\r\n\r\n");
}

TEST(InOutErrorMessage, KnownCodesAndTheRest) {
  struct {
    int code;
    const char* message;
  } cases[] = {
      {2, "File not found"},        {3, "Invalid filename"},
      {4, "Too many open files"},   {5, "File access denied"},
      {100, "Read beyond end of file"}, {101, "Disk full"},
      {106, "Invalid numeric input"}, {32, "I/O error 32"},
      {9, "I/O error 9"},
  };
  for (const auto& c : cases) EXPECT_EQ(InOutErrorMessage(c.code), c.message);
}

}  // namespace
