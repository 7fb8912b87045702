#include "platform/native_path.h"

// Windows takes the backslash as it is: the printed path is the path to open.
std::string ToNativePath(std::string_view path) { return std::string(path); }
