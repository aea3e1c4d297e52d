// Keyboard navigation inside the search window and the hover colours of "DO IT": carries out
// what the form's keys decide (FormKeys) with the platform's control calls.
#pragma once

#include "core/form_keys.h"
#include "ports/events.h"
#include "ports/form_controls.h"

namespace varnel {

class SearchActions;
class WindowUtils;

class KeyNavigation {
 public:
  // A key that presses a button reaches the program as the button's click, through events.
  KeyNavigation(FormControls& view, SearchActions& search, WindowUtils& winutil,
                PlatformEvents& events);

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
  class ViewForm;

  bool Carry(const FormAction& action);

  FormControls& view_;
  SearchActions& search_;
  WindowUtils& winutil_;
  PlatformEvents& events_;
  FormKeys form_;
};

}  // namespace varnel
