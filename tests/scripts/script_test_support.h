#pragma once

#include <filesystem>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

/// Sends standard output and standard error into strings for the life of the object.
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }
  std::vector<std::string> OutLines() const;
  std::vector<std::string> ErrLines() const;

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  std::streambuf* savedOut_;
  std::streambuf* savedErr_;
};

/// A fresh temporary folder that is the working folder for the life of the object; the previous
/// working folder comes back and the folder is removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// Writes a file below the folder, creating its parent folders; `relative` uses "/".
  void WriteFile(const std::filesystem::path& relative, std::string_view content) const;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

/// Splits text at line feeds; a last line without one still counts.
std::vector<std::string> SplitAtLineFeeds(const std::string& text);

/// A stream buffer that hands out the given text and then fails: its next read throws, so that a
/// stream reading from it turns bad.
class FailingStreamBuf : public std::streambuf {
 public:
  explicit FailingStreamBuf(std::string text);

 protected:
  int_type underflow() override;

 private:
  std::string text_;
  bool handedOut_ = false;
};
