// Long diagnostic messages from the real PostgreSQL driver: each record is printed whole, as the
// server sent it, whether it reports a notice (the run goes on), a failing block (the run goes on
// with the next file) or a failing command script (the run ends).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "support/output_match.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kFolder = "Upgrade-v2016-to-v2017/postgresql/";
constexpr const char* kBlockPath = ".\\Upgrade-v2016-to-v2017\\postgresql\\upgrade_PostgreSQL.sql";
constexpr const char* kCommandPath =
    ".\\Upgrade-v2016-to-v2017\\postgresql\\TWDB_views_PostgreSQL.sql";

// What the driver can hand out at all: it keeps at most this many bytes of an error message
// (cutting before a character it would split), and it reports no record for a notice whose text
// does not fit a 16-bit length.
constexpr std::size_t kDriverErrorBytes = 4095;
constexpr std::size_t kDriverNoticeLimit = 32767;

enum class Place { notice, blockError, commandError };

struct Case {
  Place place;
  std::string character;  // "a" or a two-byte letter
  std::size_t bytes;      // size of the value in the message
};

std::string Repeated(const std::string& character, std::size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += character;
  return text;
}

/// The statement of a case, and the message that the server sends for it.
std::string StatementOf(const Case& c) {
  const std::string value =
      "repeat('" + c.character + "', " + std::to_string(c.bytes / c.character.size()) + ")";
  if (c.place == Place::notice) return "DO $$BEGIN RAISE NOTICE '%', " + value + "; END$$";
  return "SELECT " + value + "::int";
}

/// Cuts a text to at most n bytes without splitting a UTF-8 character.
std::string CutAtCharacter(const std::string& text, std::size_t n) {
  if (text.size() <= n) return text;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

/// The record lines of a case: the whole message, as far as the driver hands it out.
Lines RecordLines(const Case& c) {
  const std::string value = Repeated(c.character, c.bytes);
  if (c.place == Place::notice) {
    const std::string message = "NOTICE: " + value;
    if (message.size() > kDriverNoticeLimit) return {};
    return {"1 [00000](-1) " + message};
  }
  const std::string message = CutAtCharacter("ERROR: invalid input syntax for type integer: \"" +
                                                 value + "\";\nError while executing the query",
                                             kDriverErrorBytes);
  return SplitLines("1 [22P02](1) " + message);
}

Lines ReportLines(const std::string& title, const Case& c) {
  Lines lines = {title, StatementOf(c), "^^^^^^^^^^", ""};
  const Lines records = RecordLines(c);
  lines.insert(lines.end(), records.begin(), records.end());
  return lines;
}

Lines LinesFrom(const Lines& lines, const std::string& first, std::size_t count) {
  const auto found = std::find(lines.begin(), lines.end(), first);
  if (found == lines.end()) return {};
  return Lines(found, found + std::min<std::ptrdiff_t>(count, lines.end() - found));
}

class DiagnosticsTest : public E2eTest {};

TEST_F(DiagnosticsTest, LongMessagesArePrintedWholeAsOneRecord) {
  UsePostgres();
  std::vector<Case> cases;
  for (const Place place : {Place::notice, Place::blockError, Place::commandError}) {
    for (const std::string character : {"a", "\xC3\xA9"}) {
      for (const std::size_t bytes : {1000u, 5000u, 40000u})
        cases.push_back({place, character, bytes});
    }
  }
  std::vector<std::string> arguments = ConnectArguments();
  arguments.insert(arguments.end(), {"-b", "650"});
  for (const Case& c : cases) {
    SCOPED_TRACE(StatementOf(c));
    const bool inCommand = c.place == Place::commandError;
    temp().WriteFile(std::string("work/") + kFolder + "upgrade_PostgreSQL.sql",
                     (inCommand ? std::string("SELECT 1") : StatementOf(c)) + "\n/\nSELECT 2\n/\n");
    temp().WriteFile(std::string("work/") + kFolder + "TWDB_views_PostgreSQL.sql",
                     (inCommand ? StatementOf(c) : std::string("SELECT 3")) + ";\n");
    const ProgramRun run = RunSchemalift(arguments);
    // Every case ends the run: a command script fails, or the next file of the step is missing.
    EXPECT_EQ(run.exitStatus, 1);
    const Lines out = run.OutLines();
    const Lines err = run.ErrLines();
    if (c.place == Place::notice) {
      Lines expected = ReportLines("INFO: Statement info(rc=1).", c);
      expected.insert(expected.end(), {"{TS} - Done.", "{TS} - Executing: ", "SELECT 2"});
      EXPECT_LINES(LinesFrom(out, expected.front(), expected.size()), expected);
    } else if (c.place == Place::blockError) {
      const Lines expected = ReportLines("Error while executing " + std::string(kBlockPath) +
                                             ":2, reason: Statement failure(rc=-1).",
                                         c);
      EXPECT_LINES(LinesFrom(err, expected.front(), expected.size()), expected);
      EXPECT_NE(std::find(out.begin(), out.end(), "SELECT 3"), out.end());  // the run went on
    } else {
      Lines expected = ReportLines("Error while executing " + std::string(kCommandPath) +
                                       ":1, reason: Statement failure(rc=-1).",
                                   c);
      expected.push_back("ERROR: Statement failure(rc=-1).");
      EXPECT_LINES(LinesFrom(err, expected.front(), expected.size()), expected);
      EXPECT_EQ(out.back(), "Exiting. Status=1");
    }
  }
}

}  // namespace
