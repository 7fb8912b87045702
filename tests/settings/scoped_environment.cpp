#include "settings/scoped_environment.h"

#include <stdlib.h>

#include <utility>

namespace {

void SetOrUnset(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* previous = getenv(name_.c_str())) previous_ = previous;
  SetOrUnset(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetOrUnset(name_, previous_);
}
