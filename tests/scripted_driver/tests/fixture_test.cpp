#include "fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace scripted {
namespace {

TEST(FixtureTest, EmptyTextGivesDefaultConnectAndNoRules) {
  const Fixture fixture = ParseFixture("");
  EXPECT_FALSE(fixture.connect.user);
  EXPECT_EQ(fixture.connect.answer.outcome, Outcome::kSuccess);
  EXPECT_TRUE(fixture.rules.empty());
}

TEST(FixtureTest, ParsesConnectBlock) {
  const Fixture fixture = ParseFixture(R"(
# the connect of the upgrade
connect
  user "sa"
  info
    diag 01000 5701 "Changed database context to 'master'."
    diag 01S00 -7 "Invalid connection string attribute"
end
)");
  ASSERT_TRUE(fixture.connect.user);
  EXPECT_EQ(*fixture.connect.user, "sa");
  const Answer& answer = fixture.connect.answer;
  EXPECT_EQ(answer.outcome, Outcome::kInfo);
  const std::vector<DiagRecord> expected = {
      {"01000", 5701, "Changed database context to 'master'."},
      {"01S00", -7, "Invalid connection string attribute"}};
  EXPECT_EQ(answer.records, expected);
}

TEST(FixtureTest, ParsesResultSetWithIntTextAndNull) {
  const Fixture fixture = ParseFixture(R"(
rule exact "SELECT id, name FROM t"
  columns id:int name:text
  row 1 "one"
  row -9223372036854775808 null
  row null "say \"hi\" \\ [x] \t end"
end
)");
  ASSERT_EQ(fixture.rules.size(), 1u);
  const Rule& rule = fixture.rules[0];
  EXPECT_EQ(rule.mode, MatchMode::kExact);
  EXPECT_EQ(rule.pattern, "SELECT id, name FROM t");
  ASSERT_EQ(rule.answers.size(), 1u);
  const Answer& answer = rule.answers[0];
  ASSERT_EQ(answer.columns.size(), 2u);
  EXPECT_EQ(answer.columns[0].name, "id");
  EXPECT_EQ(answer.columns[0].type, ColumnType::kInt);
  EXPECT_EQ(answer.columns[1].name, "name");
  EXPECT_EQ(answer.columns[1].type, ColumnType::kText);
  ASSERT_EQ(answer.rows.size(), 3u);
  EXPECT_EQ(std::get<std::int64_t>(answer.rows[0][0]), 1);
  EXPECT_EQ(std::get<std::string>(answer.rows[0][1]), "one");
  EXPECT_EQ(std::get<std::int64_t>(answer.rows[1][0]), INT64_MIN);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(answer.rows[1][1]));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(answer.rows[2][0]));
  EXPECT_EQ(std::get<std::string>(answer.rows[2][1]), "say \"hi\" \\ [x] \t end");
}

TEST(FixtureTest, UnnamedColumnsHaveEmptyNames) {
  const Fixture fixture = ParseFixture("rule any\n  columns int text\nend\n");
  const Answer& answer = fixture.rules[0].answers[0];
  ASSERT_EQ(answer.columns.size(), 2u);
  EXPECT_EQ(answer.columns[0].name, "");
  EXPECT_EQ(answer.columns[1].type, ColumnType::kText);
}

TEST(FixtureTest, HereDocumentKeepsLinesVerbatim) {
  const Fixture fixture = ParseFixture(
      "rule exact <<SQL\n"
      "UPDATE t\n"
      "  SET a = \"b\" -- \\n stays\n"
      "# not a comment\n"
      "\n"
      "SQL\n"
      "  fail\n"
      "    diag HY000 1 <<END\n"
      "line one\n"
      "line two\n"
      "  END\n"
      "end\n");
  ASSERT_EQ(fixture.rules.size(), 1u);
  EXPECT_EQ(fixture.rules[0].pattern, "UPDATE t\n  SET a = \"b\" -- \\n stays\n# not a comment\n");
  EXPECT_EQ(fixture.rules[0].answers[0].records[0].message, "line one\nline two");
}

