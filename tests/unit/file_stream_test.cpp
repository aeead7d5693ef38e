// FileStream on real files: exact reads, zero-filled gaps, the whole-chunk
// rule of copies and the refusal to share a file.

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "support/archive_builder.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

template <typename Action>
Failure FailureOf(Action action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure;
  }
  ADD_FAILURE() << "no failure";
  return {};
}

class FileStreamTest : public testing::Test {
 protected:
  std::string Path(const std::string& name) { return (dir_ / name).string(); }
  ScratchDir dir_;
};

TEST_F(FileStreamTest, CopiesExactlyAndZeroFillsGaps) {
  // Sizes on both sides of the buffer and kernel-copy thresholds.
  for (size_t size : {size_t{1}, size_t{4095}, size_t{300000}, size_t{3 << 20}}) {
    std::string data = Filler(size + 7, static_cast<uint8_t>(size));
    WriteBytes(Path("source"), data);
    {
      FileStream source(Path("source"), FileMode::kOpenRead);
      FileStream target(Path("target"), FileMode::kOpenOrCreate);
      target.Empty();
      target.WriteBuffer("head", 4);
      target.SetPosition(16);
      source.SetPosition(7);
      target.CopyFrom(source, size);
      EXPECT_EQ(target.Position(), 16 + size);
      EXPECT_EQ(source.Position(), 7 + size);
      target.Close();
    }
    EXPECT_EQ(ReadBytes(Path("target")),
              std::string("head") + std::string(12, '\0') + data.substr(7));
  }
}

TEST_F(FileStreamTest, ShortSourceKeepsOnlyWholeChunks) {
  struct {
    size_t available;
    size_t requested;
    size_t kept;
  } cases[] = {{100, 150, 0}, {61440, 61441, 61440}, {200000, 300000, 3 * 61440},
               {2 * 61440 + 1, 5 << 20, 2 * 61440},
               {1000000, 2000000, 16 * 61440}};  // large enough for a kernel copy
  for (const auto& c : cases) {
    std::string data = Filler(c.available, 9);
    WriteBytes(Path("source"), data);
    {
      FileStream source(Path("source"), FileMode::kOpenRead);
      FileStream target(Path("target"), FileMode::kOpenOrCreate);
      target.Empty();
      target.WriteBuffer("abc", 3);
      target.SetPosition(16);
      Failure failure = FailureOf([&] { target.CopyFrom(source, c.requested); });
      EXPECT_EQ(failure.kind, ErrorKind::EReadError);
      EXPECT_EQ(failure.message, "Stream read error");
    }
    // Nothing is written after a gap that no data followed.
    std::string expected = c.kept == 0 ? std::string("abc")
                                       : "abc" + std::string(13, '\0') + data.substr(0, c.kept);
    EXPECT_EQ(ReadBytes(Path("target")), expected) << c.available;
  }
}

TEST_F(FileStreamTest, RewritesEarlierBytesAndReadsBack) {
  {
    FileStream target(Path("target"), FileMode::kOpenOrCreate);
    target.WriteBuffer("0123456789", 10);
    target.SetPosition(2);
    target.WriteBuffer("ab", 2);
    target.SetPosition(0);
    char back[10];
    target.ReadBuffer(back, 10);
    EXPECT_EQ(std::string(back, 10), "01ab456789");
    EXPECT_EQ(target.Size(), 10u);
    EXPECT_EQ(FailureOf([&] { target.ReadBuffer(back, 1); }).kind, ErrorKind::EReadError);
    target.Close();
  }
  EXPECT_EQ(ReadBytes(Path("target")), "01ab456789");
}

TEST_F(FileStreamTest, HeldFilesCannotBeOpenedAgain) {
  WriteBytes(Path("held"), "precious");
  {
    FileStream held(Path("held"), FileMode::kOpenRead);
    Failure reopen = FailureOf([&] { FileStream again(Path("held"), FileMode::kOpenRead); });
    EXPECT_EQ(reopen.kind, ErrorKind::EFOpenError);
    EXPECT_EQ(reopen.message,
              "Cannot open file \"" + Path("held") + "\". " + TextOf(SystemError::kHeld));
    Failure recreate =
        FailureOf([&] { FileStream again(Path("held"), FileMode::kOpenOrCreate); });
    EXPECT_EQ(recreate.kind, ErrorKind::EFCreateError);
    EXPECT_EQ(recreate.message,
              "Cannot create file \"" + Path("held") + "\". " + TextOf(SystemError::kHeld));
  }
  EXPECT_EQ(ReadBytes(Path("held")), "precious");
}

TEST_F(FileStreamTest, CreatingKeepsTheContentUntilEmptied) {
  WriteBytes(Path("target"), "old content");
  {
    FileStream target(Path("target"), FileMode::kOpenOrCreate);
    EXPECT_EQ(target.Size(), 11u);
    char kept[11];
    target.ReadBuffer(kept, sizeof kept);
    EXPECT_EQ(std::string(kept, sizeof kept), "old content");
    target.Empty();
    EXPECT_EQ(target.Size(), 0u);
    target.WriteBuffer("new", 3);
    target.Close();
  }
  EXPECT_EQ(ReadBytes(Path("target")), "new");
}

