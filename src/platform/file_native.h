#ifndef FSDPACK_PLATFORM_FILE_NATIVE_H_
#define FSDPACK_PLATFORM_FILE_NATIVE_H_

// The operating system's file primitives beneath FileStream, one
// implementation per OS. Errors come back as the system's error code.

#include <stdint.h>

#include <string>

#include "platform/file_stream.h"

constexpr intptr_t kNoFile = -1;

bool NativeIsFile(const std::string& path);
bool NativeNameExists(const std::string& path);

// Opens the regular file `path` without sharing. Returns 0 and sets `file`
// and `size`, or returns the system error code. Nothing is emptied here.
int NativeOpen(const std::string& path, FileMode mode, intptr_t* file,
               uint64_t* size);
void NativeClose(intptr_t file);

// Whether an open that failed with `error` proves that the name holds no
// file, so that no separate existence test is needed.
bool NativeErrorMeansNoFile(int error);

bool NativeIsSameFile(intptr_t file, const std::string& path);
// `path` is the name `file` was opened by.
bool NativeMayHaveOtherNames(intptr_t file, const std::string& path);

// One transfer of at most `count` bytes at `offset`, retried when interrupted:
// the bytes moved, 0 at the end of the file, -1 on error.
int64_t NativeReadAt(intptr_t file, void* data, size_t count, uint64_t offset);
int64_t NativeWriteAt(intptr_t file, const void* data, size_t count,
                      uint64_t offset);

// One slice of memory that a scattered read fills.
struct NativeSlice {
  char* data;
  size_t size;
};
// Fills `slices`, in order, from the file's consecutive bytes at `offset`,
// retrying partial reads: the bytes read, fewer only at the end of the file
// or on an error. The slices lie in one buffer, in increasing order, and the
// gaps between them are zeros before and after. At most kMaxSlices at a time.
constexpr size_t kMaxSlices = 1024;
uint64_t NativeReadScattered(intptr_t file, const NativeSlice* slices, size_t count,
                             uint64_t offset);
// 0, or the system error code.
int NativeTruncate(intptr_t file, uint64_t size);

// Copies inside the kernel, without the data passing through this process:
// the bytes copied, 0 when the source has none left at `from_offset`, or -1
// when the system cannot do it for these files (the caller then reads and
// writes instead, which also tells a real failure's side).
int64_t NativeCopy(intptr_t from, uint64_t from_offset, intptr_t to,
                   uint64_t to_offset, uint64_t count);

#endif  // FSDPACK_PLATFORM_FILE_NATIVE_H_
