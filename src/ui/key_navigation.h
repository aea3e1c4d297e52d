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
  void Form_KeyUp(int keyCode, int shift);
  void Form_MouseMove();
  void lbl_doit_MouseMove();

 private:
  Program& p_;
};

}  // namespace varnel
