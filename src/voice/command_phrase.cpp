#include "voice/command_phrase.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void Program::OnCommandPhrase(const std::string&) {}
}  // namespace varnel
namespace varnel {
std::optional<SpeechRecognition> MatchCommandPhrase(const std::string&) { return std::nullopt; }
int HandOffCommandPhrase(Platform&, const std::string&, const std::string&, std::ostream&) { return 1; }
}  // namespace varnel
