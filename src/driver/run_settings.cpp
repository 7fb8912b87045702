#include "driver/run_settings.h"

#include <string.h>

namespace {

void WipeNarrow(std::string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.capacity());
  text.clear();
}

}  // namespace

RunSettings::~RunSettings() { WipeNarrow(password); }
