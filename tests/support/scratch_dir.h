#ifndef FSDPACK_TESTS_SUPPORT_SCRATCH_DIR_H_
#define FSDPACK_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <filesystem>
#include <map>
#include <string>

// A fresh, empty directory for one test, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& relative) const {
    return path_ / std::filesystem::u8path(relative);
  }

 private:
  std::filesystem::path path_;
};

// Writes `bytes` to `path`, creating the directories on the way.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// Every regular file below `root` (links are not followed), by its path
// relative to `root` with "/" separators in UTF-8, with its bytes. Files of
// any depth count, and files a test made unreadable are read all the same.
std::map<std::string, std::string> SnapshotFiles(const std::filesystem::path& root);

// Removes `root` and everything below it, at any depth, as far as it can.
void RemoveTree(const std::filesystem::path& root);

#endif  // FSDPACK_TESTS_SUPPORT_SCRATCH_DIR_H_
