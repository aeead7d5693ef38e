#ifndef FSDPACK_APP_BANNER_H_
#define FSDPACK_APP_BANNER_H_

#include <stdint.h>

#include <string>

// The first line of every run, kept only scrambled in the executable:
// Unscramble(kBannerKey, StoredBanner()) is its plain text. It lives in a unit
// of its own so that no optimizer folds the two back into plain text.
extern const uint8_t kBannerKey;
std::string StoredBanner();

#endif  // FSDPACK_APP_BANNER_H_
