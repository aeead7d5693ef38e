#include <gtest/gtest.h>

#include "archive/replacement.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "support/scratch_dir.h"

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

namespace {

namespace fs = std::filesystem;

// The listing must find exactly what testing every name finds.
TEST(ReplacementLookup, AnswersAsTestingEveryNameWould) {
  ScratchDir dir;
  WriteBytes(dir / "pack/data.fsd", "archive");
  WriteBytes(dir / "pack/data_00.msg.z", "file");
  WriteBytes(dir / "pack/data_0A.msg.z", "file");
  WriteBytes(dir / "pack/DATA_01.msg.z", "other case");
  WriteBytes(dir / "pack/data_0b.msg.z", "lower-case digits");
  WriteBytes(dir / "pack/data_100.msg.z", "three digits");
  WriteBytes(dir / "pack/data_0100.msg.z", "four digits, not a name");
  fs::create_directories(dir / "pack/data_02.msg.z");
  WriteBytes(dir / "x.fsd/y_03.msg.z", "wrong directory");
  WriteBytes(dir / "x_03.msg.z/y_03.msg.z", "directory part replaced");
  WriteBytes(dir / "DATA.FSD", "upper-case archive");
  WriteBytes(dir / "two.fsd.fsd", "two patterns");
  WriteBytes(dir / "two_07.msg.z_07.msg.z", "two indexes");
  WriteBytes(dir / "tail.fsd.bak", "text after the pattern");
  WriteBytes(dir / "tail_08.msg.z.bak", "replacement");
  WriteBytes(dir / "tail_09.msg.z", "no tail, not a name");
  std::error_code no_links;
  fs::create_symlink("data_00.msg.z", dir / "pack/data_04.msg.z", no_links);
  fs::create_symlink("data_02.msg.z", dir / "pack/data_05.msg.z", no_links);
  fs::create_symlink("missing", dir / "pack/data_06.msg.z", no_links);

  std::string base = dir.path().string() + kPathSeparator;
  const std::string paths[] = {base + "pack/data.fsd",    base + "x.fsd/y.fsd",
                               base + "DATA.FSD",         base + "missing/data.fsd",
                               base + "two.fsd.fsd",      base + "tail.fsd.bak"};
  for (const std::string& path : paths) {
    ReplacementLookup lookup = PrepareReplacementLookup(path);
    for (uint32_t index = 0; index < 0x110; ++index) {
      std::string name = ReplacementName(path, index);
      EXPECT_EQ(FindReplacement(lookup, index), FileExists(name) ? name : "")
          << path << " " << index;
    }
  }
  EXPECT_TRUE(PrepareReplacementLookup(paths[0]).listed);
  EXPECT_TRUE(PrepareReplacementLookup(paths[5]).listed);
  EXPECT_FALSE(PrepareReplacementLookup(paths[1]).listed);
}

}  // namespace
