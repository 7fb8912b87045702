# The ODBC driver manager (odbc::odbc) and its installer library (odbc::odbcinst).
if(WIN32)
  # Windows: the system's odbc32 and odbccp32; the headers come with the compiler.
  add_library(odbc::odbc INTERFACE IMPORTED)
  set_target_properties(odbc::odbc PROPERTIES INTERFACE_LINK_LIBRARIES odbc32)
  add_library(odbc::odbcinst INTERFACE IMPORTED)
  set_target_properties(odbc::odbcinst PROPERTIES INTERFACE_LINK_LIBRARIES odbccp32)
  return()
endif()

# unixODBC: the driver manager (libodbc) and its installer library (libodbcinst).
find_path(ODBC_INCLUDE_DIR sqlext.h REQUIRED)
find_library(ODBC_LIBRARY odbc REQUIRED)
find_library(ODBCINST_LIBRARY odbcinst REQUIRED)

add_library(odbc::odbc UNKNOWN IMPORTED)
set_target_properties(odbc::odbc PROPERTIES
  IMPORTED_LOCATION "${ODBC_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${ODBC_INCLUDE_DIR}")

add_library(odbc::odbcinst UNKNOWN IMPORTED)
set_target_properties(odbc::odbcinst PROPERTIES
  IMPORTED_LOCATION "${ODBCINST_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${ODBC_INCLUDE_DIR}")
