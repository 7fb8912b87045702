// Times the host-profile version check on a database that the caller has filled, and, for
// comparison, the same fetch with a 15 MB buffer cleared before every row.
//
//   hostprofile_bench DSN USER PASSWORD REPEATS [--with-clearing-reference]
//
// Prints one line per measurement: "<name> <seconds>". The check's own output (statement trace
// and findings) goes to /dev/null.
#include <sql.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/statement.h"
#include "db/statement_runner.h"
#include "validation/host_checks.h"

namespace {

constexpr const char* kQuery =
    "SELECT PROFILE_NAME, CONFIG_INFO FROM TWX_PROFILE WHERE TYPE_CODE = 0";
constexpr std::size_t kConfigBufferSize = 0xF00000;

/// The fetch loop with the whole configuration buffer cleared before each row.
int FetchWithClearing(SQLHDBC connection) {
  Statement statement;
  AllocateStatement(statement, connection);
  ExecuteStatement(statement, kQuery);
  auto config = std::make_unique<char[]>(kConfigBufferSize);
  int rows = 0;
  while (FetchRow(statement)) {
    char name[512] = {};
    GetString(statement, 1, name, sizeof name);
    std::memset(config.get(), 0, kConfigBufferSize);
    GetString(statement, 2, config.get(), static_cast<std::int32_t>(kConfigBufferSize));
    ++rows;
  }
  return rows;
}

template <typename Work>
double Seconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Output of the timed work goes nowhere, so that the terminal is not what is measured.
class SilencedConsole {
 public:
  SilencedConsole() : sink_("/dev/null") {
    out_ = std::cout.rdbuf(sink_.rdbuf());
    err_ = std::cerr.rdbuf(sink_.rdbuf());
  }
  ~SilencedConsole() {
    std::cout.rdbuf(out_);
    std::cerr.rdbuf(err_);
  }
  SilencedConsole(const SilencedConsole&) = delete;
  SilencedConsole& operator=(const SilencedConsole&) = delete;

 private:
  std::ofstream sink_;
  std::streambuf* out_;
  std::streambuf* err_;
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::cerr << "usage: hostprofile_bench DSN USER PASSWORD REPEATS [--with-clearing-reference]"
              << std::endl;
    return 2;
  }
  const int repeats = std::max(1, std::atoi(argv[4]));
  const bool withReference = argc > 5 && std::string(argv[5]) == "--with-clearing-reference";
  DatabaseConnection database;
  if (ConnectToDatabase(argv[1], argv[2], argv[3], database) != 0) return 1;
  for (int i = 0; i < repeats; ++i) {
    int result = 0;
    double seconds = 0;
    {
      SilencedConsole silenced;
      seconds = Seconds([&] { result = CheckHostProfileVersions(database.connection(), "6.0.0"); });
    }
    std::cout << "check " << seconds << " result=" << result << std::endl;
  }
  if (withReference) {
    int rows = 0;
    const double seconds = Seconds([&] { rows = FetchWithClearing(database.connection()); });
    std::cout << "clearing-reference " << seconds << " rows=" << rows << std::endl;
  }
  return 0;
}
