#include "app/banner.h"
#include "app/console_flow.h"
#include "archive/extract.h"

// fsdunpack: takes every entry of an archive out under the name fsdpack
// reads it back from.
int main(int argc, char** argv) {
  return RunConsoleTool(argc, argv, kUnpackBanner, kUnpackUsage, ExtractArchive);
}
