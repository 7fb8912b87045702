// The ODBC installer fixes its system folder on first use and caches what it has read for a while,
// both for the whole process, so every case that reaches it runs in a fresh process with an
// ODBCSYSINI folder of its own.

#include <odbcinst.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "settings/db_type_detection.h"
#include "settings/fresh_process.h"
#include "settings/odbc_system_folder.h"
#include "settings/outcome_text.h"
#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKeyError =
    "runtime_error: Error occured while reading settings from registry key "
    "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

constexpr const char* kOdbcIni =
    "[Tarnwell PG]\n"
    "Driver=PostgreSQL Unicode\n"
    "Servername=localhost\n"
    "\n"
    "[Tarnwell By Path]\n"
    "Driver = /usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n"
    "\n"
    "[Tarnwell MS]\n"
    "Driver=Microsoft SQL Server\n"
    "\n"
    "[No Driver]\n"
    "Servername=localhost\n"
    "\n"
    "[Empty Driver]\n"
    "Driver=\n"
    "\n"
    "[Bad Driver]\n"
    "Driver=bad bad\n";

std::string NotListedError(const std::string& dsn) {
  return "runtime_error: Error occured while reading settings for data source " + dsn +
         " from registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data "
         "Sources, registry value name:" +
         dsn;
}

std::string DriverOrError(const std::string& dsn) {
  return ResultOrError([&dsn] { return GetDsnDriver(dsn); });
}

/// Checks the driver of `dsn` (or the error) in a fresh process with the given system odbc.ini.
void ExpectDriver(const std::string& odbcIni, const std::string& dsn, const std::string& expected) {
  ExpectInFreshProcess([&] {
    const OdbcSystemFolder odbc(odbcIni);
    return DescribeMismatch(expected, DriverOrError(dsn));
  });
}

TEST(GetDsnDriverTest, ReadsTheDriverOfASystemDataSource) {
  ExpectDriver(kOdbcIni, "Tarnwell PG", "PostgreSQL Unicode");
}

TEST(GetDsnDriverTest, ReadsADriverNamedByItsLibrary) {
  ExpectDriver(kOdbcIni, "Tarnwell By Path", "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so");
}

TEST(GetDsnDriverTest, ReadsAnEmptyDriver) {
  ExpectDriver(kOdbcIni, "Empty Driver", "");
}

TEST(GetDsnDriverTest, FailsForADataSourceNotListed) {
  ExpectDriver(kOdbcIni, "Tarnwell Missing", NotListedError("Tarnwell Missing"));
}

TEST(GetDsnDriverTest, FailsForADataSourceWithoutDriver) {
  ExpectDriver(kOdbcIni, "No Driver", NotListedError("No Driver"));
}

TEST(GetDsnDriverTest, FailsForADriverReadingAsTheMissingMarker) {
  ExpectDriver(kOdbcIni, "Bad Driver", NotListedError("Bad Driver"));
}

TEST(GetDsnDriverTest, FailsForAnEmptyDataSourceName) {
  ExpectDriver(kOdbcIni, "", NotListedError(""));
}

TEST(GetDsnDriverTest, ReadsA511ByteDriverAndFailsForLongerOnes) {
  const std::string fits(511, 'd');
  const std::string tooLong(512, 'd');
  const std::string odbcIni = "[Fits]\nDriver=" + fits + "\n[Too Long]\nDriver=" + tooLong + "\n";
  ExpectDriver(odbcIni, "Fits", fits);
  ExpectDriver(odbcIni, "Too Long", NotListedError("Too Long"));
}

TEST(GetDsnDriverTest, IgnoresDataSourcesOfTheUser) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    const TempDir user;
    const auto userIni = user.WriteFile("odbc.ini", "[User DSN]\nDriver=PostgreSQL Unicode\n");
    const ScopedEnvironment userFile("ODBCINI", userIni.string());
    return DescribeMismatch(NotListedError("User DSN"), DriverOrError("User DSN"));
  });
}

TEST(GetDsnDriverTest, IgnoresTheDataSourceKeyOfTheRegistryFile) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    const TempDir folder;
    const auto file = folder.WriteFile(
        "registry.ini",
        "[SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources]\nRegistry DSN=PostgreSQL Unicode\n");
    const ScopedEnvironment registryFile("HALVIK_REGISTRY_FILE", file.string());
    return DescribeMismatch(NotListedError("Registry DSN"), DriverOrError("Registry DSN"));
  });
}

TEST(GetDsnDriverTest, RestoresTheInstallerConfigMode) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    const ScopedEnvironment search("ODBCSEARCH", std::nullopt);
    SQLSetConfigMode(ODBC_USER_DSN);
    const std::string driver = DriverOrError("Tarnwell PG");
    UWORD mode = ODBC_BOTH_DSN;
    SQLGetConfigMode(&mode);
    return DescribeMismatch("PostgreSQL Unicode", driver) +
           DescribeMismatch(std::to_string(ODBC_USER_DSN), std::to_string(mode));
  });
}

TEST(GetDsnDriverTest, FailsWithoutSystemOdbcIniAndCreatesNone) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(std::nullopt);
    const std::string result = DriverOrError("Tarnwell PG");
    const bool created = std::filesystem::exists(odbc.odbcIniPath());
    return DescribeMismatch(kKeyError, result) +
           (created ? "odbc.ini was created in the system folder\n" : "");
  });
}

TEST(GetDsnDriverTest, FailsWithoutSystemFolder) {
  ExpectInFreshProcess([] {
    const TempDir folder;
    const ScopedEnvironment systemFolder("ODBCSYSINI", (folder.path() / "missing").string());
    return DescribeMismatch(kKeyError, DriverOrError("Tarnwell PG"));
  });
}

/// Standard output written during the scope.
class CapturedOutput {
 public:
  CapturedOutput() : previous_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~CapturedOutput() { std::cout.rdbuf(previous_); }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* previous_;
};

/// What DetectDbTypeFromDsn printed, and what it returned (kind and name) or threw.
std::string DescribeDetection(const std::string& dsn) {
  const CapturedOutput output;
  const std::string result = ResultOrError([&dsn] {
    const DetectedDbType detected = DetectDbTypeFromDsn(dsn);
    std::ostringstream text;
    text << detected.dbType << " '" << detected.name << "'";
    return text.str();
  });
  return output.text() + result;
}

TEST(DetectDbTypeFromDsnTest, PrintsTheLowerCasedDriverAndRecognisesTheKind) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    return DescribeMismatch("Driver from DSN: 'postgresql unicode'\nPostgreSQL 'postgresql'",
                            DescribeDetection("Tarnwell PG"));
  });
}

TEST(DetectDbTypeFromDsnTest, GivesNoneForAnUnknownDriver) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    return DescribeMismatch("Driver from DSN: 'microsoft sql server'\nNONE ''",
                            DescribeDetection("Tarnwell MS"));
  });
}

TEST(DetectDbTypeFromDsnTest, PassesTheLookupFailureOnWithoutPrinting) {
  ExpectInFreshProcess([] {
    const OdbcSystemFolder odbc(kOdbcIni);
    return DescribeMismatch(NotListedError("Tarnwell Missing"),
                            DescribeDetection("Tarnwell Missing"));
  });
}

}  // namespace
