#pragma once

#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

#include "db/db_type.h"

int ValidateHostVersions(SQLHDBC connection, std::string minimumVersion, DbType dbType);
bool CheckHostVersions(SQLHDBC connection, const std::string& minimumVersion, DbType dbType);
int CheckHostProfileVersions(SQLHDBC connection, const std::string& minimumVersion);
bool IsVersionAtLeast(const std::string& version, const std::string& minimum);
std::vector<std::int32_t> ParseVersionNumbers(const std::string& text);
