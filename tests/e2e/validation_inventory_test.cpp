// The five inventory checks of a validation run on PostgreSQL, each with rows that are findings
// and rows that just miss.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/validation_e2e.h"
#include "support/output_match.h"

namespace validation_e2e {
namespace {

class ValidationInventoryTest : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    UseInventoryDatabase();
    InstallScripts("seeded");
  }

  /// A parent entity of the type with `children` children of the child type; ids from `firstId`.
  void AddParentWithChildren(int firstId, const std::string& name, int parentType, int childType,
                             int children) {
    UsePostgres().Execute("INSERT INTO TWX_ENTITY VALUES (" + std::to_string(firstId) + ", '" +
                          name + "', " + std::to_string(parentType) +
                          ", NULL); INSERT INTO TWX_ENTITY SELECT " + std::to_string(firstId) +
                          " + g, '" + name + "-child-' || g, " + std::to_string(childType) + ", " +
                          std::to_string(firstId) + " FROM generate_series(1, " +
                          std::to_string(children) + ") g");
  }

  /// True when the statement runner showed the statement on standard output.
  static bool RanStatement(const ProgramRun& run, const std::string& statement) {
    const std::vector<std::string> lines = run.OutLines();
    return std::find(lines.begin(), lines.end(), statement) != lines.end();
  }
};

/// The header and then the detail lines in any order (the queries have no ORDER BY).
void ExpectHeaderAndDetails(const ProgramRun& run, const std::string& header,
                            std::vector<std::string> details) {
  std::vector<std::string> err = run.ErrLines();
  ASSERT_FALSE(err.empty()) << run.err;
  EXPECT_EQ(err.front(), header);
  std::vector<std::string> actualDetails(err.begin() + 1, err.end());
  std::sort(actualDetails.begin(), actualDetails.end());
  std::sort(details.begin(), details.end());
  EXPECT_EQ(actualDetails, details) << run.err;
}

TEST_F(ValidationInventoryTest, ClustersOfMoreThan64HostsAreReported) {
  AddParentWithChildren(1000, "cluster-64", 3, 1, 64);
  AddParentWithChildren(2000, "cluster-65", 3, 1, 65);
  AddParentWithChildren(3000, "cluster-70", 3, 1, 70);
  // Children of another type, and a parent of another type, do not count.
  AddParentWithChildren(4000, "cluster-of-vms", 3, 2, 80);
  AddParentWithChildren(5000, "folder-of-hosts", 4, 1, 80);
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  ExpectHeaderAndDetails(run, "ERROR: wrong-cluster-count", {"cluster-65", "cluster-70"});
}

TEST_F(ValidationInventoryTest, AClusterOf64HostsIsNoFinding) {
  AddParentWithChildren(1000, "cluster-64", 3, 1, 64);
  AddParentWithChildren(2000, "pod-64", 20, 18, 64);
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                       SeededScriptLines("650"),
                                       Trace(kDropFindings),
                                       CleanChecksLines("650"),
                                       {"Exiting. Status=0"}}));
}

TEST_F(ValidationInventoryTest, StoragePodsOfMoreThan64DatastoresAreReported) {
  AddParentWithChildren(1000, "pod-64", 20, 18, 64);
  AddParentWithChildren(2000, "pod-65", 20, 18, 65);
  AddParentWithChildren(3000, "pod-of-hosts", 20, 1, 65);
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(), {"ERROR: wrong-storagepod-count", "pod-65"});
}

TEST_F(ValidationInventoryTest, AForeignSwitchIsReportedAndTheVersionQueryIsNotRun) {
  UsePostgres().Execute(
      "INSERT INTO TWX_DVS VALUES ('dvs-ok', 'Halvik, Inc.', 'etherswitch', '6.0.0'),"
      "('dvs-short-vendor', 'Halvik', 'cswitch', '6.5.0'),"
      "('dvs-acme', 'Acme Networks', 'etherswitch', '6.0.0'),"
      "('dvs-old', 'Halvik', 'cswitch', '5.1.0')");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-dvs-vendor", "{DVSwitch: dvs-acme, Vendor: Acme Networks}"});
  EXPECT_TRUE(RanStatement(run, kVendorQuery));
  EXPECT_FALSE(RanStatement(run, kVersionQuery));
  // The checks after it still run.
  EXPECT_TRUE(RanStatement(run, kProfileQuery));
  EXPECT_TRUE(RanStatement(run, kRecordReplayTypeQuery));
}

TEST_F(ValidationInventoryTest, AForeignForwardingClassIsAForeignSwitch) {
  UsePostgres().Execute(
      "INSERT INTO TWX_DVS VALUES ('dvs-fc', 'Halvik, Inc.', 'otherswitch', '6.0.0')");
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-dvs-vendor", "{DVSwitch: dvs-fc, Vendor: Halvik, Inc.}"});
}

