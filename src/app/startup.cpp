#include "app/startup.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
Startup::Result Startup::Main() { return Result::Running; }
void Startup::CreateSendKey() {}
}  // namespace varnel
