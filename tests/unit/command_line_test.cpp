#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {

TEST(SplitCommandLine, BlanksQuotesAndEmptyPairs) {
  using Words = std::vector<std::string>;
  struct {
    const char* line;
    Words words;
  } cases[] = {
      {"fsdpack.exe data.fsd", {"fsdpack.exe", "data.fsd"}},
      {"  fsdpack  \t data.fsd  ", {"fsdpack", "data.fsd"}},
      {"\"C:\\Program Files\\fsdpack.exe\" \"my data.fsd\"",
       {"C:\\Program Files\\fsdpack.exe", "my data.fsd"}},
      {"fsdpack \"C:\\games\\\"", {"fsdpack", "C:\\games\\"}},  // no escapes
      {"fsdpack a\"b c\"d", {"fsdpack", "ab cd"}},
      {"fsdpack \"\"", {"fsdpack"}},
      {"fsdpack \"\" data.fsd", {"fsdpack", "data.fsd"}},
      {"fsdpack \"\"\"\"x", {"fsdpack", "x"}},
      {"fsdpack \"unterminated quote", {"fsdpack", "unterminated quote"}},
      {"fsdpack \x01\x1F" "a\xE9.fsd", {"fsdpack", "a\xE9.fsd"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

}  // namespace
