#include "archive/replacement.h"

#include "archive/hex.h"
#include "platform/file_stream.h"

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
  return ReplaceAll(Path, ".fsd", "_" + FormatHex(Index, 2) + ".msg.z");
}

bool AppendReplacement(const std::string& Path, uint32_t Index, FileStream& target) {
  std::string name = ReplacementName(Path, Index);
  if (!FileExists(name)) return false;
  FileStream replacement(name, FileMode::kOpenRead);
  // As long as the file is now; one that shrinks meanwhile fails the copy.
  target.CopyFrom(replacement, replacement.Size());
  replacement.Close();
  return true;
}
