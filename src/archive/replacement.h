#ifndef FSDPACK_ARCHIVE_REPLACEMENT_H_
#define FSDPACK_ARCHIVE_REPLACEMENT_H_

#include <stdint.h>

#include <string>

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

// Appends the whole replacement file of entry Index to `target` and returns
// true, or returns false when there is none.
bool AppendReplacement(const std::string& Path, uint32_t Index, FileStream& target);

#endif  // FSDPACK_ARCHIVE_REPLACEMENT_H_
