#include <filesystem>

#include "support/scratch_dir.h"

namespace fs = std::filesystem;

std::map<std::string, std::string> SnapshotFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(root);
       it != fs::recursive_directory_iterator(); ++it) {
    if (it->is_symlink() || !it->is_regular_file()) continue;
    // A file a test made unreadable is read with its owner's right restored
    // for a moment.
    fs::perms perms = it->status().permissions();
    fs::permissions(it->path(), perms | fs::perms::owner_read);
    files[fs::relative(it->path(), root).generic_u8string()] = ReadBytes(it->path());
    fs::permissions(it->path(), perms);
  }
  return files;
}

void RemoveTree(const fs::path& root) {
  std::error_code ignored;
  // Make everything removable again before removing it.
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root, ignored);
}
