#ifndef FSDPACK_ARCHIVE_TABLE_H_
#define FSDPACK_ARCHIVE_TABLE_H_

#include <stdint.h>

#include <string>
#include <vector>

class FileStream;

// One slot of the archive's table in memory.
struct TEntry {
  uint32_t Index;   // slot number, from 0
  uint32_t Offset;  // old position of the data, then its new one; 0: no data
  uint32_t Length;  // the slot's Aux word, then for data the derived length
};
using TMas = std::vector<TEntry>;

// A 32-bit word at the stream's position; EReadError when it is cut short.
uint32_t ReadWord(FileStream& stream);

// Reads `count` slots from the stream's position into a table in index
// order. The raw slots are appended to `slots` and written to `copy_to`
// where those are given. ERangeError, before any slot is read, when the
// table would not fit in memory; EReadError on a short table, after the
// whole slots that were there. Memory grows only with what the file holds.
TMas ReadTable(FileStream& archive, uint32_t count, std::vector<unsigned char>* slots,
               FileStream* copy_to);

// What both tools show of an archive once its table is read: the table put
// in offset order, each entry's length derived, one listing line each.
void ListTable(TMas& Items, uint64_t archive_size);

// Stable orderings by ascending unsigned key: entries with equal offsets keep
// their relative order, so after SortByOffset the entries without data come
// first and entries sharing an offset stay in table order.
void SortByOffset(TMas& Items);
void SortByIndex(TMas& Items);

// For entries in offset order: the data of each one with an Offset runs to
// the next entry's Offset, the last one's to the end of the archive (its low
// 32 bits, modulo 2^32). Entries without data keep their Aux word.
void DeriveLengths(TMas& Items, uint32_t archive_size);

// How many bytes of the old archive the entry at `i` of a table in offset
// order owns: its Length, but the entry with the largest offset runs to the
// end of the archive, which may be 4 GiB or more past it, more than Length
// can say; the listing shows Length, the copy moves all of it. Asks the
// entry's old Offset: call it before placement changes that.
uint64_t DataLength(const TMas& Items, size_t i, uint64_t archive_size);

// "OOOOOOOO|LLLLLLLL": old offset and length, eight hexadecimal digits each.
void AppendListingLine(std::string* out, const TEntry& entry);

#endif  // FSDPACK_ARCHIVE_TABLE_H_
