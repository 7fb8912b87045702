#pragma once

#include <optional>
#include <string>
#include <string_view>

/// True when the bytes up to the first zero byte, but at most the first 256, are all ASCII
/// letters, digits, "+", "/" or "=". The empty text is valid.
bool IsBase64Text(std::string_view text);

/// Decodes standard base64 with "=" padding; blanks and line breaks are skipped, decoding stops at
/// the first "=" or zero byte. Returns no value when the text does not decode.
std::optional<std::string> Base64Decode(std::string_view text);

/// Encodes all bytes (zero bytes included) as padded base64 without line breaks.
std::string Base64Encode(std::string_view bytes);
