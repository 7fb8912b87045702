#include "fixture.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <utility>

namespace scripted {
namespace {

constexpr std::size_t kMaxMessageLength = 32767;  // the text length of a record is a SQLSMALLINT

struct Token {
  bool isString = false;  // quoted string or here-document
  std::string text;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsHereDocTag(std::string_view tag) {
  return !tag.empty() && std::all_of(tag.begin(), tag.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
  });
}

enum class DiagTarget { kNone, kAnswer, kFetch };
enum class BlockKind { kConnect, kRule };

class Parser {
 public:
  explicit Parser(std::string_view text) : lines_(SplitLines(text)) {}

  Fixture Parse() {
    Fixture fixture;
    bool connectSeen = false;
    std::vector<Token> tokens;
    while (NextLine(tokens)) {
      const std::string& keyword = Keyword(tokens);
      if (keyword == "connect") {
        if (connectSeen) Fail("only one 'connect' block is allowed");
        connectSeen = true;
        ExpectCount(tokens, 1);
        fixture.connect = ParseConnectBlock();
      } else if (keyword == "rule") {
        fixture.rules.push_back(ParseRuleBlock(tokens));
      } else {
        Fail("expected 'connect' or 'rule', found '" + keyword + "'");
      }
    }
    return fixture;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw FixtureError(lineNumber_, what); }

  // Reads the next line that is neither blank nor a comment; false at the end of the text.
  bool NextLine(std::vector<Token>& tokens) {
    while (next_ < lines_.size()) {
      lineNumber_ = static_cast<int>(next_) + 1;
      const std::string_view line = Trim(lines_[next_++]);
      if (line.empty() || line.front() == '#') continue;
      tokens = Tokenize(line);
      return true;
    }
    return false;
  }

