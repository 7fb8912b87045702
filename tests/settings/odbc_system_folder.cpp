#include "settings/odbc_system_folder.h"

OdbcSystemFolder::OdbcSystemFolder(const std::optional<std::string>& odbcIni)
    : systemFolder_("ODBCSYSINI", folder_.path().string()) {
  if (odbcIni) folder_.WriteFile("odbc.ini", *odbcIni);
}
