#include "driver/option_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kOptions = "b:d:p:t:u:v:s:eym";

struct Scanned {
  std::vector<std::string> events;  // letter, with "=argument" when one came
  std::string messages;             // what the scanner wrote to standard error
};

Scanned Scan(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  OptionScanner scanner;
  Scanned scanned;
  testing::internal::CaptureStderr();
  for (int guard = 0; guard < 50; ++guard) {
    const int letter = scanner.GetOption(static_cast<int>(arguments.size()), argv.data(), kOptions);
    if (letter == -1) break;
    std::string event = letter == 0 ? std::string("\\0") : std::string(1, static_cast<char>(letter));
    if (scanner.optionArgument() != nullptr) event += std::string("=") + scanner.optionArgument();
    scanned.events.push_back(event);
  }
  scanned.messages = testing::internal::GetCapturedStderr();
  return scanned;
}

using Events = std::vector<std::string>;

TEST(OptionScannerTest, ReadsLettersAndArguments) {
  EXPECT_EQ(Scan({"prog", "-b", "650", "-y", "-t", "mssql"}).events,
            (Events{"b=650", "y", "t=mssql"}));
  EXPECT_EQ(Scan({"prog", "-b650"}).events, (Events{"b=650"}));
  EXPECT_EQ(Scan({"prog", "-ey"}).events, (Events{"e", "y"}));
  EXPECT_EQ(Scan({"prog", "-yb650"}).events, (Events{"y", "b=650"}));
}

TEST(OptionScannerTest, TakesTheNextElementAsArgumentWhateverItLooksLike) {
  EXPECT_EQ(Scan({"prog", "-v", "-y"}).events, (Events{"v=-y"}));
  EXPECT_EQ(Scan({"prog", "-s", ""}).events, (Events{"s="}));
}

TEST(OptionScannerTest, SlashIntroducesOptionsToo) {
  EXPECT_EQ(Scan({"prog", "/y", "/b", "600"}).events, (Events{"y", "b=600"}));
}

TEST(OptionScannerTest, SkipsNonOptionsAnywhere) {
  EXPECT_EQ(Scan({"prog", "first", "-y", "middle", "-b", "600", "last"}).events,
            (Events{"y", "b=600"}));
  EXPECT_TRUE(Scan({"prog", "only", "words"}).events.empty());
}

TEST(OptionScannerTest, BareDoubleDashEndsTheOptions) {
  EXPECT_EQ(Scan({"prog", "-e", "--", "-y"}).events, (Events{"e"}));
}

TEST(OptionScannerTest, ReportsUnrecognizedLettersWithTheRestOfTheElement) {
  const Scanned scanned = Scan({"./prog", "-ey650"});
  ASSERT_GE(scanned.events.size(), 3u);
  EXPECT_EQ(scanned.events[0], "e");
  EXPECT_EQ(scanned.events[1], "y");
  EXPECT_EQ(scanned.events[2], "?");
  EXPECT_EQ(scanned.messages.substr(0, scanned.messages.find('\n') + 1),
            "./prog: unrecognized option '650'\n");
}

TEST(OptionScannerTest, ReportsDoubleSlashAsUnrecognizedSlashOption) {
  const Scanned scanned = Scan({"prog", "//y"});
  ASSERT_FALSE(scanned.events.empty());
  EXPECT_EQ(scanned.events[0], "?");
  EXPECT_EQ(scanned.messages.substr(0, scanned.messages.find('\n') + 1),
            "prog: unrecognized option '/y'\n");
}

TEST(OptionScannerTest, ReportsLongOptionsByName) {
  const Scanned scanned = Scan({"bin/prog", "--help"});
  EXPECT_EQ(scanned.events, (Events{"?"}));
  EXPECT_EQ(scanned.messages, "bin/prog: unrecognized option 'help'\n");
}

TEST(OptionScannerTest, ReportsAMissingArgumentAtTheEnd) {
  const Scanned scanned = Scan({"prog", "-y", "-b"});
  EXPECT_EQ(scanned.events, (Events{"y", "?"}));
  EXPECT_EQ(scanned.messages, "prog: option 'b' requires an argument\n");
}

TEST(OptionScannerTest, ReturnsZeroForALoneDashAndColonForTheColonLetter) {
  const Scanned dash = Scan({"prog", "-"});
  EXPECT_EQ(dash.events, (Events{"\\0"}));
  EXPECT_EQ(dash.messages, "");
  EXPECT_EQ(Scan({"prog", "/"}).events, (Events{"\\0"}));
  const Scanned colon = Scan({"prog", "-:"});
  EXPECT_EQ(colon.events, (Events{":"}));
  EXPECT_EQ(colon.messages, "");
}

TEST(OptionScannerTest, HasNoOptionsWithoutArguments) {
  EXPECT_TRUE(Scan({"prog"}).events.empty());
}

}  // namespace
