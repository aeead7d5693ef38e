// The tool run end to end on archives that show each rule of the rebuild:
// placement, listing, replacement files and the ways a run fails.

#include <gtest/gtest.h>

#include "e2e/harness.h"
#include "support/archive_builder.h"

namespace {

constexpr uint32_t kHeaderWord = 0x12345678;

std::string Done() { return "Done.\r\n"; }

std::string ReadFailure() { return Report("EReadError", "Stream read error"); }

// Slots at 100, 0, 40 and 100 (hexadecimal) in a 180-byte archive: every
// placement rule at once, two entries sharing an offset among them.
Case WorkedExample() {
  std::string old = OldArchive(
      kHeaderWord, {{0x100, 0xA0}, {0, 0xA1}, {0x40, 0xA2}, {0x100, 0xA3}}, 0x180);
  std::string created =
      Table(kHeaderWord, {{0xF0, 0xA0}, {0, 0xA1}, {0x30, 0xA2}, {0xF0, 0xA3}});
  Put(&created, 0x30, old.substr(0x40, 0xC0));
  Put(&created, 0xF0, old.substr(0x100, 0x80));
  EXPECT_EQ(created.size(), 0x170u);
  Case c;
  c.name = "worked_example_shared_offsets";
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0, 0xA1}, {0x40, 0xC0}, {0x100, 0}, {0x100, 0x80}}) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

// An archive of slots at `offsets` (Aux = index + 1) and `size` bytes, with
// no replacement files: each block copied to the next multiple of 16.
Case PlainCopy(const std::string& name, std::vector<uint32_t> offsets, size_t size,
               std::vector<std::pair<uint32_t, uint32_t>> listing,
               std::vector<uint32_t> new_offsets, size_t new_size) {
  std::vector<Slot> slots, new_slots;
  for (uint32_t i = 0; i < offsets.size(); ++i) {
    slots.push_back({offsets[i], i + 1});
    new_slots.push_back({new_offsets[i], i + 1});
  }
  std::string old = OldArchive(kHeaderWord, slots, size);
  std::string created = Table(kHeaderWord, new_slots);
  for (const auto& [offset, length] : listing) {
    if (offset == 0) continue;
    for (size_t i = 0; i < offsets.size(); ++i)
      if (offsets[i] == offset && length > 0)
        Put(&created, new_offsets[i], old.substr(offset, length));
  }
  created.resize(new_size);
  Case c;
  c.name = name;
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = Listing(listing) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case WithReplacements() {
  // Entry 0 grows, entry 2 shrinks: every later block moves to the next
  // multiple of 16, and the Aux words stay.
  std::string old = OldArchive(kHeaderWord, {{0x20, 1}, {0x40, 2}, {0x60, 3}}, 0x80);
  std::string grown = Filler(0x25, 3);
  std::string created = Table(kHeaderWord, {{0x20, 1}, {0x50, 2}, {0x70, 3}});
  Put(&created, 0x20, grown);
  Put(&created, 0x50, old.substr(0x40, 0x20));
  Put(&created, 0x70, "HELLO");
  Case c;
  c.name = "replacements_shift_later_blocks";
  c.files = {{"a.fsd", old}, {"a_00.msg.z", grown}, {"a_02.msg.z", "HELLO"},
             {"a_2.msg.z", "one digit is not the name"}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x20, 0x20}, {0x40, 0x20}, {0x60, 0x20}}) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case ThreeDigitIndex() {
  // 257 slots: only entry 256 (hexadecimal 100) has data.
  std::vector<Slot> slots;
  std::vector<std::pair<uint32_t, uint32_t>> listing;
  for (uint32_t i = 0; i < 256; ++i) {
    slots.push_back({0, i});
    listing.push_back({0, i});
  }
  slots.push_back({0x810, 0xAB});
  listing.push_back({0x810, 0x10});
  std::string old = OldArchive(kHeaderWord, slots, 0x820);
  slots.back().offset = 0x810;
  std::string created = Table(kHeaderWord, slots) + "REPLACED";
  Case c;
  c.name = "replacement_with_three_hex_digits";
  c.files = {{"a.fsd", old}, {"a_100.msg.z", "REPLACED"}, {"a_FF.msg.z", "no data"},
             {"a_0100.msg.z", "not the name"}};
  c.arguments = {"a.fsd"};
  c.out = Listing(listing) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case FsdInDirectoryPart() {
  std::string old = OldArchive(kHeaderWord, {{0x10, 7}}, 0x30);
  std::string created = Table(kHeaderWord, {{0x10, 7}}) + "NEW";
  Case c;
  c.name = "fsd_in_a_directory_part_is_replaced_too";
  c.files = {{"x.fsd/y.fsd", old},
             {"x_00.msg.z/y_00.msg.z", "NEW"},
             {"x.fsd/y_00.msg.z", "not the name"}};
  c.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directories(dir / "new/x.fsd");
  };
  c.arguments = {"x.fsd/y.fsd"};
  c.out = Listing({{0x10, 0x20}}) + Done();
  c.written = {{"new/x.fsd/y.fsd", created}};
  return c;
}

