#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ParseDecimalInt32Test, BehavesLikeAtoiAndSaturates) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"650", 650},        {"  600", 600},          {"+601", 601},
      {"-1", -1},          {"600x", 600},           {"abc", 0},
      {"", 0},             {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
      {"2147483647", INT32_MAX},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInt32(text), expected) << text;
}

}  // namespace
