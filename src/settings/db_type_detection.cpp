#include "settings/db_type_detection.h"

#include <iostream>

#include "settings/driver_name.h"

DetectedDbType DetectDbTypeFromDsn(const std::string& dsn) {
  const std::string driver = LowerCaseAscii(GetDsnDriver(dsn));
  std::cout << "Driver from DSN: '" << driver << "'" << std::endl;
  return DetectDbTypeFromDriverName(driver);
}
