// Remembering the applications the user came from, and Snap Back.
#pragma once

#include "ports/desktop.h"
#include "ports/form_controls.h"
#include "ports/view_window.h"
namespace varnel {

class KeyboardHook;
class VoiceActivation;
class SearchWindow;
class WindowUtils;

class ForegroundTracker {
 public:
  ForegroundTracker(Desktop& desktop, ViewWindow& view, FormControls& controls, KeyboardHook& hook,
                    VoiceActivation& voice, SearchWindow& window, WindowUtils& winutil)
      : desktop_(desktop),
        view_(view),
        controls_(controls),
        hook_(hook),
        voice_(voice),
        window_(window),
        winutil_(winutil) {}

  void FollowForeground();
  void TrackForeground();
  void ShowVoiceUnlessSiblingRuns();
  void SnapBack();

  WindowId lastApp = 0;        // the application last in front, where Snap Back returns
  WindowId previousApp = 0;    // the one before it
  bool searchInFront = false;  // the search window was in front at the last look

 private:
  Desktop& desktop_;
  ViewWindow& view_;
  FormControls& controls_;
  KeyboardHook& hook_;
  VoiceActivation& voice_;
  SearchWindow& window_;
  WindowUtils& winutil_;
};

}  // namespace varnel
