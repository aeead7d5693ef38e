#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/system_error.h"

namespace {

TEST(LexicalFullPath, FoldsWithoutTouchingTheDisk) {
  struct {
    const char* cwd;
    const char* path;
    const char* full;
  } cases[] = {
      {"/work", "a.fsd", "/work/a.fsd"},
      {"/work", "new/a.fsd", "/work/new/a.fsd"},
      {"/work", "new//tmp/a.fsd", "/work/new/tmp/a.fsd"},
      {"/work/x", "../pack/./data.fsd", "/work/pack/data.fsd"},
      {"/work", "/abs/../a.fsd", "/a.fsd"},
      {"/", "../../a.fsd", "/a.fsd"},
      {"/work", "new/dir/", "/work/new/dir/"},
      {"/work", ".", "/work"},
      {"/work", "link/../a", "/work/a"},  // lexical: the link is not followed
  };
  for (const auto& c : cases)
    EXPECT_EQ(LexicalFullPath(c.cwd, c.path), c.full) << c.cwd << " + " << c.path;
}

TEST(TrimErrorText, DropsTrailingBlanksLineEndsAndPeriods) {
  EXPECT_EQ(TrimErrorText("The system cannot find the file specified. \r\n"),
            "The system cannot find the file specified");
  EXPECT_EQ(TrimErrorText("No such file or directory"), "No such file or directory");
  EXPECT_EQ(TrimErrorText(". .\n"), "");
}

}  // namespace
