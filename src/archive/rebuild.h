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

// Where the block following `position` starts: the next multiple of 16. The
// table holds 32-bit offsets, so a start at 4 GiB or beyond fails with
// ERangeError rather than being written where no offset can reach it.
uint64_t BlockStart(uint64_t position);

std::string NewArchivePath(const std::string& Path);

#endif  // FSDPACK_ARCHIVE_REBUILD_H_
