#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void Program::OnCommandPhrase(const std::string&) {}
}  // namespace varnel
