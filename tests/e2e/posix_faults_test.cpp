// Runs that only POSIX systems can stage: links that make two names one file,
// standard handles that fail, a file size limit that makes writes come back
// short.

#include <gtest/gtest.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e/harness.h"
#include "support/archive_builder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kHeaderWord = 0xCAFE;

std::string SmallArchive() { return OldArchive(kHeaderWord, {{0x10, 1}}, 0x20); }

Case Small(const std::string& name) {
  Case c;
  c.name = name;
  c.files = {{"a.fsd", SmallArchive()}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x10, 0x10}}) + "Done.\r\n";
  c.written = {{"new/a.fsd", SmallArchive()}};
  return c;
}

// The old archive stays as it was whichever way the new name reaches it.
Case NewNameIsTheOldArchive(const std::string& name,
                            std::function<void(const ScratchDir&)> link) {
  Case c = Small(name);
  c.setup = std::move(link);
  c.out = "";
  c.err = Report("EFCreateError", CannotCreate("new/a.fsd", SystemError::kHeld));
  c.written = {};
  return c;
}

Case ReplacementIsHeld(const std::string& name, const std::string& target) {
  Case c = Small(name);
  c.setup = [target](const ScratchDir& dir) {
    fs::create_symlink(target, dir / "a_00.msg.z");
  };
  c.out = Listing({{0x10, 0x10}});
  c.err = Report("EFOpenError", CannotOpen("a_00.msg.z", SystemError::kHeld));
  c.written = {{"new/a.fsd", SmallArchive().substr(0, 0x10)}};
  return c;
}

// The new archive's name reaches a replacement file: it is refused before
// anything is emptied or written, whichever lookup finds the names.
Case NewArchiveIsAReplacement(const std::string& name, const std::string& archive,
                              const std::string& replacement, const std::string& content,
                              bool hard_link) {
  Case c = Small(name);
  c.files = {{archive, SmallArchive()}, {replacement, content}};
  c.arguments = {archive};
  c.setup = [=](const ScratchDir& dir) {
    fs::path created = dir / ("new/" + archive);
    fs::create_directories(created.parent_path());
    if (hard_link)
      fs::create_hard_link(dir / replacement, created);
    else
      fs::create_symlink(fs::relative(dir / replacement, created.parent_path()), created);
  };
  c.out = "";
  c.err = Report("EFCreateError", CannotCreate("new/" + archive, SystemError::kHeld));
  c.written = {};
  return c;
}

// What is no regular file is neither read as an archive nor copied as a
// replacement: it fails to open, before anything is read from it.
Case NotAFile(const std::string& name, const std::string& path,
              std::function<void(const fs::path&)> make) {
  Case c = Small(name);
  c.setup = [=](const ScratchDir& dir) {
    fs::remove(dir / path);
    make(dir / path);
  };
  c.err = Report("EFOpenError", CannotOpen(path, SystemError::kNotAFile));
  if (path == "a.fsd") {
    c.out = "";
    c.written = {};
  } else {
    c.out = Listing({{0x10, 0x10}});
    c.written = {{"new/a.fsd", SmallArchive().substr(0, 0x10)}};
  }
  return c;
}

void MakeFifo(const fs::path& path) {
  if (mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo");
}

void MakeSocket(const fs::path& path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  struct sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::string name = path.string();
  if (name.size() >= sizeof address.sun_path) throw std::runtime_error("socket path");
  memcpy(address.sun_path, name.c_str(), name.size() + 1);
  if (bind(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("bind");
  close(fd);
}

void LinkToDevZero(const fs::path& path) { fs::create_symlink("/dev/zero", path); }

Case Unpack(const std::string& name, const std::string& old) {
  Case c;
  c.name = name;
  c.tool = Tool::kFsdunpack;
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.no_new_dir = true;
  return c;
}

// A name that exists in any form is kept, unopened: a link that leads
// nowhere, and a FIFO, which opening would wait on.
Case UnpackKeepsLinksAndFifos() {
  Case c = Unpack("unpack_keeps_links_and_fifos",
                  OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}, {0x28, 3}}, 0x30));
  c.setup = [](const ScratchDir& dir) {
    fs::create_symlink("missing", dir / "a_00.msg.z");
    MakeFifo(dir / "a_02.msg.z");
  };
  c.out = Listing({{0x18, 8}, {0x20, 8}, {0x28, 8}}) + "1 file written, 2 kept.\r\nDone.\r\n";
  c.written = {{"a_01.msg.z", c.files[0].bytes.substr(0x20, 8)}};
  return c;
}

