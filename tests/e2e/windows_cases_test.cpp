// What only Windows shows: its own command-line splitting, backslash paths
// and files held by another process.

#include <gtest/gtest.h>

#include "e2e/harness.h"
#include "support/archive_builder.h"

namespace {

constexpr uint32_t kHeaderWord = 0xBEEF;

std::string SmallArchive() { return OldArchive(kHeaderWord, {{0x10, 1}}, 0x20); }

Case Small(const std::string& name, const std::string& path) {
  Case c;
  c.name = name;
  c.files = {{path, SmallArchive()}};
  c.options.raw_command_line = path;
  c.out = Listing({{0x10, 0x10}}) + "Done.\r\n";
  c.written = {{"new/" + path, SmallArchive()}};
  return c;
}

std::vector<Case> AllCases() {
  Case nested = Small("backslash_path_goes_below_new", "pack/data.fsd");
  nested.options.raw_command_line = "pack\\data.fsd";
  nested.files.push_back({"pack/data_00.msg.z", "BACKSLASH"});
  nested.setup = [](const ScratchDir& dir) {
    std::filesystem::create_directories(dir / "new/pack");
  };
  nested.written = {{"new/pack/data.fsd", Table(kHeaderWord, {{0x10, 1}}) + "BACKSLASH"}};

  Case quoted = Small("quoted_argument_with_blanks", "my data.fsd");
  quoted.options.raw_command_line = "  \"my data.fsd\"  ignored.fsd";

  Case empty = Small("only_an_empty_pair_of_quotes", "a.fsd");
  empty.options.raw_command_line = "\"\"";
  empty.out = "Give me a archive!\r\n";
  empty.written = {};

  Case held = Small("archive_held_by_another_process", "a.fsd");
  held.held = {"a.fsd"};
  held.out = "";
  held.err = Report("EFOpenError", CannotOpen("a.fsd", SystemError::kHeld));
  held.written = {};

  Case closed_pipe = Small("stdout_to_a_closed_pipe", "a.fsd");
  closed_pipe.options.stdout_to = StdoutTo::kClosedPipe;
  closed_pipe.err = Report("EInOutError", "I/O error 232");
  // Emptying the new archive would empty the replacement file it shares:
  // refused before anything is written.
  Case linked = Small("new_archive_is_a_hard_link_to_a_replacement", "a.fsd");
  linked.files.push_back({"a_00.msg.z", "precious"});
  linked.setup = [](const ScratchDir& dir) {
    std::filesystem::create_hard_link(dir / "a_00.msg.z", dir / "new/a.fsd");
  };
  linked.out = "";
  linked.err = Report("EFCreateError", CannotCreate("new/a.fsd", SystemError::kHeld));
  linked.written = {};

  // A device reads as empty and is no archive.
  Case device = Small("archive_is_a_device", "a.fsd");
  device.options.raw_command_line = "NUL";
  device.out = "";
  device.err = Report("EFOpenError",
                      "Cannot open file \"\\\\.\\NUL\". " + TextOf(SystemError::kNotAFile));
  device.written = {};
  // fsdunpack splits the line by the same rule and writes beside the archive.
  Case unpack = Small("unpack_backslash_path_with_blanks", "my pack/data.fsd");
  unpack.tool = Tool::kFsdunpack;
  unpack.options.raw_command_line = "\"my pack\\data.fsd\" ignored";
  unpack.no_new_dir = true;
  unpack.out = Listing({{0x10, 0x10}}) + "1 file written, 0 kept.\r\nDone.\r\n";
  unpack.written = {{"my pack/data_00.msg.z", SmallArchive().substr(0x10)}};
  return {nested, quoted, empty, held, closed_pipe, linked, device, unpack};
}

INSTANTIATE_TEST_SUITE_P(Windows, EndToEnd, testing::ValuesIn(AllCases()), CaseName);

}  // namespace