TEST(FixtureTest, AcceptsCrLfLineEnds) {
  const Fixture fixture = ParseFixture("rule exact \"A\"\r\n  no-data\r\nend\r\n");
  ASSERT_EQ(fixture.rules.size(), 1u);
  EXPECT_EQ(fixture.rules[0].pattern, "A");
  EXPECT_EQ(fixture.rules[0].answers[0].outcome, Outcome::kNoData);
}

TEST(FixtureTest, ParsesEveryAnswerKind) {
  const Fixture fixture = ParseFixture(R"(
rule prefix "UPDATE"
  affected 4
then
  no-data
then
  fail
    diag 23000 2627 "Violation of PRIMARY KEY constraint"
    diag 01000 3621 "The statement has been terminated."
end
rule contains "WAITFOR"
  block-until-cancel
end
rule glob "EXEC *"
  block-until-cancel 250
end
rule any
  sleep 15
  columns int
  row 1
  row 2
  fetch-fail 3
    diag 08S01 0 "Communication link failure"
end
)");
  ASSERT_EQ(fixture.rules.size(), 4u);
  const Rule& update = fixture.rules[0];
  ASSERT_EQ(update.answers.size(), 3u);
  EXPECT_EQ(update.answers[0].outcome, Outcome::kSuccess);
  EXPECT_EQ(update.answers[0].affectedRows, 4);
  EXPECT_EQ(update.answers[1].outcome, Outcome::kNoData);
  EXPECT_EQ(update.answers[2].outcome, Outcome::kError);
  EXPECT_EQ(update.answers[2].records.size(), 2u);

  EXPECT_EQ(fixture.rules[1].mode, MatchMode::kContains);
  EXPECT_EQ(fixture.rules[1].answers[0].wait, WaitKind::kBlockUntilCancel);
  EXPECT_EQ(fixture.rules[1].answers[0].waitMs, kDefaultBlockTimeoutMs);
  EXPECT_EQ(fixture.rules[2].mode, MatchMode::kGlob);
  EXPECT_EQ(fixture.rules[2].answers[0].waitMs, 250);

  const Answer& any = fixture.rules[3].answers[0];
  EXPECT_EQ(fixture.rules[3].mode, MatchMode::kAny);
  EXPECT_EQ(any.wait, WaitKind::kSleep);
  EXPECT_EQ(any.waitMs, 15);
  EXPECT_EQ(any.failingFetch, 3);
  EXPECT_TRUE(any.records.empty());
  ASSERT_EQ(any.fetchRecords.size(), 1u);
  EXPECT_EQ(any.fetchRecords[0].state, "08S01");
}

TEST(FixtureTest, SequenceRepeatsItsLastAnswer) {
  const Fixture fixture = ParseFixture("rule any\n  affected 1\nthen\n  affected 2\nend\n");
  const Rule& rule = fixture.rules[0];
  EXPECT_EQ(rule.AnswerForExecution(1).affectedRows, 1);
  EXPECT_EQ(rule.AnswerForExecution(2).affectedRows, 2);
  EXPECT_EQ(rule.AnswerForExecution(3).affectedRows, 2);
  EXPECT_EQ(rule.AnswerForExecution(1000).affectedRows, 2);
}

TEST(FixtureTest, FirstMatchingRuleWins) {
  const Fixture fixture = ParseFixture(R"(
rule exact "SELECT 1"
end
rule prefix "SELECT"
end
rule contains "FROM"
end
rule glob "D*E"
end
)");
  EXPECT_EQ(fixture.FindRule("SELECT 1"), 0u);
  EXPECT_EQ(fixture.FindRule("SELECT 1 FROM t"), 1u);
  EXPECT_EQ(fixture.FindRule("DELETE FROM t"), 2u);
  EXPECT_EQ(fixture.FindRule("DROP TABLE"), 3u);
  EXPECT_FALSE(fixture.FindRule("select 1"));  // matching is case-sensitive
  EXPECT_FALSE(fixture.FindRule(""));
  EXPECT_FALSE(fixture.FindRule("WITH x SELECT"));  // a prefix must start the statement
}

