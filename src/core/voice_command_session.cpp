#include "core/voice_command_session.h"

#include "core/browser.h"
#include "core/foreground_tracker.h"
#include "core/messages.h"
#include "core/search_actions.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/summoning.h"
#include "core/voice_activation.h"
#include "core/window_utils.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/key_sender.h"
#include "domain/codes.h"
#include "domain/command_table.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr std::int32_t kMaxCount = 100000;
constexpr std::int32_t kErrCantCreateObject = 429;

}  // namespace

std::int32_t CountSubstrings(std::string_view haystack, std::string_view needle,
                             LetterCase letterCase) {
  if (needle.empty()) {
    return 0;
  }
  const bool ignoreCase = letterCase == LetterCase::Ignored;
  std::int32_t count = 0;
  std::size_t pos = 0;
  while (pos + needle.size() <= haystack.size() && count < kMaxCount) {
    const std::string_view here = haystack.substr(pos, needle.size());
    if (ignoreCase ? EqualsIgnoringCase(here, needle) : here == needle) {
      ++count;
      pos += needle.size();
    } else {
      ++pos;
    }
  }
  return count;
}

int ListNumber(const std::string& listResult) {
  // The leading numeric part, as a Basic Val would read it.
  std::size_t i = 0;
  while (i < listResult.size() && (listResult[i] == ' ' || listResult[i] == '\t')) {
    ++i;
  }
  std::string number;
  if (i < listResult.size() && (listResult[i] == '-' || listResult[i] == '+')) {
    number += listResult[i++];
  }
  bool digits = false;
  bool point = false;
  for (; i < listResult.size(); ++i) {
    const char ch = listResult[i];
    if (std::isdigit(static_cast<unsigned char>(ch)) != 0) {
      number += ch;
      digits = true;
    } else if (ch == '.' && !point) {
      number += ch;
      point = true;
    } else {
      break;
    }
  }
  if (!digits) {
    return 0;
  }
  const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));
  if (value <= 0) {
    return 0;
  }
  // The spoken list goes no higher; anything bigger is not a number the user said.
  return value > kNumberListMax ? kNumberListMax : static_cast<int>(value);
}

std::string RegistrationFailureText(const std::string& recogniserName, const SpeechError& error,
                                    std::int32_t line) {
  if (!error.advice.empty()) {
    return error.advice;
  }
  std::string message = "Voice commands require " + recogniserName + " to be installed.";
  std::string detail;
  if (error.number != 0) {
    detail = error.text;
    if (detail.empty() && error.number == kErrCantCreateObject) {
      detail = "ActiveX component can't create object";
    }
    if (line != 0) {
      detail += "  (Line=" + std::to_string(line) + ")";
    }
  }
  if (!detail.empty()) {
    message += "\r\n\r\nError: " + detail;
  }
  return message;
}

void VoiceCommandSession::Start() {
  loaded_ = true;
  findReady_ = false;
  RegisterCommands();
}

void VoiceCommandSession::Stop() {
  UnregisterCommands();
  loaded_ = false;
  messages_.VoiceStopped();
}

