#include "driver/option_scanner.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsOptionElement(const char* element) { return element[0] == '-' || element[0] == '/'; }

}  // namespace

void OptionScanner::EndScan() {
  started_ = false;
  position_ = nullptr;
}

int OptionScanner::GetOption(int argc, char* const argv[], const char* optionString) {
  if (argc < 2) return -1;
  if (!started_) {
    started_ = true;
    position_ = nullptr;
    nextIndex_ = 1;
  }
  if (position_ != nullptr) return ReadShortOption(argc, argv, optionString);

  while (nextIndex_ < argc && !IsOptionElement(argv[nextIndex_])) ++nextIndex_;
  if (nextIndex_ >= argc) {
    EndScan();
    return -1;
  }
  const char* element = argv[nextIndex_];
  position_ = element + 1;
  if (element[0] == '-' && element[1] == '-') {
    if (element[2] == '\0') {
      ++nextIndex_;
      EndScan();
      return -1;
    }
    position_ = nullptr;
    ++nextIndex_;
    return ReportUnrecognized(argv[0], element + 2, false);
  }
  return ReadShortOption(argc, argv, optionString);
}

int OptionScanner::ReadShortOption(int argc, char* const argv[], const char* optionString) {
  const char letter = *position_;
  optionLetter_ = static_cast<unsigned char>(letter);
  if (letter == '\0') {
    // An element that is only "-" or "/": the letter 0 matches the end of the option string.
    position_ = nullptr;
    ++nextIndex_;
    optionArgument_ = nullptr;
    return 0;
  }
  const char* found = std::strchr(optionString, letter);
  if (found == nullptr) return ReportUnrecognized(argv[0], position_, true);

  const bool takesArgument = found[1] == ':';
  if (!takesArgument) {
    ++position_;
    if (*position_ == '\0') {
      position_ = nullptr;
      ++nextIndex_;
    }
    optionArgument_ = nullptr;
    return optionLetter_;
  }

  const char* rest = position_ + 1;
  position_ = nullptr;
  if (*rest != '\0') {
    optionArgument_ = rest;
    ++nextIndex_;
    return optionLetter_;
  }
  if (nextIndex_ + 1 < argc) {
    optionArgument_ = argv[nextIndex_ + 1];
    nextIndex_ += 2;
    return optionLetter_;
  }
  ++nextIndex_;
  std::fprintf(stderr, "%s: option '%c' requires an argument\n", argv[0], letter);
  optionArgument_ = nullptr;
  return '?';
}

int OptionScanner::ReportUnrecognized(const char* programName, const char* text,
                                      bool shortLetter) {
  std::fprintf(stderr, "%s: unrecognized option '%s'\n", programName, text);
  optionArgument_ = nullptr;
  if (shortLetter) {
    ++position_;
    if (*position_ == '\0') {
      position_ = nullptr;
      ++nextIndex_;
    }
  }
  return '?';
}
