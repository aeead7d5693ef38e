// Feeds the real rebuild and extraction passes arbitrary archives and
// replacement files, on real files in a scratch directory, and checks more
// than "no crash": a failure is one the tools know, with its exact message;
// a rebuilt archive obeys every rule of the format; every extracted file
// holds exactly its entry's bytes, a name already there is kept, a failed
// extraction leaves the files before the failing entry and nothing else;
// extracting and then rebuilding gives the archive the rebuild gave alone;
// the inputs are never changed.
//
// An input is the old archive's bytes, then any number of replacement files,
// each introduced by the marker "\n#R" and one byte: the index of the entry
// it replaces. One whose content is "FIFO" is made a FIFO, which fails to
// open; a failed rebuild must then have written exactly the blocks before
// the failing entry.
//
// The target works in a scratch directory of its own: give libFuzzer absolute
// paths.

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "archive/rebuild.h"
#include "platform/failure.h"

namespace {

const char kMarker[] = "\n#R";
// Rebuilt alone in the scratch directory; extracted and rebuilt in "trip".
const char kArchive[] = "a.fsd";
const char kNewArchive[] = "new/a.fsd";
const char kTripDir[] = "trip";
const char kTripArchive[] = "trip/a.fsd";
const char kTripNewArchive[] = "new/trip/a.fsd";
const char kFifo[] = "FIFO";
constexpr size_t kCopyChunk = 61440;

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

uint32_t WordAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::string ReplacementPath(const std::string& directory, unsigned index) {
  char name[32];  // at least two digits, more from 100 hexadecimal on
  snprintf(name, sizeof name, "a_%02X.msg.z", index);
  return directory + name;
}

std::set<std::string> NamesIn(const std::string& directory) {
  std::set<std::string> names;
  DIR* listing = opendir(directory.c_str());
  while (const struct dirent* entry = listing ? readdir(listing) : nullptr)
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
      names.insert(entry->d_name);
  if (listing) closedir(listing);
  return names;
}

[[noreturn]] void Fault(const std::string& what) {
  fprintf(stderr, "fsdpack_fuzz: %s\n", what.c_str());
  abort();
}

// An entry with data, in the order its block is placed, with the length the
// format derives for it.
struct Block {
  uint32_t index, offset, length;
};

// The entries with data in ascending old offset, table order among equals.
// Only for archives whose whole table is there.
std::vector<Block> BlocksOf(const std::string& old) {
  uint32_t count = WordAt(old, 0);
  std::vector<Block> blocks;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t offset = WordAt(old, 8 + 8 * size_t{i});
    if (offset != 0) blocks.push_back({i, offset, 0});
  }
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const Block& a, const Block& b) { return a.offset < b.offset; });
  for (size_t k = 0; k < blocks.size(); ++k) {
    uint32_t next = k + 1 < blocks.size() ? blocks[k + 1].offset
                                          : static_cast<uint32_t>(old.size());
    blocks[k].length = next - blocks[k].offset;
  }
  return blocks;
}

// The entry's old data, or false when it runs past the end of the archive.
// Nothing to read is never past the end, wherever it starts.
bool OldData(const std::string& old, const Block& block, std::string* data) {
  data->clear();
  if (block.length == 0) return true;
  if (block.offset > old.size() || block.length > old.size() - block.offset) return false;
  *data = old.substr(block.offset, block.length);
  return true;
}

