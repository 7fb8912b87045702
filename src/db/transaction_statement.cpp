#include "db/transaction_statement.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

/// The words of a single statement in lower case; empty when the text holds several statements.
std::vector<std::string> LowerCaseWords(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \n\r\t\v\f;");
  text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
  if (text.find(';') != std::string_view::npos) return {};
  std::vector<std::string> words;
  std::string word;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool IsPostgresqlTransactionOpenAfter(bool openBefore, const std::vector<std::string>& words) {
  const std::string& first = words[0];
  const std::string second = words.size() > 1 ? words[1] : std::string();
  if (first == "begin" || (first == "start" && second == "transaction")) return true;
  if (first == "prepare" && second == "transaction") return false;
  if (second == "prepared") return openBefore;
  if (first == "commit" || first == "end" || first == "abort") return false;
  if (first == "rollback") return second == "to" ? openBefore : false;
  return openBefore;
}

bool IsMssqlTransactionOpenAfter(bool openBefore, const std::vector<std::string>& words) {
  const std::string& first = words[0];
  const std::string second = words.size() > 1 ? words[1] : std::string();
  if (first == "begin") {
    return second == "tran" || second == "transaction" || second == "distributed" || openBefore;
  }
  if (first == "commit" || first == "rollback") return false;
  return openBefore;
}

}  // namespace

bool IsTransactionOpenAfter(bool openBefore, std::string_view text, DbType dbType) {
  const std::vector<std::string> words = LowerCaseWords(text);
  if (words.empty()) return openBefore;
  switch (dbType) {
    case DbType::postgresql:
      return IsPostgresqlTransactionOpenAfter(openBefore, words);
    case DbType::mssql:
      return IsMssqlTransactionOpenAfter(openBefore, words);
    default:
      return false;
  }
}