  std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
      if (IsBlank(line[i])) {
        ++i;
        continue;
      }
      Token token;
      if (line[i] == '"') {
        token.isString = true;
        i = ReadQuoted(line, i + 1, token.text);
        if (i < line.size() && !IsBlank(line[i])) Fail("a space must follow a closing quote");
      } else {
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
          if (line[i] == '"') Fail("a quote inside a word; put a space before the string");
          ++i;
        }
        token.text = std::string(line.substr(start, i - start));
        if (token.text.starts_with("<<")) {
          const std::string tag = token.text.substr(2);
          if (!IsHereDocTag(tag)) Fail("a here-document needs a tag of letters, digits, _ or -");
          if (!Trim(line.substr(i)).empty()) Fail("a here-document must end its line");
          token.isString = true;
          token.text = ReadHereDoc(tag);
          tokens.push_back(std::move(token));
          return tokens;
        }
      }
      tokens.push_back(std::move(token));
    }
    return tokens;
  }

  // Reads a quoted string whose opening quote is just before `i`; returns the index after the
  // closing quote.
  std::size_t ReadQuoted(std::string_view line, std::size_t i, std::string& out) const {
    while (i < line.size()) {
      const char c = line[i++];
      if (c == '"') return i;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i >= line.size()) break;
      switch (line[i++]) {
        case '\\':
          out += '\\';
          break;
        case '"':
          out += '"';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        default:
          Fail(std::string("unknown escape '\\") + line[i - 1] + "' (use \\\\ \\\" \\n \\r \\t)");
      }
    }
    Fail("a string is not closed with '\"'");
  }

  std::string ReadHereDoc(const std::string& tag) {
    const int start = lineNumber_;
    std::string body;
    bool first = true;
    while (next_ < lines_.size()) {
      const std::string_view line = lines_[next_++];
      if (Trim(line) == tag) {
        lineNumber_ = static_cast<int>(next_);
        return body;
      }
      if (!first) body += '\n';
      body += line;
      first = false;
    }
    throw FixtureError(start, "the here-document '" + tag + "' has no closing line '" + tag + "'");
  }

  const std::string& Keyword(const std::vector<Token>& tokens) const {
    if (tokens.front().isString) Fail("a line must start with a keyword, not a string");
    return tokens.front().text;
  }

  void ExpectCount(const std::vector<Token>& tokens, std::size_t count) const {
    if (tokens.size() > count)
      Fail("unexpected '" + tokens[count].text + "' after '" + tokens.front().text + "'");
    if (tokens.size() < count) Fail("'" + tokens.front().text + "' needs more values");
  }

  std::int64_t Integer(const Token& token, std::int64_t low, std::int64_t high,
                       const char* what) const {
    std::int64_t value = 0;
    const char* begin = token.text.data();
    const char* end = begin + token.text.size();
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (token.isString || token.text.empty() || error != std::errc() || ptr != end) {
      Fail(std::string(what) + " must be an integer, found '" + token.text + "'");
    }
    if (value < low || value > high) {
      Fail(std::string(what) + " " + token.text + " is out of range [" + std::to_string(low) +
           ", " + std::to_string(high) + "]");
    }
    return value;
  }

  const std::string& String(const Token& token, const char* what) const {
    if (!token.isString) Fail(std::string(what) + " must be a quoted string or a here-document");
    return token.text;
  }

  DiagRecord ParseDiag(const std::vector<Token>& tokens) const {
    ExpectCount(tokens, 4);
    DiagRecord record;
    record.state = tokens[1].text;
    const bool stateOk = record.state.size() == 5 &&
                         std::all_of(record.state.begin(), record.state.end(), [](char c) {
                           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
                         });
    if (!stateOk)
      Fail("a SQLSTATE is five digits or capital letters, found '" + record.state + "'");
    record.native = static_cast<std::int32_t>(
        Integer(tokens[2], std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max(), "the native error"));
    record.message = String(tokens[3], "the message");
    if (record.message.size() > kMaxMessageLength) {
      Fail("a message may have at most " + std::to_string(kMaxMessageLength) + " bytes");
    }
    return record;
  }

  std::vector<Column> ParseColumns(const std::vector<Token>& tokens) const {
    if (tokens.size() < 2) Fail("'columns' needs at least one column");
    std::vector<Column> columns;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
      if (tokens[i].isString) Fail("a column is written name:type or type");
      std::string_view typeName = tokens[i].text;
      Column column;
      const std::size_t colon = typeName.rfind(':');
      if (colon != std::string_view::npos) {
        column.name = std::string(typeName.substr(0, colon));
        if (column.name.empty()) Fail("an empty column name before ':'");
        typeName.remove_prefix(colon + 1);
      }
      if (typeName == "int") {
        column.type = ColumnType::kInt;
      } else if (typeName == "text") {
        column.type = ColumnType::kText;
      } else {
        Fail("unknown column type '" + std::string(typeName) + "' (int or text)");
      }
      columns.push_back(std::move(column));
    }
    return columns;
  }

  Row ParseRow(const std::vector<Token>& tokens, const std::vector<Column>& columns) const {
    if (columns.empty()) Fail("'row' needs a 'columns' line before it");
    if (tokens.size() - 1 != columns.size()) {
      Fail("the row has " + std::to_string(tokens.size() - 1) + " values for " +
           std::to_string(columns.size()) + " columns");
    }
    Row row;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Token& token = tokens[i + 1];
      const std::string number = std::to_string(i + 1);
      if (!token.isString && token.text == "null") {
        row.emplace_back(std::monostate{});
      } else if (columns[i].type == ColumnType::kInt) {
        if (token.isString) Fail("column " + number + " is int: write a number or null");
        row.emplace_back(Integer(token, std::numeric_limits<std::int64_t>::min(),
                                 std::numeric_limits<std::int64_t>::max(), "an int value"));
      } else {
        if (!token.isString) Fail("column " + number + " is text: write a quoted string or null");
        row.emplace_back(token.text);
      }
    }
    return row;
  }

  void SetOutcome(Answer& answer, Outcome outcome, bool& outcomeSet) const {
    if (outcomeSet) Fail("the answer already has an outcome (ok, info, fail or no-data)");
    outcomeSet = true;
    answer.outcome = outcome;
  }

  void CheckAnswer(const Answer& answer, int line) const {
    const auto fail = [line](const std::string& what) { throw FixtureError(line, what); };
    if (answer.outcome == Outcome::kInfo && answer.records.empty()) {
      fail("'info' needs at least one 'diag' line");
    }
    if (answer.outcome == Outcome::kError && answer.records.empty()) {
      fail("'fail' needs at least one 'diag' line");
    }
    if ((answer.outcome == Outcome::kError || answer.outcome == Outcome::kNoData) &&
        answer.HasResultSet()) {
      fail("an answer with 'fail' or 'no-data' cannot have a result set");
    }
    if (answer.failingFetch) {
      if (!answer.HasResultSet()) fail("'fetch-fail' needs a result set");
      if (answer.fetchRecords.empty()) fail("'fetch-fail' needs at least one 'diag' line");
      if (*answer.failingFetch > static_cast<std::int64_t>(answer.rows.size()) + 1) {
        fail("'fetch-fail' names a fetch after the end of the rows");
      }
    }
  }

  // Reads the lines of a block up to its 'end'; `answers` receives one or more answers.
  void ParseBlockBody(BlockKind kind, std::vector<Answer>& answers,
                      std::optional<std::string>* user) {
    const int blockLine = lineNumber_;
    Answer answer;
    answer.line = blockLine;
    bool outcomeSet = false;
    bool waitSet = false;
    DiagTarget target = DiagTarget::kNone;
    const bool isRule = kind == BlockKind::kRule;
    const auto finish = [&] {
      CheckAnswer(answer, answer.line);
      answers.push_back(std::move(answer));
      answer = Answer{};
      outcomeSet = false;
      waitSet = false;
      target = DiagTarget::kNone;
    };
    const auto ruleOnly = [&](const std::string& keyword) {
      if (!isRule) Fail("'" + keyword + "' is not allowed in the connect block");
    };

    std::vector<Token> tokens;
    while (true) {
      if (!NextLine(tokens)) {
        throw FixtureError(blockLine, "the block has no 'end' line");
      }
      const std::string keyword = Keyword(tokens);
      if (keyword == "end") {
        ExpectCount(tokens, 1);
        finish();
        return;
      }
      if (keyword == "then") {
        ruleOnly(keyword);
        ExpectCount(tokens, 1);
        finish();
        answer.line = lineNumber_;
      } else if (keyword == "ok") {
        ExpectCount(tokens, 1);
        SetOutcome(answer, Outcome::kSuccess, outcomeSet);
        target = DiagTarget::kNone;
      } else if (keyword == "info") {
        ExpectCount(tokens, 1);
        SetOutcome(answer, Outcome::kInfo, outcomeSet);
        target = DiagTarget::kAnswer;
      } else if (keyword == "fail") {
        ExpectCount(tokens, 1);
        SetOutcome(answer, Outcome::kError, outcomeSet);
        target = DiagTarget::kAnswer;
      } else if (keyword == "no-data") {
        ruleOnly(keyword);
        ExpectCount(tokens, 1);
        SetOutcome(answer, Outcome::kNoData, outcomeSet);
        target = DiagTarget::kNone;
      } else if (keyword == "diag") {
        if (target == DiagTarget::kNone) Fail("'diag' must follow 'info', 'fail' or 'fetch-fail'");
        DiagRecord record = ParseDiag(tokens);
        (target == DiagTarget::kAnswer ? answer.records : answer.fetchRecords)
            .push_back(std::move(record));
      } else if (keyword == "user") {
        if (isRule) Fail("'user' belongs in the connect block");
        ExpectCount(tokens, 2);
        if (user->has_value()) Fail("'user' is given twice");
        *user = String(tokens[1], "the user name");
      } else if (keyword == "affected") {
        ruleOnly(keyword);
        ExpectCount(tokens, 2);
        if (answer.affectedRows) Fail("'affected' is given twice");
        answer.affectedRows = Integer(tokens[1], 0, std::numeric_limits<std::int64_t>::max(),
                                      "the affected row count");
      } else if (keyword == "columns") {
        ruleOnly(keyword);
        if (answer.HasResultSet()) Fail("'columns' is given twice in one answer");
        answer.columns = ParseColumns(tokens);
      } else if (keyword == "row") {
        ruleOnly(keyword);
        answer.rows.push_back(ParseRow(tokens, answer.columns));
      } else if (keyword == "fetch-fail") {
        ruleOnly(keyword);
        ExpectCount(tokens, 2);
        if (answer.failingFetch) Fail("'fetch-fail' is given twice in one answer");
        answer.failingFetch = Integer(tokens[1], 1, std::numeric_limits<std::int32_t>::max(),
                                      "the failing fetch number");
        target = DiagTarget::kFetch;
      } else if (keyword == "sleep" || keyword == "block-until-cancel") {
        ruleOnly(keyword);
        if (waitSet) Fail("the answer already has a 'sleep' or 'block-until-cancel'");
        waitSet = true;
        const bool sleep = keyword == "sleep";
        ExpectCount(tokens, sleep ? 2 : std::min<std::size_t>(tokens.size(), 2));
        answer.wait = sleep ? WaitKind::kSleep : WaitKind::kBlockUntilCancel;
        answer.waitMs = tokens.size() == 2
                            ? Integer(tokens[1], sleep ? 0 : 1, 24LL * 3600 * 1000, "the time")
                            : kDefaultBlockTimeoutMs;
      } else if (keyword == "connect" || keyword == "rule") {
        Fail("'" + keyword + "' inside a block: the block at line " + std::to_string(blockLine) +
             " has no 'end'");
      } else {
        Fail("unknown keyword '" + keyword + "'");
      }
    }
  }

  ConnectScript ParseConnectBlock() {
    ConnectScript script;
    std::vector<Answer> answers;
    ParseBlockBody(BlockKind::kConnect, answers, &script.user);
    script.answer = std::move(answers.front());
    return script;
  }

  Rule ParseRuleBlock(const std::vector<Token>& tokens) {
    Rule rule;
    rule.line = lineNumber_;
    if (tokens.size() < 2 || tokens[1].isString) Fail("'rule' needs a match mode");
    const std::string& mode = tokens[1].text;
    if (mode == "any") {
      rule.mode = MatchMode::kAny;
      ExpectCount(tokens, 2);
    } else {
      if (mode == "exact") {
        rule.mode = MatchMode::kExact;
      } else if (mode == "prefix") {
        rule.mode = MatchMode::kPrefix;
      } else if (mode == "contains") {
        rule.mode = MatchMode::kContains;
      } else if (mode == "glob") {
        rule.mode = MatchMode::kGlob;
      } else {
        Fail("unknown match mode '" + mode + "' (exact, prefix, contains, glob or any)");
      }
      ExpectCount(tokens, 3);
      rule.pattern = String(tokens[2], "the pattern");
      if (rule.pattern.empty() && rule.mode != MatchMode::kExact) {
        Fail("an empty pattern; use 'rule any' to match every statement");
      }
    }
    std::optional<std::string> noUser;
    ParseBlockBody(BlockKind::kRule, rule.answers, &noUser);
    return rule;
  }

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  int lineNumber_ = 0;
};

