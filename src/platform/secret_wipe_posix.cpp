#include "platform/secret_wipe.h"

#include <string.h>

namespace {

template <typename Text>
void WipeWholeAllocation(Text& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.capacity() * sizeof(typename Text::value_type));
  text.clear();
}

}  // namespace

void WipeSecret(std::string& text) { WipeWholeAllocation(text); }
void WipeSecret(std::u16string& text) { WipeWholeAllocation(text); }
