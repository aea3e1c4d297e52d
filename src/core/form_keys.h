// The search window's keyboard behaviour, decided once for every view: the views report the
// keys they get and carry out the answer (focus, selection, a pressed button, a command) with
// their ordinary control calls.
#pragma once

#include <cstdint>
#include <optional>

#include "domain/controls.h"
#include "domain/window_design.h"

namespace varnel {

// A command of the window that a key stands for.
enum class FormCommand : std::uint8_t { None, SelectTerms, Search, Dismiss };

// What a key does. The parts apply in order: focus, select or toggle, press, command.
struct FormAction {
  std::optional<ControlRef> focus;   // gets the focus
  std::optional<ControlRef> select;  // option to select
  std::optional<ControlRef> toggle;  // check box to toggle
  std::optional<ControlRef> press;   // button pressed, as a click does
  FormCommand command = FormCommand::None;
  bool swallow = false;  // the focused control must not see the key
  friend bool operator==(const FormAction&, const FormAction&) = default;
};

// The window as the keys find it.
class FormState {
 public:
  virtual std::optional<ControlRef> Focused() = 0;
  // Enabled and shown: it can take the focus and answer its accelerator.
  virtual bool Usable(ControlRef c) = 0;

 protected:
  ~FormState() = default;
};

class FormKeys {
 public:
  explicit FormKeys(const WindowDesign& design) : design_(design) {}

  // A key went down (repeat: the auto-repeat of a held key); mask Shift 1, Ctrl 2, Alt 4.
  FormAction KeyDown(int key, int mask, bool repeat, FormState& form);
  FormAction KeyUp(int key, int mask);
  // A character typed without Alt.
  static FormAction Character(int ch);
  // A character typed with Alt held and not Ctrl, as the layout types it (0: none). Alt chords
  // never type into the window.
  FormAction AltCharacter(char32_t ch, FormState& form) const;

 private:
  FormAction Accelerator(char32_t ch, FormState& form) const;
  FormAction MoveInGroup(ControlRef from, int step, FormState& form) const;
  const ControlDesign* Design(ControlRef c) const;

  const WindowDesign& design_;
  // Alt+digit or Ctrl+A as pressed: it acts at the key's release even when the modifier
  // was let go first. Key 0: none pending.
  int chordKey_ = 0;
  int chordMask_ = 0;
};

}  // namespace varnel
