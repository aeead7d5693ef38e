#ifndef FSDPACK_PLATFORM_PATHS_H_
#define FSDPACK_PLATFORM_PATHS_H_

#include <string>

// The separator that joins a directory and a name: "/" on POSIX, "\" on Windows.
extern const char kPathSeparator[];

// `path` resolved against the current directory, the way the failure
// messages name a file. Never fails: when the current directory is unknown
// the path is returned as given.
std::string FullPath(const std::string& path);

// `path` resolved lexically against the absolute directory `cwd`: ".", ".."
// and repeated "/" are folded, links are not followed, and a trailing "/"
// stays. An absolute `path` ignores `cwd`.
std::string LexicalFullPath(const std::string& cwd, const std::string& path);

#endif  // FSDPACK_PLATFORM_PATHS_H_
