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
      // UTF-8, as the wide command line arrives: no byte of a longer
      // sequence is a blank or a quote.
      {"fsdpack \"\xE7\xBF\xBB\xE8\xA8\xB3 \xD0\xBF\\\xE3\x83\x87.fsd\" x",
       {"fsdpack", "\xE7\xBF\xBB\xE8\xA8\xB3 \xD0\xBF\\\xE3\x83\x87.fsd", "x"}},
      {"fsdpack \xF0\x9F\x8E\xAE\xC2\xA0.fsd", {"fsdpack", "\xF0\x9F\x8E\xAE\xC2\xA0.fsd"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

}  // namespace
