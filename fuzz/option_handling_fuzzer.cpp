// The driver's option handling on an argument vector: the input cut at its zero bytes, the first
// piece the program name. ReadCommandLine gives no status or 1 and a source version only from 550
// to 659, and leaves the vector as it was; the fuzzer's time-out catches a scan that does not end.
#include "driver/command_line.h"
#include "fuzz_support.h"

FUZZ_TARGET(text) {
  std::vector<std::string> elements = Split(text, '\0');
  elements.resize(std::min<std::size_t>(elements.size(), 64));
  const std::vector<std::string> before = elements;
  std::vector<char*> argv(elements.size() + 1);
  std::ranges::transform(elements, argv.begin(), [](std::string& e) { return e.data(); });
  RunSettings settings;
  const auto status = ReadCommandLine(static_cast<int>(elements.size()), argv.data(), settings);
  const std::int32_t version = settings.versionGiven ? settings.sourceVersion : 550;
  FUZZ_CHECK(elements == before && (status ? *status == 1 : version >= 550 && version <= 659));
}
