#include "db/ascii_text.h"

namespace {

char LowerCaseAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string LowerCaseAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerCaseAscii(c);
  return lower;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerCaseWord) {
  return text.size() >= lowerCaseWord.size() &&
         LowerCaseAscii(text.substr(0, lowerCaseWord.size())) == lowerCaseWord;
}
