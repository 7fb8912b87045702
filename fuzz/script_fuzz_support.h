#pragma once

#include <cstddef>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "scripts/recording_executor.h"
#include "scripts/script_line_reader.h"
#include "scripts/script_text.h"

/// What a script runner sent to the recording executor, and the failure that left it, if any.
struct ScriptOutcome {
  std::vector<std::string> attempted;
  std::vector<std::string> executed;
  std::optional<std::string> failure;

  bool operator==(const ScriptOutcome&) const = default;
};

inline constexpr std::string_view kRecordedFailure = "recorded failure";
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
inline constexpr const char* kFuzzScriptPath = "Upgrade-v2015-to-v2016\\fuzz\\script.sql";

/// Runs `run(reader, executor)` on the script text, with an executor that fails at statement
/// `failAt` (never when 0). A std::runtime_error that leaves the runner is kept in the outcome;
/// anything else escaping is a fault.
template <typename Run>
ScriptOutcome RunScriptText(std::string_view script, std::size_t failAt, Run&& run) {
  std::istringstream stream{std::string(script)};
  ScriptLineReader reader(stream, kFuzzScriptPath);
  RecordingExecutor executor(failAt, std::string(kRecordedFailure));
  ScriptOutcome outcome;
  try {
    run(reader, executor);
  } catch (const std::runtime_error& failure) {
    outcome.failure = failure.what();
  }
  outcome.attempted = executor.attempted();
  outcome.executed = executor.executed();
  return outcome;
}

/// The same script with CR LF line ends, and with a byte-order mark in front, gives the same
/// statements as the script itself.
template <typename Run>
void CheckLineEndVariants(std::string_view script, std::size_t failAt, const ScriptOutcome& outcome,
                          Run&& run) {
  if (script.find('\r') == std::string_view::npos) {
    FUZZ_CHECK(RunScriptText(WithCrLfLineEnds(script), failAt, run) == outcome);
  }
  if (!script.starts_with(kByteOrderMark)) {
    FUZZ_CHECK(RunScriptText(std::string(kByteOrderMark) + std::string(script), failAt, run) ==
               outcome);
  }
}

/// The outcome ends where the executor failed: at most `failAt` statements were sent, and when
/// the failure happened the failing one was the last.
inline void CheckFailurePoint(const ScriptOutcome& outcome, std::size_t failAt) {
  if (failAt == 0 || outcome.attempted.size() < failAt) {
    FUZZ_CHECK(outcome.executed == outcome.attempted);
  } else {
    FUZZ_CHECK(outcome.attempted.size() == failAt);
    FUZZ_CHECK(outcome.executed.size() == failAt - 1);
  }
}

/// The lines of a script as the line reader gives them, worked out on the text: split at line
/// feeds, a carriage return before a line feed dropped, a byte-order mark at the start dropped,
/// no line after a final line feed.
inline std::vector<std::string> ExpectedScriptLines(std::string_view script) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < script.size()) {
    const std::size_t end = script.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(script.substr(start));
      break;
    }
    std::string line(script.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  if (!lines.empty() && lines.front().starts_with(kByteOrderMark)) {
    lines.front().erase(0, kByteOrderMark.size());
  }
  return lines;
}

/// The line reader gives exactly the lines worked out on the text, and counts them.
inline void CheckLineReader(std::string_view script) {
  std::istringstream stream{std::string(script)};
  ScriptLineReader reader(stream, kFuzzScriptPath);
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  FUZZ_CHECK(lines == ExpectedScriptLines(script));
  FUZZ_CHECK(reader.lineCount() == lines.size());
}

/// Not empty, and without blanks at either end.
inline bool IsTrimmedStatement(std::string_view statement) {
  return !statement.empty() && TrimmedView(statement) == statement;
}
