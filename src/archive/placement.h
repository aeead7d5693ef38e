#ifndef FSDPACK_ARCHIVE_PLACEMENT_H_
#define FSDPACK_ARCHIVE_PLACEMENT_H_

#include <stdint.h>

#include "archive/table.h"

class FileStream;
struct ReplacementLookup;

// Gives every entry of `items` (in offset order) that has data its block in
// the new archive, from its replacement file where there is one, else from
// the old archive, each at the next multiple of 16, and sets its Offset to
// where the block starts. Fails at the first entry that cannot be placed,
// with every block before it written.
void PlaceBlocks(const ReplacementLookup& lookup, TMas& items, FileStream& old,
                 FileStream& created);

// Where the block following `position` starts: the next multiple of 16. The
// table holds 32-bit offsets, so a start at 4 GiB or beyond fails with
// ERangeError rather than being written where no offset can reach it.
uint64_t BlockStart(uint64_t position);

#endif  // FSDPACK_ARCHIVE_PLACEMENT_H_
