// The block script runner (blocks ended by a terminator line; tag lines in tag mode). The first
// byte chooses the database kind, tag mode and the statement at which the database fails; in tag
// mode the next line is the tag. The rest is the script. The runner reports a failure itself and
// returns. Statements are trimmed, not empty and hold no terminator or tag lines; but an Oracle
// block ended by a terminator line loses its last character, whatever it is, so that an Oracle
// statement need not be trimmed and its last line may look like anything.
#include "fuzz_support.h"
#include "scripts/block_script.h"

FUZZ_TARGET(script) {
  const unsigned choice = TakeFirstByte(script);
  const DbType kind = std::array{DbType::mssql, DbType::oracle, DbType::postgresql}[choice % 3];
  const std::string tag((choice & 4) != 0 ? script.substr(0, script.find('\n')) : "");
  script.remove_prefix((choice & 4) != 0 ? std::min(script.size(), tag.size() + 1) : 0);
  const auto run = [&](auto&&... a) { RunSqlBlockCommandScript(a..., kind, tag); };
  for (const std::string& s : RunScript(script, (choice >> 3) % 8, false, run)) {
    std::vector<std::string> lines = Split(s, '\n');
    lines.resize(lines.size() - (kind == DbType::oracle));
    FUZZ_CHECK(kind == DbType::oracle || (!s.empty() && Trimmed(s) == s));
    for (const std::string& line : lines) {
      const std::string trimmed = Trimmed(line);
      FUZZ_CHECK(trimmed != GetBlockTerminator(kind) &&
                 (tag.empty() || !trimmed.starts_with('<') || !trimmed.ends_with("/>")));
    }
  }
}
