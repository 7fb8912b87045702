#pragma once

#include <filesystem>
#include <string>
#include <string_view>

/// A fresh folder under the system's temporary folder, removed with everything in it at the end
/// of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// Writes a file below the folder (creating its parent folders) and returns its path.
  std::filesystem::path WriteFile(const std::filesystem::path& relative,
                                  std::string_view content) const;

 private:
  std::filesystem::path path_;
};

/// The whole content of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);
