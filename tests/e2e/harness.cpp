#include "e2e/harness.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>

#include "app/banner.h"
#include "app/unscramble.h"
#include "archive/hex.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

std::string NativePath(std::string path) {
  for (char& c : path)
    if (c == '/') c = kPathSeparator[0];
  return path;
}

std::string ReplaceEvery(std::string text, const std::string& from,
                         const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string MaskAddress(const std::string& report) {
  static const std::regex address("( in module [^ ]+ at )[0-9A-F]{8}\\.");
  return std::regex_replace(report, address, "$1########.",
                            std::regex_constants::format_first_only);
}

// Names what differs between two sets of files, briefly enough to read.
std::string DescribeDifferences(const std::map<std::string, std::string>& expected,
                                const std::map<std::string, std::string>& actual) {
  std::string report;
  for (const auto& [path, bytes] : expected) {
    auto found = actual.find(path);
    if (found == actual.end()) {
      report += "missing: " + path + "\n";
    } else if (found->second != bytes) {
      size_t at = 0;
      while (at < bytes.size() && at < found->second.size() &&
             bytes[at] == found->second[at])
        ++at;
      report += "differs: " + path + " (" + std::to_string(found->second.size()) +
                " bytes, expected " + std::to_string(bytes.size()) +
                "; first difference at " + std::to_string(at) + ")\n";
    }
  }
  for (const auto& [path, bytes] : actual)
    if (expected.count(path) == 0) report += "unexpected: " + path + "\n";
  return report;
}

}  // namespace

std::string ToolPath(Tool tool) {
  return tool == Tool::kFsdpack ? FSDPACK_EXECUTABLE : FSDUNPACK_EXECUTABLE;
}

std::string BannerLine(Tool tool) {
  return (tool == Tool::kFsdpack ? Unscramble(kBannerKey, StoredBanner())
                                 : std::string(kUnpackBanner)) +
         "\r\n";
}

std::string Listing(const std::vector<std::pair<uint32_t, uint32_t>>& lines) {
  std::string text;
  for (const auto& [offset, length] : lines)
    text += FormatHex(offset, 8) + "|" + FormatHex(length, 8) + "\r\n";
  return text;
}

std::string Report(const std::string& kind, const std::string& message, Tool tool) {
  std::string module = tool == Tool::kFsdpack ? "fsdpack" : "fsdunpack";
  return "Exception " + kind + " in module " + module + kExecutableSuffix +
         " at ########.\r\n" + message + ".\r\n\r\n";
}

std::string CannotOpen(const std::string& path, SystemError error) {
  return "Cannot open file \"{dir}" + NativePath("/" + path) + "\". " + TextOf(error);
}

std::string CannotCreate(const std::string& path, SystemError error) {
  return "Cannot create file \"{dir}" + NativePath("/" + path) + "\". " +
         TextOf(error);
}

void CheckCase(const Case& c) {
  SCOPED_TRACE(c.name);
  ScratchDir dir;
  for (const TestFile& file : c.files) WriteBytes(dir / file.path, file.bytes);
  if (!c.no_new_dir) fs::create_directories(dir / "new");
  if (c.setup) c.setup(dir);
  std::map<std::string, std::string> before = SnapshotFiles(dir.path());

  std::vector<std::unique_ptr<FileHold>> holds;
  for (const std::string& path : c.held) holds.push_back(std::make_unique<FileHold>(dir / path));
  RunResult result = RunProgram(ToolPath(c.tool), c.arguments, dir.path(), c.options);
  holds.clear();

  if (c.options.stdout_to == StdoutTo::kCapture) {
    EXPECT_EQ(result.out, BannerLine(c.tool) + c.out);
  }
  EXPECT_EQ(MaskAddress(result.err),
            ReportBytes(ReplaceEvery(c.err, "{dir}", dir.path().u8string())));
  EXPECT_EQ(result.status, c.err.empty() ? 0 : 1);

  std::map<std::string, std::string> expected = before;
  for (const TestFile& file : c.written) expected[file.path] = file.bytes;
  std::string differences = DescribeDifferences(expected, SnapshotFiles(dir.path()));
  EXPECT_EQ(differences, "");
}

std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

TEST_P(EndToEnd, Outcome) { CheckCase(GetParam()); }
