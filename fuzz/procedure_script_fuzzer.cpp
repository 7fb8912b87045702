// The procedure definition runner (one statement per create-procedure or create-function line)
// through the recording executor. The first input byte chooses the statement at which the
// executor fails; the rest is the script.
#include <array>

#include "script_fuzz_support.h"
#include "scripts/procedure_script.h"

namespace {

void RunProcedures(ScriptLineReader& reader, StatementExecutor& executor) {
  RunProcedureScript(reader, kFuzzScriptPath, executor);
}

/// The start-line rule written out: one of the four phrases anywhere in the line, ASCII letters
/// compared without regard to case.
bool ExpectedStartLine(std::string_view line) {
  static constexpr std::array<std::string_view, 4> kPhrases = {
      "create procedure", "create function", "create or replace procedure",
      "create or replace function"};
  std::string lower(line);
  for (char& character : lower) {
    if (character >= 'A' && character <= 'Z') character = static_cast<char>(character - 'A' + 'a');
  }
  for (const std::string_view phrase : kPhrases) {
    if (lower.find(phrase) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t failAt = data[0] % 8;
  const std::string_view script = AsText(data + 1, size - 1);

  CheckLineReader(script);
  const ScriptOutcome outcome = RunScriptText(script, failAt, RunProcedures);
  CheckFailurePoint(outcome, failAt);
  if (outcome.failure) {
    FUZZ_CHECK(*outcome.failure == kRecordedFailure);
    FUZZ_CHECK(outcome.attempted.size() == failAt);
  }

  // One statement per start line, which is its first line and its only start line.
  std::size_t startLines = 0;
  for (const std::string& line : ExpectedScriptLines(script)) {
    const bool start = ExpectedStartLine(line);
    FUZZ_CHECK(start == IsProcedureStartLine(line));
    if (start) ++startLines;
  }
  if (!outcome.failure) FUZZ_CHECK(outcome.attempted.size() == startLines);
  for (const std::string& statement : outcome.attempted) {
    FUZZ_CHECK(IsTrimmedStatement(statement));
    const std::vector<std::string_view> lines = SplitAtLineFeedsView(statement);
    FUZZ_CHECK(ExpectedStartLine(lines.front()));
    for (std::size_t i = 1; i < lines.size(); ++i) FUZZ_CHECK(!ExpectedStartLine(lines[i]));
  }
  CheckLineEndVariants(script, failAt, outcome, RunProcedures);
  return 0;
}