TEST_F(FileStreamTest, KnowsItsOwnFileByAnyName) {
  WriteBytes(Path("file"), "one");
  WriteBytes(Path("other"), "one");
  std::filesystem::create_directory(dir_ / "dir");
  FileStream file(Path("file"), FileMode::kOpenRead);
  EXPECT_TRUE(file.IsSameFileAs(Path("file")));
  EXPECT_TRUE(file.IsSameFileAs(Path("dir/../file")));
  EXPECT_FALSE(file.IsSameFileAs(Path("other")));
  EXPECT_FALSE(file.IsSameFileAs(Path("missing")));
  EXPECT_FALSE(file.IsSameFileAs(Path("dir")));
  EXPECT_FALSE(file.MayHaveOtherNames());

  std::filesystem::create_hard_link(dir_ / "other", dir_ / "hard");
  FileStream linked(Path("hard"), FileMode::kOpenRead);
  EXPECT_TRUE(linked.IsSameFileAs(Path("other")));
  EXPECT_TRUE(linked.MayHaveOtherNames());
}

TEST_F(FileStreamTest, ExistenceMeansAFileThatIsNoDirectory) {
  WriteBytes(Path("file"), "");
  std::filesystem::create_directory(dir_ / "dir");
  EXPECT_TRUE(FileExists(Path("file")));
  EXPECT_FALSE(FileExists(Path("dir")));
  EXPECT_FALSE(FileExists(Path("missing")));
  EXPECT_FALSE(FileExists(""));
}

}  // namespace

namespace {

// Scattered copies: consecutive source bytes into pieces of the target with
// zero gaps between them, short pieces many to a read, long ones alone.
TEST_F(FileStreamTest, ScatteredCopyFillsEachSegmentAndZeroesTheGaps) {
  std::string data = Filler(700000, 4);
  WriteBytes(Path("source"), data);
  std::vector<CopySegment> segments;
  uint64_t at = 16, used = 0;
  // Many short ones, a long one (copied by itself), then short ones again.
  for (uint64_t length : {5u, 11u, 16u, 0u + 300000u, 3u, 2500u, 2600u, 1u}) {
    segments.push_back({at, length});
    used += length;
    at += length + (at + length) % 7 + 1;
  }
  for (int i = 0; i < 1500; ++i) {  // more than one read can fill
    segments.push_back({at, 100});
    used += 100;
    at += 104;
  }
  std::string expected = "head" + std::string(12, '\0');
  uint64_t from = 10;
  for (const CopySegment& segment : segments) {
    expected.resize(segment.at, '\0');
    expected += data.substr(from, segment.length);
    from += segment.length;
  }
  {
    FileStream source(Path("source"), FileMode::kOpenRead);
    FileStream target(Path("target"), FileMode::kOpenOrCreate);
    target.WriteBuffer("head", 4);
    source.SetPosition(10);
    target.CopyScattered(source, segments.data(), segments.size());
    EXPECT_EQ(source.Position(), 10 + used);
    EXPECT_EQ(target.Position(), segments.back().at + segments.back().length);
    target.Close();
  }
  EXPECT_EQ(ReadBytes(Path("target")), expected);
}

TEST_F(FileStreamTest, ScatteredCopyFromAShortSourceKeepsWholeSegments) {
  WriteBytes(Path("source"), "0123456789");
  const CopySegment segments[] = {{16, 4}, {32, 4}, {48, 4}};
  {
    FileStream source(Path("source"), FileMode::kOpenRead);
    FileStream target(Path("target"), FileMode::kOpenOrCreate);
    target.WriteBuffer("ab", 2);
    Failure failure = FailureOf([&] { target.CopyScattered(source, segments, 3); });
    EXPECT_EQ(failure.kind, ErrorKind::EReadError);
  }
  EXPECT_EQ(ReadBytes(Path("target")),
            "ab" + std::string(14, '\0') + "0123" + std::string(12, '\0') + "4567");
}

TEST_F(FileStreamTest, OpenIfFileIsTheExistenceTestAndTheOpenInOne) {
  WriteBytes(Path("file"), "data");
  std::filesystem::create_directory(dir_ / "dir");
  EXPECT_EQ(FileStream::OpenIfFile(Path("missing"), FileMode::kReadBriefly), nullptr);
  EXPECT_EQ(FileStream::OpenIfFile(Path("missing/below"), FileMode::kReadBriefly), nullptr);
  EXPECT_EQ(FileStream::OpenIfFile(Path("file/below"), FileMode::kReadBriefly), nullptr);
  EXPECT_EQ(FileStream::OpenIfFile(Path("dir"), FileMode::kReadBriefly), nullptr);
  std::unique_ptr<FileStream> file = FileStream::OpenIfFile(Path("file"), FileMode::kReadBriefly);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 4u);
  // A file that is there but cannot be opened fails as opening it would.
  Failure held = FailureOf([&] { FileStream::OpenIfFile(Path("file"), FileMode::kOpenRead); });
  EXPECT_EQ(held.kind, ErrorKind::EFOpenError);
  EXPECT_EQ(held.message,
            "Cannot open file \"" + Path("file") + "\". " + TextOf(SystemError::kHeld));
}

}  // namespace