// The rules for an archive the tool wrote, checked against the old one.
void CheckRebuilt(const std::string& old, const std::map<unsigned, std::string>& replacements,
                  const std::string& created) {
  uint32_t count = WordAt(old, 0);
  uint64_t table_end = 8 + 8 * uint64_t{count};
  if (created.size() < table_end) Fault("new archive shorter than its table");
  if (created.compare(0, 8, old, 0, 8) != 0) Fault("header changed");
  for (uint32_t i = 0; i < count; ++i) {
    size_t slot = 8 + 8 * size_t{i};
    if (created.compare(slot + 4, 4, old, slot + 4, 4) != 0) Fault("Aux word changed");
    if (WordAt(old, slot) == 0 && WordAt(created, slot) != 0)
      Fault("an entry without data got an offset");
  }
  uint64_t position = table_end;
  uint64_t written_end = table_end;
  for (const Block& entry : BlocksOf(old)) {
    auto replaced = replacements.find(entry.index);
    std::string block;
    if (replaced != replacements.end())
      block = replaced->second;
    else if (!OldData(old, entry, &block))
      Fault("a copy past the end of the old archive succeeded");
    uint64_t start = (position + 15) / 16 * 16;
    if (WordAt(created, 8 + 8 * size_t{entry.index}) != start) Fault("offset not where the block is");
    if (!block.empty()) {
      if (created.size() < start + block.size()) Fault("block cut short");
      for (uint64_t gap = position; gap < start; ++gap)
        if (created[gap] != '\0') Fault("gap not zero");
      if (created.compare(start, block.size(), block) != 0) Fault("block differs");
      written_end = start + block.size();
    }
    position = start + block.size();
  }
  if (created.size() != written_end) Fault("bytes after the last block");
}

// What fsdunpack left in the trip directory: every entry's file up to the
// first one whose data runs past the end (or all of them, when `done`),
// files that were there kept, and nothing else, no temporary file either.
void CheckExtracted(const std::string& old, const std::map<unsigned, std::string>& replacements,
                    bool done) {
  std::set<std::string> expected = {"a.fsd"};
  for (const auto& replacement : replacements)
    expected.insert(ReplacementPath("", replacement.first));
  bool failed_here = false;
  for (const Block& entry : BlocksOf(old)) {
    std::string path = ReplacementPath(std::string(kTripDir) + "/", entry.index);
    if (replacements.count(entry.index) != 0) continue;  // kept, checked by the caller
    std::string data;
    if (!OldData(old, entry, &data)) {
      failed_here = true;
      break;
    }
    if (!Exists(path)) Fault("no file for an entry before the failure: " + path);
    if (Slurp(path) != data) Fault("extracted file differs: " + path);
    expected.insert(path.substr(sizeof kTripDir));
  }
  if (done && failed_here) Fault("data past the end of the archive extracted");
  if (!done && !failed_here) Fault("extraction failed where nothing runs past the end");
  if (NamesIn(kTripDir) != expected) Fault("files other than the entries' in the directory");
}

// What a failed rebuild leaves, for an archive whose table is all there:
// the old header and table, the blocks before the entry that fails, and of
// a copy that runs past the end, its whole chunks. False when the rebuild
// does not fail.
bool ExpectedFailure(const std::string& old, const std::map<unsigned, std::string>& replacements,
                     std::string* left) {
  uint64_t table_end = 8 + 8 * uint64_t{WordAt(old, 0)};
  *left = old.substr(0, table_end);
  uint64_t position = table_end;
  for (const Block& entry : BlocksOf(old)) {
    uint64_t start = (position + 15) / 16 * 16;
    auto replaced = replacements.find(entry.index);
    std::string block;
    if (replaced != replacements.end()) {
      if (replaced->second == kFifo) return true;
      block = replaced->second;
    } else if (!OldData(old, entry, &block)) {
      uint64_t there = entry.offset < old.size() ? old.size() - entry.offset : 0;
      uint64_t whole = there - there % kCopyChunk;
      if (whole > 0) {
        left->resize(start, '\0');
        *left += old.substr(entry.offset, whole);
      }
      return true;
    }
    if (!block.empty()) {
      left->resize(start, '\0');
      *left += block;
    }
    position = start + block.size();
  }
  return false;
}

void CheckFailure(const Failure& failure) {
  std::string kind = KindName(failure.kind);
  const std::map<std::string, std::string> known = {
      {"EReadError", "Stream read error"},
      {"ERangeError", "Range check error"},
      {"EOutOfMemory", "Out of memory"},
  };
  auto found = known.find(kind);
  bool fifo = kind == "EFOpenError" &&
              failure.message.find(".msg.z\". No such device or address") != std::string::npos;
  if (!fifo && (found == known.end() || found->second != failure.message))
    Fault("unexpected failure " + kind + ": " + failure.message);
}

