// Switching the extended voice commands on and off.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/key_sender.h"
#include "core/voice_command_session.h"

#include <cstdint>

#include "ports/form_controls.h"
#include "ports/speech.h"
#include "ports/view_window.h"

namespace varnel {

class Settings;
class Messages;
class SearchWindow;
class WindowUtils;
class TrayMenu;

class VoiceActivation {
 public:
  VoiceActivation(ViewWindow& view, FormControls& controls, SpeechServices& speech,
                  Settings& settings, Messages& messages, SearchWindow& window,
                  WindowUtils& winutil, TrayMenu& tray)
      : view_(view),
        controls_(controls),
        speech_(speech),
        settings_(settings),
        messages_(messages),
        window_(window),
        winutil_(winutil),
        tray_(tray) {}

  void SetVoiceCommands(bool on);
  // Switches them on at start-up: a failure unticks the box and is said in the window's
  // message line instead of a box, so the focus stays where the user is.
  void SwitchOnAtStart();
  std::uint32_t RecogniserRunning();
  void VoiceCommandsToggled();
  // The recogniser went to sleep (it fires no command until woken) or woke: the message line
  // and the tray say so.
  void RecogniserSleepChanged(bool asleep);

  // Starts the voice command session (it registers the commands) unless it runs already.
  void StartSession();
  // Stops it (it removes the commands) when it runs.
  void StopSession();
  // The session, made when first needed: one that is not started carries out handed-over
  // command phrases.
  VoiceCommandSession& Session();
  // Makes a session; set by the program's wiring, which knows what a session works with.
  void SetSessionMaker(std::function<std::unique_ptr<VoiceCommandSession>()> maker) {
    makeSession_ = std::move(maker);
  }

  std::unique_ptr<KeySender> MakeKeySender() { return makeKeySender_(); }
  void SetKeySenderMaker(std::function<std::unique_ptr<KeySender>()> maker) {
    makeKeySender_ = std::move(maker);
  }

  bool active = false;  // the voice commands are on
  // While set, a failure to switch the voice commands on goes to `notice`, not to a box: at
  // start-up a box would take the focus from the application in front.
  bool failureQuiet = false;
  std::string notice;  // why the voice commands are off; shown in the message line
  std::unique_ptr<VoiceCommandSession> session;
  std::unique_ptr<KeySender> keySender;

 private:
  std::function<std::unique_ptr<VoiceCommandSession>()> makeSession_;
  std::function<std::unique_ptr<KeySender>()> makeKeySender_;
  ViewWindow& view_;
  FormControls& controls_;
  SpeechServices& speech_;
  Settings& settings_;
  Messages& messages_;
  SearchWindow& window_;
  WindowUtils& winutil_;
  TrayMenu& tray_;
};

}  // namespace varnel
