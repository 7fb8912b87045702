#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

/// A fresh folder under the system's temporary folder, removed with everything in it at the end
/// of the scope.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    do {
      path_ =
          std::filesystem::temp_directory_path() / ("schemalift-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// Writes a file below the folder (creating its parent folders) and returns its path.
  std::filesystem::path WriteFile(const std::filesystem::path& relative,
                                  std::string_view content) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary) << content;
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

/// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}
