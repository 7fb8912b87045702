// The command script runner (statements separated by semicolons). The first byte chooses the
// statement at which the database fails; the rest is the script. Statements are trimmed and not
// empty, and each but the last was ended by a semicolon.
#include "fuzz_support.h"
#include "scripts/command_script.h"

FUZZ_TARGET(script) {
  const std::size_t failAt = TakeFirstByte(script) % 8;
  const auto sent = RunScript(script, failAt, true, [](auto&&... a) { RunCommandScript(a...); });
  FUZZ_CHECK(sent.size() <= static_cast<std::size_t>(std::ranges::count(script, ';')) + 1);
  for (const std::string& s : sent) FUZZ_CHECK(!s.empty() && Trimmed(s) == s);
}
