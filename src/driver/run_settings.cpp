#include "driver/run_settings.h"

#include "platform/secret_wipe.h"

RunSettings::~RunSettings() { WipeSecret(password); }
