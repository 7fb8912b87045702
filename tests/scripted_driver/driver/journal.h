// The journal of the scripted ODBC driver: one line per event, appended and flushed at once.
#pragma once

#include <string>
#include <string_view>

namespace scripted {

// Escapes text so that it fits on one journal line: backslash, newline, carriage return and tab
// become \\ \n \r \t, and other control characters \xHH.
std::string EscapeForJournal(std::string_view text);

// An append-only file. Each Write is a single write(2) of a whole line, so lines of several
// connections or threads never mix, and a killed process leaves every line written so far.
class Journal {
 public:
  Journal() = default;  // writes nowhere
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;
  Journal(Journal&& other) noexcept;
  Journal& operator=(Journal&& other) noexcept;
  ~Journal();

  // Opens (creating if needed) the file for appending; returns an error text, empty on success.
  std::string Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  // Appends `line` and a newline. The line must already be escaped.
  void Write(std::string_view line) const;

 private:
  int fd_ = -1;
};

}  // namespace scripted
