#include "archive/placement.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "archive/layout.h"
#include "archive/ordered_work.h"
#include "archive/replacement.h"
#include "platform/failure.h"
#include "platform/file_stream.h"

namespace {

constexpr bool kFastPaths = FSDPACK_FAST_PATHS;

// Gives every entry with data its block in the new archive, in old-offset
// order, and records where the block starts: the plain way, one entry at a
// time, each replacement file tested for and then opened.
void PlaceBlocksOneByOne(const ReplacementLookup& replacements, TMas& items,
                         FileStream& old, FileStream& created) {
  for (size_t i = 0; i < items.size(); ++i) {
    TEntry& entry = items[i];
    if (entry.Offset == 0) continue;
    uint64_t length = DataLength(items, i, old.Size());
    old.SetPosition(entry.Offset);
    uint64_t start = BlockStart(created.Position());
    created.SetPosition(start);
    entry.Offset = static_cast<uint32_t>(start);
    if (!AppendReplacement(replacements, entry.Index, created)) created.CopyFrom(old, length);
  }
}

// The same blocks, the same bytes, the same failures at the same entries,
// with far fewer system calls. Blocks that stay back to back travel as one
// copy; short ones are read many at a time straight into the write buffer;
// replacement files are found and read ahead on other threads, and taken
// here in placement order, so that a failing one fails when its entry is
// reached, with every block before it in place.
class BlockPlacer {
 public:
  BlockPlacer(const ReplacementLookup& lookup, TMas& items, FileStream& old,
              FileStream& created)
      : lookup_(lookup),
        items_(items),
        old_(old),
        created_(created),
        found_(kWindow),
        reader_(Candidates(), ConcurrentBriefReads() ? WorkerThreads() : 1, kWindow, [this](size_t k, unsigned) {
          ReadReplacementAhead(lookup_, items_[candidates_[k]].Index, &found_[k % kWindow]);
        }) {}

  void PlaceAll() {
    size_t i = 0;
    while (i < items_.size() && items_[i].Offset == 0) ++i;
    while (i < items_.size()) {
      const FoundReplacement* found = TakeReplacementOf(i);
      if (found != nullptr && found->kind != FoundReplacement::Kind::kNone) {
        PlaceReplacement(i, *found);
        ++i;
      } else {
        i = CopyRun(i);
      }
    }
  }

 private:
  // Replacement files held ahead of their entries, at most.
  static constexpr size_t kWindow = 64;
  // Entries gathered into one run of copies, at most.
  static constexpr size_t kRunEntries = 4096;

  size_t Candidates() {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].Offset != 0 && MayHaveReplacement(lookup_, items_[i].Index))
        candidates_.push_back(i);
    return candidates_.size();
  }

  // What the lookup found for the entry at `i`, null when it was not asked;
  // each candidate is taken once, in order. A lookup that failed fails here,
  // when its entry is placed.
  const FoundReplacement* TakeReplacementOf(size_t i) {
    if (next_candidate_ >= candidates_.size() || candidates_[next_candidate_] != i)
      return nullptr;
    if (!taken_) failure_ = reader_.TakeFailure(next_candidate_);
    taken_ = false;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return &found_[next_candidate_++ % kWindow];
  }

  // Whether the entry at `i` has been asked about, with no file found. A
  // candidate with a file, or whose lookup failed, stays taken for
  // TakeReplacementOf, so that the run before it is copied first.
  bool HasNoReplacement(size_t i) {
    if (next_candidate_ >= candidates_.size() || candidates_[next_candidate_] != i) return true;
    failure_ = reader_.TakeFailure(next_candidate_);
    taken_ = true;
    if (failure_ || found_[next_candidate_ % kWindow].kind != FoundReplacement::Kind::kNone)
      return false;
    taken_ = false;
    ++next_candidate_;
    return true;
  }

  void PlaceReplacement(size_t i, const FoundReplacement& found) {
    TEntry& entry = items_[i];
    uint64_t length = DataLength(items_, i, old_.Size());
    uint32_t old_offset = entry.Offset;
    uint64_t start = BlockStart(created_.Position());
    created_.SetPosition(start);
    entry.Offset = static_cast<uint32_t>(start);
    if (found.kind == FoundReplacement::Kind::kData) {
      created_.WriteBuffer(found.data.data(), found.data.size());
      return;
    }
    // As it is now; gone meanwhile, the old data stands.
    std::unique_ptr<FileStream> file = FileStream::OpenIfFile(
        ReplacementName(lookup_.path, entry.Index), FileMode::kReadBriefly);
    if (file) {
      created_.CopyFrom(*file, file->Size());
      file->Close();
    } else {
      old_.SetPosition(old_offset);
      created_.CopyFrom(old_, length);
    }
  }

  // Copies the entry at `first` and the ones after it that come from the old
  // archive too, whose data is all there and whose blocks start where a
  // table can point; returns where the run ended. An entry that is not so
  // goes by itself, failing as the plain way fails.
  size_t CopyRun(size_t first) {
    uint64_t run_source = items_[first].Offset;
    uint64_t source = run_source;
    uint64_t position = created_.Position();
    segments_.clear();
    size_t i = first;
    while (i < items_.size() && i - first < kRunEntries) {
      TEntry& entry = items_[i];
      uint64_t length = DataLength(items_, i, old_.Size());
      uint64_t start = AlignUp(position);
      bool whole = length == 0 || entry.Offset + length <= old_.Size();
      if (entry.Offset != source || !whole || start > UINT32_MAX) break;
      if (i > first && !HasNoReplacement(i)) break;
      if (length > 0) {
        if (!segments_.empty() && segments_.back().at + segments_.back().length == start)
          segments_.back().length += length;
        else
          segments_.push_back({start, length});
      }
      source += length;
      position = start + length;
      entry.Offset = static_cast<uint32_t>(start);
      ++i;
    }
    if (i == first) {
      TEntry& entry = items_[first];
      uint64_t length = DataLength(items_, first, old_.Size());
      old_.SetPosition(entry.Offset);
      uint64_t start = BlockStart(created_.Position());
      created_.SetPosition(start);
      entry.Offset = static_cast<uint32_t>(start);
      created_.CopyFrom(old_, length);
      return first + 1;
    }
    old_.SetPosition(run_source);
    created_.CopyScattered(old_, segments_.data(), segments_.size());
    created_.SetPosition(position);
    return i;
  }

  const ReplacementLookup& lookup_;
  TMas& items_;
  FileStream& old_;
  FileStream& created_;
  std::vector<size_t> candidates_;  // positions in items_ of entries that may have a file
  std::vector<FoundReplacement> found_;
  OrderedWork reader_;
  size_t next_candidate_ = 0;
  bool taken_ = false;  // the next candidate is taken already
  std::exception_ptr failure_;  // what its lookup threw
  std::vector<CopySegment> segments_;
};

}  // namespace

uint64_t BlockStart(uint64_t position) {
  uint64_t start = AlignUp(position);
  if (start > UINT32_MAX) Raise(ErrorKind::ERangeError, kRangeCheckError);
  return start;
}

void PlaceBlocks(const ReplacementLookup& lookup, TMas& items, FileStream& old,
                 FileStream& created) {
  if (kFastPaths)
    BlockPlacer(lookup, items, old, created).PlaceAll();
  else
    PlaceBlocksOneByOne(lookup, items, old, created);
}