void VoiceCommandSession::RegisterCommands() {
  // The form has no window of its own here, so there is nothing to place behind the
  // foreground window.
  const auto alive = alive_;
  notices_.SetMousePointer(Pointer::Busy);

  std::optional<SpeechError> failure;
  // Runs one step; false once a step has failed or the form went away during a yield.
  auto step = [&](std::optional<SpeechError> result) {
    if (result) {
      failure = std::move(result);
    }
    return !failure;
  };
  auto yield = [&] {
    loop_.RunPendingEvents();
    return *alive && !lost_;
  };

  bool ok = false;
  bool stopped = false;
  do {
    SpeechError createError;
    service_ = speech_.CreateSpeechService(createError);
    if (!service_) {
      if (createError.number == 0) {
        createError.number = kErrCantCreateObject;
      }
      failure = createError;
      break;
    }
    if (!yield()) {
      stopped = true;
      break;
    }
    if (!step(service_->Register(this))) {
      break;
    }
    if (!yield()) {
      stopped = true;
      break;
    }
    if (!step(service_->CreateMenu(kSpeechApp, kSpeechState, kSpeechLanguage))) {
      break;
    }
    menuCreated_ = true;
    if (!yield()) {
      stopped = true;
      break;
    }
    if (!step(service_->SetList(kNumberList, kNumberListMax, NumberListText()))) {
      break;
    }
    bool added = true;
    for (const VoiceCommand& c : kVoiceCommands) {
      std::string text(c.spoken);
      std::string spoken = text;
      if (text.find('\0') != std::string::npos) {
        text += '\0';
        const std::int32_t count =
            CountSubstrings(text, std::string_view("\0", 1), LetterCase::Exact);
        const std::string name = text.substr(0, text.find('\0'));
        if (!step(service_->SetList(name, count, text))) {
          added = false;
          break;
        }
        spoken = "<" + name + ">";
      }
      if (!step(service_->AddCommand(c.id, spoken, kSpeechApp))) {
        added = false;
        break;
      }
    }
    if (!added) {
      break;
    }
    if (!step(service_->SetActive(true))) {
      break;
    }
    ok = true;
  } while (false);

  if (!*alive) {
    return;
  }
  if (lost_) {
    // The service went while registering; its loss has switched everything off already.
    ok = false;
    stopped = true;
  }
  if (ok) {
    voice_.active = true;
    notices_.SetMousePointer(Pointer::Normal);
    return;
  }
  if (!stopped) {
    // Never set when the form was switched off while registering; the loss already did that.
    const SpeechError error = failure.value_or(SpeechError{});
    const std::string text = RegistrationFailureText(speech_.RecogniserDisplayName(), error, 0);
    if (voice_.failureQuiet) {
      voice_.notice = text;
    } else {
      messages_.Show(text, kInformation, "");
    }
    loop_.Post(kStopVoiceCommands);
  }
  notices_.SetMousePointer(Pointer::Normal);
}

void VoiceCommandSession::UnregisterCommands() {
  notices_.SetMousePointer(Pointer::Busy);
  if (service_) {
    // A service that has gone away has nothing left to take down.
    if (!lost_) {
      service_->Unregister();
      if (menuCreated_) {
        service_->SetActive(false);
        for (std::int32_t id = kVoiceCommandCount - 1; id >= 0; --id) {
          service_->RemoveCommand(id);
        }
        service_->ReleaseMenu();
      }
    }
    menuCreated_ = false;
    service_.reset();
  }
  voice_.active = false;
  if (window_.loaded) {
    controls_.SetValue({Control::VoiceCommands}, 0);
  }
  notices_.SetMousePointer(Pointer::Normal);
}

void VoiceCommandSession::OnCommandRecognize(const SpeechRecognition& r) {
  const auto alive = alive_;
  command_ = static_cast<std::int16_t>(r.id & 0xFFFF);
  focus_ = desktop_.FocusedWindow();
  window_.SetKeyboard(false);
  listResult_ = r.listResults.empty() ? std::string{} : r.listResults.front();

  const VoiceCommand* c = FindVoiceCommand(command_);
  if (c == nullptr) {
    return;
  }
  if (c->browser && window_.OnScreen()) {
    winutil_.HideSearchWindow();
    if (!*alive) {
      return;
    }
  }
  // Cancel and Delete go out at once, inside the recogniser's event.
  if (c->id == 5 || c->id == 6) {
    SendChord(voice_, false, false, false, c->vk, 0);
    return;
  }
  pending_.push_back({command_, listResult_, focus_});
  loop_.Post(kRunVoiceCommand);
}

void VoiceCommandSession::OnCommandOther(const std::string&, const std::string&,
                                         const std::string&) {
  window_.SetKeyboard(false);
}

