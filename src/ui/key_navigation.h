// Keyboard navigation inside the search window and the hover colours of "DO IT": carries out
// what the form's keys decide (FormKeys) with the platform's control calls.
#pragma once

#include "platform/platform.h"
#include "ui/form_keys.h"

namespace varnel {

class Program;

class KeyNavigation {
 public:
  explicit KeyNavigation(Program& program);

  void CycleFocus();
  void SelectAllText(ControlRef control, bool focus);
  void HandleCharacter(int& keyAscii);
  // Return true when the focused control must not see the key.
  bool KeyWentDown(int keyCode, int shift, bool repeat = false);
  void KeyWentUp(int keyCode, int shift);
  bool AltCharacter(char32_t ch);
  void PointerOverBackground();
  void PointerOverDoIt();

 private:
  class PlatformForm;

  bool Carry(const FormAction& action);

  Program& p_;
  FormKeys form_;
};

}  // namespace varnel