// A file that does not fit is not left behind in part: the files before it
// stay, complete, and none is named after it.
Case UnpackDiskFull() {
  std::string old = OldArchive(kHeaderWord, {{0x20, 1}, {0x28, 2}, {0x3000, 3}}, 0x3010);
  Case c = Unpack("unpack_disk_full", old);
  c.out = Listing({{0x20, 8}, {0x28, 0x2FD8}, {0x3000, 0x10}});
  c.err = Report("EWriteError", "Stream write error", Tool::kFsdunpack);
  c.written = {{"a_00.msg.z", old.substr(0x20, 8)}};
  c.options.file_size_limit = 0x1800;
  return c;
}

// A large entry goes through the kernel's copy, which fails the same way.
Case DiskFullInALargeCopy() {
  constexpr uint32_t kSize = 3 << 20;
  std::string old = OldArchive(kHeaderWord, {{0x10, 1}}, kSize);
  Case c;
  c.name = "disk_full_in_a_large_copy";
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x10, kSize - 0x10}});
  c.err = Report("EWriteError", "Stream write error");
  c.written = {{"new/a.fsd", old.substr(0, 1 << 20)}};
  c.options.file_size_limit = 1 << 20;
  return c;
}

Case DiskFull() {
  // Three 4 KiB blocks and room for six of the twelve kilobytes: the write
  // that crosses the limit fails, and everything before it is in the file.
  std::string old = OldArchive(kHeaderWord, {{0x20, 1}, {0x1000, 2}, {0x2000, 3}}, 0x3000);
  std::string unpatched = old.substr(0, 0x20);
  Put(&unpatched, 0x20, old.substr(0x20, 0xFE0));
  Put(&unpatched, 0x1000, old.substr(0x1000, 0x2000));
  Case c;
  c.name = "disk_full_while_writing";
  c.files = {{"a.fsd", old}};
  c.arguments = {"a.fsd"};
  c.out = Listing({{0x20, 0xFE0}, {0x1000, 0x1000}, {0x2000, 0x1000}});
  c.err = Report("EWriteError", "Stream write error");
  c.written = {{"new/a.fsd", unpatched.substr(0, 0x1800)}};
  c.options.file_size_limit = 0x1800;
  return c;
}