Case UpperCaseExtension() {
  // No ".fsd" to replace: the replacement name is the archive itself, which
  // the run holds, so the first entry with data cannot be filled.
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0, 2}}, 0x40);
  Case c;
  c.name = "upper_case_extension_fails_on_the_archive_itself";
  c.files = {{"DATA.FSD", old}};
  c.arguments = {"DATA.FSD"};
  c.out = Listing({{0, 2}, {0x18, 0x28}});
  c.err = Report("EFOpenError", CannotOpen("DATA.FSD", SystemError::kHeld));
  c.written = {{"new/DATA.FSD", old.substr(0, 0x18)}};
  return c;
}

Case EmptyReplacementLast() {
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0x30, 2}}, 0x40);
  std::string created = Table(kHeaderWord, {{0x20, 1}, {0x40, 2}});
  Put(&created, 0x20, old.substr(0x18, 0x18));
  Case c;
  c.name = "empty_replacement_last_offset_past_the_end";
  c.files = {{"a.fsd", old}, {"a_01.msg.z", ""}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x18, 0x18}, {0x30, 0x10}}) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case IgnoredReplacements() {
  // Entry 0 has no data, so its file is never looked at; entry 1's name is
  // a directory, which is no replacement file.
  std::string old = OldArchive(kHeaderWord, {{0, 5}, {0x18, 6}}, 0x20);
  std::string created = Table(kHeaderWord, {{0, 5}, {0x20, 6}});
  Put(&created, 0x20, old.substr(0x18, 8));
  Case c;
  c.name = "replacements_ignored_without_data_or_as_directory";
  c.files = {{"a.fsd", old}, {"a_00.msg.z", "IGNORED"}};
  c.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directories(dir / "a_01.msg.z");
  };
  c.arguments = {"a.fsd"};
  c.out = Listing({{0, 5}, {0x18, 8}}) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case RunsOutMidCopy() {
  // Entry 0 should run 200000 bytes but the file ends 150000 bytes after it:
  // the two whole 61440-byte chunks are copied, the incomplete third is not.
  constexpr uint32_t kSecond = 0x18 + 200000;
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {kSecond, 2}}, 0x18 + 150000);
  std::string created = old.substr(0, 0x18);
  Put(&created, 0x20, old.substr(0x18, 2 * 61440));
  Case c;
  c.name = "offset_past_the_end_keeps_whole_chunks";
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x18, 200000}, {kSecond, static_cast<uint32_t>(-50000)}});
  c.err = ReadFailure();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case RebuiltAgain() {
  // An archive fsdpack wrote: every block already where it goes, so the
  // rebuild is the same archive again, however its copies are grouped.
  std::vector<Slot> slots;
  std::vector<std::pair<uint32_t, uint32_t>> listing;
  uint32_t at = 8 + 8 * 300 + 8;  // 300 slots end at 2408: the first block at 2416
  for (uint32_t i = 0; i < 300; ++i) {
    uint32_t length = i == 150 ? 300000 : 16 * (i % 5) + 16;  // one long block among short ones
    slots.push_back({at, i});
    listing.push_back({at, length});
    at += length;
  }
  std::string archive = OldArchive(kHeaderWord, slots, at);
  Put(&archive, 2408, std::string(8, '\0'));  // the gap fsdpack fills with zeros
  Case c;
  c.name = "rebuilding_a_rebuilt_archive_changes_nothing";
  c.files = {{"a.fsd", archive}};
  c.arguments = {"a.fsd"};
  c.out = Listing(listing) + Done();
  c.written = {{"new/a.fsd", archive}};
  return c;
}

