#pragma once

#include <string_view>

#include "db/db_type.h"

/// Whether a transaction is open after a statement ran successfully, given whether one was open
/// before it. Only a text that is one transaction statement counts: on PostgreSQL "BEGIN" and
/// "START TRANSACTION" open one, "COMMIT", "END", "ROLLBACK", "ABORT" and "PREPARE TRANSACTION"
/// end it ("ROLLBACK TO" and "... PREPARED" do not); on SQL Server "BEGIN TRAN[SACTION]" and
/// "BEGIN DISTRIBUTED ..." open one, "COMMIT" and "ROLLBACK" end it. On Oracle every statement
/// commits by itself in auto-commit mode, so none stays open. Case and a closing semicolon do not
/// matter; a text with several statements leaves the state as it was.
bool IsTransactionOpenAfter(bool openBefore, std::string_view text, DbType dbType);
