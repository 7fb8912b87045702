#include "platform/default_paths.h"

const char* GetDefaultConfigFilePath() {
  return "c:\\ProgramData\\Halvik\\Halvik Tarnwell\\twxd.cfg";
}