Case LargeReplacement() {
  // Too large to be read ahead: copied when its entry is placed.
  std::string old = OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, 0x30);
  std::string large = Filler(200000, 9);
  std::string created = Table(kHeaderWord, {{0x20, 1}, {0x20 + 200000, 2}});
  Put(&created, 0x20, large);
  Put(&created, 0x20 + 200000, old.substr(0x20, 0x10));
  Case c;
  c.name = "large_replacement_file";
  c.files = {{"a.fsd", old}, {"a_00.msg.z", large}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x18, 8}, {0x20, 0x10}}) + Done();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case ReplacedThenPastTheEnd() {
  // Entry 0 lies past the end but has a replacement file; entry 1, the last,
  // lies past the end too and has none: its copy fails, after entry 0's
  // block, though its new place (30 hexadecimal) is within the old archive.
  std::string old = OldArchive(kHeaderWord, {{0x1000, 1}, {0x1020, 2}}, 0x30);
  std::string created = old.substr(0, 0x18);  // the table keeps the old offsets
  Put(&created, 0x20, "NEW");
  Case c;
  c.name = "replaced_entry_then_one_past_the_end";
  c.files = {{"a.fsd", old}, {"a_00.msg.z", "NEW"}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x1000, 0x20}, {0x1020, 0xFFFFF010}});
  c.err = ReadFailure();
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case ReplacementFailsAfterCopies() {
  // Entries 0 and 1 come from the old archive; entry 2's replacement file is
  // held by another program: the run fails there, with the blocks of
  // entries 0 and 1 in place.
  std::string old = OldArchive(kHeaderWord, {{0x20, 1}, {0x2A, 2}, {0x3E, 3}}, 0x50);
  std::string created = old.substr(0, 0x20);
  Put(&created, 0x20, old.substr(0x20, 0xA));
  Put(&created, 0x30, old.substr(0x2A, 0x14));
  Case c;
  c.name = "replacement_fails_after_copied_blocks";
  c.files = {{"a.fsd", old}, {"a_02.msg.z", "HELD"}};
  c.held = {"a_02.msg.z"};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x20, 0xA}, {0x2A, 0x14}, {0x3E, 0x12}});
  c.err = Report("EFOpenError", CannotOpen("a_02.msg.z", SystemError::kHeld));
  c.written = {{"new/a.fsd", created}};
  return c;
}

Case Failing(const std::string& name, const std::string& old, const std::string& out,
             const std::string& err, size_t kept) {
  Case c;
  c.name = name;
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = out;
  c.err = err;
  c.written = {{"new/a.fsd", old.substr(0, kept)}};
  return c;
}

Case Simple(const std::string& name, std::vector<std::string> arguments,
            const std::string& out, const std::string& input = "") {
  Case c;
  c.name = name;
  c.files = {{"a.fsd", OldArchive(kHeaderWord, {{0x10, 1}}, 0x20)}};
  c.arguments = std::move(arguments);
  c.out = out;
  c.options.input = input;
  return c;
}

