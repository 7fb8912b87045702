#pragma once

#include <string>
#include <string_view>

/// The tag in a host profile's configuration text that its version follows.
inline constexpr std::string_view kProfileVersionTag = "<profileVersion>";

/// The number of bytes after the tag that make up the version text.
inline constexpr std::size_t kProfileVersionLength = 5;

/// The profile version of a configuration text: the five bytes that follow the first
/// "<profileVersion>" (no closing tag is looked for), with a NUL byte for each of them that lies
/// past the end of the text; "0" when the tag does not occur.
std::string ExtractProfileVersion(std::string_view configText);
