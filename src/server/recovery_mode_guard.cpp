#include "server/recovery_mode_guard.h"

#include <array>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <strings.h>

#include "db/statement.h"
#include "db/statement_runner.h"

namespace {

constexpr const char* kDatabaseNameQuery = "select DB_NAME();";
constexpr const char* kAlterPermissionQuery =
    "SELECT HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', 'ALTER')";
constexpr const char* kRecoveryModelQuery = "select databasepropertyex(db_name(), 'recovery')";

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

bool IsSimpleModel(const std::string& model) { return strcasecmp(model.c_str(), "simple") == 0; }

}  // namespace

RecoveryModeGuard::RecoveryModeGuard(SQLHDBC connection, DbType dbType, bool switchAllowed)
    : connection_(connection), dbType_(dbType), switchAllowed_(switchAllowed) {
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
  Statement statement;
  AllocateStatement(statement, connection_);
  ExecuteStatement(statement, kDatabaseNameQuery);
  std::array<char, 1024> buffer{};
  if (FetchRow(statement)) GetString(statement, 1, buffer.data(), buffer.size());
  FreeStatement(statement);
  if (buffer[0] == '\0') {
    throw std::logic_error(
        "The operation cannot be performed because a database name was not specified.");
  }
  databaseName_ = buffer.data();
}

bool RecoveryModeGuard::HasAlterPermission() {
  try {
    Statement statement;
    AllocateStatement(statement, connection_);
    ExecuteStatement(statement, kAlterPermissionQuery);
    const bool granted = FetchRow(statement) && GetInt32(statement, 1) == 1;
    FreeStatement(statement);
    return granted;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    std::cerr << "Error executing statement '" << kAlterPermissionQuery
              << "', reason: " << failure.what() << std::endl;
    return false;
  }
}

std::string RecoveryModeGuard::AlterRecoveryStatement(const std::string& model) const {
  return "alter database " + QuoteBracketed(databaseName_) + " set recovery " + model;
}

void RecoveryModeGuard::SwitchToSimple() {
  // The model query's statement stays open, its result unread, while the switch runs on a
  // statement of its own.
  Statement modelStatement;
  AllocateStatement(modelStatement, connection_);
  ExecuteStatement(modelStatement, kRecoveryModelQuery);
  if (FetchRow(modelStatement)) {
    std::array<char, 128> buffer{};
    GetString(modelStatement, 1, buffer.data(), buffer.size());
    previousMode_ = buffer.data();
    std::cout << "Original recovery mode is " << previousMode_ << std::endl;
  }
  if (!previousMode_.empty() && !IsSimpleModel(previousMode_)) {
    const std::string statement = AlterRecoveryStatement("simple");
    try {
      ExecuteOnce(connection_, statement);
      std::cout << "Executed query: " << statement << std::endl;
    } catch (const std::exception& failure) {
      std::cout << "Failed to set [" << databaseName_ << "] to simple recovery."
                << std::endl;
      std::cout << failure.what() << std::endl;
      previousMode_.clear();
    }
  } else {
    previousMode_.clear();
  }
  FreeStatement(modelStatement);
}

void RecoveryModeGuard::Restore() {
  if (previousMode_.empty()) return;
  const std::string statement = AlterRecoveryStatement(previousMode_);
  ExecuteOnce(connection_, statement);
  previousMode_.clear();
  std::cout << "Executed query: " << statement << std::endl;
}
