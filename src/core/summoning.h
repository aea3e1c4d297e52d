// Bringing the search window up: placed, shown, in front, with the terms selected.
#pragma once

#include <cstdint>
#include <string>

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/view_window.h"

namespace varnel {

class KeyboardHook;
class KeyNavigation;
class Messages;
class Settings;
class ForegroundTracker;
class SearchWindow;
class WindowUtils;

class Summoning {
 public:
  Summoning(EventLoop& loop, Desktop& desktop, ViewWindow& view, FormControls& controls,
            KeyboardHook& hook, KeyNavigation& keys, Settings& settings, ForegroundTracker& tracker,
            SearchWindow& window, WindowUtils& winutil, Messages& messages)
      : loop_(loop),
        desktop_(desktop),
        view_(view),
        controls_(controls),
        hook_(hook),
        keys_(keys),
        settings_(settings),
        tracker_(tracker),
        window_(window),
        winutil_(winutil),
        messages_(messages) {}

  void ShowSearchWindow();
  void ShowCaptionActive(WindowId window);

 private:
  EventLoop& loop_;
  Desktop& desktop_;
  ViewWindow& view_;
  FormControls& controls_;
  KeyboardHook& hook_;
  KeyNavigation& keys_;
  Settings& settings_;
  ForegroundTracker& tracker_;
  SearchWindow& window_;
  WindowUtils& winutil_;
  Messages& messages_;
};

}  // namespace varnel
