// fsdunpack and fsdpack as a pair: what fsdunpack takes out, fsdpack puts
// back byte for byte, and an edited file lands in the rebuilt archive just
// as a replacement file would.

#include <gtest/gtest.h>

#include <optional>

#include "e2e/harness.h"
#include "support/archive_builder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kHeaderWord = 0x7777;

struct RoundTrip {
  std::string name;
  std::string path;  // the archive, relative
  std::string archive;
  std::vector<TestFile> replacements;  // there before fsdunpack runs
  std::optional<TestFile> edit;        // written over an extracted file
};

void PrintTo(const RoundTrip& trip, std::ostream* out) { *out << trip.name; }

void Prepare(const ScratchDir& dir, const RoundTrip& trip) {
  WriteBytes(dir / trip.path, trip.archive);
  for (const TestFile& file : trip.replacements) WriteBytes(dir / file.path, file.bytes);
  fs::create_directories((dir / ("new/" + trip.path)).parent_path());
}

class RoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, UnpackThenPackRebuildsWhatPackAloneDoes) {
  const RoundTrip& trip = GetParam();
  ScratchDir alone, tripped;
  Prepare(alone, trip);
  Prepare(tripped, trip);
  if (trip.edit) WriteBytes(alone / trip.edit->path, trip.edit->bytes);
  RunResult packed = RunProgram(ToolPath(), {trip.path}, alone.path());
  ASSERT_EQ(packed.status, 0) << packed.err;

  RunResult unpacked = RunProgram(ToolPath(Tool::kFsdunpack), {trip.path}, tripped.path());
  ASSERT_EQ(unpacked.status, 0) << unpacked.err;
  for (const TestFile& file : trip.replacements)
    EXPECT_EQ(ReadBytes(tripped / file.path), file.bytes) << file.path << " not kept";
  if (trip.edit) WriteBytes(tripped / trip.edit->path, trip.edit->bytes);
  RunResult repacked = RunProgram(ToolPath(), {trip.path}, tripped.path());
  ASSERT_EQ(repacked.status, 0) << repacked.err;

  EXPECT_EQ(repacked.out, packed.out);
  EXPECT_EQ(ReadBytes(tripped / ("new/" + trip.path)), ReadBytes(alone / ("new/" + trip.path)));
  EXPECT_EQ(ReadBytes(tripped / trip.path), trip.archive);
}

std::vector<RoundTrip> AllTrips() {
  std::string shared =
      OldArchive(kHeaderWord, {{0x100, 0xA0}, {0, 0xA1}, {0x40, 0xA2}, {0x100, 0xA3}}, 0x180);
  std::vector<Slot> many;
  for (uint32_t i = 0; i < 300; ++i) many.push_back({i % 7 == 3 ? 0 : 0x960 + 37 * i, i});
  std::string three_digits = OldArchive(kHeaderWord, many, 0x960 + 37 * 300 + 5);
  std::string large = OldArchive(kHeaderWord, {{0x20, 1}, {0x35, 2}, {0x40, 3}}, (2 << 20) + 77);
  return {
      {"shared_offsets_and_no_data", "a.fsd", shared, {}, {}},
      {"odd_count_unaligned", "a.fsd",
       OldArchive(kHeaderWord, {{0x21, 1}, {0x45, 2}, {0x61, 3}}, 0x70), {}, {}},
      {"zero_length_last_entry", "a.fsd",
       OldArchive(kHeaderWord, {{0x18, 1}, {0x30, 2}}, 0x30), {}, {}},
      {"three_digit_indexes", "a.fsd", three_digits, {}, {}},
      {"entries_larger_than_the_buffers", "a.fsd", large, {}, {}},
      {"below_a_directory", "pack/data.fsd", shared, {}, {}},
      {"names_with_blanks", "my data.fsd", shared, {}, {}},
      {"replacement_files_already_there", "a.fsd", shared,
       {{"a_02.msg.z", "MINE"}, {"a_00.msg.z", "grown from nothing"}}, {}},
      {"one_file_edited", "a.fsd", three_digits, {}, TestFile{"a_101.msg.z", "EDITED"}},
      {"edited_to_empty", "a.fsd", large, {}, TestFile{"a_01.msg.z", ""}},
  };
}

INSTANTIATE_TEST_SUITE_P(Pair, RoundTripTest, testing::ValuesIn(AllTrips()),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                           return info.param.name;
                         });

}  // namespace
