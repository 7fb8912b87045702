#pragma once
// What every end-to-end test shares: the built schemalift, run in a folder of its own against the
// PostgreSQL test bed (tests/testbed/with-postgres.sh).

#include "scripts/base64.h"
#include "support/testbed.h"

/// The DSN under which every end-to-end test reaches its own PostgreSQL database.
inline constexpr const char* kTestDsn = "TWDB test";

inline const auto B64 = Base64Encode;  ///< as the command line wants the DSN, user and password

/// One end-to-end test: a working folder, an ODBCSYSINI folder, an empty settings store and a
/// database of its own, owned by the application role, registered as kTestDsn and dropped at the
/// end.
class E2eTest : public ::testing::Test {
  const std::string database_ = "e2e_" + std::to_string(getpid());  // a process for each test

 protected:
  E2eTest() {
    AdminQuery("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    AdminQuery("CREATE DATABASE " + database_ + " OWNER " + Pg("USER"));
    Query("CREATE SCHEMA " + Pg("USER"));
    std::filesystem::create_directories(workDir_);
  }
  ~E2eTest() override { AdminQuery("DROP DATABASE " + database_ + " WITH (FORCE)"); }

  /// Runs SQL on the test's database as the application role and returns the rows; a failure
  /// fails the test.
  Lines Query(const std::string& sql) const {
    return AdminQuery("SET ROLE " + Pg("USER") + ";" + sql, database_);
  }

  /// The schema-description tables, the demo's script set with "SELECT 1" in every file, and a
  /// liftaide that exits with 0: a run from 650 completes doing nothing else.
  void UsePlainScripts() {
    Query(
        "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
        "CREATE TABLE TWX_SCHEMA_HASH (x int)");
    std::filesystem::copy(SCHEMALIFT_SOURCE_DIR "/demo/scripts", workDir_,
                          std::filesystem::copy_options::recursive);
    for (const auto& file : std::filesystem::recursive_directory_iterator(workDir_)) {
      if (file.is_regular_file()) std::ofstream(file.path()) << "SELECT 1\n";
    }
    std::filesystem::permissions(temp_.WriteFile("work/liftaide", "#!/bin/sh\n"),
                                 std::filesystem::perms::owner_all);
  }

  /// Runs schemalift in the working folder with the arguments (argv[0] left out). No run may show
  /// the password, plain or in base64.
  ProgramRun RunSchemalift(const Lines& arguments) {
    WriteOdbcIni();
    // SCHEMALIFT_PROGRAM names a program to run in its place, such as a memory checker's wrapper.
    const char* program = std::getenv("SCHEMALIFT_PROGRAM");
    const ProgramRun run = RunProgram(program != nullptr ? program : SCHEMALIFT_BINARY,
                                      Concat({{"schemalift"}, arguments}), options_);
    for (const std::string& secret : {Pg("PASSWORD"), B64(Pg("PASSWORD"))}) {
      EXPECT_EQ((run.out + run.err).find(secret), std::string::npos) << run.out << run.err;
    }
    return run;
  }

  /// Runs schemalift on kTestDsn as the test bed's application role, without a prompt.
  ProgramRun Run(const Lines& extra) { return RunSchemalift(Concat({ConnectArguments(), extra})); }
  Lines ConnectArguments() const {
    return {"-t", "postgresql",        "-d", B64(kTestDsn), "-u", B64("tw"),
            "-p", B64(Pg("PASSWORD")), "-y"};
  }

  /// Writes the ODBCSYSINI folder: odbcinst.ini, which registers the test bed's driver as
  /// "PostgreSQL Unicode", and odbc.ini with odbcIni.
  void WriteOdbcIni() {
    std::filesystem::create_directories(temp_.path() / "odbc");
    std::ofstream(temp_.path() / "odbc/odbcinst.ini")
        << "[PostgreSQL Unicode]\nDriver=" << Pg("SCHEMALIFT_PSQLODBC_DRIVER") << "\n";
    std::ofstream(temp_.path() / "odbc/odbc.ini") << odbcIni;
  }
  const std::filesystem::path& workDir() const { return workDir_; }
  TempDir& temp() { return temp_; }
  RunOptions& runOptions() { return options_; }

  std::string odbcIni = PostgresDsn(kTestDsn, database_);  ///< the data sources of odbc.ini

 private:
  TempDir temp_;
  std::filesystem::path workDir_ = temp_.path() / "work";
  RunOptions options_{workDir_,
                      {{"ODBCSYSINI", (temp_.path() / "odbc").string()},
                       {"HALVIK_CFG_DIR", (temp_.path() / "cfg").string()},
                       {"HALVIK_REGISTRY_FILE", (temp_.path() / "registry.ini").string()}}};
};
