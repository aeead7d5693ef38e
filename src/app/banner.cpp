#include "app/banner.h"

#include "app/unscramble.h"

// FSDPACK_VERSION comes from the build, the project's one version.
#ifndef FSDPACK_VERSION
#error "FSDPACK_VERSION must be defined by the build"
#endif

const uint8_t kBannerKey = 0xA7;

namespace {
// Only the scrambled form is stored: the plain text is never named.
constexpr auto kStoredBanner = Scramble(0xA7, "fsdpack " FSDPACK_VERSION " 2026");
// The first line has always been 18 characters; a version of another length
// needs another text here.
static_assert(kStoredBanner.size() == 18, "fsdpack's banner is 18 characters");
}  // namespace

std::string StoredBanner() {
  return std::string(kStoredBanner.data(), kStoredBanner.size());
}

const char kUnpackBanner[] = "fsdunpack " FSDPACK_VERSION " 2026";
const char kUnpackUsage[] = "Usage: fsdunpack ARCHIVE.fsd";
