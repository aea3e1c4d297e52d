// The global keyboard hook: Ctrl+Alt+/ anywhere, and keyboard use inside the search window.
#pragma once

#include <cstdint>

#include "core/chord_keys.h"
#include "domain/key_masks.h"
#include "domain/summon_chord.h"
#include "ports/platform.h"

namespace varnel {

class Program;

inline constexpr int kMsgKeyDown = 256;
inline constexpr int kMsgKeyUp = 257;

class KeyboardHook {
 public:
  explicit KeyboardHook(Program& program) : p_(program) {}

  // The chord that summons the window; takes effect at once.
  void SetSummonChord(const SummonChord& chord);
  const SummonChord& Chord() const { return chord_; }
  void HookKeyboard();
  void UnhookKeyboard();
  void RefreshKeyboardHook();
  // Fixed work per event: no allocation, no waiting.
  std::intptr_t KeyboardProc(int nCode, std::uint32_t wParam, const KeyEvent& ev);
  void DecodeKeyEvent(int& vk, int& msg, int& mask);
  // -32768 when the key is held down now, else 0.
  std::int32_t IsKeyDown(int vk);

 private:
  // The decision for one event; true when the key is swallowed.
  bool Decide(const KeyEvent& ev);
  // The summon chord's test, with the modifiers of this key-down (Shift, Ctrl, Alt).
  bool IsSummons(const KeyEvent& ev, int mask);
  // Says once when another program holds the chord, which then may never reach us.
  void CheckChordFree();
  Program& p_;
  SummonChord chord_;
  ChordKeys chordKeys_;
  std::uintptr_t chordLayout_ = 0;
  bool chordLocated_ = false;
  bool takenSaid_ = false;
};

}  // namespace varnel
