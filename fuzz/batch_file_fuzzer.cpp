// The batch file runner. The first byte chooses the database kind and whether the database fails;
// the rest is the file. Exactly one statement, even an empty one: the lines (a carriage return
// before a line feed and a byte-order mark at the start dropped), each followed by a blank for
// Oracle or by a line feed otherwise, trimmed.
#include "fuzz_support.h"
#include "scripts/batch_file.h"

FUZZ_TARGET(file) {
  const unsigned choice = TakeFirstByte(file);
  const auto kind = std::array{DbType::mssql, DbType::oracle, DbType::postgresql, DbType::none};
  const auto run = [&](auto&&... a) { RunBatchFile(a..., kind[choice % 4]); };
  const std::string_view body = file.substr(file.starts_with("\xEF\xBB\xBF") ? 3 : 0);
  const std::string_view end = kind[choice % 4] == DbType::oracle ? " " : "\n";
  const std::string expected = Replaced(Replaced(body, "\r\n", "\n"), "\n", end);
  FUZZ_CHECK(RunScript(file, (choice >> 2) & 1, true, run) == std::vector{Trimmed(expected)});
}
