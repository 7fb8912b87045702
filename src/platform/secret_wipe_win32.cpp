#include "platform/secret_wipe.h"

#include <windows.h>

namespace {

template <typename Text>
void WipeWholeAllocation(Text& text) {
  text.resize(text.capacity());
  SecureZeroMemory(text.data(), text.capacity() * sizeof(typename Text::value_type));
  text.clear();
}

}  // namespace

void WipeSecret(std::string& text) { WipeWholeAllocation(text); }
void WipeSecret(std::u16string& text) { WipeWholeAllocation(text); }
