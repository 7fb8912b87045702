// Utf8ToWide on any bytes, checked with the program's own UTF-8 encoder and validation: never more
// code units than bytes; exactly well-formed UTF-8 comes back from its UTF-16 form, and so does
// the text before the first byte that is not; the UTF-8 of any UTF-16 is well formed.
#include "db/utf8_to_wide.h"
#include "db/utf8_validation.h"
#include "db/wide_to_utf8.h"
#include "fuzz_support.h"

FUZZ_TARGET(text) {
  const std::string back = WideToUtf8(Utf8ToWide(text));
  const std::string_view valid = text.substr(0, FindInvalidUtf8(text).value_or(text.npos));
  FUZZ_CHECK(Utf8ToWide(text).size() <= text.size() && (valid == text) == (back == text));
  FUZZ_CHECK(!FindInvalidUtf8(back) && WideToUtf8(Utf8ToWide(valid)) == valid);
}
