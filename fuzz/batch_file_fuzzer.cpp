// The batch file runner (the whole file as one statement) through the recording executor, on a
// real file. The first input byte chooses the database kind and whether the executor fails; the
// rest is the file.
#include <array>
#include <stdexcept>

#include "db/db_type.h"
#include "script_fuzz_support.h"
#include "scripts/batch_file.h"

namespace {

constexpr std::array<DbType, 4> kKinds = {DbType::mssql, DbType::oracle, DbType::postgresql,
                                          DbType::none};

/// The statement worked out on the text: the lines, each followed by a blank for Oracle or by a
/// line feed otherwise, trimmed.
std::string ExpectedBatch(std::string_view file, DbType dbType) {
  std::string text;
  for (const std::string& line : ExpectedScriptLines(file)) {
    text += line;
    text += dbType == DbType::oracle ? ' ' : '\n';
  }
  return Trimmed(text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const DbType dbType = kKinds[data[0] % kKinds.size()];
  const std::size_t failAt = (data[0] >> 2) & 1u;
  const std::string_view file = AsText(data + 1, size - 1);

  static const std::string path = (FuzzScratchFolder() / "batch.sql").string();
  WriteBytes(path, file);
  RecordingExecutor executor(failAt, std::string(kRecordedFailure));
  bool failed = false;
  try {
    RunBatchFile(path, executor, dbType);
  } catch (const std::runtime_error& failure) {
    FUZZ_CHECK(failure.what() == kRecordedFailure);
    failed = true;
  }
  // Exactly one statement, even an empty one.
  FUZZ_CHECK(executor.attempted().size() == 1);
  FUZZ_CHECK(failed == (failAt == 1));
  const std::string& statement = executor.attempted().front();
  FUZZ_CHECK(statement == ExpectedBatch(file, dbType));
  FUZZ_CHECK(TrimmedView(statement) == statement);
  if (dbType == DbType::oracle) FUZZ_CHECK(statement.find('\n') == std::string::npos);

  // The reader on the text gives the same statement.
  std::istringstream stream{std::string(file)};
  ScriptLineReader reader(stream, path);
  FUZZ_CHECK(ReadBatchFile(reader, path, dbType) == statement);
  return 0;
}
