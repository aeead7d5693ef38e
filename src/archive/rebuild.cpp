#include "archive/rebuild.h"

#include <algorithm>
#include <vector>

#include "archive/layout.h"
#include "archive/placement.h"
#include "archive/replacement.h"
#include "archive/table.h"
#include "platform/failure.h"
#include "platform/file_stream.h"
#include "platform/paths.h"

namespace {

// Reads EntryCount, empties the new archive and writes the count there.
// Emptying destroys what the file held, so it must be none of the files this
// run reads. The old archive cannot be: opening it held it, and a held file
// does not open again. A replacement file is tested here, for every entry
// the old archive's size leaves room for in its table; without a whole count
// there is none.
uint32_t StartNewArchive(const std::string& Path, const ReplacementLookup& lookup,
                         FileStream& old, FileStream& created) {
  bool has_count = old.Size() >= sizeof(uint32_t);
  old.SetPosition(0);
  uint32_t entry_count = has_count ? ReadWord(old) : 0;
  uint64_t backed = old.Size() > kHeaderSize ? (old.Size() - kHeaderSize) / kSlotSize : 0;
  if (IsAnyReplacementFile(created, lookup,
                           static_cast<uint32_t>(std::min<uint64_t>(entry_count, backed))))
    RaiseFileError(ErrorKind::EFCreateError, NewArchivePath(Path), HeldFileError());
  created.Empty();
  if (!has_count) Raise(ErrorKind::EReadError, kStreamReadError);
  unsigned char count_bytes[4];
  StoreWord(count_bytes, entry_count);
  created.WriteBuffer(count_bytes, sizeof count_bytes);
  return entry_count;
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

std::string NewArchivePath(const std::string& Path) {
  return std::string("new") + kPathSeparator + Path;
}

void RebuildArchive(const std::string& Path) {
  if (!FileExists(Path)) return;
  FileStream old(Path, FileMode::kOpenRead);
  FileStream created(NewArchivePath(Path), FileMode::kOpenOrCreate);
  // One listing tells which replacement files there are, for the test before
  // the new archive is emptied and for the placement alike.
  ReplacementLookup lookup = PrepareReplacementLookup(Path);
  uint32_t entry_count = StartNewArchive(Path, lookup, old, created);
  created.CopyFrom(old, 4);  // HeaderWord

  std::vector<unsigned char> slots;
  TMas items = ReadTable(old, entry_count, &slots, &created);
  ListTable(items, old.Size());
  PlaceBlocks(lookup, items, old, created);
  old.Close();
  SortByIndex(items);
  PatchOffsets(items, &slots, created);
  created.Close();
}
