// The base64 codec: the input is encoded to padded base64 text that decodes back to it, and it is
// decoded as base64 text, which when it decodes encodes and decodes again to the same bytes.
#include "fuzz_support.h"
#include "scripts/base64.h"

FUZZ_TARGET(bytes) {
  const std::string encoded = Base64Encode(bytes);
  FUZZ_CHECK(encoded.size() == (bytes.size() + 2) / 3 * 4 && IsBase64Text(encoded) &&
             Base64Decode(encoded) == bytes);
  const std::optional<std::string> decoded = Base64Decode(bytes);
  FUZZ_CHECK(!decoded || Base64Decode(Base64Encode(*decoded)) == decoded);
}
