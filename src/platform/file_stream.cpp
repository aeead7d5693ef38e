#include "platform/file_stream.h"

#include <string.h>

#include <algorithm>

#include "platform/failure.h"
#include "platform/file_native.h"

namespace {

// Large enough that a run of small entries costs a few system calls per
// megabyte rather than one per entry.
constexpr size_t kBufferSize = 1 << 20;

// Copies at least this long go through the kernel's own copy where it has
// one, if source and target lie alike within their pages: elsewhere that
// copy goes page by page and is slower than a read and a write.
constexpr uint64_t kKernelCopyMinimum = 256 << 10;
constexpr uint64_t kPageSize = 4096;

// Where in a page the buffer's bytes lie, against where they lie in the
// file. A copy between two addresses a little apart modulo a page runs at a
// fraction of its speed (loads alias the stores just made), so reads ahead
// and writes keep their data half a page and a quarter page off the file's
// page offsets, away from the file and from each other.
constexpr size_t kReadAheadSkew = 1024;
constexpr size_t kWriteSkew = 2048;

// Cleared the first time the kernel refuses a copy, so that a file system
// without it costs one failed call per run, not one per entry.
bool kernel_copy_usable = true;

}  // namespace

bool FileExists(const std::string& path) { return NativeIsFile(path); }

bool NameExists(const std::string& path) { return NativeNameExists(path); }

FileStream::FileStream(const std::string& path, FileMode mode)
    : path_(path), file_(kNoFile) {
  uint64_t size = 0;
  int error = NativeOpen(path, mode, &file_, &size);
  if (error != 0) {
    RaiseFileError(mode == FileMode::kOpenOrCreate ? ErrorKind::EFCreateError
                                                   : ErrorKind::EFOpenError,
                   path, error);
  }
  end_ = size;
}

FileStream::FileStream(const std::string& path, intptr_t file, uint64_t size)
    : path_(path), file_(file), end_(size) {}

std::unique_ptr<FileStream> FileStream::OpenIfFile(const std::string& path, FileMode mode) {
  intptr_t file = kNoFile;
  uint64_t size = 0;
  int error = NativeOpen(path, mode, &file, &size);
  if (error == 0) return std::unique_ptr<FileStream>(new FileStream(path, file, size));
  // An error that does not tell (no right to search a directory on the way,
  // say) is decided by the existence test, as if it had come first.
  if (NativeErrorMeansNoFile(error) || !NativeIsFile(path)) return nullptr;
  RaiseFileError(ErrorKind::EFOpenError, path, error);
}

FileStream::~FileStream() {
  if (file_ == kNoFile) return;
  // Only reached without Close() on the way out of a failure: keep what was
  // written before it, and let the first failure be the one reported.
  try {
    Flush();
  } catch (const Failure&) {
  }
  NativeClose(file_);
}

void FileStream::Close() {
  if (file_ == kNoFile) return;
  Flush();
  NativeClose(file_);
  file_ = kNoFile;
}

void FileStream::Empty() {
  // Only a file that holds something is truncated: some file systems (ext4)
  // take a truncation to zero as a file being replaced and write it out
  // when it is closed.
  int error = end_ > 0 ? NativeTruncate(file_, 0) : 0;
  if (error != 0) RaiseFileError(ErrorKind::EFCreateError, path_, error);
  end_ = 0;
  position_ = 0;
  buffer_used_ = 0;
}

bool FileStream::IsSameFileAs(const std::string& path) const {
  return NativeIsSameFile(file_, path);
}

bool FileStream::MayHaveOtherNames() const {
  return NativeMayHaveOtherNames(file_, path_);
}

void FileStream::EnsureBuffer(size_t size) {
  if (buffer_size_ >= size) return;
  buffer_.reset(new char[size + kPageSize]);
  buffer_size_ = size;
  data_ = buffer_.get();
}

void FileStream::PlaceBuffer(uint64_t file_position, size_t skew) {
  uintptr_t address = reinterpret_cast<uintptr_t>(buffer_.get());
  data_ = buffer_.get() + (file_position + skew - address) % kPageSize;
}

size_t FileStream::CachedAt(uint64_t position) const {
  if (pending_ || position < buffer_start_ ||
      position >= buffer_start_ + buffer_used_)
    return 0;
  return static_cast<size_t>(buffer_start_ + buffer_used_ - position);
}