TEST(FixtureTest, ExactRuleMayMatchTheEmptyStatement) {
  const Fixture fixture = ParseFixture("rule exact \"\"\nend\n");
  EXPECT_EQ(fixture.FindRule(""), 0u);
  EXPECT_FALSE(fixture.FindRule(" "));
}

TEST(GlobTest, MatchesWholeText) {
  EXPECT_TRUE(GlobMatches("abc", "abc"));
  EXPECT_FALSE(GlobMatches("abc", "abcd"));
  EXPECT_FALSE(GlobMatches("bc", "abc"));
  EXPECT_TRUE(GlobMatches("*", ""));
  EXPECT_TRUE(GlobMatches("*", "any\nthing"));
  EXPECT_TRUE(GlobMatches("a*c", "ac"));
  EXPECT_TRUE(GlobMatches("a*c", "a\nbbb\nc"));
  EXPECT_FALSE(GlobMatches("a*c", "a\nbbb\ncd"));
  EXPECT_TRUE(GlobMatches("a?c", "abc"));
  EXPECT_FALSE(GlobMatches("a?c", "ac"));
  EXPECT_TRUE(GlobMatches("*x*y*", "..x..x..y.."));
  EXPECT_FALSE(GlobMatches("*x*y*", "..y..x.."));
  EXPECT_TRUE(GlobMatches("SELECT * FROM *Versions", "SELECT a, b FROM dbo.Versions"));
}

TEST(GlobTest, BackslashMakesTheNextCharacterLiteral) {
  EXPECT_TRUE(GlobMatches("100\\%\\*", "100%*"));
  EXPECT_FALSE(GlobMatches("a\\*", "abc"));
  EXPECT_TRUE(GlobMatches("a\\?", "a?"));
  EXPECT_FALSE(GlobMatches("a\\?", "ab"));
  EXPECT_TRUE(GlobMatches("C:\\\\temp", "C:\\temp"));
  EXPECT_TRUE(GlobMatches("end\\", "end\\"));  // a last lone backslash is itself
}

// Parses `text`, expecting a FixtureError at `line` whose text contains `part`.
void ExpectError(const std::string& text, int line, const std::string& part) {
  try {
    ParseFixture(text);
    ADD_FAILURE() << "no error for:\n" << text;
  } catch (const FixtureError& error) {
    EXPECT_EQ(error.line(), line) << error.what();
    EXPECT_NE(std::string(error.what()).find(part), std::string::npos)
        << "'" << error.what() << "' lacks '" << part << "'";
  }
}

