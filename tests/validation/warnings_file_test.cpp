#include "validation/warnings_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Standard error, captured for the scope of the object.
class CapturedErrors {
 public:
  CapturedErrors() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedErrors() { std::cerr.rdbuf(previous_); }
  CapturedErrors(const CapturedErrors&) = delete;
  CapturedErrors& operator=(const CapturedErrors&) = delete;
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

class WarningsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("warnings-file-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
};

TEST_F(WarningsFileTest, WritesEachLineAndFlushesIt) {
  const std::filesystem::path path = folder_ / "w.txt";
  CapturedErrors errors;
  WarningsFile file(path.string());
  file.WriteLine("first");
  EXPECT_EQ(ReadFile(path), "first\n");
  file.WriteLine("");
  file.WriteLine("third");
  EXPECT_EQ(ReadFile(path), "first\n\nthird\n");
  file.Close();
  EXPECT_FALSE(file.failed());
  EXPECT_EQ(errors.text(), "");
}

TEST_F(WarningsFileTest, TruncatesAnExistingFile) {
  const std::filesystem::path path = folder_ / "w.txt";
  std::ofstream(path) << "old content\nthat is longer\n";
  {
    WarningsFile file(path.string());
    file.WriteLine("new");
    file.Close();
  }
  EXPECT_EQ(ReadFile(path), "new\n");
  {
    WarningsFile file(path.string());
    file.Close();
  }
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadFile(path), "");
}

TEST_F(WarningsFileTest, OpensAPathWrittenWithBackslashes) {
  std::filesystem::create_directories(folder_ / "sub");
  const std::string printed = folder_.string() + "\\sub\\w.txt";
  CapturedErrors errors;
  WarningsFile file(printed);
  file.WriteLine("x");
  file.Close();
  EXPECT_FALSE(file.failed());
  EXPECT_EQ(ReadFile(folder_ / "sub" / "w.txt"), "x\n");
  EXPECT_EQ(errors.text(), "");
}

TEST_F(WarningsFileTest, ReportsAFileThatCannotBeOpenedOnceWithItsPathAndReason) {
  const std::string printed = folder_.string() + "\\missing\\w.txt";
  CapturedErrors errors;
  WarningsFile file(printed);
  EXPECT_TRUE(file.failed());
  file.WriteLine("lost");
  file.Close();
  EXPECT_EQ(errors.text(), "ERROR: Cannot open the warnings output file '" + printed +
                               "'. Reason: No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
}

TEST_F(WarningsFileTest, ReportsAFolderInPlaceOfTheFile) {
  CapturedErrors errors;
  WarningsFile file(folder_.string());
  EXPECT_TRUE(file.failed());
  EXPECT_EQ(errors.text(), "ERROR: Cannot open the warnings output file '" + folder_.string() +
                               "'. Reason: Is a directory\n");
}

TEST_F(WarningsFileTest, ReportsAFailedWriteOnceWithItsReason) {
  CapturedErrors errors;
  WarningsFile file("/dev/full");
  EXPECT_FALSE(file.failed());
  file.WriteLine("first");
  EXPECT_TRUE(file.failed());
  file.WriteLine("second");
  file.Close();
  EXPECT_EQ(errors.text(),
            "ERROR: Cannot write the warnings output file '/dev/full'. Reason: No space left on "
            "device\n");
}

TEST_F(WarningsFileTest, NothingWrittenToAFullDeviceIsNoFailure) {
  CapturedErrors errors;
  WarningsFile file("/dev/full");
  file.Close();
  EXPECT_FALSE(file.failed());
  EXPECT_EQ(errors.text(), "");
}

}  // namespace