void FileStream::FillCache() {
  Flush();
  pending_ = false;
  buffer_start_ = position_;
  buffer_used_ = 0;
  if (position_ >= end_) return;
  // A small file needs no more buffer than it has bytes.
  if (buffer_size_ == 0)
    EnsureBuffer(static_cast<size_t>(std::min<uint64_t>(kBufferSize, end_)));
  PlaceBuffer(buffer_start_, kReadAheadSkew);
  while (buffer_used_ < buffer_size_) {
    int64_t got = NativeReadAt(file_, data_ + buffer_used_,
                               buffer_size_ - buffer_used_,
                               buffer_start_ + buffer_used_);
    if (got <= 0) break;
    buffer_used_ += static_cast<size_t>(got);
  }
}

size_t FileStream::ReadAtMost(uint64_t offset, void* data, size_t count) const {
  char* out = static_cast<char*>(data);
  size_t done = 0;
  while (done < count) {
    int64_t got = NativeReadAt(file_, out + done, count - done, offset + done);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

void FileStream::ReadAt(uint64_t offset, void* data, size_t count) const {
  if (ReadAtMost(offset, data, count) != count) Raise(ErrorKind::EReadError, kStreamReadError);
}

void FileStream::ReadBuffer(void* data, size_t count) {
  char* out = static_cast<char*>(data);
  while (count > 0) {
    size_t cached = CachedAt(position_);
    if (cached == 0) {
      FillCache();
      cached = CachedAt(position_);
      if (cached == 0) Raise(ErrorKind::EReadError, kStreamReadError);
    }
    size_t n = std::min(count, cached);
    memcpy(out, data_ + (position_ - buffer_start_), n);
    out += n;
    count -= n;
    position_ += n;
  }
}

void FileStream::Flush() {
  if (!pending_ || buffer_used_ == 0) return;
  const char* data = data_;
  size_t left = buffer_used_;
  uint64_t at = buffer_start_;
  // Whatever happens, this data is not offered again.
  buffer_used_ = 0;
  while (left > 0) {
    int64_t put = NativeWriteAt(file_, data, left, at);
    if (put <= 0) Raise(ErrorKind::EWriteError, kStreamWriteError);
    data += put;
    left -= static_cast<size_t>(put);
    at += static_cast<uint64_t>(put);
  }
}

char* FileStream::ReserveAppend(size_t count) {
  if (!pending_) {
    // Read-ahead is dropped: what this stream writes may change it.
    pending_ = true;
    buffer_used_ = 0;
    EnsureBuffer(kBufferSize);
  }
  uint64_t buffered_end = buffer_start_ + buffer_used_;
  if (buffer_used_ > 0 && position_ != buffered_end) {
    // A gap past the end of the file reads as zeros, so the zeros can travel
    // in the same write as the data after them; any other jump writes first.
    uint64_t gap = position_ - buffered_end;
    if (position_ > buffered_end && buffered_end == end_ &&
        gap + count <= buffer_size_ - buffer_used_) {
      memset(data_ + buffer_used_, 0, static_cast<size_t>(gap));
      buffer_used_ += static_cast<size_t>(gap);
    } else {
      Flush();
    }
  }
  if (count > buffer_size_ - buffer_used_) Flush();
  if (buffer_used_ == 0) {
    buffer_start_ = position_;
    PlaceBuffer(buffer_start_, kWriteSkew);
  }
  return data_ + buffer_used_;
}

void FileStream::CommitAppend(size_t count) {
  buffer_used_ += count;
  position_ += count;
  end_ = std::max(end_, position_);
}

void FileStream::WriteBuffer(const void* data, size_t count) {
  const char* in = static_cast<const char*>(data);
  while (count > 0) {
    size_t n = std::min(count, kBufferSize);
    memcpy(ReserveAppend(n), in, n);
    CommitAppend(n);
    in += n;
    count -= n;
  }
}

void FileStream::CopyFrom(FileStream& source, uint64_t count) {
  uint64_t available = source.Remaining();
  uint64_t whole = count <= available
                       ? count
                       : available - available % kCopyChunkSize;
  uint64_t start = position_;
  uint64_t end_before = end_;
  uint64_t copied = Transfer(source, whole);
  if (copied < whole) {
    // The source shrank while it was read: keep only the whole chunks.
    uint64_t kept = copied - copied % kCopyChunkSize;
    DiscardFrom(kept > 0 ? start + kept : end_before);
  }
  if (copied < count) Raise(ErrorKind::EReadError, kStreamReadError);
}

uint64_t FileStream::Transfer(FileStream& source, uint64_t count) {
  uint64_t moved = 0;
  while (moved < count) {
    uint64_t left = count - moved;
    size_t cached = source.CachedAt(source.position_);
    if (cached > 0) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(
          std::min<uint64_t>(left, cached), kBufferSize));
      memcpy(ReserveAppend(n),
             source.data_ + (source.position_ - source.buffer_start_),
             n);
      CommitAppend(n);
      source.position_ += n;
      moved += n;
      continue;
    }
    if (left >= kKernelCopyMinimum && kernel_copy_usable &&
        (source.position_ - position_) % kPageSize == 0) {
      Flush();
      int64_t n = NativeCopy(source.file_, source.position_, file_, position_,
                             left);
      if (n > 0) {
        source.position_ += static_cast<uint64_t>(n);
        position_ += static_cast<uint64_t>(n);
        end_ = std::max(end_, position_);
        moved += static_cast<uint64_t>(n);
        continue;
      }
      // Some file systems report 0 where they cannot copy: only a read can
      // tell that from the end of the source.
      if (n < 0) kernel_copy_usable = false;
    }
    if (left >= kBufferSize / 2 || left >= source.Remaining()) {
      // Large pieces, and the last piece of a source, go straight from the
      // source into this stream's buffer: reading ahead would gain nothing.
      size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBufferSize));
      char* to = ReserveAppend(want);
      int64_t got = NativeReadAt(source.file_, to, want, source.position_);
      if (got <= 0) return moved;
      CommitAppend(static_cast<size_t>(got));
      source.position_ += static_cast<uint64_t>(got);
      moved += static_cast<uint64_t>(got);
      continue;
    }
    source.FillCache();
    if (source.CachedAt(source.position_) == 0) return moved;
  }
  return moved;
}

