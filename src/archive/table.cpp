#include "archive/table.h"

#include <algorithm>

#include "archive/hex.h"
#include "archive/layout.h"
#include "platform/console.h"
#include "platform/failure.h"
#include "platform/file_stream.h"

namespace {

// The table is read this many slots at a time.
constexpr uint32_t kSlotBatch = 1 << 16;

}  // namespace

uint32_t ReadWord(FileStream& stream) {
  unsigned char bytes[4];
  stream.ReadBuffer(bytes, sizeof bytes);
  return LoadWord(bytes);
}

TMas ReadTable(FileStream& archive, uint32_t count, std::vector<unsigned char>* slots,
               FileStream* copy_to) {
  // The table in memory must stay below 2 GiB, as three words per entry.
  if (static_cast<uint64_t>(count) * sizeof(TEntry) >= (uint64_t{1} << 31))
    Raise(ErrorKind::ERangeError, kRangeCheckError);
  uint64_t position = archive.Position();
  uint64_t backed =
      archive.Size() > position ? (archive.Size() - position) / kSlotSize : 0;
  // Grow with what the file can back, so a hostile count costs no memory.
  uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(count, backed));
  TMas items;
  items.reserve(present);
  if (slots != nullptr) slots->reserve(slots->size() + size_t{present} * kSlotSize);
  std::vector<unsigned char> batch_bytes;
  for (uint32_t first = 0; first < count; first += kSlotBatch) {
    uint32_t batch = std::min(kSlotBatch, count - first);
    bool short_table = first + batch > present;
    if (short_table) batch = present - first;
    size_t size = size_t{batch} * kSlotSize;
    batch_bytes.resize(size);
    archive.ReadBuffer(batch_bytes.data(), size);
    if (slots != nullptr) slots->insert(slots->end(), batch_bytes.begin(), batch_bytes.end());
    if (copy_to != nullptr) copy_to->WriteBuffer(batch_bytes.data(), size);
    for (uint32_t i = 0; i < batch; ++i) {
      const unsigned char* slot = batch_bytes.data() + size_t{i} * kSlotSize;
      items.push_back({first + i, LoadWord(slot), LoadWord(slot + 4)});
    }
    if (short_table) Raise(ErrorKind::EReadError, kStreamReadError);
  }
  return items;
}

void ListTable(TMas& Items, uint64_t archive_size) {
  SortByOffset(Items);
  DeriveLengths(Items, static_cast<uint32_t>(archive_size));
  std::string line;
  for (const TEntry& entry : Items) {
    line.clear();
    AppendListingLine(&line, entry);
    ConsoleWriteLine(line);
  }
}

void SortByOffset(TMas& Items) {
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TEntry& a, const TEntry& b) { return a.Offset < b.Offset; });
}

void SortByIndex(TMas& Items) {
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TEntry& a, const TEntry& b) { return a.Index < b.Index; });
}

void DeriveLengths(TMas& Items, uint32_t archive_size) {
  for (size_t i = 0; i < Items.size(); ++i) {
    TEntry& entry = Items[i];
    if (entry.Offset == 0) continue;
    // In offset order the next entry is the next one with data.
    uint32_t next = i + 1 < Items.size() ? Items[i + 1].Offset : archive_size;
    entry.Length = next - entry.Offset;
  }
}

uint64_t DataLength(const TMas& Items, size_t i, uint64_t archive_size) {
  const TEntry& entry = Items[i];
  if (i + 1 == Items.size() && entry.Offset != 0 && entry.Offset <= archive_size)
    return archive_size - entry.Offset;
  return entry.Length;
}

void AppendListingLine(std::string* out, const TEntry& entry) {
  AppendHex8(out, entry.Offset);
  *out += '|';
  AppendHex8(out, entry.Length);
}
