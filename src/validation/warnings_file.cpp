#include "validation/warnings_file.h"

#include <cerrno>
#include <iostream>
#include <system_error>

#include "platform/native_path.h"

namespace {

std::string DescribeErrorNumber(int errorNumber) {
  if (errorNumber == 0) return "unknown input/output error";
  return std::generic_category().message(errorNumber);
}

}  // namespace

WarningsFile::WarningsFile(std::string path) : path_(std::move(path)) {
  errno = 0;
  stream_.open(ToNativePath(path_), std::ios::out | std::ios::trunc);
  if (!stream_.is_open()) ReportFailure("open", errno);
}

void WarningsFile::WriteLine(std::string_view text) {
  if (failed_) return;
  errno = 0;
  stream_ << text << std::endl;
  if (!stream_) ReportFailure("write", errno);
}

void WarningsFile::Close() {
  if (!stream_.is_open()) return;
  errno = 0;
  stream_.close();
  if (!failed_ && !stream_) ReportFailure("write", errno);
}

void WarningsFile::ReportFailure(std::string_view action, int errorNumber) {
  failed_ = true;
  std::cerr << "ERROR: Cannot " << action << " the warnings output file '" << path_
            << "'. Reason: " << DescribeErrorNumber(errorNumber) << std::endl;
}
