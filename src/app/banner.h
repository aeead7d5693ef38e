#ifndef FSDPACK_APP_BANNER_H_
#define FSDPACK_APP_BANNER_H_

#include <stdint.h>

#include <string>

// The first line of every run, kept only scrambled in the executable:
// Unscramble(kBannerKey, StoredBanner()) is its plain text. It lives in a unit
// of its own so that no optimizer folds the two back into plain text.
extern const uint8_t kBannerKey;
std::string StoredBanner();

// fsdunpack's first line, and its line for a run without an argument.
extern const char kUnpackBanner[];
extern const char kUnpackUsage[];

#endif  // FSDPACK_APP_BANNER_H_
