#pragma once

#include <string>

#include "db/database.h"
#include "db/db_type.h"

/// The guard's statements on SQL Server.
inline constexpr const char* kDatabaseNameQuery = "select DB_NAME();";
inline constexpr const char* kAlterPermissionQuery =
    "SELECT HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', 'ALTER')";
inline constexpr const char* kRecoveryModelQuery =
    "select databasepropertyex(db_name(), 'recovery')";

/// Puts a SQL Server database into the simple recovery model for the duration of an upgrade and
/// puts the previous model back at release. Does nothing for other kinds of database, without the
/// ALTER permission, or when switching is not allowed (validation mode).
class RecoveryModeGuard {
 public:
  /// On SQL Server reads the database name (std::logic_error when there is none), asks for the
  /// ALTER permission and, when allowed, switches to simple. Statement failures of the name and
  /// model queries propagate.
  RecoveryModeGuard(Database& database, DbType dbType, bool switchAllowed);

  /// Releases the guard if Release() was not called; a failure to restore is reported on standard
  /// error, never thrown.
  ~RecoveryModeGuard();

  RecoveryModeGuard(const RecoveryModeGuard&) = delete;
  RecoveryModeGuard& operator=(const RecoveryModeGuard&) = delete;

  /// Asks for the permission again and restores the previous model when one is held. Only the
  /// first call acts. A failure of the restoring statement propagates.
  void Release();

  Database& database() const { return database_; }

 private:
  void ReadDatabaseName();
  bool HasAlterPermission();
  void SwitchToSimple();
  void Restore();
  std::string AlterRecoveryStatement(const std::string& model) const;

  Database& database_;
  std::string databaseName_;
  DbType dbType_;
  bool switchAllowed_;
  std::string previousMode_;
  bool released_ = false;
};
