#include "archive/rebuild.h"

#include <algorithm>

#include "archive/hex.h"
#include "archive/layout.h"
#include "archive/replacement.h"
#include "platform/console.h"
#include "platform/failure.h"
#include "platform/file_stream.h"
#include "platform/paths.h"

namespace {

// The table is read and copied this many slots at a time.
constexpr uint32_t kSlotBatch = 1 << 16;

uint32_t ReadWord(FileStream& stream) {
  unsigned char bytes[4];
  stream.ReadBuffer(bytes, sizeof bytes);
  return LoadWord(bytes);
}

// Reads `count` slots into the table and copies them to the new archive,
// keeping the raw slots for the offset patch. A short table fails after the
// whole slots that were there.
TMas ReadTable(FileStream& old, FileStream& created, uint32_t count,
               std::vector<unsigned char>* slots) {
  // The table in memory must stay below 2 GiB, as three words per entry.
  if (static_cast<uint64_t>(count) * sizeof(TEntry) >= (uint64_t{1} << 31))
    Raise(ErrorKind::ERangeError, kRangeCheckError);
  uint64_t position = old.Position();
  uint64_t backed = old.Size() > position ? (old.Size() - position) / kSlotSize : 0;
  // Grow with what the file can back, so a hostile count costs no memory.
  uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(count, backed));
  TMas items;
  items.reserve(present);
  slots->reserve(static_cast<size_t>(present) * kSlotSize);
  for (uint32_t first = 0; first < count; first += kSlotBatch) {
    uint32_t batch = std::min(kSlotBatch, count - first);
    bool short_table = first + batch > present;
    if (short_table) batch = present - first;
    size_t from = slots->size();
    slots->resize(from + static_cast<size_t>(batch) * kSlotSize);
    unsigned char* bytes = slots->data() + from;
    old.ReadBuffer(bytes, static_cast<size_t>(batch) * kSlotSize);
    created.WriteBuffer(bytes, static_cast<size_t>(batch) * kSlotSize);
    for (uint32_t i = 0; i < batch; ++i) {
      const unsigned char* slot = bytes + static_cast<size_t>(i) * kSlotSize;
      items.push_back({first + i, LoadWord(slot), LoadWord(slot + 4)});
    }
    if (short_table) Raise(ErrorKind::EReadError, kStreamReadError);
  }
  return items;
}

// Reads EntryCount, empties the new archive and writes the count there.
// Emptying destroys what the file held, so it must be none of the files this
// run reads. The old archive cannot be: opening it held it, and a held file
// does not open again. A replacement file is tested here, for every entry
// the old archive's size leaves room for in its table; without a whole count
// there is none.
uint32_t StartNewArchive(const std::string& Path, FileStream& old, FileStream& created) {
  bool has_count = old.Size() >= sizeof(uint32_t);
  old.SetPosition(0);
  uint32_t entry_count = has_count ? ReadWord(old) : 0;
  uint64_t backed = old.Size() > kHeaderSize ? (old.Size() - kHeaderSize) / kSlotSize : 0;
  if (IsAnyReplacementFile(created, Path,
                           static_cast<uint32_t>(std::min<uint64_t>(entry_count, backed))))
    RaiseFileError(ErrorKind::EFCreateError, NewArchivePath(Path), HeldFileError());
  created.Empty();
  if (!has_count) Raise(ErrorKind::EReadError, kStreamReadError);
  unsigned char count_bytes[4];
  StoreWord(count_bytes, entry_count);
  created.WriteBuffer(count_bytes, sizeof count_bytes);
  return entry_count;
}

void PrintListing(const TMas& items) {
  std::string line;
  for (const TEntry& entry : items) {
    line.clear();
    AppendListingLine(&line, entry);
    ConsoleWriteLine(line);
  }
}

// Gives every entry with data its block in the new archive, in old-offset
// order, and records where the block starts.
void PlaceBlocks(const std::string& Path, TMas& items, FileStream& old,
                 FileStream& created) {
  ReplacementLookup replacements = PrepareReplacementLookup(Path);
  for (TEntry& entry : items) {
    if (entry.Offset == 0) continue;
    old.SetPosition(entry.Offset);
    uint64_t start = BlockStart(created.Position());
    created.SetPosition(start);
    entry.Offset = static_cast<uint32_t>(start);
    if (!AppendReplacement(replacements, entry.Index, created))
      created.CopyFrom(old, entry.Length);
  }
}

// Writes the new offsets into the table, leaving every Aux word as it was.
void PatchOffsets(const TMas& items, std::vector<unsigned char>* slots,
                  FileStream& created) {
  for (const TEntry& entry : items)
    StoreWord(slots->data() + static_cast<size_t>(entry.Index) * kSlotSize,
              entry.Offset);
  created.SetPosition(kHeaderSize);
  created.WriteBuffer(slots->data(), slots->size());
}

}  // namespace

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

void AppendListingLine(std::string* out, const TEntry& entry) {
  AppendHex8(out, entry.Offset);
  *out += '|';
  AppendHex8(out, entry.Length);
}

uint64_t BlockStart(uint64_t position) {
  uint64_t start = (position + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
  if (start > UINT32_MAX) Raise(ErrorKind::ERangeError, kRangeCheckError);
  return start;
}

std::string NewArchivePath(const std::string& Path) {
  return std::string("new") + kPathSeparator + Path;
}

void RebuildArchive(const std::string& Path) {
  if (!FileExists(Path)) return;
  FileStream old(Path, FileMode::kOpenRead);
  FileStream created(NewArchivePath(Path), FileMode::kOpenOrCreate);
  uint32_t entry_count = StartNewArchive(Path, old, created);
  created.CopyFrom(old, 4);  // HeaderWord

  std::vector<unsigned char> slots;
  TMas items = ReadTable(old, created, entry_count, &slots);
  SortByOffset(items);
  DeriveLengths(items, static_cast<uint32_t>(old.Size()));
  PrintListing(items);
  PlaceBlocks(Path, items, old, created);
  old.Close();
  SortByIndex(items);
  PatchOffsets(items, &slots, created);
  created.Close();
}
