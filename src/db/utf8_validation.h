#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

/// The offset of the first byte that does not belong to a well-formed UTF-8 sequence (an
/// unexpected continuation byte, a lead byte without its continuation bytes, an overlong form,
/// an encoded surrogate or a code point above U+10FFFF); nothing when the whole text is UTF-8.
std::optional<std::size_t> FindInvalidUtf8(std::string_view text);
