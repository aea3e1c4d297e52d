// Where the settings file lives.
#pragma once

#include <string>

#include "platform/platform.h"

namespace varnel {

// $VARNEL_CFG when set; else Varnel.cfg beside the executable when that folder is writable;
// else Varnel.cfg in the platform's user configuration folder (created when missing).
std::string ResolveConfigFile(Platform& platform);

}  // namespace varnel
