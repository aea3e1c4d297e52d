// What the program tells the user: the message line under the terms and its message boxes.
#pragma once

#include <string>

#include "ports/event_loop.h"
#include "ports/search_view.h"

namespace varnel {

class SearchWindow;
class Settings;

class Messages {
 public:
  Messages(EventLoop& loop, SearchView& view, Settings& settings, SearchWindow& window)
      : loop_(loop), view_(view), settings_(settings), window_(window) {}

  // A message box over the search window; NotShown when the window is not on screen (a
  // parked window would take the box out of sight).
  MessageAnswer Show(const std::string& prompt, MessageStyle style, const std::string& title);
  // Puts why the history is not saved into the message line now when the window is on
  // screen; otherwise the next showing does. Once a run.
  void ShowSettingsProblem();
  // The message line's text for a showing: the settings problem not yet told, else the hint.
  std::string LineText();

 private:
  EventLoop& loop_;
  SearchView& view_;
  Settings& settings_;
  SearchWindow& window_;
};

}  // namespace varnel
