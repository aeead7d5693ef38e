// fsdunpack run end to end: every entry with data out under its replacement
// name, names that exist kept, and the ways a run fails.

#include <gtest/gtest.h>

#include "archive/extract.h"
#include "e2e/harness.h"
#include "support/archive_builder.h"

namespace {

constexpr uint32_t kHeaderWord = 0x5EED;

std::string Summary(uint32_t written, uint32_t kept) {
  return ExtractSummary(written, kept) + "\r\nDone.\r\n";
}

std::string UnpackReport(const std::string& kind, const std::string& message) {
  return Report(kind, message, Tool::kFsdunpack);
}

// Slots at 100, 0, 40 and 100 (hexadecimal) in a 180-byte archive: entry 0
// shares its offset with entry 3 and so has length 0, entry 1 has no data.
std::string SharedOffsets() {
  return OldArchive(kHeaderWord, {{0x100, 0xA0}, {0, 0xA1}, {0x40, 0xA2}, {0x100, 0xA3}},
                    0x180);
}

Case Unpack(const std::string& name, const std::string& archive_path,
            const std::string& archive) {
  Case c;
  c.name = name;
  c.tool = Tool::kFsdunpack;
  c.files = {{archive_path, archive}};
  c.arguments = {archive_path};
  c.no_new_dir = true;
  return c;
}

Case EveryEntryOut() {
  std::string old = SharedOffsets();
  Case c = Unpack("every_entry_with_data_out", "a.fsd", old);
  c.out = Listing({{0, 0xA1}, {0x40, 0xC0}, {0x100, 0}, {0x100, 0x80}}) + Summary(3, 0);
  c.written = {{"a_00.msg.z", ""},
               {"a_02.msg.z", old.substr(0x40, 0xC0)},
               {"a_03.msg.z", old.substr(0x100, 0x80)}};
  return c;
}

Case NamesThatExistAreKept() {
  // An edited file and a directory keep their names; the entry without data
  // has no name to take, whatever is there.
  std::string old = SharedOffsets();
  Case c = Unpack("names_that_exist_are_kept", "a.fsd", old);
  c.files.push_back({"a_02.msg.z", "EDITED"});
  c.files.push_back({"a_01.msg.z", "no data, not touched"});
  c.setup = [](const ScratchDir& dir) { std::filesystem::create_directory(dir / "a_03.msg.z"); };
  c.out = Listing({{0, 0xA1}, {0x40, 0xC0}, {0x100, 0}, {0x100, 0x80}}) + Summary(1, 2);
  c.written = {{"a_00.msg.z", ""}};
  return c;
}

Case LargeEntry() {
  // Larger than the read-ahead buffer, and not at a multiple of its size.
  constexpr uint32_t kSize = (3 << 20) + 12345;
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, kSize);
  Case c = Unpack("large_entry_in_pieces", "big.fsd", old);
  c.out = Listing({{0x18, 8}, {0x20, kSize - 0x20}}) + Summary(2, 0);
  c.written = {{"big_00.msg.z", old.substr(0x18, 8)}, {"big_01.msg.z", old.substr(0x20)}};
  return c;
}

Case UpperCaseExtension() {
  // Without ".fsd" every name is the archive's own: each one is kept.
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, 0x30);
  Case c = Unpack("upper_case_extension_keeps_the_archive", "DATA.FSD", old);
  c.out = Listing({{0x18, 8}, {0x20, 0x10}}) + Summary(0, 2);
  return c;
}

Case DataPastTheEnd() {
  // Entry 1 runs to entry 2's offset, far past the end: entry 0 is out, the
  // failing entry and the ones after it get no file, not even entry 2,
  // which shares its offset with entry 3 and so has nothing to read.
  std::string old =
      OldArchive(kHeaderWord, {{0x20, 1}, {0x28, 2}, {0x1000, 3}, {0x1000, 4}}, 0x40);
  Case c = Unpack("data_past_the_end_stops_at_that_entry", "a.fsd", old);
  c.out = Listing({{0x20, 8}, {0x28, 0xFD8}, {0x1000, 0}, {0x1000, 0xFFFFF040}});
  c.err = UnpackReport("EReadError", "Stream read error");
  c.written = {{"a_00.msg.z", old.substr(0x20, 8)}};
  return c;
}

