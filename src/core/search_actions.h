// The search window's handlers that start a search or keep the date options in line.
#pragma once

#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/launcher.h"
namespace varnel {

class Browser;
class KeyboardHook;
class Settings;
class Messages;
class Summoning;
class SearchWindow;
class WindowUtils;

class SearchActions {
 public:
  SearchActions(EventLoop& loop, FormControls& controls, Launcher& launcher, Browser& browser,
                KeyboardHook& hook, Settings& settings, Summoning& summoning, Messages& messages,
                SearchWindow& window, WindowUtils& winutil)
      : loop_(loop),
        controls_(controls),
        launcher_(launcher),
        browser_(browser),
        hook_(hook),
        settings_(settings),
        summoning_(summoning),
        messages_(messages),
        window_(window),
        winutil_(winutil) {}

  void SearchNow();
  void ScopeChosen(int index);
  void StartBrowser();

 private:
  EventLoop& loop_;
  FormControls& controls_;
  Launcher& launcher_;
  Browser& browser_;
  KeyboardHook& hook_;
  Settings& settings_;
  Summoning& summoning_;
  Messages& messages_;
  SearchWindow& window_;
  WindowUtils& winutil_;
};

}  // namespace varnel
