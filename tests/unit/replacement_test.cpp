#include <gtest/gtest.h>

#include "archive/replacement.h"

namespace {

TEST(ReplaceAll, EveryOccurrenceSearchedFromTheStartEachTime) {
  struct {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* result;
  } cases[] = {
      {"data.fsd", ".fsd", "_0A.msg.z", "data_0A.msg.z"},
      {"x.fsd/y.fsd", ".fsd", "_05.msg.z", "x_05.msg.z/y_05.msg.z"},
      {"DATA.FSD", ".fsd", "_00.msg.z", "DATA.FSD"},
      {"a.fsd.fsd", ".fsd", "!", "a!!"},
      {"same", "am", "am", "same"},
      {"text", "", "x", "text"},
      // A replacement and the text after it can form a new occurrence,
      // which a search from the start finds too.
      {"abb", "ab", "xa", "xxa"},
      {"aab", "ab", "a", "aa"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
}

TEST(ReplacementName, TwoOrMoreUpperCaseDigits) {
  struct {
    const char* path;
    uint32_t index;
    const char* name;
  } cases[] = {
      {"data.fsd", 0, "data_00.msg.z"},
      {"data.fsd", 10, "data_0A.msg.z"},
      {"data.fsd", 255, "data_FF.msg.z"},
      {"data.fsd", 256, "data_100.msg.z"},
      {"data.fsd", 0xFFFFFFFF, "data_FFFFFFFF.msg.z"},
      {"..\\pack\\data.fsd", 1, "..\\pack\\data_01.msg.z"},
      {"x.fsd\\y.fsd", 5, "x_05.msg.z\\y_05.msg.z"},
      {"DATA.FSD", 3, "DATA.FSD"},
      {"data.fsd.bak", 1, "data_01.msg.z.bak"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplacementName(c.path, c.index), c.name);
}

}  // namespace