std::vector<Case> AllCases() {
  std::vector<Case> cases = {
      NewNameIsTheOldArchive("new_is_a_link_to_the_current_directory",
                             [](const ScratchDir& dir) {
                               fs::remove(dir / "new");
                               fs::create_directory_symlink(".", dir / "new");
                             }),
      NewNameIsTheOldArchive("new_archive_is_a_hard_link_to_the_old",
                             [](const ScratchDir& dir) {
                               fs::create_hard_link(dir / "a.fsd", dir / "new/a.fsd");
                             }),
      ReplacementIsHeld("replacement_links_to_the_old_archive", "a.fsd"),
      ReplacementIsHeld("replacement_links_to_the_new_archive", "new/a.fsd"),
      DiskFull(),
      DiskFullInALargeCopy(),
      NewArchiveIsAReplacement("new_archive_is_a_link_to_a_replacement", "a.fsd",
                               "a_00.msg.z", "precious\n", false),
      NewArchiveIsAReplacement("new_archive_is_a_hard_link_to_a_replacement", "a.fsd",
                               "a_00.msg.z", "precious\n", true),
      NewArchiveIsAReplacement("new_archive_is_a_hard_link_to_an_empty_replacement",
                               "a.fsd", "a_00.msg.z", "", true),
      NewArchiveIsAReplacement("new_archive_is_a_link_to_a_replacement_found_by_name",
                               "x.fsd/y.fsd", "x_00.msg.z/y_00.msg.z", "precious", false),
      NotAFile("replacement_is_a_fifo", "a_00.msg.z", MakeFifo),
      NotAFile("replacement_is_a_link_to_dev_zero", "a_00.msg.z", LinkToDevZero),
      NotAFile("replacement_is_a_socket", "a_00.msg.z", MakeSocket),
      NotAFile("archive_is_a_fifo", "a.fsd", MakeFifo),
      NotAFile("archive_is_a_link_to_dev_zero", "a.fsd", LinkToDevZero),
      UnpackKeepsLinksAndFifos(),
      UnpackDiskFull(),
  };

  // A replacement that links to the new archive as it was before this run:
  // emptying it would destroy that file, so the run is refused before, in
  // a directory listed as one and in one whose names are tested one by one.
  for (std::string archive : {std::string("a.fsd"), std::string("x.fsd/y.fsd")}) {
    std::string replacement = archive == "a.fsd" ? "a_00.msg.z" : "x_00.msg.z/y_00.msg.z";
    Case linked = Small("replacement_links_to_an_existing_new_archive_" +
                        std::to_string(cases.size()));
    linked.files = {{archive, SmallArchive()}, {"new/" + archive, "precious data"}};
    linked.arguments = {archive};
    linked.setup = [=](const ScratchDir& dir) {
      fs::create_directories((dir / replacement).parent_path());
      fs::create_symlink(dir / ("new/" + archive), dir / replacement);
    };
    linked.out = "";
    linked.err = Report("EFCreateError", CannotCreate("new/" + archive, SystemError::kHeld));
    linked.written = {};
    cases.push_back(linked);
  }

  // Two entries whose replacement names are one file: both read it.
  Case shared = Small("two_replacement_names_of_one_file");
  shared.files = {{"a.fsd", OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, 0x30)},
                  {"a_00.msg.z", "BOTH"}};
  shared.setup = [](const ScratchDir& dir) {
    fs::create_hard_link(dir / "a_00.msg.z", dir / "a_01.msg.z");
  };
  shared.out = Listing({{0x18, 8}, {0x20, 0x10}}) + "Done.\r\n";
  std::string both = Table(kHeaderWord, {{0x20, 1}, {0x30, 2}});
  Put(&both, 0x20, "BOTH");
  Put(&both, 0x30, "BOTH");
  shared.written = {{"new/a.fsd", both}};
  cases.push_back(shared);

  // Every entry of the table counts, not only the first.
  Case later = NewArchiveIsAReplacement("new_archive_is_a_hard_link_to_a_later_replacement",
                                        "a.fsd", "a_01.msg.z", "kept", true);
  later.files[0].bytes = OldArchive(kHeaderWord, {{0x18, 1}, {0x20, 2}}, 0x30);
  cases.push_back(later);

  Case locked = Small("archive_held_by_another_process");
  locked.held = {"a.fsd"};
  locked.out = "";
  locked.err = Report("EFOpenError", CannotOpen("a.fsd", SystemError::kHeld));
  locked.written = {};
  cases.push_back(locked);

  // A failed console write is a failed run, even after "Done.".
  Case full = Small("stdout_to_a_full_device");
  full.options.stdout_to = StdoutTo::kFullDevice;
  full.err = Report("EInOutError", "Disk full");
  cases.push_back(full);

  Case pipe = Small("stdout_to_a_closed_pipe");
  pipe.options.stdout_to = StdoutTo::kClosedPipe;
  pipe.err = Report("EInOutError", "I/O error " + std::to_string(EPIPE));
  cases.push_back(pipe);

  Case closed = Small("stdout_closed");
  closed.options.stdout_to = StdoutTo::kClosed;
  closed.err = Report("EInOutError", "I/O error " + std::to_string(EBADF));
  cases.push_back(closed);

  // Longer than the system takes in one piece.
  std::string dots;
  while (dots.size() < 5000) dots += "./";
  Case long_path = Small("path_of_5000_characters");
  long_path.arguments = {dots + "a.fsd"};
  long_path.files.push_back({"a_00.msg.z", "LONG"});
  long_path.written = {{"new/a.fsd", Table(kHeaderWord, {{0x10, 1}}) + "LONG"}};
  cases.push_back(long_path);

  // Bytes that are no UTF-8 and a leading "-" are names like any other.
  for (std::string name : {std::string("-a"), std::string("\xC3\xA9t\xC3\xA9 \xFF")}) {
    Case odd = Small("odd_name_" + std::to_string(cases.size()));
    odd.files = {{name + ".fsd", SmallArchive()}, {name + "_00.msg.z", "ODD"}};
    odd.arguments = {name + ".fsd"};
    odd.written = {{"new/" + name + ".fsd", Table(kHeaderWord, {{0x10, 1}}) + "ODD"}};
    cases.push_back(odd);
  }

  Case no_input;
  no_input.name = "no_argument_and_no_input_handle";
  no_input.options.input_closed = true;
  no_input.out = "Give me a archive!\r\n";
  cases.push_back(no_input);
  return cases;
}

