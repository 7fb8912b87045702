#pragma once
// Whole-line comparison of a program's output, and the line helpers that the tests share.

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

/// Splits text at line feeds; a last line without one still counts.
inline Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline Lines Concat(const std::vector<Lines>& parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

/// The last `count` lines, or all of them when there are fewer.
inline Lines LastLines(const Lines& lines, std::size_t count) {
  return Lines(lines.end() - static_cast<long>(std::min(count, lines.size())), lines.end());
}

/// The lines that match the regular expression, in order.
inline Lines LinesMatching(Lines lines, const std::string& pattern) {
  std::erase_if(lines,
                [&](const std::string& line) { return !regex_match(line, std::regex(pattern)); });
  return lines;
}

/// The lines with every timestamp "YYYY-MM-DD HH:MM:SS" replaced by "{TS}".
inline Lines MaskTimestamps(Lines lines) {
  static const std::regex timestamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  for (std::string& line : lines) line = std::regex_replace(line, timestamp, "{TS}");
  return lines;
}
