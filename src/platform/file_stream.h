#ifndef FSDPACK_PLATFORM_FILE_STREAM_H_
#define FSDPACK_PLATFORM_FILE_STREAM_H_

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>

// True when `path` names an existing file that is not a directory; a link
// counts by what it points to.
bool FileExists(const std::string& path);

// True when `path` names anything at all: a file, a directory, a device, a
// link, even one that leads nowhere.
bool NameExists(const std::string& path);

enum class FileMode {
  kOpenRead,         // an existing file, for reading only
  // The same, held only for a short read: where another such stream of this
  // process holds the same file (two names of one file read on two
  // threads), it waits for that one to close instead of failing.
  kReadBriefly,
  // Created, or an existing one opened as it is, for reading and writing;
  // Empty() empties it once the caller knows that destroys nothing it needs.
  kOpenOrCreate,
};

// The system's error code for a file that another stream holds: what a
// second open of it fails with.
int HeldFileError();

// Whether streams opened kReadBriefly on several threads at once hold their
// files as a single thread would, one after another: else a file with two
// names could fail as held when both are read at once.
bool ConcurrentBriefReads();

// A piece of a scattered copy: `length` bytes at `at` in the target.
struct CopySegment {
  uint64_t at;
  uint64_t length;
};

// Copies move data in chunks of this size: when the source runs out in the
// middle of a copy, the whole chunks read so far stay in the target and the
// incomplete one is not written.
constexpr uint64_t kCopyChunkSize = 61440;

// A file held open without sharing for as long as the stream lives: no other
// open of the same file succeeds meanwhile, from this process or from another
// fsdpack. Every operation does all it promises or throws a Failure.
//
// Reads and writes are buffered; what a stream has written reaches the file by
// Close() at the latest, or when the stream is destroyed on the way out of a
// failure.
class FileStream {
 public:
  // EFOpenError or EFCreateError (by mode) naming the file and the reason.
  // Only a regular file opens: a directory, FIFO, socket or device fails
  // here, before anything is read from it or written to it.
  FileStream(const std::string& path, FileMode mode);
  ~FileStream();

  // The stream, or null when `path` names no file (nothing, or a
  // directory): the existence test and the open in one. EFOpenError when it
  // names a file that cannot be opened.
  static std::unique_ptr<FileStream> OpenIfFile(const std::string& path, FileMode mode);
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Exactly `count` bytes or EReadError "Stream read error".
  void ReadBuffer(void* data, size_t count);
  // Exactly `count` bytes or EWriteError "Stream write error".
  void WriteBuffer(const void* data, size_t count);

  uint64_t Position() const { return position_; }
  // A position past the end is fine: the next write fills the gap with zeros.
  void SetPosition(uint64_t position) { position_ = position; }
  // The size the file has (a stream opened for reading: had when opened),
  // without moving the position.
  uint64_t Size() const { return end_; }

  // Exactly `count` bytes at `offset`, read past the buffer without moving
  // the position, or EReadError. Safe from several threads at once while
  // nothing else uses the stream.
  void ReadAt(uint64_t offset, void* data, size_t count) const;
  // The same, but fewer bytes where the file ends first: how many were read.
  size_t ReadAtMost(uint64_t offset, void* data, size_t count) const;

  // Appends `count` bytes from `source`'s position at this stream's position,
  // advancing both. When `source` runs out first, the target keeps the whole
  // kCopyChunkSize chunks read and the copy fails with EReadError.
  void CopyFrom(FileStream& source, uint64_t count);

  // Copies `source`'s bytes from its position on, back to back, to the
  // `segments` of this stream, which follow one another with gaps that read
  // as zeros, and moves both positions past the end; the stream must end at
  // or before the first segment. Short pieces travel together: one read
  // fills many of them in the write buffer. When `source` runs out first,
  // the segments copied whole stay and the copy fails with EReadError.
  void CopyScattered(FileStream& source, const CopySegment* segments, size_t count);

  // Writes what is buffered and closes; EWriteError when that fails.
  void Close();

  // Empties the file, dropping whatever is buffered, and moves to its start;
  // EFCreateError when the system refuses.
  void Empty();

  // Whether `path` names this very file, links followed; false when it names
  // nothing.
  bool IsSameFileAs(const std::string& path) const;

  // False only when no other name can reach this file: it has one link and
  // was opened by a path that passes through no symbolic link. Where that
  // holds, no other path can name it without a symbolic link of its own.
  bool MayHaveOtherNames() const;

 private:
  FileStream(const std::string& path, intptr_t file, uint64_t size);
  uint64_t Remaining() const { return end_ > position_ ? end_ - position_ : 0; }
  size_t ScatterFromSource(FileStream& source, const CopySegment* segments, size_t count);
  uint64_t Transfer(FileStream& source, uint64_t count);
  char* ReserveAppend(size_t count);
  void CommitAppend(size_t count);
  void DiscardFrom(uint64_t end);
  size_t CachedAt(uint64_t position) const;
  void FillCache();
  void Flush();
  void EnsureBuffer(size_t size);
  void PlaceBuffer(uint64_t file_position, size_t skew);

  std::string path_;
  intptr_t file_;
  uint64_t position_ = 0;
  uint64_t end_ = 0;  // file size, counting what waits in the buffer
  // Holds either data not yet written (pending_) or data read ahead; left
  // uninitialized, since only what was put there is ever used.
  std::unique_ptr<char[]> buffer_;
  char* data_ = nullptr;  // where in buffer_ the buffered bytes start
  size_t buffer_size_ = 0;
  uint64_t buffer_start_ = 0;  // file position of buffer_[0]
  size_t buffer_used_ = 0;
  bool pending_ = false;
};

#endif  // FSDPACK_PLATFORM_FILE_STREAM_H_
