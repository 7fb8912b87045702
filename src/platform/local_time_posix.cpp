#include "platform/local_time.h"

std::tm ToLocalTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return local;
}
