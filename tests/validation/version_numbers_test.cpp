#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "validation/host_checks.h"

namespace {

struct ParseCase {
  std::string text;
  std::vector<std::int32_t> numbers;
};

class ParseVersionNumbersTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseVersionNumbersTest, ReadsNumbersUntilTheFirstFailureAndCompletesToThree) {
  EXPECT_EQ(ParseVersionNumbers(GetParam().text), GetParam().numbers)
      << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseVersionNumbersTest,
    ::testing::Values(ParseCase{"6.0.0", {6, 0, 0}}, ParseCase{"6.5", {6, 5, 0}},
                      ParseCase{"5.5.0 build", {5, 5, 0}}, ParseCase{"", {0, 0, 0}},
                      ParseCase{"6.0.0.1", {6, 0, 0, 1}}, ParseCase{"6..1", {6, 0, 0}},
                      ParseCase{"6.0.0U1", {6, 0, 0}}, ParseCase{".5", {0, 0, 0}},
                      ParseCase{"10.0.0", {10, 0, 0}}, ParseCase{"  7.1", {7, 1, 0}},
                      ParseCase{"+6.-2.3", {6, -2, 3}}, ParseCase{"6", {6, 0, 0}},
                      ParseCase{"6.", {6, 0, 0}}, ParseCase{"abc", {0, 0, 0}},
                      // A value beyond 32 bits ends the reading without being taken.
                      ParseCase{"6.2147483648.1", {6, 0, 0}},
                      ParseCase{"2147483647.1", {2147483647, 1, 0}},
                      // Ordinary extraction skips white space before a number.
                      ParseCase{"5.5.0 7", {5, 5, 0, 7}}, ParseCase{"1.2.3.4.5", {1, 2, 3, 4, 5}}));

struct AtLeastCase {
  std::string version;
  std::string minimum;
  bool atLeast;
};

class IsVersionAtLeastTest : public ::testing::TestWithParam<AtLeastCase> {};

TEST_P(IsVersionAtLeastTest, ComparesTheNumbersLexicographically) {
  EXPECT_EQ(IsVersionAtLeast(GetParam().version, GetParam().minimum), GetParam().atLeast)
      << "'" << GetParam().version << "' against '" << GetParam().minimum << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsVersionAtLeastTest,
    ::testing::Values(AtLeastCase{"6.0.0", "6.0.0", true}, AtLeastCase{"6.0", "6.0.0", true},
                      AtLeastCase{"6", "6.0.0", true}, AtLeastCase{"6.0.0.1", "6.0.0", true},
                      AtLeastCase{"10.0.0", "6.0.0", true}, AtLeastCase{"6.5.0", "6.0.0", true},
                      AtLeastCase{"5.5.0", "6.0.0", false}, AtLeastCase{"", "6.0.0", false},
                      AtLeastCase{"5.9.99", "6.0.0", false}, AtLeastCase{"6.0.0", "6.0.0.1", false},
                      // A fourth number of 0 still makes the longer list the greater one.
                      AtLeastCase{"6.0.0", "6.0.0.0", false}, AtLeastCase{"6.0.0.0", "6.0.0", true},
                      AtLeastCase{"6.0.0 beta", "6.0.0", true},
                      AtLeastCase{"5.5.0U3", "6.0.0", false}, AtLeastCase{"-1.0.0", "0.0.0", false},
                      AtLeastCase{"", "", true}, AtLeastCase{"7", "6.9.9", true}));

}  // namespace
