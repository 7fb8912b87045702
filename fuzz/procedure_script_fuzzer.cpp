// The procedure definition runner. The first byte chooses the statement at which the database
// fails; the rest is the script. Each start line (IsProcedureStartLine) begins one statement,
// trimmed, which holds no other start line.
#include "fuzz_support.h"
#include "scripts/procedure_script.h"

FUZZ_TARGET(script) {
  const auto starts = [](std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(Split(text, '\n'), IsProcedureStartLine));
  };
  const std::size_t failAt = TakeFirstByte(script) % 8;
  const auto sent = RunScript(script, failAt, true, [](auto&&... a) { RunProcedureScript(a...); });
  FUZZ_CHECK(sent.size() == (failAt == 0 ? starts(script) : std::min(starts(script), failAt)));
  for (const std::string& s : sent) FUZZ_CHECK(Trimmed(s) == s && starts(s) == 1);
}
