#include "settings/fresh_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace {

[[noreturn]] void ExitWithOutcome(const std::string& failure) {
  if (failure.empty()) std::_Exit(0);
  std::cerr << failure << std::endl;
  std::_Exit(1);
}

}  // namespace

void ExpectInFreshProcess(const std::function<std::string()>& check) {
  // "threadsafe" starts the child by executing the test program again instead of forking, so the
  // child does not inherit what this process has cached.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitWithOutcome(check()), ::testing::ExitedWithCode(0), "");
}
