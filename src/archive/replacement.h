#ifndef FSDPACK_ARCHIVE_REPLACEMENT_H_
#define FSDPACK_ARCHIVE_REPLACEMENT_H_

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <unordered_set>
#include <vector>

class FileStream;

// Text with every occurrence of Pattern replaced by Replacement, byte for
// byte and case-sensitively. Each search starts over from the beginning, so
// an occurrence formed by a replacement and the text around it is replaced
// too; Replacement must therefore not contain Pattern.
std::string ReplaceAll(std::string Text, const std::string& Pattern,
                       const std::string& Replacement);

// The file that replaces entry Index of the archive at Path: every ".fsd" in
// Path becomes "_", Index in at least two hexadecimal digits, and ".msg.z".
// data.fsd, entry 10: data_0A.msg.z.
std::string ReplacementName(const std::string& Path, uint32_t Index);

// Finds the replacement files of one archive. Testing every entry's name
// costs a system call per entry. Where all names lie in one directory and
// differ only in the index, one listing of that directory tells which entries
// may have a file (its name there, ignoring ASCII case for the file systems
// that do), and only those names are tested. The answer is the same either
// way: a link counts by what it points to, a directory never counts.
struct ReplacementLookup {
  std::string path;
  bool listed = false;
  std::unordered_set<uint32_t> listed_indexes;
  std::unordered_set<uint32_t> linked_indexes;  // of those, names that may be links
};

ReplacementLookup PrepareReplacementLookup(const std::string& Path);

// The name of entry Index's replacement file, or "" when it has none.
std::string FindReplacement(const ReplacementLookup& lookup, uint32_t Index);

// Whether entry Index's replacement name exists in any form: a file, a
// directory, a link, even one that leads nowhere.
bool ReplacementNameTaken(const ReplacementLookup& lookup, uint32_t Index);

// Whether `file`, about to be emptied and written, is the replacement file
// of one of entries 0 .. count - 1 under another name. Each name tested
// costs a system call, so only names that can be it are: where `file` has a
// single link and its path passes through no symbolic link, no other name
// reaches it but through a link of its own, and one that holds no data yet
// loses nothing by being emptied, as a replacement file reached through a
// link is refused when it is read.
bool IsAnyReplacementFile(const FileStream& file, const ReplacementLookup& lookup,
                          uint32_t count);

// Whether entry Index may have a replacement file: false only where the
// listing shows no name for it.
bool MayHaveReplacement(const ReplacementLookup& lookup, uint32_t Index);

// What a lookup ahead of placement found for one entry.
struct FoundReplacement {
  enum class Kind {
    kNone,      // no replacement file
    kData,      // the whole file, in `data`
    kOpenHere,  // a file too large to hold, or one that changed while it was
                // read: to be opened and copied when its entry is placed
  };
  Kind kind = Kind::kNone;
  std::vector<char> data;
};

// Finds entry Index's replacement file, and reads it whole when it is small.
// Safe on several threads at once. Fails as opening it at its entry would.
void ReadReplacementAhead(const ReplacementLookup& lookup, uint32_t Index,
                          FoundReplacement* found);

// Appends the whole replacement file of entry Index to `target` and returns
// true, or returns false when there is none.
bool AppendReplacement(const ReplacementLookup& lookup, uint32_t Index,
                       FileStream& target);

#endif  // FSDPACK_ARCHIVE_REPLACEMENT_H_
