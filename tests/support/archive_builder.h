#ifndef FSDPACK_TESTS_SUPPORT_ARCHIVE_BUILDER_H_
#define FSDPACK_TESTS_SUPPORT_ARCHIVE_BUILDER_H_

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

struct Slot {
  uint32_t offset;
  uint32_t aux;
};

std::string Word(uint32_t value);

// The header and table of an archive with one slot per element of `slots`.
std::string Table(uint32_t header_word, const std::vector<Slot>& slots);

// `size` bytes that differ from their neighbours, so a misplaced copy shows.
std::string Filler(size_t size, uint8_t seed);

// An archive of `size` bytes: the table, then filler.
std::string OldArchive(uint32_t header_word, const std::vector<Slot>& slots,
                       size_t size);

// `bytes` written into `file` at `at`, zero-filling any gap.
void Put(std::string* file, size_t at, const std::string& bytes);

#endif  // FSDPACK_TESTS_SUPPORT_ARCHIVE_BUILDER_H_