TEST_F(ValidationInventoryTest, SwitchesOfAnOldVersionAreReported) {
  UsePostgres().Execute(
      "INSERT INTO TWX_DVS VALUES ('dvs-510', 'Halvik, Inc.', 'etherswitch', '5.1.0'),"
      "('dvs-550', 'Halvik', 'cswitch', '5.5.0'),"
      "('dvs-600', 'Halvik, Inc.', 'etherswitch', '6.0.0'),"
      "('dvs-40', 'Halvik', 'etherswitch', '4.0'),"
      "('dvs-551', 'Halvik', 'etherswitch', '5.5.1')");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  ExpectHeaderAndDetails(
      run, "ERROR: invalid-dvs-version",
      {"{DVSwitch: dvs-510, Version: 5.1.0}", "{DVSwitch: dvs-550, Version: 5.5.0}",
       "{DVSwitch: dvs-40, Version: 4.0}"});
  EXPECT_TRUE(RanStatement(run, kVersionQuery));
}

TEST_F(ValidationInventoryTest, CollidingPortGroupNamesAreReported) {
  UsePostgres().Execute(
      // "pg-dup": a switch name, and twice under one parent: reported.
      "INSERT INTO TWX_DVS VALUES ('pg-dup', 'Halvik', 'cswitch', '6.0.0'),"
      "('pg-once', 'Halvik', 'cswitch', '6.0.0'), ('pg-apart', 'Halvik', 'cswitch', '6.0.0');"
      "INSERT INTO TWX_DVPORTGROUP VALUES ('pg-dup'), ('pg-once'), ('pg-apart'), ('pg-noswitch');"
      "INSERT INTO TWX_ENTITY VALUES (1, 'pg-dup', 7, 100), (2, 'pg-dup', 7, 100),"
      // "pg-once": a switch name, but only once under its parent.
      "(3, 'pg-once', 7, 100),"
      // "pg-apart": twice, but under two parents.
      "(4, 'pg-apart', 7, 100), (5, 'pg-apart', 7, 200),"
      // "pg-noswitch": twice under one parent, but no switch has its name.
      "(6, 'pg-noswitch', 7, 100), (7, 'pg-noswitch', 7, 100)");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(), {"ERROR: duplicate-names: ", "pg-dup"});
}

TEST_F(ValidationInventoryTest, PortGroupNamesThatDoNotCollideAreNoFinding) {
  UsePostgres().Execute(
      "INSERT INTO TWX_DVS VALUES ('pg-a', 'Halvik', 'cswitch', '6.0.0');"
      "INSERT INTO TWX_DVPORTGROUP VALUES ('pg-a'), ('pg-b');"
      "INSERT INTO TWX_ENTITY VALUES (1, 'pg-a', 7, 100), (2, 'pg-b', 7, 100),"
      "(3, 'pg-b', 7, 100), (4, 'pg-a', 7, 200)");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.err, "");
}

class LegacyFaultToleranceTest : public ValidationInventoryTest {
 protected:
  void SeedVms() {
    UsePostgres().Execute(
        "INSERT INTO TWX_VM_CONFIG_INFO VALUES "
        "('vm-flag', '[ds1] vm-flag/vm-flag.vmx', 1, NULL),"
        "('vm-type', '[ds1] vm-type/vm-type.vmx', 0, 'recordReplay'),"
        "('vm-secondary', '[ds2] vm-secondary/vm-secondary.vmx', 0, 'secondary')");
  }
};

TEST_F(LegacyFaultToleranceTest, SourceVersion550ReadsTheRecordReplayFlag) {
  SeedVms();
  InstallScripts("seeded", "550");
  const ProgramRun run = RunValidation("warnings.txt", "550");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {"ERROR: legacy-ft-vms: ", "vm-flag:[ds1] vm-flag/vm-flag.vmx"});
  EXPECT_TRUE(RanStatement(run, kRecordReplayFlagQuery));
  EXPECT_FALSE(RanStatement(run, kRecordReplayTypeQuery));
}

TEST_F(LegacyFaultToleranceTest, SourceVersion600ReadsTheFaultToleranceType) {
  SeedVms();
  InstallScripts("seeded", "600");
  const ProgramRun run = RunValidation("warnings.txt", "600");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {"ERROR: legacy-ft-vms: ", "vm-type:[ds1] vm-type/vm-type.vmx"});
  EXPECT_TRUE(RanStatement(run, kRecordReplayTypeQuery));
  EXPECT_FALSE(RanStatement(run, kRecordReplayFlagQuery));
}

