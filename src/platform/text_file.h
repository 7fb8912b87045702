#pragma once

#include <optional>
#include <string>

/// The whole content of a text file, with each line end of CR LF read as LF (a CR directly before
/// an LF is dropped; other bytes are kept as they are). Empty optional when the file cannot be
/// opened or read, a folder included. The file is closed before the function returns. On Windows
/// the file is read in text mode, where a Ctrl+Z byte also ends it, and with deny-none sharing.
std::optional<std::string> ReadTextFile(const std::string& path);

/// Whether the path names a regular file, or a link to one.
bool IsRegularFile(const std::string& path);
