// NewFile on real directories, both ways a file gets its name: unnamed and
// linked into place, or through a temporary name.

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/new_file.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class NewFileTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseTemporaryNamesForNewFiles(GetParam()); }
  void TearDown() override { UseTemporaryNamesForNewFiles(false); }
  std::string Path(const std::string& name) { return (dir_ / name).string(); }
  ScratchDir dir_;
};

TEST_P(NewFileTest, AppearsCompleteUnderItsName) {
  {
    NewFile file(Path("out"));
    file.Write("hello ", 6);
    file.Write("world", 5);
    EXPECT_FALSE(fs::exists(dir_ / "out")) << "named before Commit";
    EXPECT_TRUE(file.Commit());
  }
  EXPECT_EQ(ReadBytes(dir_ / "out"), "hello world");
  EXPECT_EQ(Names(dir_.path()), std::vector<std::string>{"out"});
}

TEST_P(NewFileTest, NeverReplacesWhatHasTheName) {
  WriteBytes(dir_ / "file", "theirs");
  fs::create_directory(dir_ / "dir");
  for (const char* name : {"file", "dir"}) {
    NewFile file(Path(name));
    file.Write("mine", 4);
    EXPECT_FALSE(file.Commit()) << name;
  }
  EXPECT_EQ(ReadBytes(dir_ / "file"), "theirs");
  EXPECT_TRUE(fs::is_directory(dir_ / "dir"));
  EXPECT_EQ(Names(dir_.path()), (std::vector<std::string>{"dir", "file"}));
}

TEST_P(NewFileTest, DroppedWithoutCommitLeavesNothing) {
  {
    NewFile file(Path("out"));
    file.Write("partial", 7);
  }
  EXPECT_EQ(Names(dir_.path()), std::vector<std::string>{});
}

TEST_P(NewFileTest, MissingDirectoryFailsToCreate) {
  std::string path = (dir_ / "missing" / "out").string();
  try {
    NewFile file(path);
    ADD_FAILURE() << "created";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.kind, ErrorKind::EFCreateError);
    EXPECT_EQ(failure.message, "Cannot create file \"" + path + "\". " +
                                   TextOf(SystemError::kPathNotFound));
  }
  EXPECT_EQ(Names(dir_.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Ways, NewFileTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "TemporaryName" : "Unnamed";
                         });

}  // namespace
