#include "driver/usage.h"

#include "settings/dsn_setting.h"

#include <iostream>

void PrintUsage() {
  std::cout << "Usage: schemalift [-p <password>] [-t <DB type>] [-u <user name>] [-d <dsn>] [-y] "
               "[-v <warnings output file>]"
            << std::endl;
  std::cout << "Usage (build to build mode): schemalift [-p <password>] [-t <DB type>] "
               "[-u <user name>] [-d <dsn>] [-y] [-s <build tag>]"
            << std::endl;
  std::cout << "  Optional parameters:" << std::endl;
  std::cout << "   -b: TWDB version. Mandatory option, no default value." << std::endl;
  std::cout << "   -p: DB password. Default: empty string." << std::endl;
  std::cout << "   -t: DB type: mssql|oracle|postgresql" << std::endl;
  std::cout << "   -u: DB user name. Default: tw" << std::endl;
  std::cout << "   -d: Data Source Name. Default '" << kDefaultDsn << "'" << std::endl;
  std::cout << "   -y: Enable non-interactive mode." << std::endl;
  std::cout << "   -v: Validate TWDB." << std::endl;
  std::cout << "   -e: External TWDB - force DB server version validation." << std::endl;
  std::cout << "   -s: Build to build upgrade mode - build tag is the source build number (name). "
               "Option -v is ignored in this mode."
            << std::endl;
  std::cout << "\nNote: <password>, <user name> and <dsn> must be base64-encoded" << std::endl;
}
