// Keyboard navigation inside the search window and the hover colours of "DO IT".
#pragma once

#include "platform/platform.h"

namespace varnel {

class Program;

class KeyNavigation {
 public:
  explicit KeyNavigation(Program& program) : p_(program) {}

  void CycleFocus();
  void SelectAllText(ControlRef control, bool focus);
  void Form_KeyPress(int& keyAscii);
  void Form_KeyDown(int keyCode, int shift);
  void Form_KeyUp(int keyCode, int shift);
  void Form_MouseMove();
  void lbl_doit_MouseMove();

 private:
  // Alt+digit or Ctrl+A as pressed: it acts at the key's release even when the modifier
  // was let go first. Key 0: none pending.
  int chordKey_ = 0;
  int chordMask_ = 0;
  Program& p_;
};

}  // namespace varnel
