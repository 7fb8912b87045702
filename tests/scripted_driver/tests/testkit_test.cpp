#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "journal.h"
#include "scripted_odbc_home.h"

namespace scripted_odbc {
namespace {

std::string Read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(JournalLineTest, TakesEventsApart) {
  EXPECT_EQ(ParseJournalLine("EXEC #3 SELECT 1"), (JournalEvent{"EXEC", 3, "SELECT 1"}));
  EXPECT_EQ(ParseJournalLine("ALLOC STMT #12"), (JournalEvent{"ALLOC STMT", 12, ""}));
  EXPECT_EQ(ParseJournalLine("FREE STMT #2"), (JournalEvent{"FREE STMT", 2, ""}));
  EXPECT_EQ(ParseJournalLine("FETCH #1 row"), (JournalEvent{"FETCH", 1, "row"}));
  EXPECT_EQ(ParseJournalLine("DISCONNECT"), (JournalEvent{"DISCONNECT", 0, ""}));
  EXPECT_EQ(ParseJournalLine("CONNECT-RESULT ok"), (JournalEvent{"CONNECT-RESULT", 0, "ok"}));
  EXPECT_EQ(ParseJournalLine("CONNECT dsn=a user=x #1"),
            (JournalEvent{"CONNECT", 0, "dsn=a user=x #1"}));
  EXPECT_EQ(ParseJournalLine("EXEC #1 a\\nb #2 \\\\"), (JournalEvent{"EXEC", 1, "a\nb #2 \\"}));
}

TEST(JournalLineTest, UnescapeReversesTheDriversEscaping) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  for (const std::string& text :
       {std::string("plain"), std::string("a\\b\\\\c"), std::string("\\n is not \n"),
        std::string("x\r\n\ty\x01\x7F"), every}) {
    EXPECT_EQ(UnescapeJournal(scripted::EscapeForJournal(text)), text);
  }
}

TEST(JournalLineTest, UnfreedStatementsCountsEachConnectionApart) {
  const std::vector<JournalEvent> events = ParseJournal(
      {"CONNECT dsn=a user=u", "ALLOC STMT #1", "ALLOC STMT #2", "FREE STMT #1", "UNFREED STMT #2",
       "DISCONNECT", "CONNECT dsn=a user=u", "ALLOC STMT #1", "ALLOC STMT #2", "FREE STMT #2"});
  EXPECT_EQ(UnfreedStatements(events), (std::vector<int>{2, 1}));
  EXPECT_TRUE(UnfreedStatements(ParseJournal({"ALLOC STMT #1", "FREE STMT #1"})).empty());
}

TEST(OdbcHomeTest, WritesDriversAndDataSources) {
  OdbcHome& home = OdbcHome::Instance();
  EXPECT_TRUE(std::filesystem::exists(DriverLibraryPath())) << DriverLibraryPath();
  const char* variable = std::getenv("ODBCSYSINI");
  ASSERT_NE(variable, nullptr);
  EXPECT_EQ(home.folder(), std::filesystem::path(variable));

  const std::string drivers = Read(home.folder() / "odbcinst.ini");
  for (const char* name : {kSqlServerDriver, kSqlServerNativeDriver, kOracleDriver}) {
    EXPECT_NE(drivers.find(std::string("[") + name + "]\n"), std::string::npos) << name;
  }
  EXPECT_NE(drivers.find(std::string("Driver=") + DriverLibraryPath() + "\n"), std::string::npos);

  DataSourceOptions options;
  options.driver = kOracleDriver;
  options.fixture = "rule any\nend\n";
  options.entries = {{"Server", "db01"}};
  const DataSource first = home.AddDataSource(options);
  const DataSource second = home.AddDataSource("");
  EXPECT_NE(first.name, second.name);
  EXPECT_EQ(Read(first.fixture), "rule any\nend\n");
  const std::string sources = Read(home.folder() / "odbc.ini");
  EXPECT_NE(sources.find("[" + first.name + "]\nDriver=" + kOracleDriver +
                         "\nFixture=" + first.fixture.string() +
                         "\nJournal=" + first.journal.string() + "\nServer=db01\n"),
            std::string::npos)
      << sources;
  EXPECT_TRUE(first.JournalLines().empty());

  first.WriteFixture("rule exact \"x\"\nend\n");
  EXPECT_EQ(Read(first.fixture), "rule exact \"x\"\nend\n");
}

TEST(OdbcHomeTest, RegistersMoreDriverNamesOnce) {
  OdbcHome& home = OdbcHome::Instance();
  home.RegisterDriver("Scripted Extra Driver");
  home.RegisterDriver("Scripted Extra Driver");
  const std::string drivers = Read(home.folder() / "odbcinst.ini");
  const std::string section = "[Scripted Extra Driver]\n";
  const std::size_t at = drivers.find(section);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(drivers.find(section, at + 1), std::string::npos);
}

}  // namespace
}  // namespace scripted_odbc
