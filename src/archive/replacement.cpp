#include "archive/replacement.h"

#include <vector>

#include "archive/hex.h"
#include "platform/directory.h"
#include "platform/file_stream.h"

namespace {

const char kPattern[] = ".fsd";

std::string ReplacementFor(uint32_t Index) {
  return "_" + FormatHex(Index, 2) + ".msg.z";
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
  lookup.directory_length = DirectoryPartLength(Path);
  std::string directory = Path.substr(0, lookup.directory_length);
  // A ".fsd" in the directory part puts every entry's name in a directory
  // of its own.
  if (directory.find(kPattern) != std::string::npos ||
      !FoldsPredictably(Path.substr(lookup.directory_length)))
    return lookup;
  std::vector<std::string> names;
  if (!ListDirectory(directory, &names)) return lookup;
  // Keep only what some entry's name could be: the leaf's text before its
  // first ".fsd", the replacement, and its text after the last one.
  // (Found case-sensitively, compared folded.)
  std::string leaf = Path.substr(lookup.directory_length);
  size_t first = leaf.find(kPattern);
  std::string head = LowerCase(leaf.substr(0, first));
  std::string tail =
      first == std::string::npos ? "" : LowerCase(leaf.substr(leaf.rfind(kPattern) + 4));
  leaf = LowerCase(leaf);
  for (const std::string& name : names) {
    std::string folded = LowerCase(name);
    bool possible = first == std::string::npos
                        ? folded == leaf
                        : folded.size() >= head.size() + tail.size() &&
                              folded.compare(0, head.size(), head) == 0 &&
                              folded.compare(folded.size() - tail.size(), tail.size(), tail) == 0 &&
                              folded.find(".msg.z") != std::string::npos;
    if (possible) lookup.listed_names.insert(folded);
  }
  lookup.listed = true;
  return lookup;
}

std::string FindReplacement(const ReplacementLookup& lookup, uint32_t Index) {
  std::string name;
  if (lookup.listed) {
    std::string leaf = ReplaceAll(lookup.path.substr(lookup.directory_length),
                                  kPattern, ReplacementFor(Index));
    if (lookup.listed_names.count(LowerCase(leaf)) == 0) return "";
    name = lookup.path.substr(0, lookup.directory_length) + leaf;
  } else {
    name = ReplacementName(lookup.path, Index);
  }
  return FileExists(name) ? name : "";
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
