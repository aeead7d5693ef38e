#ifndef FSDPACK_ARCHIVE_REBUILD_H_
#define FSDPACK_ARCHIVE_REBUILD_H_

#include <stdint.h>

#include <string>

// Writes "new" + separator + Path, a copy of the archive at Path in which
// every entry's data starts at a multiple of 16 and comes from its
// replacement file where there is one, and prints one listing line per entry.
// Returns at once, creating nothing, when Path names no file. Fails with a
// Failure, leaving what was written so far.
void RebuildArchive(const std::string& Path);

std::string NewArchivePath(const std::string& Path);

#endif  // FSDPACK_ARCHIVE_REBUILD_H_
