// Keystroke synthesis: one character, one virtual key, and whole key chords.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ports/platform.h"

namespace varnel {

class Program;
class Platform;

// Key events gathered to go out together; a chord needs at most 14.
class KeyBatch {
 public:
  static constexpr std::size_t kCapacity = 16;
  void Add(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
  std::span<const KeyInput> Events() const { return {keys_.data(), size_}; }

 private:
  std::array<KeyInput, kCapacity> keys_{};
  std::size_t size_ = 0;
};

class KeySender {
 public:
  explicit KeySender(Program& program) : p_(program) {}

  // Types the first character of keys with the modifiers the layout needs for it.
  void SendKey(const std::string& keys, bool holdDown, bool release);
  // Presses and/or releases one virtual key (0..255), no modifiers.
  void PressKeyVK(int virtualKey, bool holdDown = false, bool release = false,
                  bool compatible = false);

  // The same two, adding their events to a batch instead of sending them.
  void AddKey(KeyBatch& batch, const std::string& keys, bool holdDown, bool release);
  void AddKeyVK(KeyBatch& batch, int virtualKey, bool holdDown, bool release, bool compatible);

 private:
  Program& p_;
};

// Sends a batch in one go. When the system takes only part of it, the keys it left down
// are released and the user is told why; false then.
bool SendKeyBatch(Program& program, const KeyBatch& batch);

// The one way the program sends keys: vKey with Ctrl, Alt and Shift held around it, all in
// one batch, then a pause. Modifiers pressed are always released. False when the system
// refused the keys (the user has been told).
bool SendKeyChord(Program& program, bool ctrl, bool alt, bool shift, int vKey,
                  std::int32_t lPauseMs);

// What the user is told when the keys did not go in.
inline constexpr const char* kKeysRefusedElevatedText =
    "Varnel's keys cannot reach the window in front: it runs with higher rights (as "
    "administrator), and Windows keeps other programs' keys from it. Run Varnel as "
    "administrator too to drive it by voice.";
inline constexpr const char* kKeysRefusedText =
    "Windows did not take Varnel's keys, so the command was not carried out.";

}  // namespace varnel
