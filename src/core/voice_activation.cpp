#include "core/voice_activation.h"

#include "core/messages.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/window_utils.h"

#include "core/tray_menu.h"

#include "domain/codes.h"

namespace varnel {

void VoiceActivation::SetVoiceCommands(bool on) {
  if (on) {
    if (active) {
      return;
    }
    notice.clear();  // a new attempt: an earlier failure no longer says why
    MessageAnswer answer = MessageAnswer::NotShown;
    if (RecogniserRunning() == 0) {
      answer = messages_.Show(
          "Please make sure " + speech_.RecogniserDisplayName() +
              " is running and then hit OK to activate Varnel extended voice commands.",
          kInformationOkCancel, "");
    }
    if (answer != MessageAnswer::Cancel) {
      StartSession();
      // Switched on by the user, the commands are wanted now, even if the recogniser was
      // put to sleep (perhaps by a misheard phrase). At start-up its sleep is left alone.
      if (!failureQuiet && active && session) {
        session->WakeRecogniser();
      }
    }
  } else {
    if (!active) {
      return;
    }
    StopSession();
  }

  // The search window may be gone already when this runs during shutdown.
  if (!window_.loaded) {
    return;
  }
  controls_.SetValue({Control::VoiceCommands}, active ? 1 : 0);
  if (!settings_.problemOnLine) {
    controls_.SetText({Control::Message}, active           ? messages_.VoiceActiveText()
                                          : notice.empty() ? kOptionsHint
                                                           : notice);
  }
  view_.RaiseView();
}

void VoiceActivation::SwitchOnAtStart() {
  failureQuiet = true;
  SetVoiceCommands(true);
  failureQuiet = false;
}

std::uint32_t VoiceActivation::RecogniserRunning() {
  return winutil_.RunningProcess(speech_.RecogniserProcessName());
}

void VoiceActivation::VoiceCommandsToggled() {
  const bool ticked = controls_.Value({Control::VoiceCommands}) != 0;
  if (ticked != active) {
    SetVoiceCommands(!active);
  }
}

void VoiceActivation::RecogniserSleepChanged(bool asleep) {
  messages_.SetVoiceAsleep(asleep);
  tray_.Sync();
}

void VoiceActivation::StartSession() {
  if (session && session->Loaded()) {
    return;
  }
  // A session that so far only carried out handed-over phrases is started in place.
  Session().Start();
  tray_.Sync();
}

void VoiceActivation::StopSession() {
  if (!session) {
    return;
  }
  // Keep the session alive while it stops: events that arrive meanwhile still find it.
  session->Stop();
  session.reset();
  tray_.Sync();
}

VoiceCommandSession& VoiceActivation::Session() {
  if (!session) {
    session = makeSession_();
  }
  return *session;
}

}  // namespace varnel
