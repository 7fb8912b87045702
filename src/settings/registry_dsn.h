#pragma once

#include <string>

/// The DSN held by value "1" of the product settings key
///   SOFTWARE\Halvik, Inc.\Halvik Tarnwell\DB
/// or "Halvik Tarnwell" when that value is empty. Throws std::runtime_error when the key cannot be
/// opened or the value cannot be read.
std::string ReadRegistryDsn();
