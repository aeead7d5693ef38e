#include <dirent.h>
#include <errno.h>

#include "platform/directory.h"

size_t DirectoryPartLength(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

bool ListDirectory(const std::string& directory_part,
                   const std::function<void(const std::string& name, bool may_be_link)>& visit) {
#if !FSDPACK_FAST_PATHS
  // The reference build tests every replacement name on its own.
  (void)directory_part, (void)visit;
  return false;
#else
  DIR* directory = opendir(directory_part.empty() ? "." : directory_part.c_str());
  if (directory == nullptr) return false;
  errno = 0;
  while (const struct dirent* entry = readdir(directory))
    visit(entry->d_name, entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN);
  bool complete = errno == 0;
  closedir(directory);
  return complete;
#endif
}
