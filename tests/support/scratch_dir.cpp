#include "support/scratch_dir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::random_device random;
  fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = base / ("fsdpack-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      // The canonical form, so that expected full paths match what the tool
      // resolves from its current directory.
      path_ = fs::canonical(candidate);
      return;
    }
  }
  throw std::runtime_error("no scratch directory");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Make everything removable again before removing it.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
  }
  fs::remove_all(path_, ignored);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
