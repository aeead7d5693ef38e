#ifndef FSDPACK_PLATFORM_DIRECTORY_H_
#define FSDPACK_PLATFORM_DIRECTORY_H_

#include <stddef.h>

#include <functional>
#include <string>

// How much of `path` names its directory: the length up to and including the
// last separator ("/"; on Windows also "\" and the ":" of a drive), 0 when
// the path is a bare name in the current directory.
size_t DirectoryPartLength(const std::string& path);

// Calls `visit` with every name in the directory that `directory_part` (as
// DirectoryPartLength cuts it; empty for the current directory) names, files
// and others alike, and whether it may be a link (a symbolic link, a
// junction, or an entry whose kind the listing does not tell). False when it
// cannot be listed completely.
bool ListDirectory(const std::string& directory_part,
                   const std::function<void(const std::string& name, bool may_be_link)>& visit);

#endif  // FSDPACK_PLATFORM_DIRECTORY_H_
