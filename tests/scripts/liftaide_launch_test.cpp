#include "scripts/liftaide_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// Base64 of "TWDB", "tw" and "s3cret!".
constexpr const char* kDsn64 = "VFdEQg==";
constexpr const char* kUser64 = "dHc=";
constexpr const char* kPassword64 = "czNjcmV0IQ==";

TEST(LiftaideLaunchTest, MaskedLineHidesThePassword) {
  EXPECT_EQ(BuildLaunchCommandLine(600, "TWDB", "tw", "s3cret!", true),
            std::string(".\\liftaide 600 \"") + kDsn64 + "\" \"" + kUser64 + "\" \"*****\"");
}

TEST(LiftaideLaunchTest, RealLineCarriesTheBase64Password) {
  EXPECT_EQ(BuildLaunchCommandLine(650, "TWDB", "tw", "s3cret!", false),
            std::string(".\\liftaide 650 \"") + kDsn64 + "\" \"" + kUser64 + "\" \"" + kPassword64 +
                "\"");
}

TEST(LiftaideLaunchTest, EmptyUserNameLeavesOutUserAndPassword) {
  EXPECT_EQ(BuildLaunchCommandLine(550, "TWDB", "", "s3cret!", false),
            std::string(".\\liftaide 550 \"") + kDsn64 + "\"");
  EXPECT_EQ(BuildLaunchCommandLine(550, "TWDB", "", "s3cret!", true),
            std::string(".\\liftaide 550 \"") + kDsn64 + "\"");
  EXPECT_EQ(BuildLaunchArguments(550, "TWDB", "", "s3cret!"), (Args{"550", kDsn64}));
}

TEST(LiftaideLaunchTest, ArgumentsAreTheUnquotedParts) {
  EXPECT_EQ(BuildLaunchArguments(600, "TWDB", "tw", "s3cret!"),
            (Args{"600", kDsn64, kUser64, kPassword64}));
}

TEST(LiftaideLaunchTest, EmptyPasswordAndDsnAreStillArguments) {
  EXPECT_EQ(BuildLaunchArguments(600, "", "tw", ""), (Args{"600", "", kUser64, ""}));
  EXPECT_EQ(BuildLaunchCommandLine(600, "", "tw", "", false),
            std::string(".\\liftaide 600 \"\" \"") + kUser64 + "\" \"\"");
}

}  // namespace
