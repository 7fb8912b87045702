#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "support/fake_database.h"
#include "support/temp_dir.h"

/// What a call wrote to standard output and to standard error (captured at their descriptors),
/// and the text of the std::exception that it threw.
struct Console {
  std::string out, err, thrown;
};

inline Console Captured(const std::function<void()>& call) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  std::string thrown;
  try {
    call();
  } catch (const std::exception& failure) {
    thrown = failure.what();
  }
  std::string out = testing::internal::GetCapturedStdout();
  return {out, testing::internal::GetCapturedStderr(), thrown};
}

/// What the call returned (written to standard output), then standard error and the failure.
inline std::string Result(const std::function<std::string()>& call) {
  const Console console = Captured([&] { std::cout << call(); });
  return console.out + console.err + console.thrown;
}

/// The calls that the fake database recorded, each without its prefix "once: " and followed by "|".
inline std::string Joined(const std::vector<std::string>& sent) {
  std::string joined;
  for (const std::string& call : sent) {
    joined += call.substr(call.starts_with("once: ") ? 6 : 0) + "|";
  }
  return joined;
}

/// A scratch folder that is the working folder for the scope.
struct WorkingFolder : TempDir {
  WorkingFolder() { current_path(path()); }
  ~WorkingFolder() { current_path(previous); }
  const std::filesystem::path previous = std::filesystem::current_path();
};
