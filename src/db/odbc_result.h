#pragma once

#include <sql.h>

/// An ODBC call has succeeded when its code is SQL_SUCCESS or SQL_SUCCESS_WITH_INFO, that is
/// when the code with its lowest bit cleared is zero.
inline bool IsSucceeded(SQLRETURN code) {
  return (code & ~1) == 0;
}
