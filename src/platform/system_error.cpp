#include "platform/system_error.h"

std::string TrimErrorText(std::string text) {
  while (!text.empty()) {
    char last = text.back();
    if (last != ' ' && last != '\t' && last != '\r' && last != '\n' &&
        last != '.')
      break;
    text.pop_back();
  }
  return text;
}
