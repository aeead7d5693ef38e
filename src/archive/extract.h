#ifndef FSDPACK_ARCHIVE_EXTRACT_H_
#define FSDPACK_ARCHIVE_EXTRACT_H_

#include <string>

// Writes the data of every entry of the archive at Path that has data to the
// entry's replacement name, the name fsdpack reads it back from: exactly the
// bytes fsdpack copies for the entry when it has no replacement file. Prints
// the listing as fsdpack does, then how many files were written and how
// many kept. A name that exists in any form is kept as it is, and the
// entry's data is not read. Each file appears complete or not at all.
// Fails with a Failure, leaving the files finished before it.
void ExtractArchive(const std::string& Path);

// "3 files written, 1 kept."
std::string ExtractSummary(uint32_t written, uint32_t kept);

#endif  // FSDPACK_ARCHIVE_EXTRACT_H_