TEST(FixtureErrorTest, ReportsTheLineAndTheProblem) {
  ExpectError("rule exact \"a\"\n  frob\nend\n", 2, "unknown keyword 'frob'");
  ExpectError("\n\nselect\n", 3, "expected 'connect' or 'rule'");
  ExpectError("rule exact \"a\"\n  ok\n", 1, "no 'end'");
  ExpectError("rule exact \"a\"\nrule any\nend\n", 2, "has no 'end'");
  ExpectError("rule any\n  diag HY000 1 \"x\"\nend\n", 2, "'diag' must follow");
  ExpectError("rule any\n  info\nend\n", 1, "'info' needs at least one 'diag'");
  ExpectError("rule any\nthen\n  fail\nend\n", 2, "'fail' needs at least one 'diag'");
  ExpectError("rule any\n  ok\n  no-data\nend\n", 3, "already has an outcome");
  ExpectError("rule any\n  columns int text\n  row 1\nend\n", 3, "1 values for 2 columns");
  ExpectError("rule any\n  row 1\nend\n", 2, "needs a 'columns' line");
  ExpectError("rule any\n  columns text\n  row abc\nend\n", 3, "column 1 is text");
  ExpectError("rule any\n  columns int\n  row \"1\"\nend\n", 3, "column 1 is int");
  ExpectError("rule any\n  columns int\n  row 1x\nend\n", 3, "must be an integer");
  ExpectError("rule any\n  columns float\nend\n", 2, "unknown column type 'float'");
  ExpectError("rule any\n  fail\n    diag 4200 1 \"x\"\nend\n", 3, "five digits or capital");
  ExpectError("rule any\n  fail\n    diag 42000 2147483648 \"x\"\nend\n", 3, "out of range");
  ExpectError("rule any\n  fail\n    diag 42000 1 x\nend\n", 3, "quoted string");
  ExpectError("rule any\n  fail\n    diag 42000 1 \"x\" extra\nend\n", 3, "unexpected 'extra'");
  ExpectError("rule any\n  fetch-fail 1\n    diag 08S01 0 \"x\"\nend\n", 1,
              "'fetch-fail' needs a result set");
  ExpectError("rule any\n  columns int\n  row 1\n  fetch-fail 3\n    diag 08S01 0 \"x\"\nend\n", 1,
              "after the end of the rows");
  ExpectError("rule any\n  columns int\n  fetch-fail 1\nend\n", 1,
              "'fetch-fail' needs at least one 'diag'");
  ExpectError("rule any\n  fail\n    diag 42000 1 \"x\"\n  columns int\nend\n", 1,
              "cannot have a result set");
  ExpectError("rule any\n  sleep 1\n  block-until-cancel\nend\n", 3, "already has a 'sleep'");
  ExpectError("rule any\n  block-until-cancel 0\nend\n", 2, "out of range");
  ExpectError("rule any\n  sleep\nend\n", 2, "needs more values");
  ExpectError("rule exact \"a\nend\n", 1, "not closed");
  ExpectError("rule exact \"a\\q\"\nend\n", 1, "unknown escape");
  ExpectError("rule exact \"a\"b\nend\n", 1, "space must follow");
  ExpectError("rule exact a\"b\"\nend\n", 1, "quote inside a word");
  ExpectError("rule exact <<SQL\nselect\n", 1, "no closing line 'SQL'");
  ExpectError("rule exact <<SQL trailing\nSQL\nend\n", 1, "must end its line");
  ExpectError("rule exact <<\nend\n", 1, "needs a tag");
  ExpectError("rule fuzzy \"a\"\nend\n", 1, "unknown match mode 'fuzzy'");
  ExpectError("rule contains \"\"\nend\n", 1, "empty pattern");
  ExpectError("rule any \"x\"\nend\n", 1, "unexpected 'x'");
  ExpectError("connect\nend\nconnect\nend\n", 3, "only one 'connect'");
  ExpectError("connect\n  ok\nthen\nend\n", 3, "not allowed in the connect block");
  ExpectError("connect\n  columns int\nend\n", 2, "not allowed in the connect block");
  ExpectError("rule any\n  user \"x\"\nend\n", 2, "belongs in the connect block");
  ExpectError("connect\n  user \"a\"\n  user \"b\"\nend\n", 3, "given twice");
  ExpectError("rule any\n  \"text\"\nend\n", 2, "must start with a keyword");
  ExpectError("rule any\n  fail\n    diag 42000 1 \"" + std::string(32768, 'm') + "\"\nend\n", 3,
              "at most 32767 bytes");
}

TEST(FixtureErrorTest, LineNumbersCountHereDocumentLines) {
  ExpectError("rule exact <<SQL\na\nb\nSQL\n  bogus\nend\n", 5, "unknown keyword 'bogus'");
}

}  // namespace
}  // namespace scripted