// Runs a pass: true when it completed, false when it failed as the tools do.
template <typename Pass>
bool Completes(Pass pass) {
  try {
    pass();
    return true;
  } catch (const Failure& failure) {
    CheckFailure(failure);
  } catch (const std::bad_alloc&) {
  }
  return false;
}

void EmptyDirectory(const std::string& directory) {
  for (const std::string& name : NamesIn(directory)) unlink((directory + "/" + name).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char scratch[] = "/tmp/fsdpack-fuzz-XXXXXX";
  if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0 || mkdir("new", 0755) != 0 ||
      mkdir("new/trip", 0755) != 0 || mkdir(kTripDir, 0755) != 0)
    Fault("no scratch directory");
  // The listing goes nowhere; libFuzzer reports on standard error.
  int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find(kMarker);
  std::string old = input.substr(0, cut);
  std::map<unsigned, std::string> replacements;
  while (cut != std::string::npos && cut + 3 < input.size()) {
    size_t start = cut + 3;
    cut = input.find(kMarker, start);
    std::string part = input.substr(start, cut == std::string::npos ? cut : cut - start);
    if (!part.empty()) replacements[static_cast<unsigned char>(part[0])] = part.substr(1);
  }
  // Only the last input's files are left to remove here; the trip directory
  // is emptied whole.
  static std::vector<unsigned> left_behind;
  for (unsigned index : left_behind) unlink(ReplacementPath("", index).c_str());
  left_behind.clear();
  for (const auto& replacement : replacements) left_behind.push_back(replacement.first);
  unlink(kNewArchive);
  unlink(kTripNewArchive);
  EmptyDirectory(kTripDir);
  Spill(kArchive, old);
  Spill(kTripArchive, old);
  for (const auto& [index, bytes] : replacements) {
    if (bytes == kFifo) {
      if (mkfifo(ReplacementPath("", index).c_str(), 0644) != 0) Fault("no FIFO");
    } else {
      Spill(ReplacementPath("", index), bytes);
    }
    Spill(ReplacementPath(std::string(kTripDir) + "/", index), bytes);
  }

  bool rebuilt = Completes([] { RebuildArchive(kArchive); });
  if (Slurp(kArchive) != old) Fault("old archive changed");
  for (const auto& [index, bytes] : replacements)
    if (bytes != kFifo && Slurp(ReplacementPath("", index)) != bytes)
      Fault("replacement file changed");
  bool whole_table = old.size() >= 8 && old.size() - 8 >= 8 * uint64_t{WordAt(old, 0)};
  std::string left;
  bool fails = whole_table && ExpectedFailure(old, replacements, &left);
  if (rebuilt && fails) Fault("a rebuild that must fail completed");
  if (rebuilt) CheckRebuilt(old, replacements, Slurp(kNewArchive));
  if (fails && Slurp(kNewArchive) != left) Fault("a failed rebuild left other bytes than the blocks before it");

  // A table that is all there decides every entry's file; a short one fails
  // both tools before any.
  bool extracted = Completes([] { ExtractArchive(kTripArchive); });
  if (Slurp(kTripArchive) != old) Fault("archive changed by extraction");
  for (const auto& [index, bytes] : replacements)
    if (Slurp(ReplacementPath(std::string(kTripDir) + "/", index)) != bytes)
      Fault("existing file not kept");
  if (whole_table) {
    CheckExtracted(old, replacements, extracted);
  } else if (NamesIn(kTripDir).size() != 1 + replacements.size()) {
    Fault("files written from an archive without a whole table");
  }

  // The round trip: what fsdunpack took out, fsdpack puts back.
  if (rebuilt && extracted) {
    if (!Completes([] { RebuildArchive(kTripArchive); }))
      Fault("rebuilding failed after extraction");
    if (Slurp(kTripNewArchive) != Slurp(kNewArchive)) Fault("round trip changed the archive");
  }
  return 0;
}
