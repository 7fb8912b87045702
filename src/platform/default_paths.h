#pragma once

/// Where the server keeps its configuration file twxd.cfg when HALVIK_CFG_DIR is not set.
const char* GetDefaultConfigFilePath();
