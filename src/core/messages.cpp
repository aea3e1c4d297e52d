#include "core/messages.h"

#include "core/search_window.h"
#include "core/settings.h"
#include "domain/codes.h"

namespace varnel {

std::string Messages::LineText() {
  settings_.problemOnLine = settings_.problem != FileProblem::None && !settings_.problemShown;
  if (!settings_.problemOnLine) {
    return voiceAsleep_ ? kVoiceAsleepText : kOptionsHint;
  }
  settings_.problemShown = true;
  return SettingsProblemMessage(settings_.problem, settings_.file);
}

void Messages::SetVoiceAsleep(bool asleep) {
  if (asleep == voiceAsleep_) {
    return;
  }
  voiceAsleep_ = asleep;
  // A settings problem not yet read stays on the line.
  if (window_.loaded && !settings_.problemOnLine) {
    controls_.SetText({Control::Message, 0}, VoiceActiveText());
  }
}

void Messages::ShowSettingsProblem() {
  // Not a message box: the user did not ask for anything, so nothing takes the focus.
  if (window_.InSight()) {
    controls_.SetText({Control::Message, 0}, LineText());
  }
}

MessageAnswer Messages::Show(const std::string& prompt, MessageStyle style,
                             const std::string& title) {
  // Messages only appear over a window the user can see; parked, they are dropped.
  if (!window_.InSight()) {
    return MessageAnswer::NotShown;
  }
  window_.inMessageBox = true;
  const MessageAnswer answer =
      notices_.ShowMessageBox(prompt, style, title.empty() ? std::string("Varnel") : title);
  loop_.RunPendingEvents();
  window_.inMessageBox = false;
  return answer;
}

}  // namespace varnel
