#pragma once

#include <string>
#include <string_view>

/// Decodes 8-bit text as UTF-8 into UTF-16 code units. Malformed sequences become "?"; overlong
/// forms and encoded surrogates decode by the same arithmetic and are not rejected.
std::u16string Utf8ToWide(std::string_view text);
