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

/// Whether a message read into the first buffer may not be whole. The driver manager reports the
/// length of a text that it converted from the driver's UTF-16 in characters, not bytes; and when
/// the characters fit the buffer but their UTF-8 bytes do not, it answers SQL_SUCCESS with each
/// character cut to its low byte. So a message is read again whenever its characters could take
/// more bytes than the first buffer holds.
bool MayNeedLargerBuffer(SQLRETURN code, SQLSMALLINT textLength) {
  if (code == SQL_SUCCESS_WITH_INFO) return true;
  return code == SQL_SUCCESS && textLength * 4 + 1 > kMessageBufferLength;
}

/// Reads record n. A message that may not have fitted the first buffer is read again whole, into
/// a buffer with room for four bytes a character.
bool ReadDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number,
                          DiagnosticRecord& record) {
  SQLSMALLINT textLength = 0;
  SQLRETURN code = SQLGetDiagRec(handleType, handle, number, record.state, &record.nativeError,
                                 record.message.data(), kMessageBufferLength, &textLength);
  if (MayNeedLargerBuffer(code, textLength)) {
    const SQLSMALLINT fullLength = static_cast<SQLSMALLINT>(
        std::min<int>(std::max<int>(textLength, kMessageBufferLength) * 4 + 1, INT16_MAX));
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
