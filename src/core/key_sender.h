// Keystroke synthesis: one character, one virtual key, and whole key chords.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ports/event_loop.h"
#include "ports/key_injector.h"
#include "ports/keyboard_layout.h"
#include "ports/user_notices.h"

namespace varnel {

class SearchWindow;
class WindowUtils;

// Key events gathered to go out together; a chord needs at most 14.
class KeyBatch {
 public:
  static constexpr std::size_t kCapacity = 16;
  void Down(std::uint8_t vk, std::uint8_t scan = 0, bool extended = false);
  void Up(std::uint8_t vk, std::uint8_t scan = 0, bool extended = false);
  std::span<const KeyInput> Events() const { return {keys_.data(), size_}; }

 private:
  std::array<KeyInput, kCapacity> keys_{};
  std::size_t size_ = 0;
};

class KeySender {
 public:
  KeySender(EventLoop& loop, KeyboardLayout& layout, KeyInjector& injector, UserNotices& notices,
            SearchWindow& window, WindowUtils& winutil)
      : loop_(loop),
        layout_(layout),
        injector_(injector),
        notices_(notices),
        window_(window),
        winutil_(winutil) {}

  // Types the first character of keys with the modifiers the layout needs for it.
  void SendKey(const std::string& keys, bool holdDown, bool release);
  // Presses and/or releases one virtual key (0..255), no modifiers.
  void PressKeyCode(int virtualKey, bool holdDown = false, bool release = false,
                    bool compatible = false);

  // The same two, adding their events to a batch instead of sending them.
  void AddKey(KeyBatch& batch, const std::string& keys, bool holdDown, bool release);
  void AddKeyCode(KeyBatch& batch, int virtualKey, bool holdDown, bool release, bool compatible);

  // Sends a batch in one go. When the system takes only part of it, the keys it left down
  // are released and the user is told why; false then.
  bool SendBatch(const KeyBatch& batch);
  // The one way the program sends keys: vKey with Ctrl, Alt and Shift held around it, all
  // in one batch, then a pause (under kShortPauseMs the pending events run once; longer
  // ones wait). Modifiers pressed are always released. False when the system refused the
  // keys (the user has been told).
  bool SendChord(bool ctrl, bool alt, bool shift, int vKey, std::int32_t pauseMs);
  static constexpr std::int32_t kShortPauseMs = 10;

 private:
  EventLoop& loop_;
  KeyboardLayout& layout_;
  KeyInjector& injector_;
  UserNotices& notices_;
  SearchWindow& window_;
  WindowUtils& winutil_;
};

// What the user is told when the keys did not go in.
inline constexpr const char* kKeysRefusedElevatedText =
    "Varnel's keys cannot reach the window in front: it runs with higher rights (as "
    "administrator), and Windows keeps other programs' keys from it. Run Varnel as "
    "administrator too to drive it by voice.";
inline constexpr const char* kKeysRefusedText =
    "Windows did not take Varnel's keys, so the command was not carried out.";

}  // namespace varnel
