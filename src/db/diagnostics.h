#pragma once

#include <sql.h>

#include <ostream>
#include <string_view>

/// Writes every diagnostic record of the handle as "n [SQLSTATE](native) message". With
/// newlineFirst each record is preceded by a line end (the text then ends without one); without it
/// each record is followed by one. Nothing is written when there is no record.
void WriteDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, std::ostream& out,
                      bool newlineFirst);

/// Builds the report of a statement call: title, "(rc=", code, ")." then the statement, ten
/// carets and the records. A code above 1 throws std::runtime_error with the report; code 1 writes
/// "INFO: " and the report to standard output.
void ReportStatementDiagnostics(SQLHSTMT statement, std::string_view statementText, SQLRETURN code,
                                std::string_view title);
