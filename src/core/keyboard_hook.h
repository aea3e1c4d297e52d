// The global keyboard hook: Ctrl+Alt+/ anywhere, and keyboard use inside the search window.
#pragma once

#include <atomic>

#include <cstdint>

#include "core/chord_keys.h"
#include "domain/key_masks.h"
#include "domain/summon_chord.h"
#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/hotkeys.h"
#include "ports/keyboard_layout.h"

namespace varnel {

class SearchWindow;

class KeyboardHook {
 public:
  KeyboardHook(EventLoop& loop, Desktop& desktop, Hotkeys& hotkeys, KeyboardLayout& layout,
               SearchWindow& window)
      : loop_(loop), desktop_(desktop), hotkeys_(hotkeys), layout_(layout), window_(window) {}

  // The chord that summons the window; takes effect at once.
  void SetSummonChord(const SummonChord& chord);
  const SummonChord& Chord() const { return chord_; }
  void HookKeyboard();
  void UnhookKeyboard();
  void RefreshKeyboardHook();
  // Whether a key of the global hook reaches the application or is kept. Fixed work per
  // event: no allocation, no waiting.
  KeyVerdict Judge(const KeyEvent& ev);
  struct DecodedKey {
    int key = 0;
    bool down = false;
    int mask = 0;  // the modifiers held (kMaskShift, kMaskCtrl, kMaskAlt)
  };
  // A key-up reports the modifiers of the key-down before it.
  DecodedKey Decode(const KeyEvent& ev);
  bool KeyHeld(int vk);

  // The hook's handle, read by the hook's thread.
  std::atomic<HookHandle> handle = 0;
  // The modifiers of the last key-down, touched by the hook's thread alone.
  int heldModifiers = 0;

 private:
  // The decision for one event; true when the key is swallowed.
  bool Decide(const KeyEvent& ev);
  // The summon chord's test, with the modifiers of this key-down (Shift, Ctrl, Alt).
  bool IsSummons(const KeyEvent& ev, int mask);
  // Says once when another program holds the chord, which then may never reach us.
  void CheckChordFree();
  EventLoop& loop_;
  Desktop& desktop_;
  Hotkeys& hotkeys_;
  KeyboardLayout& layout_;
  SearchWindow& window_;
  SummonChord chord_;
  ChordKeys chordKeys_;
  std::uintptr_t chordLayout_ = 0;
  bool chordLocated_ = false;
  bool takenSaid_ = false;
};

}  // namespace varnel
