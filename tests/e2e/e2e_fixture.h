#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"
#include "support/testbed.h"

/// The DSN under which every end-to-end test reaches its own PostgreSQL database.
inline constexpr const char* kTestDsn = "TWDB test";

/// One end-to-end test: a working folder, an ODBCSYSINI folder, an empty settings store and,
/// when asked for, a database of its own.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;

  /// Creates the test's PostgreSQL database and registers it as kTestDsn.
  TestDatabase& UsePostgres();

  /// Runs schemalift in the working folder with the given arguments (without argv[0]).
  ProgramRun RunSchemalift(const std::vector<std::string>& arguments,
                           std::optional<std::string> input = std::nullopt);

  /// The arguments that reach kTestDsn as the test bed's application role, non-interactively.
  std::vector<std::string> ConnectArguments() const;

  /// Writes the ODBC ini files (done by RunSchemalift too).
  void WriteOdbcIni() { odbcIni_->Write(); }

  OdbcIni& odbcIni() { return *odbcIni_; }
  const std::filesystem::path& workDir() const { return workDir_; }
  TempDir& temp() { return temp_; }
  RunOptions& runOptions() { return options_; }

 private:
  TempDir temp_;
  std::filesystem::path workDir_;
  std::unique_ptr<OdbcIni> odbcIni_;
  std::unique_ptr<TestDatabase> database_;
  RunOptions options_;
};

/// Base64 of a text, as the command line wants the DSN, user name and password.
std::string B64(const std::string& text);

/// The usage text, line by line.
std::vector<std::string> UsageLines();

/// True when the text holds the test bed's password in plain or base64 form.
bool ContainsPassword(const std::string& text);