TEST(HostileCount, CostsNoMemoryTheFileCannotBack) {
  // 178956970 slots of 12 bytes would be 2 GiB; the file holds one.
  ScratchDir dir;
  WriteBytes(dir / "a.fsd", Word(178956970) + Word(kHeaderWord) + Word(0x10) + Word(1));
  fs::create_directory(dir / "new");
  RunOptions options;
  // Even reserving what the count announces would fail here. (Sanitizers
  // need far more address space and memory of their own.)
  bool sanitized = false;
#ifdef FSDPACK_SANITIZED
  sanitized = true;
#endif
  if (!sanitized) options.address_space_limit = uint64_t{1} << 30;
  RunResult result = RunProgram(ToolPath(), {"a.fsd"}, dir.path(), options);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("\r\nStream read error.\r\n"), std::string::npos) << result.err;
  if (!sanitized) {
    EXPECT_LT(result.peak_memory_kib, 32u << 10);
  }
}

// Permissions do not stop root, which CI runs as.
TEST(Permissions, UnreadableArchiveAndReplacementFail) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  Case archive = Small("unreadable_archive");
  archive.setup = [](const ScratchDir& dir) {
    fs::permissions(dir / "a.fsd", fs::perms::none);
  };
  archive.out = "";
  archive.err = Report("EFOpenError", CannotOpen("a.fsd", SystemError::kAccessDenied));
  archive.written = {};
  CheckCase(archive);

  Case replacement = Small("unreadable_replacement");
  replacement.files.push_back({"a_00.msg.z", "secret"});
  replacement.setup = [](const ScratchDir& dir) {
    fs::permissions(dir / "a_00.msg.z", fs::perms::none);
  };
  replacement.out = Listing({{0x10, 0x10}});
  replacement.err =
      Report("EFOpenError", CannotOpen("a_00.msg.z", SystemError::kAccessDenied));
  replacement.written = {{"new/a.fsd", SmallArchive().substr(0, 0x10)}};
  CheckCase(replacement);

  Case unwritable = Unpack("unpack_into_an_unwritable_directory", SmallArchive());
  unwritable.files = {{"pack/a.fsd", SmallArchive()}};
  unwritable.arguments = {"pack/a.fsd"};
  unwritable.setup = [](const ScratchDir& dir) {
    fs::permissions(dir / "pack", fs::perms::owner_read | fs::perms::owner_exec);
  };
  unwritable.out = Listing({{0x10, 0x10}});
  unwritable.err = Report("EFCreateError",
                          CannotCreate("pack/a_00.msg.z", SystemError::kAccessDenied),
                          Tool::kFsdunpack);
  CheckCase(unwritable);
}

// While one fsdpack works on an archive, a second one on the same archive
// fails at once and the first finishes undisturbed.
TEST(Concurrency, SecondRunOnAHeldArchiveFailsAndTheFirstCompletes) {
  // Enough slots that the listing fills the pipe: the first run then waits,
  // holding its files, until the test reads on.
  constexpr uint32_t kSlots = 20000;
  std::vector<Slot> slots(kSlots, Slot{0, 0});
  uint32_t table_end = 8 + 8 * kSlots;
  slots.back() = {table_end, 7};
  std::string old = OldArchive(kHeaderWord, slots, table_end + 100);
  slots.back().offset = table_end + 8;  // the next multiple of 16
  std::string expected = Table(kHeaderWord, slots);
  Put(&expected, table_end + 8, old.substr(table_end));

  ScratchDir dir;
  WriteBytes(dir / "a.fsd", old);
  fs::create_directory(dir / "new");
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(120);
    dup2(out[1], 1);
    close(out[0]);
    execl(ToolPath().c_str(), ToolPath().c_str(), "a.fsd", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // Its first output means both files are open; the pipe then fills and
  // holds it there.
  std::string listing(1, '\0');
  ASSERT_EQ(read(out[0], &listing[0], 1), 1);

  RunResult second = RunProgram(ToolPath(), {"a.fsd"}, dir.path());
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.err.find("EFOpenError"), std::string::npos) << second.err;
  EXPECT_NE(second.err.find(TextOf(SystemError::kHeld)), std::string::npos) << second.err;

  char buffer[1 << 16];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    listing.append(buffer, static_cast<size_t>(got));
  close(out[0]);
  int status = 0;
  ASSERT_EQ(waitpid(first, &status, 0), first);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(listing.size(), BannerLine().size() + 19 * size_t{kSlots} + 7);
  EXPECT_EQ(ReadBytes(dir / "new/a.fsd"), expected);
  EXPECT_EQ(ReadBytes(dir / "a.fsd"), old);
}

INSTANTIATE_TEST_SUITE_P(PosixFaults, EndToEnd, testing::ValuesIn(AllCases()), CaseName);

}  // namespace
