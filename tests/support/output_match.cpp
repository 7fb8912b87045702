#include "support/output_match.h"

#include <cctype>
#include <sstream>

namespace {

constexpr const char kTimestampMark[] = "{TS}";
constexpr std::size_t kTimestampMarkLength = sizeof kTimestampMark - 1;
constexpr const char kTimestampShape[] = "dddd-dd-dd dd:dd:dd";
constexpr std::size_t kTimestampLength = sizeof kTimestampShape - 1;

bool IsTimestampAt(const std::string& text, std::size_t at) {
  if (text.size() < at + kTimestampLength) return false;
  for (std::size_t i = 0; i < kTimestampLength; ++i) {
    const char shape = kTimestampShape[i];
    const auto c = static_cast<unsigned char>(text[at + i]);
    if (shape == 'd' ? !std::isdigit(c) : static_cast<char>(c) != shape) return false;
  }
  return true;
}

}  // namespace

bool LineMatches(const std::string& actual, const std::string& expected) {
  std::size_t a = 0;
  std::size_t e = 0;
  while (e < expected.size()) {
    if (expected.compare(e, kTimestampMarkLength, kTimestampMark) == 0) {
      if (!IsTimestampAt(actual, a)) return false;
      a += kTimestampLength;
      e += kTimestampMarkLength;
      continue;
    }
    if (a >= actual.size() || actual[a] != expected[e]) return false;
    ++a;
    ++e;
  }
  return a == actual.size();
}

std::string DescribeMismatch(const std::vector<std::string>& actual,
                             const std::vector<std::string>& expected) {
  std::ostringstream description;
  const std::size_t common = std::min(actual.size(), expected.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (!LineMatches(actual[i], expected[i])) {
      description << "line " << i + 1 << " differs:\n  actual:   " << actual[i]
                  << "\n  expected: " << expected[i];
      break;
    }
  }
  if (description.str().empty() && actual.size() != expected.size()) {
    description << "line count " << actual.size() << ", expected " << expected.size();
  }
  if (!description.str().empty()) {
    description << "\nwhole output:\n";
    for (const std::string& line : actual) description << "  | " << line << "\n";
  }
  return description.str();
}

std::vector<std::string> LinesBetween(const std::vector<std::string>& lines,
                                      const std::string& first, const std::string& last) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != first) continue;
    for (std::size_t j = i; j < lines.size(); ++j) {
      if (lines[j] == last) return {lines.begin() + static_cast<long>(i),
                                    lines.begin() + static_cast<long>(j) + 1};
    }
    return {};
  }
  return {};
}