std::vector<Case> AllCases() {
  std::vector<Case> cases = {
      WorkedExample(),
      PlainCopy("one_slot_first_block_follows_the_table", {0x20}, 0x48,
                {{0x20, 0x28}}, {0x10}, 0x38),
      PlainCopy("odd_count_no_gap_after_table", {0x30, 0x45, 0x60}, 0x70,
                {{0x30, 0x15}, {0x45, 0x1B}, {0x60, 0x10}}, {0x20, 0x40, 0x60}, 0x70),
      PlainCopy("even_count_gap_after_table", {0x18, 0x20}, 0x2A,
                {{0x18, 8}, {0x20, 0xA}}, {0x20, 0x30}, 0x3A),
      PlainCopy("zero_length_last_entry", {0x18, 0x30}, 0x30,
                {{0x18, 0x18}, {0x30, 0}}, {0x20, 0x40}, 0x38),
      PlainCopy("all_offsets_zero", {0, 0, 0}, 0x20, {{0, 1}, {0, 2}, {0, 3}},
                {0, 0, 0}, 0x20),
      PlainCopy("empty_table", {}, 0x30, {}, {}, 8),
      WithReplacements(),
      ThreeDigitIndex(),
      FsdInDirectoryPart(),
      UpperCaseExtension(),
      EmptyReplacementLast(),
      IgnoredReplacements(),
      RunsOutMidCopy(),
      RebuiltAgain(),
      LargeReplacement(),
      ReplacedThenPastTheEnd(),
      ReplacementFailsAfterCopies(),
      Failing("single_offset_past_the_end", OldArchive(kHeaderWord, {{0x1000, 0}}, 0x20),
              Listing({{0x1000, 0xFFFFF020}}), ReadFailure(), 0x10),
      Failing("short_table_keeps_whole_slots",
              Word(5) + Word(kHeaderWord) + Table(0, {{0x30, 1}, {0x40, 2}}).substr(8) +
                  Word(0x50),
              "", ReadFailure(), 0x18),
      Failing("header_cut_after_count", Word(1) + "ab", "", ReadFailure(), 4),
      Failing("header_cut_inside_count", "ab", "", ReadFailure(), 0),
      Failing("count_too_large_for_memory", Word(178956971) + Word(kHeaderWord) + Word(0),
              "", Report("ERangeError", "Range check error"), 8),
      Failing("count_with_top_bit", Word(0x80000000) + Word(kHeaderWord), "",
              Report("ERangeError", "Range check error"), 8),
      Failing("largest_count_in_a_tiny_file",
              Word(178956970) + Word(kHeaderWord) + Word(0x10) + Word(1), "",
              ReadFailure(), 16),
      Simple("path_names_nothing", {"missing.fsd"}, Done()),
      Simple("no_argument_and_a_line", {}, "Give me a archive!\r\n", "\r\nmore\n"),
      Simple("no_argument_and_end_of_input", {}, "Give me a archive!\r\n"),
      Simple("only_an_empty_argument", {""}, "Give me a archive!\r\n"),
  };

  Case skipped = Simple("empty_arguments_skipped_and_extra_ignored",
                        {"", "a.fsd", "other.fsd"}, Listing({{0x10, 0x10}}) + Done());
  skipped.written = {{"new/a.fsd", OldArchive(kHeaderWord, {{0x10, 1}}, 0x20)}};
  cases.push_back(skipped);

  Case blanks = skipped;
  blanks.name = "names_with_blanks";
  blanks.files = {{"my data.fsd", OldArchive(kHeaderWord, {{0x10, 1}}, 0x20)},
                  {"my data_00.msg.z", "R"}};
  blanks.arguments = {"my data.fsd"};
  blanks.written = {{"new/my data.fsd", Table(kHeaderWord, {{0x10, 1}}) + "R"}};
  cases.push_back(blanks);

  Case directory = Simple("path_names_a_directory", {"dir.fsd"}, Done());
  directory.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directories(dir / "dir.fsd");
  };
  cases.push_back(directory);

  Case no_new = Simple("no_directory_new", {"a.fsd"}, "");
  no_new.no_new_dir = true;
  no_new.err =
      Report("EFCreateError", CannotCreate("new/a.fsd", SystemError::kPathNotFound));
  cases.push_back(no_new);

  Case new_is_dir = Simple("new_archive_name_is_a_directory", {"a.fsd"}, "");
  new_is_dir.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directories(dir / "new/a.fsd");
  };
  new_is_dir.err =
      Report("EFCreateError", CannotCreate("new/a.fsd", SystemError::kIsDirectory));
  cases.push_back(new_is_dir);

  Case nested = Simple("archive_below_a_directory", {"pack/data.fsd"},
                       Listing({{0x10, 0x10}}) + Done());
  nested.files = {{"pack/data.fsd", OldArchive(kHeaderWord, {{0x10, 1}}, 0x20)},
                  {"pack/data_00.msg.z", "PACKED"},
                  {"data_00.msg.z", "not beside the archive"},
                  {"new/pack/data.fsd", std::string(1000, 'x')}};
  nested.written = {{"new/pack/data.fsd", Table(kHeaderWord, {{0x10, 1}}) + "PACKED"}};
  cases.push_back(nested);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Rebuild, EndToEnd, testing::ValuesIn(AllCases()), CaseName);

}  // namespace
