// Where the settings file lives.
#pragma once

#include <cstdint>
#include <string>

#include "ports/system_paths.h"

namespace varnel {

// Where the settings file goes when $VARNEL_CFG does not say.
enum class ConfigRule : std::uint8_t {
  // Linux: an installed program's folder is no place for settings, writable or not; a
  // Varnel.cfg already there is a portable copy and is used, else the user's config folder.
  PortableCopyElseUserFolder,
  // Windows: beside the executable when one is there or the folder would take a new file
  // (asked of the system, nothing created), else the user's config folder.
  BesideProgramWhenWritable,
};

// $VARNEL_CFG when set; else by the platform's rule. The user's configuration folder is
// created when it is chosen and missing.
std::string ResolveConfigFile(SystemPaths& platform);
std::string ResolveConfigFile(SystemPaths& platform, ConfigRule rule);

}  // namespace varnel
