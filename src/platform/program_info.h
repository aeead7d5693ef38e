#ifndef FSDPACK_PLATFORM_PROGRAM_INFO_H_
#define FSDPACK_PLATFORM_PROGRAM_INFO_H_

#include <stdint.h>

#include <string>

// The executable's own file name, without its directory.
std::string ProgramFileName();

// `code` as an offset from the start of the executable image that holds it,
// as tools like addr2line take it; 0 when it cannot be had.
uint32_t ImageRelativeAddress(const void* code);

#endif  // FSDPACK_PLATFORM_PROGRAM_INFO_H_
