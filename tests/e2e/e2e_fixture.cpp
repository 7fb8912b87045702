#include "e2e/e2e_fixture.h"

#include <cstdlib>
#include <sstream>

#include "driver/base64.h"

void E2eTest::SetUp() {
  workDir_ = temp_.path() / "work";
  std::filesystem::create_directories(workDir_);
  odbcIni_ = std::make_unique<OdbcIni>(temp_.path() / "odbc");
  options_.workDir = workDir_;
  options_.environment["ODBCSYSINI"] = odbcIni_->folder().string();
  options_.environment["ODBCINI"] = (odbcIni_->folder() / "user-odbc.ini").string();
  options_.environment["HALVIK_CFG_DIR"] = (temp_.path() / "cfg").string();
  options_.environment["HALVIK_REGISTRY_FILE"] = (temp_.path() / "registry.ini").string();
  options_.environment["TZ"] = "UTC";
}

TestDatabase& E2eTest::UsePostgres() {
  if (!database_) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    database_ = std::make_unique<TestDatabase>(std::string(info->test_suite_name()) + "_" +
                                               info->name());
    odbcIni_->AddPostgresDsn(kTestDsn, *database_);
  }
  return *database_;
}

ProgramRun E2eTest::RunSchemalift(const std::vector<std::string>& arguments,
                                  std::optional<std::string> input) {
  odbcIni_->Write();
  std::filesystem::path program = SCHEMALIFT_BINARY;
  std::vector<std::string> argv = {"schemalift"};
  // SCHEMALIFT_WRAPPER runs the program under another one, such as a memory checker: its words
  // (separated by blanks, the first an absolute path) come before the program's path.
  if (const char* wrapper = std::getenv("SCHEMALIFT_WRAPPER"); wrapper != nullptr) {
    std::istringstream words(wrapper);
    std::vector<std::string> wrapperArgv;
    for (std::string word; words >> word;) wrapperArgv.push_back(word);
    if (!wrapperArgv.empty()) {
      program = wrapperArgv.front();
      argv = std::move(wrapperArgv);
      argv.push_back(SCHEMALIFT_BINARY);
    }
  }
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  RunOptions options = options_;
  options.input = std::move(input);
  ProgramRun run = RunProgram(program, argv, options);
  // No run may ever show the password, in plain or base64 form, on either stream.
  if (Testbed::IsAvailable()) {
    EXPECT_FALSE(ContainsPassword(run.out)) << run.out;
    EXPECT_FALSE(ContainsPassword(run.err)) << run.err;
  }
  return run;
}

std::vector<std::string> E2eTest::ConnectArguments() const {
  const Testbed& testbed = Testbed::Get();
  return {"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64(testbed.appUser),
          "-p", B64(testbed.appPassword), "-y"};
}

std::string B64(const std::string& text) { return Base64Encode(text); }

std::vector<std::string> UsageLines() {
  return {
      "Usage: schemalift [-p <password>] [-t <DB type>] [-u <user name>] [-d <dsn>] [-y] "
      "[-v <warnings output file>]",
      "Usage (build to build mode): schemalift [-p <password>] [-t <DB type>] [-u <user name>] "
      "[-d <dsn>] [-y] [-s <build tag>]",
      "  Optional parameters:",
      "   -b: TWDB version. Mandatory option, no default value.",
      "   -p: DB password. Default: empty string.",
      "   -t: DB type: mssql|oracle|postgresql",
      "   -u: DB user name. Default: tw",
      "   -d: Data Source Name. Default 'Halvik Tarnwell'",
      "   -y: Enable non-interactive mode.",
      "   -v: Validate TWDB.",
      "   -e: External TWDB - force DB server version validation.",
      "   -s: Build to build upgrade mode - build tag is the source build number (name). Option -v "
      "is ignored in this mode.",
      "",
      "Note: <password>, <user name> and <dsn> must be base64-encoded",
  };
}

bool ContainsPassword(const std::string& text) {
  const std::string& password = Testbed::Get().appPassword;
  return text.find(password) != std::string::npos ||
         text.find(B64(password)) != std::string::npos;
}