void VoiceCommandSession::OnServiceLost() {
  if (lost_ || !service_) {
    return;
  }
  lost_ = true;
  // Quietly off: the form is unloaded later, not inside the service's own callback.
  voice_.active = false;
  messages_.VoiceStopped();
  if (window_.loaded) {
    controls_.SetValue({Control::VoiceCommands}, 0);
    if (!settings_.problemOnLine) {
      controls_.SetText({Control::Message}, kOptionsHint);
    }
  }
  loop_.Post(kStopVoiceCommands);
}

void VoiceCommandSession::OnSleepChanged(bool asleep) {
  if (!lost_ && service_) {
    voice_.RecogniserSleepChanged(asleep);
  }
}

void VoiceCommandSession::WakeRecogniser() {
  // A recogniser that cannot be woken stays asleep, and the message line says so.
  if (!lost_ && service_) {
    service_->Wake();
  }
}

bool VoiceCommandSession::SendChord(VoiceActivation& voice, bool ctrl, bool alt, bool shift, int vk,
                                    std::int32_t pauseMs) {
  return !voice.keySender || voice.keySender->SendChord(ctrl, alt, shift, vk, pauseMs);
}

void VoiceCommandSession::RunNextCommand() {
  if (pending_.empty()) {
    return;
  }
  const Pending what = pending_.front();
  pending_.pop_front();
  const VoiceCommand* c = FindVoiceCommand(what.command);
  if (c != nullptr) {
    Run(*c, what);
  }
}

void VoiceCommandSession::Run(const VoiceCommand& c, const Pending& what) {
  // Key chords yield; the form may be unloaded meanwhile and must then not be touched.
  const auto alive = alive_;
  // Once the system refuses a chord (the user has been told), the rest of the command is
  // dropped rather than refused again chord by chord.
  bool refused = false;
  // The keys go through the voice part, which outlives this session: a chord's pause may
  // stop the session, and the command's remaining chords still go out as asked.
  VoiceActivation& voice = voice_;
  auto chord = [&voice, &refused](bool ctrl, bool alt, bool shift, int vk, std::int32_t pauseMs) {
    if (!refused) {
      refused = !SendChord(voice, ctrl, alt, shift, vk, pauseMs);
    }
  };

  switch (c.action) {
    case CommandAction::Chord:
      chord(c.ctrl, c.alt, c.shift, c.vk, 0);
      break;
    case CommandAction::RepeatChord:
      for (int i = ListNumber(what.listResult); i > 0 && !refused; --i) {
        chord(c.ctrl, c.alt, c.shift, c.vk, 1);
      }
      break;
    case CommandAction::DoIt:
      if (desktop_.FocusedWindow() == what.focus) {
        chord(false, false, false, c.vk, 0);
      }
      break;
    case CommandAction::Find:
      if (window_.OnScreen()) {
        search_.SearchNow();
      }
      break;
    case CommandAction::HideIt: {
      const WindowId front = desktop_.WindowInFront();
      if (front != 0 && front == window_.handle) {
        winutil_.HideSearchWindow();
      } else if (front != 0) {
        desktop_.ChangeWindowState(front, WindowChange::Minimise);
      }
      break;
    }
    case CommandAction::SearchDocument:
      findReady_ = false;
      chord(true, false, false, 'F', 250);
      chord(false, false, false, 46, 0);
      break;
    case CommandAction::FindNext:
      if (findReady_) {
        chord(false, false, false, 114, 0);
      } else {
        chord(false, false, false, 32, 0);
        chord(false, false, false, 8, 0);
        chord(false, false, false, 13, 0);
        if (*alive) {
          findReady_ = true;
        }
      }
      break;
    case CommandAction::LaunchBrowser:
      browser_.LaunchBrowser();
      break;
    case CommandAction::SnapBack:
      if (window_.OnScreen()) {
        winutil_.HideSearchWindow();
      } else {
        tracker_.SnapBack();
      }
      break;
    case CommandAction::ShowWindow:
      summoning_.ShowSearchWindow();
      break;
    case CommandAction::Focus:
      chord(true, false, false, 'L', 1);
      chord(false, false, false, 117, 1);
      chord(false, false, false, 117, 1);
      break;
  }
}

}  // namespace varnel
