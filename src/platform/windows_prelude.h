#pragma once
// Given first to every C++ compilation of the Windows build: Windows' ODBC headers take the basic
// Windows types as declared, so <windows.h> comes before them. Its macros that would clash with
// the program's names (min, max, the GDI's ERROR) are left out.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef NOGDI
#define NOGDI
#endif
#include <windows.h>
