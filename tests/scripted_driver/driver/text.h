// Text conversions of the driver: it keeps text as UTF-8 (as the fixture file has it) and speaks
// UTF-16 to the driver manager through its wide entry points.
#pragma once

#include <sql.h>

#include <string>
#include <string_view>

namespace scripted {

// UTF-16 text of `length` code units, or up to its null when `length` is SQL_NTS. An unpaired
// surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const SQLWCHAR* text, SQLLEN length);
// Bytes that are no valid UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Copies `text` into a buffer of `bufferLength` bytes, cut to leave room for a null; returns true
// when it had to cut. Writes nothing without a buffer.
bool CopyOut(std::string_view text, SQLCHAR* buffer, SQLLEN bufferLength);
// The same for UTF-16 text and a buffer of `bufferLength` code units.
bool CopyOutWide(std::u16string_view text, SQLWCHAR* buffer, SQLLEN bufferLength);

}  // namespace scripted
