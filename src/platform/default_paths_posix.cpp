#include "platform/default_paths.h"

const char* GetDefaultConfigFilePath() { return "/etc/halvik/tarnwell/twxd.cfg"; }
