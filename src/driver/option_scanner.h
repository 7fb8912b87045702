#pragma once

/// The command-line option scanner. Options start with "-" or "/"; a letter followed by ":" in
/// the option string takes an argument, either the rest of its element or the next element.
/// Non-options are skipped, so options may follow them; a bare "--" ends the options. Messages
/// name the program as typed (argv[0]). The argument vector is not reordered.
class OptionScanner {
 public:
  /// The next option letter; '?' for an error (after writing the scanner's message to standard
  /// error); 0 for an element that is only "-" or "/"; -1 when the options are exhausted.
  int GetOption(int argc, char* const argv[], const char* optionString);

  /// The argument of the option just returned, or nullptr.
  const char* optionArgument() const { return optionArgument_; }
  int nextIndex() const { return nextIndex_; }
  int optionLetter() const { return optionLetter_; }

 private:
  int ReadShortOption(int argc, char* const argv[], const char* optionString);
  int ReportUnrecognized(const char* programName, const char* text, bool shortLetter);
  void EndScan();

  const char* optionArgument_ = nullptr;
  int nextIndex_ = 1;
  int optionLetter_ = 0;
  const char* position_ = nullptr;
  bool started_ = false;
};
