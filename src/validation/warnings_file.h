#pragma once

#include <fstream>
#include <string>
#include <string_view>

/// The warnings output file, the installer's one record of what stands in the way of an upgrade.
/// Opened for output only, so that an existing file is truncated; each line is flushed as soon as
/// it is written.
///
/// A file that cannot be opened, a line that cannot be written and a close that fails are each
/// reported on standard error with the file's path (as given) and the system's reason; only the
/// first failure is reported, and after it nothing more is written. The file is closed at the end
/// of the object's scope at the latest.
class WarningsFile {
 public:
  explicit WarningsFile(std::string path);
  WarningsFile(const WarningsFile&) = delete;
  WarningsFile& operator=(const WarningsFile&) = delete;

  /// Writes the text and a line end, then flushes.
  void WriteLine(std::string_view text);

  /// Closes the file; a failure is reported like a failed write.
  void Close();

  /// True once opening, writing or closing the file has failed.
  bool failed() const { return failed_; }

 private:
  void ReportFailure(std::string_view action, int errorNumber);

  std::string path_;
  std::ofstream stream_;
  bool failed_ = false;
};
