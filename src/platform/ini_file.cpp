#include "platform/ini_file.h"

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool IsComment(std::string_view line) {
  return line.front() == ';' || line.front() == '#';
}

bool IsSectionHeader(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string_view UnquoteValue(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

/// Adds the entry of a name=value line, unless the name already has one.
void AddEntry(std::string_view line, IniSection& section) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view name = TrimBlanks(line.substr(0, equals));
  const std::string_view value = UnquoteValue(TrimBlanks(line.substr(equals + 1)));
  section.emplace(std::string(name), std::string(value));
}

}  // namespace

std::optional<IniSection> FindIniSection(std::string_view text, std::string_view sectionName) {
  std::optional<IniSection> found;
  bool inSection = false;
  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = TrimBlanks(text.substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
    if (line.empty() || IsComment(line)) continue;
    if (IsSectionHeader(line)) {
      inSection = line.substr(1, line.size() - 2) == sectionName;
      if (inSection && !found) found.emplace();
      continue;
    }
    if (inSection) AddEntry(line, *found);
  }
  return found;
}
