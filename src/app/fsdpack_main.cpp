#include "app/banner.h"
#include "app/console_flow.h"
#include "app/unscramble.h"
#include "archive/rebuild.h"

// fsdpack: rebuilds an archive into "new", with replacement files in place
// of the entries they stand for.
int main(int argc, char** argv) {
  return RunConsoleTool(argc, argv, Unscramble(kBannerKey, StoredBanner()),
                        "Give me a archive!", RebuildArchive);
}