Case Nested() {
  std::string old = OldArchive(kHeaderWord, {{0x10, 1}}, 0x30);
  Case c = Unpack("archive_below_a_directory", "pack/data.fsd", old);
  c.arguments = {"", "pack/data.fsd", "ignored.fsd"};
  c.out = Listing({{0x10, 0x20}}) + Summary(1, 0);
  c.written = {{"pack/data_00.msg.z", old.substr(0x10)}};
  return c;
}

Case CannotCreate() {
  // Entry 0's directory "x_00.msg.z" does not exist, and none is made; entry
  // 1's does, but the run ends at entry 0.
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, 0x30);
  Case c = Unpack("name_in_a_missing_directory", "x.fsd/y.fsd", old);
  c.setup = [](const ScratchDir& dir) { std::filesystem::create_directory(dir / "x_01.msg.z"); };
  c.out = Listing({{0x18, 8}, {0x20, 0x10}});
  c.err = UnpackReport("EFCreateError",
                       CannotCreate("x_00.msg.z/y_00.msg.z", SystemError::kPathNotFound));
  return c;
}

Case Failing(const std::string& name, const std::string& old, const std::string& out,
             const std::string& err) {
  Case c = Unpack(name, "a.fsd", old);
  c.out = out;
  c.err = err;
  return c;
}

std::vector<Case> AllCases() {
  std::vector<Case> cases = {
      EveryEntryOut(),
      NamesThatExistAreKept(),
      LargeEntry(),
      UpperCaseExtension(),
      DataPastTheEnd(),
      Nested(),
      CannotCreate(),
      Failing("short_table", Word(3) + Word(kHeaderWord) + Word(0x20) + Word(1), "",
              UnpackReport("EReadError", "Stream read error")),
      Failing("header_cut_after_count", Word(1) + "ab", "",
              UnpackReport("EReadError", "Stream read error")),
      Failing("count_too_large_for_memory", Word(0x80000000) + Word(kHeaderWord), "",
              UnpackReport("ERangeError", "Range check error")),
      Failing("largest_count_in_a_tiny_file",
              Word(178956970) + Word(kHeaderWord) + Word(0x10) + Word(1), "",
              UnpackReport("EReadError", "Stream read error")),
  };

  Case all_zero = Unpack("no_entry_with_data", "a.fsd", Table(kHeaderWord, {{0, 7}, {0, 8}}));
  all_zero.files.push_back({"a_00.msg.z", "ignored"});
  all_zero.out = Listing({{0, 7}, {0, 8}}) + Summary(0, 0);
  cases.push_back(all_zero);

  Case missing = Unpack("path_names_nothing", "a.fsd", SharedOffsets());
  missing.arguments = {"missing.fsd"};
  missing.err = UnpackReport("EFOpenError", CannotOpen("missing.fsd", SystemError::kFileNotFound));
  cases.push_back(missing);

  Case directory = Unpack("path_names_a_directory", "a.fsd", SharedOffsets());
  directory.arguments = {"dir.fsd"};
  directory.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directory(dir / "dir.fsd");
  };
  directory.err = UnpackReport("EFOpenError", CannotOpen("dir.fsd", SystemError::kIsDirectory));
  cases.push_back(directory);

  Case held = EveryEntryOut();
  held.name = "archive_held_by_another_process";
  held.held = {"a.fsd"};
  held.out = "";
  held.err = UnpackReport("EFOpenError", CannotOpen("a.fsd", SystemError::kHeld));
  held.written = {};
  cases.push_back(held);

  Case usage = Unpack("no_argument_and_a_line", "a.fsd", SharedOffsets());
  usage.arguments = {};
  usage.options.input = "\n";
  usage.out = "Usage: fsdunpack ARCHIVE.fsd\r\n";
  cases.push_back(usage);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Unpack, EndToEnd, testing::ValuesIn(AllCases()), CaseName);

}  // namespace
