#include "support/archive_builder.h"

std::string Word(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Table(uint32_t header_word, const std::vector<Slot>& slots) {
  std::string bytes = Word(static_cast<uint32_t>(slots.size())) + Word(header_word);
  for (const Slot& slot : slots) bytes += Word(slot.offset) + Word(slot.aux);
  return bytes;
}

std::string Filler(size_t size, uint8_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string OldArchive(uint32_t header_word, const std::vector<Slot>& slots,
                       size_t size) {
  std::string bytes = Table(header_word, slots);
  if (bytes.size() < size) bytes += Filler(size - bytes.size(), 7);
  return bytes;
}

void Put(std::string* file, size_t at, const std::string& bytes) {
  if (file->size() < at + bytes.size()) file->resize(at + bytes.size(), '\0');
  file->replace(at, bytes.size(), bytes);
}
