#include "scripts/script_text.h"

std::string_view TrimmedView(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlankSet);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlankSet);
  return text.substr(first, last - first + 1);
}

void Trim(std::string& text) {
  const std::size_t last = text.find_last_not_of(kBlankSet);
  if (last == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(kBlankSet));
}

std::string Trimmed(std::string_view text) {
  return std::string(TrimmedView(text));
}
