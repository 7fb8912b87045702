// ParseVersionNumbers and IsVersionAtLeast: the input cut at its zero bytes into up to four
// version texts. At least three numbers each; IsVersionAtLeast compares the lists of numbers, so
// that it is reflexive, total and transitive.
#include "fuzz_support.h"
#include "validation/version_numbers.h"

FUZZ_TARGET(text) {
  std::vector<std::string> versions = Split(text, '\0');
  versions.resize(std::min<std::size_t>(versions.size(), 4));
  for (const std::string& a : versions) {
    const std::vector<std::int32_t> parsed = ParseVersionNumbers(a);
    for (const std::string& b : versions)
      FUZZ_CHECK(parsed.size() > 2 && IsVersionAtLeast(a, b) == (parsed >= ParseVersionNumbers(b)));
  }
}
