#include "platform/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "script_test_support.h"

namespace {

TEST(ProcessTest, ReturnsTheExitCode) {
  EXPECT_EQ(RunProcess("/bin/sh", {"-c", "exit 0"}), 0);
  EXPECT_EQ(RunProcess("/bin/sh", {"-c", "exit 7"}), 7);
  EXPECT_EQ(RunProcess("/bin/sh", {"-c", "exit 255"}), 255);
}

TEST(ProcessTest, SignalGivesOneHundredTwentyEightPlusItsNumber) {
  EXPECT_EQ(RunProcess("/bin/sh", {"-c", "kill -TERM $$"}), 128 + 15);
  EXPECT_EQ(RunProcess("/bin/sh", {"-c", "kill -KILL $$"}), 128 + 9);
}

TEST(ProcessTest, ProgramThatCannotBeStartedGivesMinusOne) {
  ScratchFolder folder;
  EXPECT_EQ(RunProcess("./liftaide", {}), -1);
  folder.WriteFile("liftaide", "#!/bin/sh\nexit 0\n");  // not executable
  EXPECT_EQ(RunProcess("./liftaide", {}), -1);
}

TEST(ProcessTest, RelativeProgramIsTakenFromTheWorkingFolderWithArgumentsAsGiven) {
  ScratchFolder folder;
  folder.WriteFile("liftaide",
                   "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args.txt\n"
                   "exit 3\n");
  std::filesystem::permissions(folder.path() / "liftaide", std::filesystem::perms::owner_all);
  EXPECT_EQ(RunProcess("./liftaide", {"600", "a b", "", "\"q\"", "$HOME"}), 3);
  std::ifstream recorded(folder.path() / "args.txt");
  std::vector<std::string> lines;
  for (std::string line; std::getline(recorded, line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"[600]", "[a b]", "[]", "[\"q\"]", "[$HOME]"}));
}

TEST(ProcessTest, NoSearchPathForABareName) {
  ScratchFolder folder;
  EXPECT_EQ(RunProcess("true", {}), -1);
}

}  // namespace
