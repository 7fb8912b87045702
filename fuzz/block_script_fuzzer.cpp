// The block script runner (blocks ended by a terminator line, with tag lines in tag mode) through
// the recording executor. The first input byte chooses the database kind, tag mode and the
// statement at which the executor fails. In tag mode the next line of the input is the tag; the
// rest is the script.
#include <array>

#include "db/db_type.h"
#include "script_fuzz_support.h"
#include "scripts/block_script.h"

namespace {

constexpr std::array<DbType, 3> kKinds = {DbType::mssql, DbType::oracle, DbType::postgresql};

bool IsTagLine(std::string_view line) {
  const std::string_view trimmed = TrimmedView(line);
  return trimmed.size() >= 3 && trimmed.front() == '<' && trimmed.ends_with("/>");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const DbType dbType = kKinds[data[0] % kKinds.size()];
  const bool tagMode = ((data[0] >> 2) & 1u) != 0;
  const std::size_t failAt = (data[0] >> 3) % 8;
  std::string_view script = AsText(data + 1, size - 1);
  std::string tag;
  if (tagMode) {
    const std::size_t end = script.find('\n');
    tag = script.substr(0, end);
    script = end == std::string_view::npos ? std::string_view{} : script.substr(end + 1);
  }
  const std::string_view terminator = GetBlockTerminator(dbType);
  const auto run = [&](ScriptLineReader& reader, StatementExecutor& executor) {
    RunSqlBlockCommandScript(reader, kFuzzScriptPath, executor, dbType, tag);
  };

  CheckLineReader(script);
  const ScriptOutcome outcome = RunScriptText(script, failAt, run);
  // The runner reports a failure itself and returns normally.
  FUZZ_CHECK(!outcome.failure);
  CheckFailurePoint(outcome, failAt);

  for (const std::string& statement : outcome.attempted) {
    const std::vector<std::string_view> lines = SplitAtLineFeedsView(statement);
    // An Oracle block ended by a terminator line loses its last character, whatever it is, so
    // only the block's start is known to be trimmed, and its last line may have become anything.
    const bool oracle = dbType == DbType::oracle;
    if (oracle) {
      FUZZ_CHECK(statement.empty() || kBlankSet.find(statement.front()) == std::string_view::npos);
    } else {
      FUZZ_CHECK(IsTrimmedStatement(statement));
    }
    const std::size_t checkedLines = oracle ? lines.size() - 1 : lines.size();
    for (std::size_t i = 0; i < checkedLines; ++i) {
      FUZZ_CHECK(TrimmedView(lines[i]) != terminator);
      if (!tag.empty()) FUZZ_CHECK(!IsTagLine(lines[i]));
    }
  }
  CheckLineEndVariants(script, failAt, outcome, run);
  return 0;
}
