#ifndef FSDPACK_ARCHIVE_REBUILD_H_
#define FSDPACK_ARCHIVE_REBUILD_H_

#include <stdint.h>

#include <string>
#include <vector>

// One slot of the archive's table in memory.
struct TEntry {
  uint32_t Index;   // slot number, from 0
  uint32_t Offset;  // old position of the data, then its new one; 0: no data
  uint32_t Length;  // the slot's Aux word, then for data the derived length
};
using TMas = std::vector<TEntry>;

// Writes "new" + separator + Path, a copy of the archive at Path in which
// every entry's data starts at a multiple of 16 and comes from its
// replacement file where there is one, and prints one listing line per entry.
// Returns at once, creating nothing, when Path names no file. Fails with a
// Failure, leaving what was written so far.
void RebuildArchive(const std::string& Path);

// Stable orderings by ascending unsigned key: entries with equal offsets keep
// their relative order, so after SortByOffset the entries without data come
// first and entries sharing an offset stay in table order.
void SortByOffset(TMas& Items);
void SortByIndex(TMas& Items);

// For entries in offset order: the data of each one with an Offset runs to
// the next entry's Offset, the last one's to the end of the archive (its low
// 32 bits, modulo 2^32). Entries without data keep their Aux word.
void DeriveLengths(TMas& Items, uint32_t archive_size);

// "OOOOOOOO|LLLLLLLL": old offset and length, eight hexadecimal digits each.
void AppendListingLine(std::string* out, const TEntry& entry);

// Where the block following `position` starts: the next multiple of 16. The
// table holds 32-bit offsets, so a start at 4 GiB or beyond fails with
// ERangeError rather than being written where no offset can reach it.
uint64_t BlockStart(uint64_t position);

std::string NewArchivePath(const std::string& Path);

#endif  // FSDPACK_ARCHIVE_REBUILD_H_
