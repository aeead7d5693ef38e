// Feeds the real rebuild pass arbitrary archives and replacement files, on
// real files in a scratch directory, and checks more than "no crash": a
// failure is one the tool knows, with its exact message; a success wrote an
// archive that obeys every rule of the format; the inputs are never changed.
//
// An input is the old archive's bytes, then any number of replacement files,
// each introduced by the marker "\n#R" and one byte: the index of the entry
// it replaces.
//
// The target works in a scratch directory of its own: give libFuzzer absolute
// paths.

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
#include <string>
#include <vector>

#include "archive/rebuild.h"
#include "platform/failure.h"

namespace {

const char kMarker[] = "\n#R";
const char kArchive[] = "a.fsd";
const char kNewArchive[] = "new/a.fsd";

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

std::string ReplacementPath(unsigned index) {
  char name[32];
  snprintf(name, sizeof name, "a_%02X.msg.z", index);
  return name;
}

[[noreturn]] void Fault(const std::string& what) {
  fprintf(stderr, "fsdpack_fuzz: %s\n", what.c_str());
  abort();
}

// The rules for an archive the tool wrote, checked against the old one.
void CheckRebuilt(const std::string& old, const std::map<unsigned, std::string>& replacements,
                  const std::string& created) {
  uint32_t count = WordAt(old, 0);
  uint64_t table_end = 8 + 8 * uint64_t{count};
  if (created.size() < table_end) Fault("new archive shorter than its table");
  if (created.compare(0, 8, old, 0, 8) != 0) Fault("header changed");
  struct Entry {
    uint32_t index, offset;
  };
  std::vector<Entry> with_data;
  for (uint32_t i = 0; i < count; ++i) {
    size_t slot = 8 + 8 * size_t{i};
    if (created.compare(slot + 4, 4, old, slot + 4, 4) != 0) Fault("Aux word changed");
    uint32_t offset = WordAt(old, slot);
    if (offset == 0) {
      if (WordAt(created, slot) != 0) Fault("an entry without data got an offset");
    } else {
      with_data.push_back({i, offset});
    }
  }
  // Blocks follow in ascending old offset, table order among equals.
  std::stable_sort(with_data.begin(), with_data.end(),
                   [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
  uint64_t position = table_end;
  uint64_t written_end = table_end;
  for (size_t k = 0; k < with_data.size(); ++k) {
    const Entry& entry = with_data[k];
    uint32_t next = k + 1 < with_data.size() ? with_data[k + 1].offset
                                             : static_cast<uint32_t>(old.size());
    uint32_t length = next - entry.offset;
    auto replaced = replacements.find(entry.index);
    std::string block = replaced != replacements.end() ? replaced->second
                        : entry.offset <= old.size()   ? old.substr(entry.offset, length)
                                                       : std::string();
    if (replaced == replacements.end() && block.size() != length)
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

void CheckFailure(const Failure& failure) {
  std::string kind = KindName(failure.kind);
  const std::map<std::string, std::string> known = {
      {"EReadError", "Stream read error"},
      {"ERangeError", "Range check error"},
      {"EOutOfMemory", "Out of memory"},
  };
  auto found = known.find(kind);
  if (found == known.end() || found->second != failure.message)
    Fault("unexpected failure " + kind + ": " + failure.message);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char scratch[] = "/tmp/fsdpack-fuzz-XXXXXX";
  if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0 || mkdir("new", 0755) != 0)
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
  // Only the last input's files are left to remove.
  static std::vector<unsigned> left_behind;
  for (unsigned index : left_behind) unlink(ReplacementPath(index).c_str());
  left_behind.clear();
  for (const auto& replacement : replacements) left_behind.push_back(replacement.first);
  unlink(kNewArchive);
  Spill(kArchive, old);
  for (const auto& [index, bytes] : replacements) Spill(ReplacementPath(index), bytes);

  bool done = false;
  try {
    RebuildArchive(kArchive);
    done = true;
  } catch (const Failure& failure) {
    CheckFailure(failure);
  } catch (const std::bad_alloc&) {
  }

  if (Slurp(kArchive) != old) Fault("old archive changed");
  for (const auto& [index, bytes] : replacements)
    if (Slurp(ReplacementPath(index)) != bytes) Fault("replacement file changed");
  if (done) CheckRebuilt(old, replacements, Slurp(kNewArchive));
  return 0;
}
