#include "app/banner.h"

#include "app/unscramble.h"

const uint8_t kBannerKey = 0xA7;

namespace {
constexpr auto kStoredBanner = Scramble(0xA7, "fsdpack 1.0 (2026)");
}

std::string StoredBanner() {
  return std::string(kStoredBanner.data(), kStoredBanner.size());
}

const char kUnpackBanner[] = "fsdunpack 1.0 (2026)";
const char kUnpackUsage[] = "Usage: fsdunpack ARCHIVE.fsd";
