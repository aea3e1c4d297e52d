// Keyboard navigation inside the search window and the hover colours of "DO IT".
#pragma once

#include "ports/search_view.h"

namespace varnel {

class SearchActions;
class WindowUtils;

class KeyNavigation {
 public:
  KeyNavigation(SearchView& view, SearchActions& search, WindowUtils& winutil)
      : view_(view), search_(search), winutil_(winutil) {}

  void CycleFocus();
  void SelectAllText(ControlRef control, bool focus);
  void HandleCharacter(int& keyAscii);
  void KeyWentDown(int keyCode, int shift);
  void KeyWentUp(int keyCode, int shift);
  void PointerOverBackground();
  void PointerOverDoIt();

 private:
  // Alt+digit or Ctrl+A as pressed: it acts at the key's release even when the modifier
  // was let go first. Key 0: none pending.
  int chordKey_ = 0;
  int chordMask_ = 0;
  SearchView& view_;
  SearchActions& search_;
  WindowUtils& winutil_;
};

}  // namespace varnel
