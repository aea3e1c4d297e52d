// What the program tells the user: the message line under the terms and its message boxes.
#pragma once

#include <string>

#include "domain/codes.h"
#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/user_notices.h"

namespace varnel {

class SearchWindow;
class Settings;

class Messages {
 public:
  Messages(EventLoop& loop, FormControls& controls, UserNotices& notices, Settings& settings,
           SearchWindow& window)
      : loop_(loop), controls_(controls), notices_(notices), settings_(settings), window_(window) {}

  // A message box over the search window; NotShown when the window is not on screen (a
  // parked window would take the box out of sight).
  MessageAnswer Show(const std::string& prompt, MessageStyle style, const std::string& title);
  // Puts why the history is not saved into the message line now when the window is on
  // screen; otherwise the next showing does. Once a run.
  void ShowSettingsProblem();
  // The message line's text for a showing: the settings problem not yet told, else that the
  // voice commands sleep, else the hint.
  std::string LineText();
  // Says in the message line, while it lasts, that the recogniser fires no command until it
  // is woken; waking says the commands are active again.
  void SetVoiceAsleep(bool asleep);
  // The voice commands stopped: the recogniser's state no longer counts. The caller puts
  // what follows on the line.
  void VoiceStopped() { voiceAsleep_ = false; }
  bool VoiceAsleep() const { return voiceAsleep_; }
  // What the line says once the voice commands are switched on: that they sleep, when the
  // recogniser said so while they were being registered.
  const char* VoiceActiveText() const { return voiceAsleep_ ? kVoiceAsleepText : kVoiceActiveText; }

 private:
  EventLoop& loop_;
  FormControls& controls_;
  UserNotices& notices_;
  Settings& settings_;
  SearchWindow& window_;
  bool voiceAsleep_ = false;
};

}  // namespace varnel
