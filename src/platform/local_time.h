#pragma once

#include <ctime>

/// The calendar time `time` in the local time zone, as this system's thread-safe conversion gives
/// it.
std::tm ToLocalTime(std::time_t time);
