// Start-up and the single-instance hand-off.
#pragma once

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/instances.h"
#include "ports/processes.h"
#include "ports/system_paths.h"
#include "ports/user_notices.h"

namespace varnel {

class KeyboardHook;
class Settings;
class Summoning;
class VoiceActivation;
class SearchWindow;

class Startup {
 public:
  Startup(EventLoop& loop, Desktop& desktop, Instances& instances, Processes& processes,
          SystemPaths& paths, UserNotices& notices, KeyboardHook& hook, Settings& settings,
          Summoning& summoning, VoiceActivation& voice, SearchWindow& window)
      : loop_(loop),
        desktop_(desktop),
        instances_(instances),
        processes_(processes),
        paths_(paths),
        notices_(notices),
        hook_(hook),
        settings_(settings),
        summoning_(summoning),
        voice_(voice),
        window_(window) {}

  // NoAnswer: another process holds the single instance but never took the hand-off.
  enum class Result { HandedOff, Running, NoAnswer };
  // Fixes the settings path, hands off to a running instance or becomes the running one.
  Result Main();
  void CreateKeySender();

 private:
  // The recorded handle names a live search window of a Varnel process.
  bool IsRunningInstance(WindowId window);
  // Summons that window when it is a running instance's; true when it took the message.
  bool HandOff(WindowId window);
  WindowId RecordedHandle();
  // Another process holds the claim: hand off to its window, waiting while it comes up.
  // Returns the claim as it stands at the end.
  InstanceClaim HandOffToHolder(bool& handedOff);

  EventLoop& loop_;
  Desktop& desktop_;
  Instances& instances_;
  Processes& processes_;
  SystemPaths& paths_;
  UserNotices& notices_;
  KeyboardHook& hook_;
  Settings& settings_;
  Summoning& summoning_;
  VoiceActivation& voice_;
  SearchWindow& window_;
};

}  // namespace varnel