TEST_F(LegacyFaultToleranceTest, APathOf512CharactersFitsAndOneOf513DoesNot) {
  UsePostgres().Execute("INSERT INTO TWX_VM_CONFIG_INFO VALUES ('vm-512', '" + Repeat('p', 512) +
                        "', 0, 'recordReplay'), ('vm-513', '" + Repeat('q', 513) +
                        "', 0, 'recordReplay')");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(), {"ERROR: legacy-ft-vms: ", "vm-512:" + Repeat('p', 512),
                                std::string("Error executing '") + kRecordReplayTypeQuery +
                                    "'. Reason: " + kOverflowText});
}

TEST_F(ValidationInventoryTest, AValueLongerThanItsBufferEndsItsCheckAndTheNextCheckRuns) {
  // A cluster name of 2501 characters does not fit the 2501-byte buffer.
  AddParentWithChildren(1000, Repeat('n', 2501), 3, 1, 65);
  AddParentWithChildren(2000, "pod-65", 20, 18, 65);
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: wrong-cluster-count",
                std::string("Error executing '") + kClusterQuery + "'. Reason: " + kOverflowText,
                "ERROR: wrong-storagepod-count", "pod-65"});
}

TEST_F(ValidationInventoryTest, AClusterNameOf2500CharactersFits) {
  AddParentWithChildren(1000, Repeat('n', 2500), 3, 1, 65);
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"ERROR: wrong-cluster-count", Repeat('n', 2500)});
}

TEST_F(ValidationInventoryTest, AVendorLongerThan255CharactersEndsTheSwitchCheck) {
  UsePostgres().Execute("INSERT INTO TWX_DVS VALUES ('dvs-long', '" + Repeat('v', 256) +
                        "', 'etherswitch', '5.1.0')");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-dvs-vendor",
                std::string("Error executing '") + kVendorQuery + "'. Reason: " + kOverflowText});
  EXPECT_FALSE(RanStatement(run, kVersionQuery));
  EXPECT_TRUE(RanStatement(run, kProfileQuery));
}

TEST_F(ValidationInventoryTest, AMissingTableFailsItsOwnCheckOnly) {
  UsePostgres().Execute("DROP TABLE TWX_DVPORTGROUP");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_EQ(err.size(), 4 + kMissingRelationRecordLines) << run.err;
  EXPECT_EQ(err[0], std::string("Error executing '") + kPortGroupQuery +
                        "'. Reason: Statement failure(rc=-1).");
  EXPECT_EQ(err[1], kPortGroupQuery);
  EXPECT_EQ(err[2], "^^^^^^^^^^");
  EXPECT_EQ(err[3], "");
  ExpectMissingRelationRecord(err, 4, "twx_dvportgroup");
  // The statement runner shows the execution, but no " - Done." for it; the hosts check follows.
  const std::vector<std::string> out = run.OutLines();
  const auto query = std::find(out.begin(), out.end(), kPortGroupQuery);
  ASSERT_NE(query, out.end());
  ASSERT_NE(query + 1, out.end());
  EXPECT_EQ(*(query + 1), "Validating PYLON hosts versions...");
  EXPECT_TRUE(RanStatement(run, kRecordReplayTypeQuery));
}

TEST_F(ValidationInventoryTest, EveryMissingTableIsReportedByItsOwnCheck) {
  UsePostgres().Execute(
      "DROP TABLE TWX_ENTITY, TWX_DVS, TWX_DVPORTGROUP, TWX_VM_CONFIG_INFO, TWX_HOST, TWX_PROFILE");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  std::vector<std::string> failures;
  for (const std::string& line : run.ErrLines()) {
    if (line.starts_with("Error executing")) failures.push_back(line);
  }
  const std::string failure = "Statement failure(rc=-1).";
  EXPECT_EQ(
      failures,
      (std::vector<std::string>{
          std::string("Error executing '") + kClusterQuery + "'. Reason: " + failure,
          std::string("Error executing '") + kStoragePodQuery + "'. Reason: " + failure,
          std::string("Error executing '") + kVendorQuery + "'. Reason: " + failure,
          std::string("Error executing '") + kProfileQuery + "'. Reason: " + failure,
          std::string("Error executing '") + kPortGroupQuery + "'. Reason: " + failure,
          std::string("Error executing statement '") + kHostQuery + "', reason: " + failure,
          std::string("Error executing '") + kRecordReplayTypeQuery + "'. Reason: " + failure}));
  const std::vector<std::string> out = run.OutLines();
  EXPECT_EQ(std::count(out.begin(), out.end(), "failed."), 1);
  EXPECT_EQ(out.back(), "Exiting. Status=0");
}

}  // namespace
}  // namespace validation_e2e
