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

// Names in any script and paths of any length, as a user types them: the
// command line arrives wide and every file call takes the name whole.
Case Named(const std::string& name, Tool tool, const std::string& directory,
           const std::string& leaf) {
  std::string archive = directory + "/" + leaf + ".fsd";
  std::string replacement = directory + "/" + leaf + "_00.msg.z";
  Case c = Small(name, archive);
  c.tool = tool;
  std::string typed = archive;
  for (char& ch : typed)
    if (ch == '/') ch = '\\';
  c.options.raw_command_line = "\"" + typed + "\"";
  if (tool == Tool::kFsdpack) {
    c.files.push_back({replacement, "REPLACED"});
    c.setup = [directory](const ScratchDir& dir) {
      std::filesystem::create_directories(dir / ("new/" + directory));
    };
    c.written = {{"new/" + archive, Table(kHeaderWord, {{0x10, 1}}) + "REPLACED"}};
  } else {
    c.no_new_dir = true;
    c.out = Listing({{0x10, 0x10}}) + "1 file written, 0 kept.\r\nDone.\r\n";
    c.written = {{replacement, SmallArchive().substr(0x10)}};
  }
  return c;
}

std::string LongDirectory() {
  // Nested ASCII folders: with the scratch directory in front, the full
  // path is far longer than 260 characters.
  std::string directory = "mods";
  while (directory.size() < 280) directory += "/nested_folder_of_a_mod";
  return directory;
}

std::vector<Case> NameCases() {
  const std::string kJapanese = "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF";  // データ
  const std::string kCyrillic = "\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2";  // Архив
  const std::string kEmoji = "\xF0\x9F\x8E\xAE";  // a game controller, beyond the BMP
  const std::string kFolder = "\xE7\xBF\xBB\xE8\xA8\xB3 \xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // 翻訳 папка
  std::vector<Case> cases = {
      Named("japanese_archive", Tool::kFsdpack, kFolder, kJapanese),
      Named("cyrillic_archive", Tool::kFsdpack, kFolder, kCyrillic),
      Named("emoji_archive", Tool::kFsdpack, kFolder + "/" + kEmoji, kEmoji + kJapanese),
      Named("unpack_japanese_archive", Tool::kFsdunpack, kFolder, kJapanese),
      Named("long_path", Tool::kFsdpack, LongDirectory(), "data"),
      Named("unpack_long_path", Tool::kFsdunpack, LongDirectory(), "data"),
  };
  // The report names the file in full, through the console's code page.
  Case failing = Named("failure_report_with_a_japanese_name", Tool::kFsdpack, kFolder, kJapanese);
  failing.setup = nullptr;
  failing.out = "";
  failing.err = Report("EFCreateError",
                       CannotCreate("new/" + kFolder + "/" + kJapanese + ".fsd",
                                    SystemError::kPathNotFound));
  failing.written = {};
  cases.push_back(failing);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Windows, EndToEnd, testing::ValuesIn(AllCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(WindowsNames, EndToEnd, testing::ValuesIn(NameCases()), CaseName);

}  // namespace
