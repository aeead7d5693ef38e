#include "platform/paths.h"

#include <vector>

std::string LexicalFullPath(const std::string& cwd, const std::string& path) {
  std::string joined = !path.empty() && path[0] == '/' ? path : cwd + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  if (result.empty()) return "/";
  if (joined.back() == '/') result += "/";
  return result;
}
