#pragma once
// The POSIX calls that the shared test helpers make and mingw-w64 lacks, for the Windows build.

#include <direct.h>
#include <stdlib.h>

#include <cstring>
#include <string>

inline char* mkdtemp(char* pattern) {
  const std::string original(pattern);
  for (int attempt = 0; attempt < 26; ++attempt) {
    std::strcpy(pattern, original.c_str());
    if (_mktemp_s(pattern, original.size() + 1) == 0 && _mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}
