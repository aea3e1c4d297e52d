// Keystroke synthesis: one character, one virtual key, and whole key chords.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

class Program;
class Platform;

class ClsSendKey {
 public:
  explicit ClsSendKey(Program& program) : p_(program) {}

  // Types the first character of sKey with the modifiers the layout needs for it.
  void SendKey(const std::string& sKey, bool bHoldKeydown, bool bRelease);
  // Presses and/or releases one virtual key (0..255), no modifiers.
  void PressKeyVK(int ekeyPress, bool bHoldKeydown = false, bool bRelease = false,
                  bool bCompatible = false);

 private:
  Program& p_;
};

// The one way the program sends keys: vKey with Ctrl, Alt and Shift held around it, then a
// pause. Modifiers pressed are always released.
void SendKeyChord(Program& program, bool bCtrl, bool bAlt, bool bShift, int vKey,
                  std::int32_t lPauseMs);

}  // namespace varnel
