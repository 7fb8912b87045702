#include "validation/version_numbers.h"

#include <sstream>

namespace {

constexpr std::size_t kMinimumComponents = 3;

}  // namespace

std::vector<std::int32_t> ParseVersionNumbers(const std::string& text) {
  std::vector<std::int32_t> numbers;
  numbers.reserve(kMinimumComponents);
  std::istringstream stream(text);
  std::int32_t number = 0;
  while (stream >> number) {
    numbers.push_back(number);
    if (stream.peek() == '.') stream.ignore(1);
  }
  while (numbers.size() < kMinimumComponents) numbers.push_back(0);
  return numbers;
}

bool IsVersionAtLeast(const std::string& version, const std::string& minimum) {
  return !(ParseVersionNumbers(version) < ParseVersionNumbers(minimum));
}
