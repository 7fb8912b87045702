#pragma once

/// The data source name used when the product settings hold an empty one.
inline constexpr const char* kDefaultDsn = "Halvik Tarnwell";

/// Writes the usage text to standard output.
void PrintUsage();
