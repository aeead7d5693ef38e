#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace {

TEST(Executable, HoldsTheBannerOnlyScrambled) {
  std::string banner = BannerLine().substr(0, BannerLine().size() - 2);
  ASSERT_EQ(banner.size(), 18u);
  std::string executable = ReadBytes(ToolPath());
  EXPECT_EQ(executable.find(banner), std::string::npos);
}

}  // namespace
