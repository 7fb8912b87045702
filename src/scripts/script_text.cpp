#include "scripts/script_text.h"

#include <cctype>

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

std::string ToLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& character : lower) {
    character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  }
  return lower;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerCaseWord) {
  if (text.size() < lowerCaseWord.size()) return false;
  for (std::size_t index = 0; index < lowerCaseWord.size(); ++index) {
    const int lower = std::tolower(static_cast<unsigned char>(text[index]));
    if (lower != static_cast<unsigned char>(lowerCaseWord[index])) return false;
  }
  return true;
}
