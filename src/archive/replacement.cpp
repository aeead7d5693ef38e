#include "archive/replacement.h"

#include <memory>

#include "archive/hex.h"
#include "platform/directory.h"
#include "platform/file_stream.h"

namespace {

const char kPattern[] = ".fsd";
const char kExtension[] = ".msg.z";

std::string ReplacementFor(uint32_t Index) {
  return "_" + FormatHex(Index, 2) + kExtension;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Names whose match on disk ASCII folding cannot predict: other bytes may
// fold or normalize on some file systems, and Windows drops trailing dots
// and blanks.
bool FoldsPredictably(const std::string& leaf) {
  for (char c : leaf)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return leaf.empty() || (leaf.back() != '.' && leaf.back() != ' ');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The index whose digits `digits` (lower case) are: at least two, and no
// leading zero beyond those two. -1 for anything else.
int64_t IndexOfDigits(const std::string& digits) {
  if (digits.size() < 2 || digits.size() > 8 || (digits.size() > 2 && digits[0] == '0'))
    return -1;
  int64_t index = 0;
  for (char c : digits) {
    int value = HexValue(c);
    if (value < 0) return -1;
    index = index * 16 + value;
  }
  return index;
}

}  // namespace

std::string ReplaceAll(std::string Text, const std::string& Pattern,
                       const std::string& Replacement) {
  if (Pattern == Replacement || Pattern.empty()) return Text;
  // An occurrence found after a replacement at `found` cannot start earlier
  // than Pattern's length before its end: the text before `found` held none.
  size_t from = 0;
  for (;;) {
    size_t found = Text.find(Pattern, from);
    if (found == std::string::npos) return Text;
    Text.replace(found, Pattern.size(), Replacement);
    from = found + 1 >= Pattern.size() ? found + 1 - Pattern.size() : 0;
  }
}

std::string ReplacementName(const std::string& Path, uint32_t Index) {
  return ReplaceAll(Path, kPattern, ReplacementFor(Index));
}

ReplacementLookup PrepareReplacementLookup(const std::string& Path) {
  ReplacementLookup lookup;
  lookup.path = Path;
  size_t directory_length = DirectoryPartLength(Path);
  std::string directory = Path.substr(0, directory_length);
  std::string leaf = Path.substr(directory_length);
  // A ".fsd" in the directory part puts every entry's name in a directory of
  // its own; with no ".fsd" or several, the names are not "_<index>" plus
  // the same text on both sides.
  size_t pattern = leaf.find(kPattern);
  if (directory.find(kPattern) != std::string::npos || pattern == std::string::npos ||
      leaf.find(kPattern, pattern + 1) != std::string::npos || !FoldsPredictably(leaf))
    return lookup;
  std::string head = LowerCase(leaf.substr(0, pattern)) + "_";
  std::string tail = kExtension + LowerCase(leaf.substr(pattern + sizeof kPattern - 1));
  lookup.listed = ListDirectory(directory, [&](const std::string& name, bool may_be_link) {
    if (name.size() <= head.size() + tail.size()) return;
    std::string folded = LowerCase(name);
    if (folded.compare(0, head.size(), head) != 0 ||
        folded.compare(folded.size() - tail.size(), tail.size(), tail) != 0)
      return;
    int64_t index = IndexOfDigits(
        folded.substr(head.size(), folded.size() - head.size() - tail.size()));
    if (index < 0) return;
    lookup.listed_indexes.insert(static_cast<uint32_t>(index));
    if (may_be_link) lookup.linked_indexes.insert(static_cast<uint32_t>(index));
  });
  // A listing cut short proves nothing absent.
  if (!lookup.listed) {
    lookup.listed_indexes.clear();
    lookup.linked_indexes.clear();
  }
  return lookup;
}

bool MayHaveReplacement(const ReplacementLookup& lookup, uint32_t Index) {
  return !lookup.listed || lookup.listed_indexes.count(Index) != 0;
}

std::string FindReplacement(const ReplacementLookup& lookup, uint32_t Index) {
  if (!MayHaveReplacement(lookup, Index)) return "";
  std::string name = ReplacementName(lookup.path, Index);
  return FileExists(name) ? name : "";
}

void ReadReplacementAhead(const ReplacementLookup& lookup, uint32_t Index,
                          FoundReplacement* found) {
  // Files up to this size are held in memory until their entry is placed.
  constexpr uint64_t kReadAheadLimit = 64 << 10;
  found->kind = FoundReplacement::Kind::kNone;
  found->data.clear();
  if (!MayHaveReplacement(lookup, Index)) return;
  std::unique_ptr<FileStream> file =
      FileStream::OpenIfFile(ReplacementName(lookup.path, Index), FileMode::kReadBriefly);
  if (!file) return;
  found->kind = FoundReplacement::Kind::kOpenHere;
  if (file->Size() > kReadAheadLimit) return;
  found->data.resize(static_cast<size_t>(file->Size()));
  // One that shrank meanwhile is read again at its entry, as it is then.
  if (file->ReadAtMost(0, found->data.data(), found->data.size()) == found->data.size())
    found->kind = FoundReplacement::Kind::kData;
}

bool ReplacementNameTaken(const ReplacementLookup& lookup, uint32_t Index) {
  return MayHaveReplacement(lookup, Index) && NameExists(ReplacementName(lookup.path, Index));
}

bool IsAnyReplacementFile(const FileStream& file, const ReplacementLookup& lookup,
                          uint32_t count) {
  bool other_names = file.MayHaveOtherNames();
  if (count == 0 || (!other_names && file.Size() == 0)) return false;
  // Without a ".fsd" in the path every entry's name is the same.
  if (ReplacementName(lookup.path, 0) == ReplacementName(lookup.path, 1)) count = 1;
  for (uint32_t Index = 0; Index < count; ++Index) {
    if (!MayHaveReplacement(lookup, Index) ||
        (lookup.listed && !other_names && lookup.linked_indexes.count(Index) == 0))
      continue;
    if (file.IsSameFileAs(ReplacementName(lookup.path, Index))) return true;
  }
  return false;
}

bool AppendReplacement(const ReplacementLookup& lookup, uint32_t Index,
                       FileStream& target) {
  std::string name = FindReplacement(lookup, Index);
  if (name.empty()) return false;
  FileStream replacement(name, FileMode::kOpenRead);
  // As long as the file is now; one that shrinks meanwhile fails the copy.
  target.CopyFrom(replacement, replacement.Size());
  replacement.Close();
  return true;
}
