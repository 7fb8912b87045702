// ParseVersionNumbers and IsVersionAtLeast. The input is cut at its zero bytes into version
// texts; a single text is also compared with the minimum host version.
#include <algorithm>
#include <string>
#include <vector>

#include "driver/run_settings.h"
#include "fuzz_support.h"
#include "validation/host_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> versions = SplitAtZeroBytes(AsText(data, size));
  if (versions.size() > 3) versions.resize(3);
  if (versions.size() == 1) versions.emplace_back(kMinimumHostVersion);

  const std::size_t count = versions.size();
  std::vector<std::vector<std::int32_t>> numbers(count);
  for (std::size_t i = 0; i < count; ++i) {
    numbers[i] = ParseVersionNumbers(versions[i]);
    FUZZ_CHECK(numbers[i].size() >= 3);
    // At most one number for each digit of the text.
    std::size_t digits = 0;
    for (const char character : versions[i]) digits += character >= '0' && character <= '9';
    FUZZ_CHECK(numbers[i].size() <= std::max<std::size_t>(digits, 3));
  }
  // Whether version a is at least version b, for every pair.
  std::vector<std::vector<bool>> atLeast(count, std::vector<bool>(count));
  for (std::size_t a = 0; a < count; ++a) {
    for (std::size_t b = 0; b < count; ++b) {
      atLeast[a][b] = IsVersionAtLeast(versions[a], versions[b]);
      FUZZ_CHECK(atLeast[a][b] == !(numbers[a] < numbers[b]));
    }
  }
  for (std::size_t a = 0; a < count; ++a) {
    FUZZ_CHECK(atLeast[a][a]);
    for (std::size_t b = 0; b < count; ++b) {
      if (!atLeast[a][b]) FUZZ_CHECK(atLeast[b][a]);
      if (numbers[a] == numbers[b]) FUZZ_CHECK(atLeast[a][b] && atLeast[b][a]);
      for (std::size_t c = 0; c < count; ++c) {
        if (atLeast[a][b] && atLeast[b][c]) FUZZ_CHECK(atLeast[a][c]);
      }
    }
  }
  return 0;
}
