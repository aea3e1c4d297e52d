// Switching the extended voice commands on and off.
#pragma once

#include <cstdint>

namespace varnel {

class Program;

class VoiceActivation {
 public:
  explicit VoiceActivation(Program& program) : p_(program) {}

  void SetVoiceCommands(bool bOn);
  std::uint32_t IsNatSpeakRunning();
  void chk_vox_Click();

 private:
  Program& p_;
};

}  // namespace varnel
