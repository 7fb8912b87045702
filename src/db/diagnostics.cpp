#include "db/diagnostics.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr SQLSMALLINT kMessageBufferLength = 1024;

struct DiagnosticRecord {
  SQLCHAR state[10] = {};
  SQLINTEGER nativeError = 0;
  std::vector<SQLCHAR> message = std::vector<SQLCHAR>(kMessageBufferLength, 0);
};

/// Reads record n. A message longer than the first buffer is read again whole. The reported
/// length may count characters rather than bytes, so the second buffer leaves room for four bytes
/// a character.
bool ReadDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number,
                          DiagnosticRecord& record) {
  SQLSMALLINT textLength = 0;
  SQLRETURN code = SQLGetDiagRec(handleType, handle, number, record.state, &record.nativeError,
                                 record.message.data(), kMessageBufferLength, &textLength);
  if (code == SQL_SUCCESS_WITH_INFO && textLength >= kMessageBufferLength) {
    const SQLSMALLINT fullLength = static_cast<SQLSMALLINT>(
        std::min<int>(textLength * 4 + 1, INT16_MAX));
    record.message.assign(static_cast<std::size_t>(fullLength), 0);
    code = SQLGetDiagRec(handleType, handle, number, record.state, &record.nativeError,
                         record.message.data(), fullLength, &textLength);
    if (code == SQL_SUCCESS_WITH_INFO) code = SQL_SUCCESS;
  }
  return code == SQL_SUCCESS;
}

void WriteRecordLine(std::ostream& out, SQLSMALLINT number, const DiagnosticRecord& record) {
  out << number << " [" << reinterpret_cast<const char*>(record.state) << "]("
      << static_cast<std::int32_t>(record.nativeError) << ") "
      << reinterpret_cast<const char*>(record.message.data());
}

}  // namespace

void WriteDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, std::ostream& out,
                      bool newlineFirst) {
  for (SQLSMALLINT number = 1; number > 0; ++number) {
    DiagnosticRecord record;
    if (!ReadDiagnosticRecord(handleType, handle, number, record)) return;
    if (newlineFirst) out << std::endl;
    WriteRecordLine(out, number, record);
    if (!newlineFirst) out << std::endl;
  }
}

void ReportStatementDiagnostics(SQLHSTMT statement, std::string_view statementText, SQLRETURN code,
                                std::string_view title) {
  std::ostringstream text;
  text << title << "(rc=" << static_cast<std::int16_t>(code) << ")." << '\n'
       << statementText << '\n'
       << "^^^^^^^^^^" << '\n';
  WriteDiagnostics(SQL_HANDLE_STMT, statement, text, true);
  if (static_cast<std::uint16_t>(code) > 1) throw std::runtime_error(text.str());
  std::cout << "INFO: " << text.str() << std::endl;
}