enum class GlobKind { kLiteral, kOne, kAny };

struct GlobItem {
  GlobKind kind;
  char c;
};

std::vector<GlobItem> CompileGlob(std::string_view pattern) {
  std::vector<GlobItem> items;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      items.push_back({GlobKind::kLiteral, pattern[++i]});
    } else if (c == '*') {
      items.push_back({GlobKind::kAny, c});
    } else if (c == '?') {
      items.push_back({GlobKind::kOne, c});
    } else {
      items.push_back({GlobKind::kLiteral, c});
    }
  }
  return items;
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view text) {
  const std::vector<GlobItem> items = CompileGlob(pattern);
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starItem = kNone;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < items.size() && (items[p].kind == GlobKind::kOne ||
                             (items[p].kind == GlobKind::kLiteral && items[p].c == text[t]))) {
      ++p;
      ++t;
    } else if (p < items.size() && items[p].kind == GlobKind::kAny) {
      starItem = p++;
      starText = t;
    } else if (starItem != kNone) {
      // Let the last '*' take one more character and try again.
      p = starItem + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < items.size() && items[p].kind == GlobKind::kAny) ++p;
  return p == items.size();
}

bool Rule::Matches(std::string_view statement) const {
  switch (mode) {
    case MatchMode::kExact:
      return statement == pattern;
    case MatchMode::kPrefix:
      return statement.starts_with(pattern);
    case MatchMode::kContains:
      return statement.find(pattern) != std::string_view::npos;
    case MatchMode::kGlob:
      return GlobMatches(pattern, statement);
    case MatchMode::kAny:
      return true;
  }
  return false;
}

const Answer& Rule::AnswerForExecution(std::size_t execution) const {
  const std::size_t index = std::min(execution == 0 ? 0 : execution - 1, answers.size() - 1);
  return answers[index];
}

std::optional<std::size_t> Fixture::FindRule(std::string_view statement) const {
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (rules[i].Matches(statement)) return i;
  }
  return std::nullopt;
}

Fixture ParseFixture(std::string_view text) {
  return Parser(text).Parse();
}

}  // namespace scripted
