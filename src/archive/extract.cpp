#include "archive/extract.h"

#include <stdint.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/ordered_work.h"
#include "archive/replacement.h"
#include "archive/table.h"
#include "platform/console.h"
#include "platform/file_stream.h"
#include "platform/new_file.h"

namespace {

// Making a file costs the system far more than moving its few kilobytes, and
// the files do not depend on each other: they are made on several threads,
// and named strictly in offset order on this one, so that every outcome is
// the one a plain loop would have. The reference build keeps the plain loop.
constexpr bool kFastPaths = FSDPACK_FAST_PATHS;
// Files made ahead of the next one to name: each holds a handle till then.
constexpr size_t kWindow = 64;
// An entry's data moves in pieces of at most this size.
constexpr size_t kPieceSize = 1 << 20;

// Copies `length` bytes of data at `offset` into a new file.
void CopyEntry(const FileStream& archive, uint64_t offset, uint64_t length, NewFile& file,
               std::vector<char>& buffer) {
  uint64_t done = 0;
  while (done < length) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(length - done, kPieceSize));
    if (buffer.size() < piece) buffer.resize(piece);
    archive.ReadAt(offset + done, buffer.data(), piece);
    file.Write(buffer.data(), piece);
    done += piece;
  }
}

}  // namespace

std::string ExtractSummary(uint32_t written, uint32_t kept) {
  return std::to_string(written) + (written == 1 ? " file" : " files") + " written, " +
         std::to_string(kept) + " kept.";
}

void ExtractArchive(const std::string& Path) {
  FileStream archive(Path, FileMode::kOpenRead);
  archive.SetPosition(0);
  uint32_t entry_count = ReadWord(archive);
  ReadWord(archive);  // HeaderWord
  TMas items = ReadTable(archive, entry_count, nullptr, nullptr);
  ListTable(items, archive.Size());

  std::vector<size_t> with_data;  // positions in items
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Offset != 0) with_data.push_back(i);
  ReplacementLookup names = PrepareReplacementLookup(Path);
  unsigned threads = kFastPaths ? WorkerThreads() : 1;
  std::vector<std::vector<char>> buffers(threads);
  // The file made for the entry in each place of the window; none: kept.
  std::vector<std::unique_ptr<NewFile>> made(kWindow);
  uint32_t written = 0, kept = 0;
  RunInOrder(
      with_data.size(), threads, kWindow,
      [&](size_t k, unsigned worker) {
        const TEntry& entry = items[with_data[k]];
        // A name that is there is kept, and the entry's data is not read.
        if (ReplacementNameTaken(names, entry.Index)) return;
        auto file = std::make_unique<NewFile>(ReplacementName(Path, entry.Index));
        CopyEntry(archive, entry.Offset, DataLength(items, with_data[k], archive.Size()), *file,
                  buffers[worker]);
        made[k % kWindow] = std::move(file);
      },
      [&](size_t k) {
        std::unique_ptr<NewFile> file = std::move(made[k % kWindow]);
        if (file && file->Commit())
          ++written;
        else
          ++kept;
      });
  ConsoleWriteLine(ExtractSummary(written, kept));
}
