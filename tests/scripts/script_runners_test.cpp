#include "scripts/batch_file.h"
#include "scripts/block_script.h"
#include "scripts/command_script.h"
#include "scripts/procedure_script.h"
#include "support/console_capture.h"

/// Runs the file "s" by the runner of its kind (cmds, proc, batch, block, or tag:<tag>), on the
/// database kind named after a "/" (PostgreSQL by default).
void RunScript(const std::string& kind, Database& database) {
  const std::size_t slash = kind.find('/');
  const DbType db =
      slash == std::string::npos ? DbType::postgresql : ParseDbType(kind.substr(slash + 1));
  if (kind.starts_with("cmds")) RunCommandScript("s", database);
  if (kind.starts_with("proc")) RunProcedureScript("s", database);
  if (kind.starts_with("batch")) RunBatchFile("s", database, db);
  if (kind.starts_with("block")) RunSqlBlockCommandScript("s", database, db, "");
  if (kind.starts_with("tag:")) RunSqlBlockCommandScript("s", database, db, kind.substr(4));
}

// The kind; the file "s" (without content: missing for cmds and proc, a folder for batch and
// block); the calls, run with a transaction open where the statements "F" and "create function F"
// fail; standard output after its first lines ("** s **" and, but in tag mode, "Executing SQL
// commands:"); standard error and the failure thrown.
const std::tuple<std::string, std::optional<std::string>, std::string, std::string, std::string>
    kCases[] = {
        {"cmds", "\uFEFFa;\r\n b ; c\nd;e\n  f  \r\ng;\n;\n h", "a|b|cd|e  f  \ng|h|",
         "a\nb\ncd\ne  f  \ng\n", ""},
        {"cmds", "a;\nF;\nc;\n", "a|F|", "a\nF\n", "Error while executing s:2, reason: boom\nboom"},
        {"proc", "x;\nCreate Or Replace Function f()\n;\n\n  create procedure p\nCREATE FUNCTION g",
         "Create Or Replace Function f()\n;|create procedure p|CREATE FUNCTION g|", "", ""},
        {"proc", "create function F\ncreate function g\n", "create function F|", "",
         "Error while executing s:2, reason: boom\nboom"},
        {"batch", " a \nb\n\n", "a \nb|", "** s **\nCommand: a \nb\n", ""},
        {"batch/oracle", "a\nb\n", "a b|", "** s **\nCommand: a b\n", ""},
        {"batch", "", "|", "** s **\n", ""},
        {"batch", "F", "F|", "** s **\nCommand: F\n",
         "Error while executing s, reason: boom\nboom"},
        {"block", "a\n<x/>\n/\n  /  \nb;\nc", "a\n<x/>|b;\nc|commit|", "", ""},
        {"block/mssql", "x\nGO\n go \ny\n", "x\nGO|y|commit|", "", ""},
        {"block/oracle", "s 1;\n/\nBEGIN x; END;\n/\n declare y;\n/\nz;\n",
         "s 1|BEGIN x; END;|declare y;|z;|commit|", "", ""},
        {"block", "a\n/\nF\n/\nc\n", "a|F|rollback|", "",
         "Error while executing s:4, reason: boom\nERROR: The transaction left open by s was "
         "rolled back: the statements that ran in it are undone.\n"},
        {"tag:b2", "old;\n<b1/>\n/\n  <b2/>  \nnew1;\n/\n<3/>\nnew2;\n<4/>\n",
         "new1;|new2;|UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = '4';|commit|",
         "Ignoring SQL commands until tag appeareance: <b2/>\nFound tag <b2/> at line 4\nExecuting "
         "SQL commands:\nStarting from line: 5\nLast tag:4Update command :UPDATE "
         "TWX_PATCH_VERSION SET CURRENT_VERSION = '4';",
         ""},
        {"tag:zz", "<a/>\nx;\n", "commit|",
         "Ignoring SQL commands until tag appeareance: <zz/>\nExecuting SQL commands:\nStarting "
         "from line: 3\n",
         ""},
        {"cmds", std::nullopt, "", "", "Cannot open command script file 's'."},
        {"proc", std::nullopt, "", "", "Cannot open procedures definition file 's'."},
        {"batch", std::nullopt, "", "", "Cannot open batch file 's'."},
        {"block", std::nullopt, "", "", "Cannot open block command script file 's'."},
};

TEST(ScriptRunnersTest, SplitStatementsAndReportFailures) {
  for (const auto& [kind, content, sent, out, errAndThrown] : kCases) {
    const WorkingFolder folder;
    if (content) folder.WriteFile("s", *content);
    if (!content && kind.starts_with("b")) std::filesystem::create_directory("s");
    FakeDatabase database;
    for (const char* failing : {"F", "create function F"}) database.Reply(failing, Rows("!boom"));
    database.transactionOpen = true;
    const Console console = Captured([&] { RunScript(kind, database); });
    const std::string head =
        kind.starts_with("tag:") ? "** s **\n" : "** s **\nExecuting SQL commands:\n";
    EXPECT_EQ(Joined(database.sent), sent);
    EXPECT_EQ(console.out, (content ? head : "") + out);
    EXPECT_EQ(console.err + console.thrown, errAndThrown);
  }
}
