#pragma once
// What the end-to-end tests of validation mode share: the seeded inventory database, the fixture
// validation scripts, and the statement texts that the checks must send.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_fixture.h"

namespace validation_e2e {

/// The texts the checks send to PostgreSQL and Oracle (no NOLOCK hints), written out here rather
/// than taken from the program, so that a changed statement shows.
inline constexpr const char* kClusterQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 JOIN TWX_ENTITY e2 ON e1.ID = e2.PARENT_ID "
    "WHERE e1.TYPE_ID = 3 AND e2.TYPE_ID = 1 GROUP BY e2.PARENT_ID HAVING COUNT(0) > 64";
inline constexpr const char* kStoragePodQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 JOIN TWX_ENTITY e2 ON e1.ID = e2.PARENT_ID "
    "WHERE e1.TYPE_ID = 20 AND e2.TYPE_ID = 18 GROUP BY e2.PARENT_ID HAVING COUNT(0) > 64";
inline constexpr const char* kVendorQuery =
    "SELECT NAME, PRODUCT_VENDOR FROM TWX_DVS WHERE PRODUCT_FORWARDING_CLASS not in ('cswitch', "
    "'etherswitch') OR PRODUCT_VENDOR not in ('Halvik, Inc.', 'Halvik')";
inline constexpr const char* kVersionQuery =
    "SELECT NAME, PRODUCT_VERSION FROM TWX_DVS WHERE PRODUCT_VERSION IN ('4.0', '4.1.0', '5.0.0', "
    "'5.1.0', '5.5.0') AND PRODUCT_VENDOR IN ('Halvik, Inc.', 'Halvik')";
inline constexpr const char* kProfileQuery =
    "SELECT PROFILE_NAME, CONFIG_INFO FROM TWX_PROFILE WHERE TYPE_CODE = 0";
inline constexpr const char* kPortGroupQuery =
    "SELECT DVPORTGROUP_NAME FROM TWX_DVPORTGROUP WHERE DVPORTGROUP_NAME IN (SELECT NAME FROM "
    "TWX_DVS GROUP BY NAME) AND DVPORTGROUP_NAME IN (SELECT NAME FROM TWX_ENTITY GROUP BY NAME, "
    "PARENT_ID HAVING COUNT(*) > 1)";
inline constexpr const char* kHostQuery = "SELECT PRODUCT_VERSION, IP_ADDRESS FROM TWX_HOST";
inline constexpr const char* kRecordReplayFlagQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WHERE RECORD_REPLAY_ENABLED_FLG=1";
inline constexpr const char* kRecordReplayTypeQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WHERE "
    "FAULT_TOLERANCE_TYPE='recordReplay'";
inline constexpr const char* kFindingsQuery =
    "SELECT INCONSISTENCIE FROM TWX_PREUPGRADE_VERIFICATION";
inline constexpr const char* kDropFindings = "DROP TABLE TWX_PREUPGRADE_VERIFICATION";
inline constexpr const char* kOverflowText =
    "The operation required too much data to be stored in the specified buffer.";

/// The step folder that a source version selects.
std::string StepFolder(const std::string& sourceVersion);

/// The three lines the statement runner prints for one statement.
std::vector<std::string> Trace(const std::string& statement);

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts);

/// Standard output from the settings lines up to "Validating source version, ...".
std::vector<std::string> ValidationStartLines(const std::string& sourceVersion);

/// Standard output of the seven checks after RunDBValidate when none of them finds anything.
std::vector<std::string> CleanChecksLines(const std::string& sourceVersion);

/// Standard output of the "seeded" PostgreSQL validation scripts of a step folder.
std::vector<std::string> SeededScriptLines(const std::string& sourceVersion);

/// The number of lines that psqlODBC's diagnostic record of a missing relation takes: the record
/// line and the driver's "Error while executing the query".
inline constexpr std::size_t kMissingRelationRecordLines = 2;

/// Checks the diagnostic record of a missing relation at lines[at] and the line after it.
void ExpectMissingRelationRecord(const std::vector<std::string>& lines, std::size_t at,
                                 const std::string& relation);

/// The lines of a text file, as written.
std::vector<std::string> FileLines(const std::filesystem::path& path);

/// A text of the given length made of one repeated character.
std::string Repeat(char c, std::size_t count);

/// A validation run on the test's PostgreSQL database with the inventory tables in place.
class ValidationTest : public E2eTest {
 protected:
  /// Creates the database with the (empty) inventory tables.
  TestDatabase& UseInventoryDatabase();

  /// Copies the fixture scripts tests/fixtures/validation/<scenario>/<kind> into the step folder
  /// of the source version, below the working folder.
  void InstallScripts(const std::string& scenario, const std::string& sourceVersion = "650",
                      const std::string& kind = "postgresql");

  /// Seeds the findings that the "seeded" scripts record, in this order; nullopt stands for NULL.
  void SeedFindings(const std::vector<std::optional<std::string>>& findings);

  /// Runs a validation with the warnings file (a path as printed, relative to the working folder
  /// or absolute) and the source version, plus extra arguments.
  ProgramRun RunValidation(const std::string& warningsFile = "warnings.txt",
                           const std::string& sourceVersion = "650",
                           const std::vector<std::string>& extra = {});

  /// True when the findings table is still there after a run.
  bool FindingsTableExists();

  /// Where a warnings file named relative to the working folder lies.
  std::filesystem::path WarningsPath(const std::string& name = "warnings.txt") const {
    return workDir() / name;
  }
};

}  // namespace validation_e2e
