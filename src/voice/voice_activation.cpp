#include "voice/voice_activation.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void VoiceActivation::SetVoiceCommands(bool) {}
std::uint32_t VoiceActivation::IsNatSpeakRunning() { return 0; }
void VoiceActivation::chk_vox_Click() {}
}  // namespace varnel
