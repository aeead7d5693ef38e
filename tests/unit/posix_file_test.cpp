// What only POSIX systems let a test stage on its own files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "platform/command_line.h"
#include "platform/failure.h"
#include "platform/file_stream.h"
#include "support/archive_builder.h"
#include "support/run_program.h"
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
      FileStream target((dir / "target").string(), FileMode::kOpenOrCreate);
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

// A path through a symbolic link reaches a file that other paths reach too,
// whatever its link count.
TEST(FileStreamNames, ALinkOnTheWayMeansOtherNames) {
  ScratchDir dir;
  WriteBytes(dir / "real/file", "data");
  std::filesystem::create_directory_symlink("real", dir / "via");
  std::filesystem::create_symlink("real/file", dir / "direct");
  for (const char* name : {"via/file", "direct"}) {
    FileStream file((dir / name).string(), FileMode::kOpenRead);
    EXPECT_TRUE(file.MayHaveOtherNames()) << name;
    EXPECT_TRUE(file.IsSameFileAs((dir / "real/file").string())) << name;
  }
  FileStream plain((dir / "real/file").string(), FileMode::kOpenRead);
  EXPECT_FALSE(plain.MayHaveOtherNames());
}

// FIFOs and devices are no files to read or write: opening them fails at
// once instead of blocking or reading nothing.
TEST(FileStreamNames, OnlyRegularFilesOpen) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  for (std::string path : {(dir / "fifo").string(), std::string("/dev/zero")}) {
    for (FileMode mode : {FileMode::kOpenRead, FileMode::kOpenOrCreate}) {
      try {
        FileStream stream(path, mode);
        ADD_FAILURE() << path << " opened";
      } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind, mode == FileMode::kOpenRead ? ErrorKind::EFOpenError
                                                            : ErrorKind::EFCreateError);
        EXPECT_EQ(failure.message.substr(failure.message.size() -
                                         TextOf(SystemError::kNotAFile).size()),
                  TextOf(SystemError::kNotAFile));
      }
    }
  }
}

}  // namespace

namespace {

// Two names of one file, read briefly on two threads at once, both succeed,
// one after the other; the file a pass holds for its whole length still
// refuses them.
TEST(FileStreamNames, BriefReadsOfOneFileWaitForEachOther) {
  ScratchDir dir;
  WriteBytes(dir / "one", "shared");
  std::filesystem::create_hard_link(dir / "one", dir / "two");
  std::atomic<int> opened{0};
  auto read_briefly = [&](const char* name) {
    for (int i = 0; i < 200; ++i) {
      FileStream file((dir / name).string(), FileMode::kReadBriefly);
      char bytes[6];
      file.ReadBuffer(bytes, sizeof bytes);
      ++opened;
    }
  };
  std::thread other(read_briefly, "two");
  read_briefly("one");
  other.join();
  EXPECT_EQ(opened, 400);

  FileStream held((dir / "one").string(), FileMode::kOpenRead);
  try {
    FileStream brief((dir / "two").string(), FileMode::kReadBriefly);
    ADD_FAILURE() << "opened a held file";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.kind, ErrorKind::EFOpenError);
  }
}

}  // namespace
