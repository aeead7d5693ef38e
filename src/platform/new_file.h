#ifndef FSDPACK_PLATFORM_NEW_FILE_H_
#define FSDPACK_PLATFORM_NEW_FILE_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

// A file that appears under its name complete or not at all. It is written
// unnamed (or under a temporary name) in the directory of its name, and
// Commit() gives it the name only if nothing has that name by then: an
// existing file, directory or link is never replaced. Dropped without
// Commit(), nothing of it remains.
class NewFile {
 public:
  // EFCreateError naming `path` when the file cannot be made.
  explicit NewFile(const std::string& path);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // All of `data`, or EWriteError "Stream write error".
  void Write(const void* data, size_t count);

  // True when the file now has its name; false when something else took the
  // name first, and the file is gone. EFCreateError when naming fails
  // otherwise, EWriteError when the last of the data cannot be written.
  bool Commit();

 private:
  void Discard();

  std::string path_;
  std::string temporary_;  // the name it is written under; empty: unnamed
  intptr_t file_;
};

// Makes new files take the way through a temporary name, where the system
// would make them unnamed: the way file systems without unnamed files take,
// which tests exercise through this.
void UseTemporaryNamesForNewFiles(bool always);

#endif  // FSDPACK_PLATFORM_NEW_FILE_H_