void FileStream::CopyScattered(FileStream& source, const CopySegment* segments,
                               size_t count) {
  size_t done = 0;
  while (done < count) {
    const CopySegment& segment = segments[done];
    if (segment.length >= kKernelCopyMinimum) {
      // Long enough to go by itself, through the kernel where it can.
      position_ = segment.at;
      CopyFrom(source, segment.length);
      ++done;
    } else {
      done += ScatterFromSource(source, segments + done, count - done);
    }
  }
}

size_t FileStream::ScatterFromSource(FileStream& source, const CopySegment* segments,
                                     size_t count) {
  position_ = segments[0].at;
  char* first = ReserveAppend(static_cast<size_t>(segments[0].length));
  uint64_t first_at = segments[0].at;
  size_t room = buffer_size_ - buffer_used_;
  NativeSlice slices[kMaxSlices];
  size_t taken = 0;
  uint64_t end = first_at;  // of the segments taken, in the file
  while (taken < count && taken < kMaxSlices) {
    const CopySegment& segment = segments[taken];
    if (segment.length >= kKernelCopyMinimum ||
        segment.at + segment.length - first_at > room)
      break;
    memset(first + (end - first_at), 0, static_cast<size_t>(segment.at - end));
    slices[taken] = {first + (segment.at - first_at), static_cast<size_t>(segment.length)};
    end = segment.at + segment.length;
    ++taken;
  }
  uint64_t got = NativeReadScattered(source.file_, slices, taken, source.position_);
  // Keep the segments that arrived whole.
  size_t whole = 0;
  uint64_t kept = 0;
  while (whole < taken && kept + slices[whole].size <= got) kept += slices[whole++].size;
  uint64_t kept_end = whole == 0 ? first_at : segments[whole - 1].at + segments[whole - 1].length;
  if (whole > 0) {
    buffer_used_ += static_cast<size_t>(kept_end - first_at);
    position_ = kept_end;
    end_ = std::max(end_, position_);
  } else {
    // Nor the zeros laid down before the first of them.
    buffer_used_ = static_cast<size_t>(std::max(end_, buffer_start_) - buffer_start_);
  }
  source.position_ += kept;
  if (whole < taken) Raise(ErrorKind::EReadError, kStreamReadError);
  return taken;
}

void FileStream::DiscardFrom(uint64_t end) {
  // Appends go to the tail, so nothing past a non-empty buffer's start has
  // reached the file yet.
  if (pending_ && buffer_used_ > 0 && end >= buffer_start_) {
    buffer_used_ = std::min<size_t>(buffer_used_,
                                    static_cast<size_t>(end - buffer_start_));
  } else {
    buffer_used_ = 0;
    if (NativeTruncate(file_, end) != 0)
      Raise(ErrorKind::EWriteError, kStreamWriteError);
  }
  end_ = end;
  position_ = end;
}
