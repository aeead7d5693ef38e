#ifndef FSDPACK_TESTS_E2E_HARNESS_H_
#define FSDPACK_TESTS_E2E_HARNESS_H_

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"

enum class Tool { kFsdpack, kFsdunpack };

struct TestFile {
  std::string path;  // relative, with "/" separators
  std::string bytes;
};

// One run of the real fsdpack (or fsdunpack) in a fresh directory that holds
// `files` and, unless `no_new_dir`, an empty directory "new".
struct Case {
  std::string name;
  Tool tool = Tool::kFsdpack;
  std::vector<TestFile> files;
  std::vector<std::string> arguments;
  // Standard output after the banner line.
  std::string out;
  // Standard error; "{dir}" stands for the run's directory and the report's
  // code address is compared as "########". Empty: exit status 0, else 1.
  std::string err;
  // Every file the run creates or changes, with its bytes; all other files
  // must be left as they were.
  std::vector<TestFile> written;
  bool no_new_dir = false;
  std::function<void(const ScratchDir&)> setup;  // more preparation
  std::vector<std::string> held;  // files held open by another process meanwhile
  RunOptions options;
};

// Names a case in test output.
inline void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string ToolPath(Tool tool = Tool::kFsdpack);
std::string BannerLine(Tool tool = Tool::kFsdpack);

// "00000100|000000C0" lines, each with CR LF.
std::string Listing(const std::vector<std::pair<uint32_t, uint32_t>>& lines);

// The failure report as the tool writes it.
std::string Report(const std::string& kind, const std::string& message,
                   Tool tool = Tool::kFsdpack);
// "Cannot open file "<full path>". <text>" for a path below the run's directory.
std::string CannotOpen(const std::string& path, SystemError error);
std::string CannotCreate(const std::string& path, SystemError error);

// Runs the case and checks every byte of its outcome.
void CheckCase(const Case& c);

// The suite every table of cases instantiates:
//   INSTANTIATE_TEST_SUITE_P(Name, EndToEnd, testing::ValuesIn(cases), CaseName);
class EndToEnd : public testing::TestWithParam<Case> {};
std::string CaseName(const testing::TestParamInfo<Case>& info);

#endif  // FSDPACK_TESTS_E2E_HARNESS_H_
