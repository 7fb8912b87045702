#include "server/recovery_mode_guard.h"

#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "db/ascii_text.h"
#include "db/check_failure.h"

namespace {

constexpr std::int32_t kDatabaseNameBufferLength = 1024;
constexpr std::int32_t kRecoveryModelBufferLength = 128;

/// A name inside square brackets: every "]" is doubled so that the name cannot end the brackets.
std::string QuoteBracketed(const std::string& name) {
  std::string quoted = "[";
  for (const char c : name) {
    quoted.push_back(c);
    if (c == ']') quoted.push_back(']');
  }
  quoted.push_back(']');
  return quoted;
}

bool IsSimpleModel(const std::string& model) {
  return LowerCaseAscii(model) == "simple";
}

}  // namespace

RecoveryModeGuard::RecoveryModeGuard(Database& database, DbType dbType, bool switchAllowed)
    : database_(database), dbType_(dbType), switchAllowed_(switchAllowed) {
  if (dbType_ != DbType::mssql) return;
  ReadDatabaseName();
  if (HasAlterPermission() && switchAllowed_) SwitchToSimple();
}

RecoveryModeGuard::~RecoveryModeGuard() {
  try {
    Release();
  } catch (const std::exception& failure) {
    std::cerr << "ERROR: " << failure.what() << std::endl;
  }
}

void RecoveryModeGuard::Release() {
  if (released_) return;
  released_ = true;
  if (dbType_ != DbType::mssql) return;
  if (HasAlterPermission() && switchAllowed_) Restore();
}

void RecoveryModeGuard::ReadDatabaseName() {
  const std::unique_ptr<RowReader> rows = database_.Query(kDatabaseNameQuery);
  if (rows->FetchRow()) databaseName_ = rows->GetString(1, kDatabaseNameBufferLength);
  if (databaseName_.empty()) {
    throw std::logic_error(
        "The operation cannot be performed because a database name was not specified.");
  }
}

bool RecoveryModeGuard::HasAlterPermission() {
  try {
    const std::unique_ptr<RowReader> rows = database_.Query(kAlterPermissionQuery);
    return rows->FetchRow() && rows->GetInt32(1) == 1;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportStatementFailure(kAlterPermissionQuery, failure);
    return false;
  }
}

std::string RecoveryModeGuard::AlterRecoveryStatement(const std::string& model) const {
  return "alter database " + QuoteBracketed(databaseName_) + " set recovery " + model;
}

void RecoveryModeGuard::SwitchToSimple() {
  // The model query's statement stays open, its result unread, while the switch runs on a
  // statement of its own.
  const std::unique_ptr<RowReader> modelRows = database_.Query(kRecoveryModelQuery);
  if (modelRows->FetchRow()) {
    previousMode_ = modelRows->GetString(1, kRecoveryModelBufferLength);
    std::cout << "Original recovery mode is " << previousMode_ << std::endl;
  }
  if (!previousMode_.empty() && !IsSimpleModel(previousMode_)) {
    const std::string statement = AlterRecoveryStatement("simple");
    try {
      database_.ExecuteOnce(statement);
      std::cout << "Executed query: " << statement << std::endl;
    } catch (const std::exception& failure) {
      std::cout << "Failed to set [" << databaseName_ << "] to simple recovery." << std::endl;
      std::cout << failure.what() << std::endl;
      previousMode_.clear();
    }
  } else {
    previousMode_.clear();
  }
}

void RecoveryModeGuard::Restore() {
  if (previousMode_.empty()) return;
  const std::string statement = AlterRecoveryStatement(previousMode_);
  database_.ExecuteOnce(statement);
  previousMode_.clear();
  std::cout << "Executed query: " << statement << std::endl;
}
