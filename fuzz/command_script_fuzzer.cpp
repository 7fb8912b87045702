// The command script runner (statements separated by semicolons) through the recording executor.
// The first input byte chooses the statement at which the executor fails; the rest is the script.
#include <algorithm>

#include "script_fuzz_support.h"
#include "scripts/command_script.h"

namespace {

void RunCommands(ScriptLineReader& reader, StatementExecutor& executor) {
  RunCommandScript(reader, kFuzzScriptPath, executor);
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
  const ScriptOutcome outcome = RunScriptText(script, failAt, RunCommands);
  CheckFailurePoint(outcome, failAt);
  // The runner passes the executor's failure on, and only that.
  if (outcome.failure) {
    FUZZ_CHECK(*outcome.failure == kRecordedFailure);
    FUZZ_CHECK(outcome.attempted.size() == failAt);
  } else {
    FUZZ_CHECK(failAt == 0 || outcome.attempted.size() < failAt);
  }
  // Every statement is trimmed and not empty; each but the last was ended by a semicolon.
  const auto semicolons = static_cast<std::size_t>(std::count(script.begin(), script.end(), ';'));
  FUZZ_CHECK(outcome.attempted.size() <= semicolons + 1);
  for (const std::string& statement : outcome.attempted) {
    FUZZ_CHECK(IsTrimmedStatement(statement));
  }
  CheckLineEndVariants(script, failAt, outcome, RunCommands);
  return 0;
}
