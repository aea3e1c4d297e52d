#include "app/config_path.h"
// PLACEHOLDER until implemented.
namespace varnel {
std::string ResolveConfigFile(Platform& platform) { return platform.ExecutableFolder() + "Varnel.cfg"; }
}  // namespace varnel
