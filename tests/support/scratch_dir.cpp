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

ScratchDir::~ScratchDir() { RemoveTree(path_); }

void WriteBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.u8string());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.u8string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}
