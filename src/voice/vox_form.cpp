#include "voice/vox_form.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
std::int32_t CountSubstrings(const std::string&, const std::string&, std::int32_t&) { return 0; }
void VoxForm::Form_Load() {}
void VoxForm::Form_Unload() {}
void VoxForm::OnCommandRecognize(const SpeechRecognition&) {}
void VoxForm::OnCommandOther(const std::string&, const std::string&, const std::string&) {}
void VoxForm::OnServiceLost() {}
void VoxForm::vox_command() {}
void VoxForm::RegisterCommands() {}
void VoxForm::UnregisterCommands() {}
}  // namespace varnel
