#include "core/program.h"

#include <iostream>

#include "core/command_phrase.h"
#include "domain/codes.h"

namespace varnel {

Program::Program(const Ports& p) : ports(p) {
  ports.loop.SetEventSink(this);
  settings.OnProblem([this] { messages.ShowSettingsProblem(); });
  voice.SetSessionMaker([this] {
    return std::make_unique<VoiceCommandSession>(
        ports.loop, ports.desktop, ports.controls, ports.notices, ports.speech, browser, search,
        settings, summoning, messages, tracker, voice, window, winutil);
  });
  voice.SetKeySenderMaker([this] {
    return std::make_unique<KeySender>(ports.loop, ports.layout, ports.injector, ports.notices,
                                       window, winutil);
  });
}

Program::~Program() {
  // The hook may run on a thread of its own: it stops before the program it calls goes.
  hook.UnhookKeyboard();
  ports.loop.SetEventSink(nullptr);
}

int Program::Run() {
  switch (startup.Main()) {
    case Startup::Result::HandedOff:
      return 0;
    case Startup::Result::NoAnswer:
      std::cerr << "varnel: another Varnel is running but does not answer\n";
      return 1;
    case Startup::Result::Running:
      break;
  }
  if (window.loaded) {
    tray.Show();
  }
  return ports.loop.RunUntilClosed();
}

void Program::OnCommandPhrase(const std::string& phrase) {
  const auto recognition = MatchCommandPhrase(phrase);
  if (!recognition) {
    return;
  }
  // Without a running session, one that is not started carries the command out; switching
  // the voice commands on later starts that same session.
  voice.Session().OnCommandRecognize(*recognition);
}

void Program::OnDeferredCode(Code code) {
  switch (code) {
    case kStopVoiceCommands:
      voice.StopSession();
      break;
    case kSummonMessage:
      summoning.ShowSearchWindow();
      break;
    case kRunVoiceCommand:
      // Only a running session has a command to carry out; never start one for it.
      if (voice.session) {
        voice.session->RunNextCommand();
      }
      break;
    case kCycleFocus:
      keys.CycleFocus();
      break;
    default:
      break;
  }
}

void Program::OnWindowMessage(WindowId target, Code message, std::uint32_t first,
                              std::uint32_t second) {
  // Answer at once; the window comes up after the sender's call has returned.
  if (target == window.handle && target != 0 && message == kSummonMessage &&
      first == kSummonParam && second == kSummonParam) {
    ports.loop.Post(kSummonMessage);
  }
}

void Program::OnTimer() {
  tracker.FollowForeground();
}

KeyVerdict Program::OnGlobalKey(const KeyEvent& ev) {
  return hook.Judge(ev);
}

void Program::OnViewResized() {
  window.Resized();
}
void Program::OnDeactivate() {
  window.Deactivated();
}
void Program::OnViewClosed() {
  window.Close();
}
bool Program::OnCloseRequest() {
  return tray.CloseEndsProgram();
}
void Program::OnTrayEntry(TrayEntry entry) {
  tray.Choose(entry);
}
void Program::OnCharacterTyped(int& ch) {
  keys.HandleCharacter(ch);
}
bool Program::OnKeyDown(int key, int mask, bool repeat) {
  return keys.KeyWentDown(key, mask, repeat);
}
bool Program::OnAltCharacter(char32_t ch) {
  return keys.AltCharacter(ch);
}

void Program::OnKeyUp(int key, int mask) {
  keys.KeyWentUp(key, mask);
}

void Program::OnPointerOver(ControlRef over) {
  if (over.id == Control::DoIt) {
    keys.PointerOverDoIt();
  } else if (over.id == Control::Window) {
    keys.PointerOverBackground();
  }
}

void Program::OnBackgroundDoubleClick() {
  search.StartBrowser();
}

void Program::OnClick(ControlRef control) {
  switch (control.id) {
    case Control::FindButton:
    case Control::DoIt:
      search.SearchNow();
      break;
    case Control::Scope:
      search.ScopeChosen(control.index);
      break;
    case Control::VoiceCommands:
      voice.VoiceCommandsToggled();
      break;
    default:
      break;
  }
}

}  // namespace varnel
