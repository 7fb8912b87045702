#pragma once

#include <string>
#include <vector>

/// Compares output lines with expected ones. In an expected line "{TS}" stands for a timestamp
/// "YYYY-MM-DD HH:MM:SS"; every other character must match exactly.
bool LineMatches(const std::string& actual, const std::string& expected);

/// Empty when the lines match one to one; otherwise a description of the first difference.
std::string DescribeMismatch(const std::vector<std::string>& actual,
                             const std::vector<std::string>& expected);

/// The lines between the first line equal to `first` and the next line equal to `last`, both
/// included; empty when either is missing.
std::vector<std::string> LinesBetween(const std::vector<std::string>& lines,
                                      const std::string& first, const std::string& last);

#define EXPECT_LINES(actual, ...)                                                   \
  do {                                                                              \
    const std::string mismatch = DescribeMismatch((actual), __VA_ARGS__);           \
    EXPECT_TRUE(mismatch.empty()) << mismatch;                                      \
  } while (false)
