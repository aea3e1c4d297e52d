#include "core/voice_activation.h"

#include "core/program.h"
#include "domain/codes.h"

namespace varnel {

void VoiceActivation::SetVoiceCommands(bool on) {
  ProgramState& st = p_.state;
  if (on) {
    if (st.voxActive) {
      return;
    }
    st.voiceNotice.clear();  // a new attempt: an earlier failure no longer says why
    int answer = 0;
    if (IsNatSpeakRunning() == 0) {
      answer = p_.summoning.ShowMessage(
          "Please make sure " + p_.platform.RecogniserDisplayName() +
              " is running and then hit OK to activate Varnel extended voice commands.",
          kMbOkCancel | kMbIconInformation, "");
    }
    if (answer != kIdCancel) {
      p_.StartVoiceCommands();
    }
  } else {
    if (!st.voxActive) {
      return;
    }
    p_.StopVoiceCommands();
  }

  // The search window may be gone already when this runs during shutdown.
  if (!st.formLoaded) {
    return;
  }
  p_.platform.SetValue({Control::VoiceCommands}, st.voxActive ? 1 : 0);
  if (!st.settingsProblemOnLine) {
    p_.platform.SetText({Control::Message}, st.voxActive             ? kVoiceActiveText
                                            : st.voiceNotice.empty() ? kOptionsHint
                                                                     : st.voiceNotice);
  }
  p_.platform.RaiseView();
}

void VoiceActivation::SwitchOnAtStart() {
  ProgramState& st = p_.state;
  st.voiceFailureQuiet = true;
  SetVoiceCommands(true);
  st.voiceFailureQuiet = false;
}

std::uint32_t VoiceActivation::IsNatSpeakRunning() {
  return p_.winutil.FindProcess(p_.platform.RecogniserProcessName(), true, false);
}

void VoiceActivation::VoiceCommandsToggled() {
  const bool ticked = p_.platform.Value({Control::VoiceCommands}) != 0;
  if (ticked != p_.state.voxActive) {
    SetVoiceCommands(!p_.state.voxActive);
  }
}

}  // namespace varnel
