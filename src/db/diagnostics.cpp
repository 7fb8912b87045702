#include "db/diagnostics.h"

#include <sqlucode.h>

#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/odbc_result.h"
#include "db/wide_to_utf8.h"

namespace {

/// The largest buffer, in UTF-16 units, whose length the interface can state. Some drivers hand a
/// long message out in pieces of the caller's buffer length, each as a record of its own, and
/// cut inside a character at the piece boundaries; read into this buffer, every message that such
/// a driver can report at all comes out whole, as one record.
constexpr SQLSMALLINT kMessageBufferUnits = 32767;

struct DiagnosticRecord {
  std::string state;
  SQLINTEGER nativeError = 0;
  std::string message;
};

/// The text of a NUL-terminated UTF-16 buffer, at most `capacity` units long.
std::string TextOf(const SQLWCHAR* buffer, std::size_t capacity) {
  const auto* units = reinterpret_cast<const char16_t*>(buffer);
  std::size_t length = 0;
  while (length < capacity && units[length] != 0) ++length;
  return WideToUtf8(std::u16string_view(units, length));
}

/// Reads record n in UTF-16 and converts it here, so that the driver manager's conversion never
/// cuts or narrows a character. A message that does not fit even this buffer is printed as far as
/// the driver gave it.
std::optional<DiagnosticRecord> ReadDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle,
                                                     SQLSMALLINT number,
                                                     std::vector<SQLWCHAR>& buffer) {
  SQLWCHAR state[6] = {};
  SQLINTEGER nativeError = 0;
  SQLSMALLINT textLength = 0;
  buffer.assign(buffer.size(), 0);
  const SQLRETURN code =
      SQLGetDiagRecW(handleType, handle, number, state, &nativeError, buffer.data(),
                     static_cast<SQLSMALLINT>(buffer.size()), &textLength);
  if (!IsSucceeded(code)) return std::nullopt;
  return DiagnosticRecord{TextOf(state, 5), nativeError, TextOf(buffer.data(), buffer.size())};
}

void WriteRecordLine(std::ostream& out, SQLSMALLINT number, const DiagnosticRecord& record) {
  out << number << " [" << record.state << "](" << static_cast<std::int32_t>(record.nativeError)
      << ") " << record.message;
}

}  // namespace

void WriteDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, std::ostream& out,
                      bool newlineFirst) {
  std::vector<SQLWCHAR> buffer(kMessageBufferUnits);
  for (SQLSMALLINT number = 1; number > 0; ++number) {
    const std::optional<DiagnosticRecord> record =
        ReadDiagnosticRecord(handleType, handle, number, buffer);
    if (!record) return;
    if (newlineFirst) out << std::endl;
    WriteRecordLine(out, number, *record);
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
