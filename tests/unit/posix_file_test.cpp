// What only POSIX systems let a test stage on its own files.

#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "platform/failure.h"
#include "platform/file_stream.h"
#include "support/archive_builder.h"
#include "support/scratch_dir.h"

namespace {

TEST(CommandLineArguments, SkipsEmptyArguments) {
  char program[] = "fsdpack", empty[] = "", first[] = "a.fsd", second[] = "b.fsd";
  char* argv[] = {program, empty, first, second, nullptr};
  EXPECT_EQ(CommandLineArguments(4, argv), (std::vector<std::string>{"a.fsd", "b.fsd"}));
  EXPECT_TRUE(CommandLineArguments(2, argv).empty());
}

// A source that shrinks after it was opened (another program truncating a
// replacement file meanwhile) fails the copy, keeping only whole chunks.
TEST(FileStreamShrinking, SourceCutWhileCopiedKeepsWholeChunks) {
  for (size_t cut_to : {size_t{200000}, size_t{1000}, size_t{1500000}}) {
    ScratchDir dir;
    std::string data = Filler(2000000, 5);
    WriteBytes(dir / "source", data);
    {
      FileStream source((dir / "source").string(), FileMode::kOpenRead);
      FileStream target((dir / "target").string(), FileMode::kCreateReadWrite);
      target.WriteBuffer("0123456789", 10);
      target.SetPosition(16);
      std::filesystem::resize_file(dir / "source", cut_to);
      try {
        target.CopyFrom(source, source.Size());
        ADD_FAILURE() << "copied from a shrunk source";
      } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind, ErrorKind::EReadError);
        EXPECT_EQ(failure.message, "Stream read error");
      }
    }
    size_t kept = cut_to - cut_to % 61440;
    std::string expected = kept == 0 ? std::string("0123456789")
                                     : "0123456789" + std::string(6, '\0') + data.substr(0, kept);
    EXPECT_EQ(ReadBytes(dir / "target"), expected) << cut_to;
  }
}

}  // namespace
