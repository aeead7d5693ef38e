#ifndef FSDPACK_ARCHIVE_HEX_H_
#define FSDPACK_ARCHIVE_HEX_H_

#include <stdint.h>

#include <string>

// Upper-case hexadecimal, left-padded with "0" to at least `digits` digits
// and never cut.
std::string FormatHex(uint32_t value, int digits);

// Appends exactly eight digits; the listing's hot path.
void AppendHex8(std::string* out, uint32_t value);

#endif  // FSDPACK_ARCHIVE_HEX_H_
