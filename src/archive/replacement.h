#ifndef FSDPACK_ARCHIVE_REPLACEMENT_H_
#define FSDPACK_ARCHIVE_REPLACEMENT_H_

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <unordered_set>

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
};

ReplacementLookup PrepareReplacementLookup(const std::string& Path);

// The name of entry Index's replacement file, or "" when it has none.
std::string FindReplacement(const ReplacementLookup& lookup, uint32_t Index);

// Whether entry Index's replacement name exists in any form: a file, a
// directory, a link, even one that leads nowhere.
bool ReplacementNameTaken(const ReplacementLookup& lookup, uint32_t Index);

// Whether `file` is the replacement file of one of entries 0 .. count - 1,
// reached by some other name. Testing costs a system call per existing
// replacement file, so it is done only where `file` may have another name.
bool IsAnyReplacementFile(const FileStream& file, const std::string& Path,
                          uint32_t count);

// Appends the whole replacement file of entry Index to `target` and returns
// true, or returns false when there is none.
bool AppendReplacement(const ReplacementLookup& lookup, uint32_t Index,
                       FileStream& target);

#endif  // FSDPACK_ARCHIVE_REPLACEMENT_H_
