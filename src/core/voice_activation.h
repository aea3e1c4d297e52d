// Switching the extended voice commands on and off.
#pragma once

#include <cstdint>

namespace varnel {

class Program;

class VoiceActivation {
 public:
  explicit VoiceActivation(Program& program) : p_(program) {}

  void SetVoiceCommands(bool on);
  // Switches them on at start-up: a failure unticks the box and is said in the window's
  // message line instead of a box, so the focus stays where the user is.
  void SwitchOnAtStart();
  std::uint32_t IsNatSpeakRunning();
  void VoiceCommandsToggled();

 private:
  Program& p_;
};

}  // namespace varnel
