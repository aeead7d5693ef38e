#ifndef FSDPACK_ARCHIVE_LAYOUT_H_
#define FSDPACK_ARCHIVE_LAYOUT_H_

#include <stdint.h>

// An archive is a header, a table of slots and the entries' data. Numbers are
// 32-bit unsigned little-endian; offsets count from the start of the file.
//
//   0   EntryCount   number of slots
//   4   HeaderWord   carried over unchanged
//   8   slots        EntryCount x { Offset, Aux }; Offset 0: no data,
//                    Aux carried over unchanged
//
// An entry's data runs from its Offset to the next larger one, the last to
// the end of the file.
constexpr uint32_t kHeaderSize = 8;
constexpr uint32_t kSlotSize = 8;

// Every block of a written archive starts at a multiple of this.
constexpr uint64_t kBlockAlignment = 16;

inline uint64_t AlignUp(uint64_t position) {
  return (position + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

inline uint32_t LoadWord(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
}

inline void StoreWord(unsigned char* bytes, uint32_t value) {
  bytes[0] = static_cast<unsigned char>(value);
  bytes[1] = static_cast<unsigned char>(value >> 8);
  bytes[2] = static_cast<unsigned char>(value >> 16);
  bytes[3] = static_cast<unsigned char>(value >> 24);
}

#endif  // FSDPACK_ARCHIVE_LAYOUT_H_
