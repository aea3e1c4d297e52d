// The deferred-code route, showing the search window and the program's message box.
#pragma once

#include <cstdint>
#include <string>

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/search_view.h"

namespace varnel {

class KeyboardHook;
class KeyNavigation;
class Settings;
class ForegroundTracker;
class VoiceActivation;
class SearchWindow;
class WindowUtils;

class Summoning {
 public:
  Summoning(EventLoop& loop, Desktop& desktop, SearchView& view, KeyboardHook& hook,
            KeyNavigation& keys, Settings& settings, ForegroundTracker& tracker,
            VoiceActivation& voice, SearchWindow& window, WindowUtils& winutil)
      : loop_(loop),
        desktop_(desktop),
        view_(view),
        hook_(hook),
        keys_(keys),
        settings_(settings),
        tracker_(tracker),
        voice_(voice),
        window_(window),
        winutil_(winutil) {}

  void Post(Code code);
  void DispatchCode(Code code);
  // Window-message notification of the search window.
  void OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam);
  void ShowSearchWindow();
  void ShowCaptionActive(Hwnd hwnd);
  int ShowMessage(const std::string& prompt, int style, const std::string& title);
  // Puts why the history is not saved into the message line now when the window is on
  // screen; otherwise the next showing does. Once a run.
  void ShowSettingsProblem();

 private:
  // The message line's text for a showing: the settings problem not yet told, else the hint.
  std::string MessageLineText();

  EventLoop& loop_;
  Desktop& desktop_;
  SearchView& view_;
  KeyboardHook& hook_;
  KeyNavigation& keys_;
  Settings& settings_;
  ForegroundTracker& tracker_;
  VoiceActivation& voice_;
  SearchWindow& window_;
  WindowUtils& winutil_;
};

}  // namespace varnel
