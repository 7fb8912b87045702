// The base64 codec: the input is encoded and decoded back, and it is also taken as base64 text.
#include <optional>
#include <string>
#include <string_view>

#include "driver/base64.h"
#include "fuzz_support.h"

namespace {

bool IsAlphabetOrPadding(char character) {
  return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
         (character >= '0' && character <= '9') || character == '+' || character == '/' ||
         character == '=';
}

/// The rule of IsBase64Text written out: the bytes before the first zero byte, at most 256.
bool ExpectedIsBase64Text(std::string_view text) {
  for (std::size_t i = 0; i < text.size() && i < 256 && text[i] != '\0'; ++i) {
    if (!IsAlphabetOrPadding(text[i])) return false;
  }
  return true;
}

void CheckRoundTrip(std::string_view bytes) {
  const std::string encoded = Base64Encode(bytes);
  FUZZ_CHECK(encoded.size() == (bytes.size() + 2) / 3 * 4);
  FUZZ_CHECK(encoded.find_first_not_of(
                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
             std::string::npos);
  FUZZ_CHECK(IsBase64Text(encoded));
  const std::optional<std::string> decoded = Base64Decode(encoded);
  FUZZ_CHECK(decoded.has_value());
  FUZZ_CHECK(*decoded == bytes);
}

void CheckDecode(std::string_view text) {
  FUZZ_CHECK(IsBase64Text(text) == ExpectedIsBase64Text(text));
  const std::optional<std::string> decoded = Base64Decode(text);
  if (!decoded) return;
  // Never more bytes than the capacity that the text's length allows.
  std::size_t length = text.find('\0');
  if (length == std::string_view::npos) length = text.size();
  FUZZ_CHECK(decoded->size() <= length / 4 * 3);
  // What decodes, encodes and decodes again to the same bytes.
  const std::optional<std::string> again = Base64Decode(Base64Encode(*decoded));
  FUZZ_CHECK(again.has_value() && *again == *decoded);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);
  CheckRoundTrip(input);
  CheckDecode(input);
  return 0;
}
