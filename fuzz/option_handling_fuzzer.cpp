// The option scanner and the driver's option handling on arbitrary argument vectors. The input is
// cut at its zero bytes into the elements of the vector, the first one being the program name.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/option_scanner.h"
#include "driver/run_settings.h"
#include "fuzz_support.h"

namespace {

constexpr const char* kOptionString = "b:d:p:t:u:v:s:eym";
constexpr std::size_t kMaxElements = 64;

/// True when `pointer` points into one of the elements (its terminating zero included).
bool PointsIntoAnElement(const char* pointer, const std::vector<std::string>& elements) {
  for (const std::string& element : elements) {
    if (pointer >= element.data() && pointer <= element.data() + element.size()) return true;
  }
  return false;
}

/// Runs one whole scan and checks what every call returns.
void CheckScan(int argc, char* const argv[], const std::vector<std::string>& elements) {
  OptionScanner scanner;
  // Every call that does not end the scan consumes at least one character or one element.
  std::size_t budget = elements.size() + 2;
  for (const std::string& element : elements) budget += element.size();
  for (;;) {
    FUZZ_CHECK(budget > 0);
    --budget;
    const int letter = scanner.GetOption(argc, argv, kOptionString);
    FUZZ_CHECK(scanner.nextIndex() >= 1);
    FUZZ_CHECK(argc < 2 || scanner.nextIndex() <= argc);
    if (letter == -1) return;
    const char* argument = scanner.optionArgument();
    if (letter == '?' || letter == 0 || letter == ':') {
      FUZZ_CHECK(argument == nullptr);
      continue;
    }
    const char* found = std::strchr(kOptionString, letter);
    FUZZ_CHECK(found != nullptr);
    FUZZ_CHECK(letter == scanner.optionLetter());
    if (found[1] == ':') {
      FUZZ_CHECK(argument != nullptr);
      FUZZ_CHECK(PointsIntoAnElement(argument, elements));
    } else {
      FUZZ_CHECK(argument == nullptr);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> elements = SplitAtZeroBytes(AsText(data, size));
  if (elements.size() > kMaxElements) elements.resize(kMaxElements);
  std::vector<char*> argv;
  argv.reserve(elements.size() + 1);
  for (std::string& element : elements) argv.push_back(element.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(elements.size());
  const std::vector<std::string> original = elements;

  CheckScan(argc, argv.data(), elements);

  RunSettings settings;
  const std::optional<int> status = ReadCommandLine(argc, argv.data(), settings);
  FUZZ_CHECK(!status || *status == 1);
  if (!status) {
    FUZZ_CHECK(settings.dbType == DbType::none || settings.dbType == DbType::mssql ||
               settings.dbType == DbType::oracle || settings.dbType == DbType::postgresql);
    FUZZ_CHECK(!settings.versionGiven ||
               (settings.sourceVersion >= 550 && settings.sourceVersion <= 659));
  }
  // The vector is only read.
  for (std::size_t i = 0; i < elements.size(); ++i) FUZZ_CHECK(argv[i] == elements[i].data());
  FUZZ_CHECK(elements == original);
  return 0;
}
